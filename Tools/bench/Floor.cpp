// The bare loop: the game's scene (background, figure, ball field, scrolling, a dragging
// finger, wireframes) built and drawn straight on Chipmunk and GL ES 1.1, written as plainly as
// a hand-made loop would be. What the game costs above this is what the engine and the game's
// structure cost.
//
// Pictures: the background in one texture drawn without blending (it is opaque and covers the
// view, so there is no clear either); every play picture packed into one second texture.

#include "BenchCommon.h"
#include "Counters.h"
#include "SceneDescription.h"

#include <GLES/gl.h>
#include <SDL.h>
#include <SDL_image.h>
#include <chipmunk/chipmunk.h>

#include <cstdint>
#include <cstdlib>
#include <map>

namespace Bench {
namespace {

constexpr cpCollisionType kFigureType = 316;
constexpr cpCollisionType kBallType = 808;
constexpr float kWidth = 320, kHeight = 480;

struct Texture {
    GLuint name = 0;
    int width = 0, height = 0; // texture pixels
};

struct AtlasRect {
    float u0, v0, u1, v1;
};

SDL_Surface* loadRGBA(const std::string& path)
{
    SDL_Surface* loaded = IMG_Load(path.c_str());
    if (!loaded) {
        std::fprintf(stderr, "floor: cannot load %s: %s\n", path.c_str(), IMG_GetError());
        std::exit(1);
    }
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ABGR8888, 0);
    SDL_FreeSurface(loaded);
    // The same premultiplied pictures the game draws with (ONE, ONE_MINUS_SRC_ALPHA).
    auto* px = static_cast<std::uint8_t*>(rgba->pixels);
    for (int y = 0; y < rgba->h; ++y) {
        std::uint8_t* row = px + y * rgba->pitch;
        for (int x = 0; x < rgba->w; ++x) {
            std::uint8_t* p = row + 4 * x;
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<std::uint8_t>((p[c] * p[3] + 127) / 255);
        }
    }
    return rgba;
}

int powerOfTwo(int n)
{
    int p = 1;
    while (p < n)
        p *= 2;
    return p;
}

Texture makeTexture(int width, int height)
{
    Texture t;
    t.width = width;
    t.height = height;
    glGenTextures(1, &t.name);
    glBindTexture(GL_TEXTURE_2D, t.name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    return t;
}

void upload(const Texture& t, SDL_Surface* s, int x, int y)
{
    glBindTexture(GL_TEXTURE_2D, t.name);
    glTexSubImage2D(GL_TEXTURE_2D, 0, x, y, s->w, s->h, GL_RGBA, GL_UNSIGNED_BYTE, s->pixels);
}

struct Ball {
    cpBody* body;
    cpShape* shape;
    float x, y, radius;
};

struct Vertex {
    float x, y, u, v;
};

struct Floor {
    RunOptions options;
    SceneDescription scene;
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    Texture background, atlas;
    AtlasRect backgroundRect {};
    std::map<std::string, AtlasRect> rects;
    cpSpace* space = nullptr;
    std::vector<cpBody*> bodies;
    std::vector<cpShape*> shapes;
    std::vector<Ball> balls;
    std::vector<Ball> kept;
    std::vector<Vertex> vertices;
    std::vector<float> lines;
    float layerX = 0, layerY = 0;
    bool initialBalls = false;
    float startX = 0, startY = 0, startW = 0, startH = 0; // the figure's start area
    long long pain = 0;
    cpBody* mouse = nullptr;
    cpConstraint* mouseJoint = nullptr;
    float fingerX = 0, fingerY = 0;
    int fingerFrames = 0;

    void open()
    {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        if (SDL_Init(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "floor: %s\n", SDL_GetError());
            std::exit(1);
        }
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
        const int w = static_cast<int>(kWidth) * options.scale, h = static_cast<int>(kHeight) * options.scale;
        window = SDL_CreateWindow("floor", 0, 0, w, h, SDL_WINDOW_OPENGL);
        context = window ? SDL_GL_CreateContext(window) : nullptr;
        if (!context || SDL_GL_MakeCurrent(window, context) != 0) {
            std::fprintf(stderr, "floor: no GL ES 1.1 context: %s\n", SDL_GetError());
            std::exit(1);
        }
        SDL_GL_SetSwapInterval(0);
        glViewport(0, 0, w, h);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrthof(0, kWidth, 0, kHeight, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        glColor4ub(255, 255, 255, 255);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnable(GL_TEXTURE_2D);
    }

    void loadPictures()
    {
        SDL_Surface* bg = loadRGBA(scene.background.path);
        background = makeTexture(powerOfTwo(bg->w), powerOfTwo(bg->h));
        upload(background, bg, 0, 0);
        backgroundRect
            = { 0, 0, float(bg->w) / float(background.width), float(bg->h) / float(background.height) };
        SDL_FreeSurface(bg);

        std::vector<std::string> paths;
        if (!scene.wireframe) {
            paths.push_back(scene.ball.path);
            for (const SceneDescription::Sprite& s : scene.sprites)
                paths.push_back(s.picture.path);
        }
        // Shelves, tallest first is not worth it for a couple of dozen pictures.
        const int side = 1024 * options.scale;
        atlas = makeTexture(side, side);
        int x = 0, y = 0, shelf = 0;
        for (const std::string& path : paths) {
            if (rects.count(path))
                continue;
            SDL_Surface* s = loadRGBA(path);
            if (x + s->w > side) {
                x = 0;
                y += shelf + 1;
                shelf = 0;
            }
            if (y + s->h > side) {
                std::fprintf(stderr, "floor: pictures do not fit one texture\n");
                std::exit(1);
            }
            upload(atlas, s, x, y);
            rects[path] = { float(x) / float(side), float(y) / float(side), float(x + s->w) / float(side),
                float(y + s->h) / float(side) };
            x += s->w + 1;
            shelf = std::max(shelf, s->h);
            SDL_FreeSurface(s);
        }
    }

    static cpBool hit(cpArbiter* arbiter, cpSpace*, cpDataPointer data)
    {
        CP_ARBITER_GET_SHAPES(arbiter, figure, ball);
        (void)ball;
        const cpVect v = cpBodyGetVelocity(cpShapeGetBody(figure));
        const double speed = std::max(std::fabs(v.x), std::fabs(v.y));
        static_cast<Floor*>(data)->pain += static_cast<long long>(std::min(speed, 300.0));
        return cpTrue;
    }

    void buildWorld()
    {
        space = cpSpaceNew();
        cpSpaceUseSpatialHash(space, 100.0, 800);
        cpSpaceSetGravity(space, cpv(0, -scene.gravity));
        cpSpaceSetDamping(space, scene.damping);
        for (const SceneDescription::Body& b : scene.bodies) {
            cpBody* body = cpSpaceAddBody(space, cpBodyNew(b.mass, b.moment));
            cpBodySetPosition(body, cpv(b.x, b.y));
            cpBodySetAngle(body, b.angle);
            bodies.push_back(body);
        }
        auto bodyAt
            = [&](int i) { return i < 0 ? cpSpaceGetStaticBody(space) : bodies[static_cast<size_t>(i)]; };
        for (const SceneDescription::Shape& s : scene.shapes) {
            cpShape* shape;
            if (s.circle) {
                shape = cpCircleShapeNew(bodyAt(s.body), s.radius, cpv(s.points[0], s.points[1]));
            } else {
                std::vector<cpVect> verts;
                for (std::size_t i = 0; i + 1 < s.points.size(); i += 2)
                    verts.push_back(cpv(s.points[i], s.points[i + 1]));
                shape = cpPolyShapeNewRaw(
                    bodyAt(s.body), static_cast<int>(verts.size()), verts.data(), s.radius);
            }
            cpShapeSetElasticity(shape, s.elasticity);
            cpShapeSetFriction(shape, s.friction);
            cpShapeSetCollisionType(shape, kFigureType);
            cpShapeSetFilter(shape, cpShapeFilterNew(316, CP_ALL_CATEGORIES, CP_ALL_CATEGORIES));
            cpSpaceAddShape(space, shape);
            shapes.push_back(shape);
        }
        for (const SceneDescription::Joint& j : scene.joints) {
            cpBody *a = bodyAt(j.a), *b = bodyAt(j.b);
            const double* v = j.v;
            cpConstraint* c = j.kind == 'p' ? cpPivotJointNew2(a, b, cpv(v[0], v[1]), cpv(v[2], v[3]))
                : j.kind == 'g' ? cpGrooveJointNew(a, b, cpv(v[0], v[1]), cpv(v[2], v[3]), cpv(v[4], v[5]))
                                : cpRotaryLimitJointNew(a, b, v[0], v[1]);
            cpSpaceAddConstraint(space, c);
        }
        cpCollisionHandler* handler = cpSpaceAddCollisionHandler(space, kFigureType, kBallType);
        handler->preSolveFunc = hit;
        handler->userData = this;

        cpBody* main = bodies[static_cast<size_t>(scene.mainBody)];
        const cpVect p = cpBodyGetPosition(main);
        startX = static_cast<float>(p.x) - 150;
        startY = static_cast<float>(p.y) - 150;
        startW = startH = 300;
        balls.reserve(256);
        kept.reserve(256);
        vertices.resize(4 * (scene.sprites.size() + 512));
        lines.reserve(4096);
    }

    static int randInt(int start, int end)
    {
        const float f = static_cast<float>(std::rand()) * (1.0f / 2147483648.0f);
        return static_cast<int>(static_cast<float>(start) + static_cast<float>(end - start - 1) * f);
    }

    static bool intersects(float ax, float ay, float aw, float ah, float bx, float by, float bw, float bh)
    {
        return ax < bx + bw && bx < ax + aw && ay < by + bh && by < ay + ah;
    }

    void fillBalls()
    {
        const float areaX = kWidth / 2 - layerX - 800, areaY = kHeight / 2 - layerY - 800;
        kept.clear();
        for (const Ball& b : balls) {
            if (intersects(b.x, b.y, b.radius, b.radius, areaX, areaY, 1600, 1600)) {
                kept.push_back(b);
            } else {
                cpSpaceRemoveShape(space, b.shape);
                cpShapeFree(b.shape);
                cpBodyFree(b.body);
            }
        }
        balls.swap(kept);
        float clearX = -layerX - 100, clearY = -layerY - 100, clearW = kWidth + 200, clearH = kHeight + 200;
        if (!initialBalls) {
            clearX = startX;
            clearY = startY;
            clearW = startW;
            clearH = startH;
        }
        const cpBody* main = bodies[static_cast<size_t>(scene.mainBody)];
        while (static_cast<int>(balls.size()) <= scene.balls) {
            float minX = areaX, maxX = areaX + 1600, minY = areaY, maxY = areaY + 1600;
            if (initialBalls) {
                const cpVect r = cpBodyGetPosition(main), d = cpBodyGetVelocity(main);
                const double dx = d.x != 0 ? d.x : (randInt(1, 100) % 2 ? -1 : 1);
                const double dy = d.y != 0 ? d.y : (randInt(1, 100) % 2 ? -1 : 1);
                (dx < 0 ? maxX : minX) = static_cast<float>(r.x);
                (dy < 0 ? maxY : minY) = static_cast<float>(r.y);
            }
            const int radius = randInt(20, 80);
            const int x = randInt(static_cast<int>(minX), static_cast<int>(maxX));
            const int y = randInt(static_cast<int>(minY), static_cast<int>(maxY));
            if (intersects(float(x), float(y), float(radius), float(radius), clearX, clearY, clearW, clearH))
                continue;
            Ball b { cpBodyNewStatic(), nullptr, float(x), float(y), float(radius) };
            b.shape = cpCircleShapeNew(b.body, radius, cpvzero);
            cpShapeSetElasticity(b.shape, 0);
            cpShapeSetFriction(b.shape, 0);
            cpShapeSetCollisionType(b.shape, kBallType);
            cpBodySetPosition(b.body, cpv(x, y));
            cpSpaceAddShape(space, b.shape);
            balls.push_back(b);
        }
        initialBalls = true;
    }

    static float follow(float layer, float half, float body)
    {
        const float centre = half - layer;
        if (std::abs(static_cast<int>(body - centre)) <= 100)
            return layer;
        return layer + (centre < body ? centre - body + 100 : centre - body - 100);
    }

    void step(float dt)
    {
        if (mouse) {
            ++fingerFrames;
            float dx, dy;
            fingerOffset(fingerFrames, dx, dy);
            const cpVect to = cpv(fingerX + dx, fingerY - dy);
            const cpVect from = cpBodyGetPosition(mouse);
            cpBodySetVelocity(mouse, cpvmult(cpvsub(to, from), 1.0 / dt));
            cpBodySetPosition(mouse, to);
        }
        cpSpaceStep(space, dt);
        const cpVect p = cpBodyGetPosition(bodies[static_cast<size_t>(scene.mainBody)]);
        layerX = follow(layerX, kWidth / 2, static_cast<float>(p.x));
        layerY = follow(layerY, kHeight / 2, static_cast<float>(p.y));
        fillBalls();
    }

    void fingerDown()
    {
        cpBody* main = bodies[static_cast<size_t>(scene.mainBody)];
        const cpVect p = cpBodyGetPosition(main);
        fingerX = static_cast<float>(p.x);
        fingerY = static_cast<float>(p.y);
        mouse = cpSpaceAddBody(space, cpBodyNewKinematic());
        cpBodySetPosition(mouse, p);
        mouseJoint = cpSpaceAddConstraint(space, cpPivotJointNew2(mouse, main, cpvzero, cpvzero));
    }

    void quad(Vertex* out, float cx, float cy, float c, float s, float left, float bottom, float right,
        float top, const AtlasRect& r)
    {
        // Corners in strip order: bottom left, bottom right, top left, top right.
        const float xs[4] = { left, right, left, right }, ys[4] = { bottom, bottom, top, top };
        const float us[4] = { r.u0, r.u1, r.u0, r.u1 }, vs[4] = { r.v1, r.v1, r.v0, r.v0 };
        for (int i = 0; i < 4; ++i)
            out[i]
                = { cx + c * xs[i] - s * ys[i] + layerX, cy + s * xs[i] + c * ys[i] + layerY, us[i], vs[i] };
    }

    void drawSprites()
    {
        glBindTexture(GL_TEXTURE_2D, atlas.name);
        std::size_t n = 0;
        for (const SceneDescription::Sprite& sprite : scene.sprites) {
            const cpBody* body = bodies[static_cast<size_t>(sprite.body)];
            const cpVect p = cpBodyGetPosition(body), rot = cpBodyGetRotation(body);
            const float w = sprite.picture.width, h = sprite.picture.height;
            quad(&vertices[4 * n++], float(p.x), float(p.y), float(rot.x), float(rot.y), -sprite.anchorX * w,
                -sprite.anchorY * h, (1 - sprite.anchorX) * w, (1 - sprite.anchorY) * h,
                rects[sprite.picture.path]);
        }
        const AtlasRect& ballRect = rects[scene.ball.path];
        for (const Ball& b : balls) {
            const float scale = b.radius * 2 / scene.ball.width;
            const float hw = scene.ball.width * scale / 2, hh = scene.ball.height * scale / 2;
            quad(&vertices[4 * n++], b.x, b.y, 1, 0, -hw, -hh, hw, hh, ballRect);
        }
        glVertexPointer(2, GL_FLOAT, sizeof(Vertex), &vertices[0].x);
        glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &vertices[0].u);
        for (std::size_t i = 0; i < n; ++i)
            glDrawArrays(GL_TRIANGLE_STRIP, static_cast<GLint>(4 * i), 4);
    }

    void outline(cpShape* shape, bool circle, std::vector<std::pair<GLenum, int>>& runs)
    {
        const cpBody* body = cpShapeGetBody(shape);
        const cpVect p = cpBodyGetPosition(body), rot = cpBodyGetRotation(body);
        auto put = [&](cpVect local) {
            const cpVect w = cpvadd(p, cpvrotate(local, rot));
            lines.push_back(static_cast<float>(w.x) + layerX);
            lines.push_back(static_cast<float>(w.y) + layerY);
        };
        if (!circle) {
            const int count = cpPolyShapeGetCount(shape);
            for (int i = 0; i < count; ++i)
                put(cpPolyShapeGetVert(shape, i));
            runs.emplace_back(GL_LINE_LOOP, count);
        } else {
            const cpVect c = cpCircleShapeGetOffset(shape);
            const double r = cpCircleShapeGetRadius(shape), a = cpBodyGetAngle(body);
            for (int i = 0; i <= 25; ++i) {
                const double t = a + 6.2831855 / 25 * i;
                put(cpv(c.x + std::cos(t) * r, c.y + std::sin(t) * r));
            }
            runs.emplace_back(GL_LINE_STRIP, 26);
        }
    }

    void drawWireframes()
    {
        static std::vector<std::pair<GLenum, int>> runs;
        runs.clear();
        lines.clear();
        for (std::size_t i = 0; i < shapes.size(); ++i)
            outline(shapes[i], scene.shapes[i].circle, runs);
        for (const Ball& b : balls)
            outline(b.shape, true, runs);
        glDisable(GL_TEXTURE_2D);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glVertexPointer(2, GL_FLOAT, 0, lines.data());
        GLint first = 0;
        for (const auto& [mode, count] : runs) {
            glDrawArrays(mode, first, count);
            first += count;
        }
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnable(GL_TEXTURE_2D);
    }

    void draw()
    {
        // Opaque and covering the view: neither a clear nor blending is needed for it.
        const float w = scene.background.width, h = scene.background.height;
        const float x = (kWidth - w) / 2, y = (kHeight - h) / 2;
        const AtlasRect& r = backgroundRect;
        const Vertex bg[4] = { { x, y, r.u0, r.v1 }, { x + w, y, r.u1, r.v1 }, { x, y + h, r.u0, r.v0 },
            { x + w, y + h, r.u1, r.v0 } };
        glDisable(GL_BLEND);
        glBindTexture(GL_TEXTURE_2D, background.name);
        glVertexPointer(2, GL_FLOAT, sizeof(Vertex), &bg[0].x);
        glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &bg[0].u);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glEnable(GL_BLEND);
        if (scene.wireframe)
            drawWireframes();
        else
            drawSprites();
    }

    void finishFrame()
    {
        const Counters::DriverScope driver;
        SDL_GL_SwapWindow(window);
        glFinish();
    }
};

} // namespace

int runFloor(const RunOptions& options)
{
    static Floor floor; // lives until exit, as the game's scene does
    floor.options = options;
    if (!floor.scene.read(options.sceneFile)) {
        std::fprintf(stderr, "floor: cannot read the scene %s\n", options.sceneFile.c_str());
        return 1;
    }
    std::srand(1);
    (void)std::rand();
    (void)std::rand();
    (void)std::rand();
    floor.open();
    floor.loadPictures();
    floor.buildWorld();

    const float dt = 1.0f / 60.0f;
    Results results;
    floor.step(dt);
    floor.draw();
    floor.finishFrame();
    results.firstFrameSeconds = cpuSeconds();

    const int fingerAt = std::max(1, options.warmup - 60);
    for (int i = 1; i < options.warmup; ++i) {
        if (options.finger && i == fingerAt)
            floor.fingerDown();
        floor.step(dt);
        if (!options.simOnly) {
            floor.draw();
            floor.finishFrame();
        }
    }
    if (options.finger && !floor.mouse)
        floor.fingerDown();

    if (options.simOnly) {
        const double t0 = cpuSeconds();
        for (int i = 0; i < options.frames; ++i)
            floor.step(dt);
        results.simFramesPerSecond = options.frames / std::max(1e-9, cpuSeconds() - t0);
        results.print();
        return 0;
    }

    results.stepSeconds.reserve(static_cast<size_t>(options.frames));
    results.frameSeconds.reserve(static_cast<size_t>(options.frames));
    const std::uint64_t allocs0 = Counters::allocations(), calls0 = Counters::glCalls(),
                        draws0 = Counters::glDraws();
    for (int i = 0; i < options.frames; ++i) {
        const double t0 = cpuSeconds();
        Counters::setCounting(true);
        floor.step(dt);
        const double t1 = cpuSeconds();
        floor.draw();
        floor.finishFrame();
        Counters::setCounting(false);
        const double t2 = cpuSeconds();
        results.stepSeconds.push_back(t1 - t0);
        results.frameSeconds.push_back(t2 - t0);
    }
    const double n = options.frames;
    results.allocsPerFrame = static_cast<double>(Counters::allocations() - allocs0) / n;
    results.glCallsPerFrame = static_cast<double>(Counters::glCalls() - calls0) / n;
    results.drawsPerFrame = static_cast<double>(Counters::glDraws() - draws0) / n;
    results.print();
    return 0;
}

} // namespace Bench
