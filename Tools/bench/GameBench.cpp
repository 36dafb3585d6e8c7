// bonzelar-bench: what a frame of play costs, against a bare loop that draws the same scene.
//
//     build/bonzelar-bench [--frames N] [--runs N] [--warmup N] [--sim-only] [--only NAME,...]
//     build/bonzelar-bench --child game --setup NAME [--screenshot FILE]   (one run)
//
// Every set-up runs in a process of its own, the game's and the bare loop's ("floor") in turn,
// `--runs` times each; the table gives the median of the runs. One clock throughout: process CPU
// time (every thread, so the software rasteriser's work counts), with a GL finish in each frame.
// Per run: frame_us and step_us (median and 99th percentile over the measured frames),
// allocs_per_frame (heap allocations of ours on the main thread, the GL driver's left out),
// gl_calls_per_frame with the draws among them, first_frame_ms (CPU from exec to the first
// finished frame) and peak_rss_kb. --sim-only steps physics and game logic without drawing
// and reports frames per second.
//
// Children are the same binary: --child game|floor --setup NAME, and --describe FILE, which
// writes the game's scene for the bare loop to build.

#include "BenchCommon.h"
#include "Counters.h"
#include "SceneDescription.h"

#include "Classes/BonzelarAppDelegate.h"
#include "Classes/Configuration.h"
#include "Classes/Game.h"
#include "Classes/Ragdoll.h"
#include "Classes/Random.h"
#include "Engine/Director.h"
#include "Engine/Scheduler.h"
#include "Engine/Sprite.h"
#include "Engine/Support/FileUtils.h"
#include "Platform/HeadlessHost.h"

#include <chipmunk/chipmunk.h>
#include <chipmunk/chipmunk_structs.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>

using namespace Bench;

namespace {

struct Setup {
    const char* name;
    int balls;
    bool wireframe;
    const char* figure;
    int scale;
    bool finger;
    bool saber;
};

const Setup kSetups[] = {
    { "default", 20, false, "Nerd", 1, false, false },
    { "balls5", 5, false, "Nerd", 1, false, false },
    { "balls40", 40, false, "Nerd", 1, false, false },
    { "balls80", 80, false, "Nerd", 1, false, false },
    { "wireframes", 20, true, "Nerd", 1, false, false },
    { "finger", 20, false, "Nerd", 1, true, false },
    { "BabeBikiniProfile", 20, false, "BabeBikiniProfile", 1, false, false },
    { "Dog", 20, false, "Dog", 1, false, false },
    { "Rocker", 20, false, "Rocker", 1, false, false },
    { "Narwhal", 20, false, "Narwhal", 1, false, true },
    { "scale2", 20, false, "Nerd", 2, false, false },
};

const Setup* setupNamed(const std::string& name)
{
    for (const Setup& s : kSetups)
        if (name == s.name)
            return &s;
    return nullptr;
}

// --- the game --------------------------------------------------------------------------------

// The headless host, with the driver's buffer swap marked as such; it keeps no record of the
// sounds played (the runner's dumps want them, a player's program has no such list).
class BenchHost : public HeadlessHost {
public:
    using HeadlessHost::HeadlessHost;
    bool swapBuffers() override
    {
        const Counters::DriverScope driver;
        return HeadlessHost::swapBuffers();
    }
    void recordRequest(const std::string& section, const std::string& what) override
    {
        if (section != "sounds")
            HeadlessHost::recordRequest(section, what);
    }
};

double s_tickStarted = 0;
double s_lastStep = 0;
void tickProbe(bool ticked)
{
    if (ticked)
        s_lastStep = cpuSeconds() - s_tickStarted;
    else
        s_tickStarted = cpuSeconds();
}

GameScene* gameScene() { return dynamic_cast<GameScene*>(Director::sharedDirector()->runningScene()); }

// Starts the program as a player would on a fresh install with the set-up's settings.
BenchHost& launch(const RunOptions& options, BonzelarAppDelegate& app)
{
    char pattern[] = "/tmp/bonzelar-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    HeadlessHost::Options hostOptions;
    hostOptions.dataDirectory = dir;
    hostOptions.scale = options.scale;
    static BenchHost host(hostOptions);
    Host::setCurrent(&host);
    Configuration* config = Configuration::current();
    config->setNumberOfBalls(options.balls);
    config->setDrawPersonAsWireframe(options.wireframe);
    config->setDrawBallsAsWireframe(options.wireframe);
    config->setRagdollClass(options.figure);
    host.setListener(&app);
    app.applicationDidFinishLaunching();
    Random::seedWith(1);
    return host;
}

void removeDataDirectory(BenchHost& host)
{
    std::error_code ec;
    std::filesystem::remove_all(host.dataDirectory(), ec);
}

SceneDescription::Picture picture(const std::string& name, CGSize size)
{
    return { FileUtils::resolvePicture(name).path, size.width, size.height };
}

int describe(const RunOptions& options, const std::string& file)
{
    BonzelarAppDelegate app;
    BenchHost& host = launch(options, app);
    GameScene* scene = gameScene();
    if (!scene)
        Director::sharedDirector()->mainLoop(); // enters the first scene
    scene = gameScene();
    GameLayer* layer = scene ? scene->gameLayer() : nullptr;
    Ragdoll* ragdoll = layer ? layer->ragdoll() : nullptr;
    if (!ragdoll) {
        std::fprintf(stderr, "bench: no figure to describe\n");
        return 1;
    }
    Configuration* config = Configuration::current();
    SceneDescription d;
    d.balls = options.balls;
    d.wireframe = options.wireframe;
    d.gravity = config->gravity();
    d.damping = config->damping();
    Ref<Sprite> background = Sprite::spriteWithFile(config->backgroundImage());
    d.background = picture(config->backgroundImage(), background->contentSize());
    Ref<Sprite> ball = Sprite::spriteWithFile(config->ballImage());
    d.ball = picture(config->ballImage(), ball->contentSize());

    std::map<cpBody*, int> index;
    for (const Ragdoll::Part& part : ragdoll->parts()) {
        index[part.body] = static_cast<int>(d.bodies.size());
        const cpVect p = cpBodyGetPosition(part.body);
        d.bodies.push_back(
            { cpBodyGetMass(part.body), cpBodyGetMoment(part.body), p.x, p.y, cpBodyGetAngle(part.body) });
        if (part.body == ragdoll->mainBody())
            d.mainBody = index[part.body];
    }
    auto bodyIndex = [&](cpBody* body) {
        auto it = index.find(body);
        return it == index.end() ? -1 : it->second;
    };
    for (cpShape* shape : ragdoll->shapes()) {
        SceneDescription::Shape s {};
        s.body = bodyIndex(cpShapeGetBody(shape));
        s.elasticity = cpShapeGetElasticity(shape);
        s.friction = cpShapeGetFriction(shape);
        s.circle = shape->klass->type == CP_CIRCLE_SHAPE;
        if (s.circle) {
            const cpVect o = cpCircleShapeGetOffset(shape);
            s.radius = cpCircleShapeGetRadius(shape);
            s.points = { o.x, o.y };
        } else if (shape->klass->type == CP_POLY_SHAPE) {
            s.radius = cpPolyShapeGetRadius(shape);
            for (int i = 0; i < cpPolyShapeGetCount(shape); ++i) {
                const cpVect v = cpPolyShapeGetVert(shape, i);
                s.points.push_back(v.x);
                s.points.push_back(v.y);
            }
        } else {
            continue;
        }
        d.shapes.push_back(std::move(s));
    }
    for (const Ref<PointerWrapper>& wrapper : ragdoll->joints()) {
        auto* c = static_cast<cpConstraint*>(wrapper->pointer());
        SceneDescription::Joint j {};
        j.a = bodyIndex(cpConstraintGetBodyA(c));
        j.b = bodyIndex(cpConstraintGetBodyB(c));
        if (cpConstraintIsPivotJoint(c)) {
            const cpVect a = cpPivotJointGetAnchorA(c), b = cpPivotJointGetAnchorB(c);
            j = { 'p', j.a, j.b, { a.x, a.y, b.x, b.y, 0, 0 } };
        } else if (cpConstraintIsGrooveJoint(c)) {
            const cpVect a = cpGrooveJointGetGrooveA(c), b = cpGrooveJointGetGrooveB(c),
                         anchor = cpGrooveJointGetAnchorB(c);
            j = { 'g', j.a, j.b, { a.x, a.y, b.x, b.y, anchor.x, anchor.y } };
        } else if (cpConstraintIsRotaryLimitJoint(c)) {
            j = { 'r', j.a, j.b, { cpRotaryLimitJointGetMin(c), cpRotaryLimitJointGetMax(c), 0, 0, 0, 0 } };
        } else {
            continue;
        }
        d.joints.push_back(j);
    }
    if (!options.wireframe) {
        for (const Ragdoll::SpriteBinding& binding : ragdoll->sprites()) {
            Texture2D* texture = binding.sprite->texture();
            if (!texture || !binding.sprite->visible() || bodyIndex(binding.body) < 0)
                continue;
            const CGPoint anchor = binding.sprite->anchorPoint();
            d.sprites.push_back({ picture(texture->fileName(), binding.sprite->contentSize()),
                bodyIndex(binding.body), anchor.x, anchor.y });
        }
    }
    removeDataDirectory(host);
    return d.write(file) ? 0 : 1;
}

int runGame(const RunOptions& options)
{
    static BonzelarAppDelegate app;
    BenchHost& host = launch(options, app);
    Director::setTickProbe(tickProbe);
    Results results;
    host.advanceFrame();
    results.firstFrameSeconds = cpuSeconds();

    const float winHeight = Director::sharedDirector()->winSize().height;
    const int fingerAt = std::max(1, options.warmup - 60);
    CGPoint fingerStart {};
    std::vector<HostTouchPoint> finger(1);
    int fingerFrames = 0;
    auto moveFinger = [&] {
        if (!options.finger || fingerFrames == 0)
            return;
        float dx, dy;
        fingerOffset(fingerFrames++, dx, dy);
        finger[0].x = fingerStart.x + dx;
        finger[0].y = fingerStart.y + dy;
        app.hostTouches(HostTouchPhase::Moved, finger, host.virtualTime());
    };
    for (int i = 1; i < options.warmup; ++i) {
        GameLayer* layer = gameScene() ? gameScene()->gameLayer() : nullptr;
        if (options.saber && i == 30 && layer && layer->ragdoll())
            layer->ragdoll()->performSpecial();
        if (options.finger && i == fingerAt && layer && layer->ragdoll()) {
            const CGPoint body = layer->ragdoll()->position(), at = layer->position();
            fingerStart = CGPointMake(body.x + at.x, winHeight - (body.y + at.y));
            finger[0] = { 1, fingerStart.x, fingerStart.y, 1 };
            app.hostTouches(HostTouchPhase::Began, finger, host.virtualTime());
            fingerFrames = 1;
        }
        moveFinger();
        if (options.simOnly && i == options.warmup - 1)
            break;
        host.advanceFrame();
    }

    if (options.simOnly) {
        // The display link off, the clock still moves on, and only the scheduler runs.
        Director::sharedDirector()->stopAnimation();
        const float dt = static_cast<float>(host.dt());
        const double t0 = cpuSeconds();
        for (int i = 0; i < options.frames; ++i) {
            host.advanceFrame();
            Scheduler::sharedScheduler()->tick(dt);
        }
        results.simFramesPerSecond = options.frames / std::max(1e-9, cpuSeconds() - t0);
        results.print();
        removeDataDirectory(host);
        return 0;
    }

    results.stepSeconds.reserve(static_cast<size_t>(options.frames));
    results.frameSeconds.reserve(static_cast<size_t>(options.frames));
    const std::uint64_t allocs0 = Counters::allocations(), calls0 = Counters::glCalls(),
                        draws0 = Counters::glDraws();
    for (int i = 0; i < options.frames; ++i) {
        const double t0 = cpuSeconds();
        Counters::setCounting(true);
        moveFinger();
        host.advanceFrame();
        Counters::setCounting(false);
        const double t1 = cpuSeconds();
        results.stepSeconds.push_back(s_lastStep);
        results.frameSeconds.push_back(t1 - t0);
    }
    const double n = options.frames;
    results.allocsPerFrame = static_cast<double>(Counters::allocations() - allocs0) / n;
    results.glCallsPerFrame = static_cast<double>(Counters::glCalls() - calls0) / n;
    results.drawsPerFrame = static_cast<double>(Counters::glDraws() - draws0) / n;
    results.print();
    std::string error;
    if (!options.screenshot.empty() && !host.saveScreenshot(options.screenshot, error))
        std::fprintf(stderr, "bench: %s\n", error.c_str());
    removeDataDirectory(host);
    return 0;
}

// --- the parent ------------------------------------------------------------------------------

using Metrics = std::map<std::string, std::vector<double>>; // key -> numbers of its line

Metrics parse(const std::string& text)
{
    Metrics m;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key, word;
        words >> key;
        std::vector<double> numbers;
        while (words >> word) {
            char* end = nullptr;
            const double v = std::strtod(word.c_str(), &end);
            if (end && *end == '\0')
                numbers.push_back(v);
        }
        if (!numbers.empty())
            m[key] = numbers;
    }
    return m;
}

bool runChild(const std::string& args, std::string& out)
{
    const std::string command = "/proc/" + std::to_string(getpid()) + "/exe " + args;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return false;
    char buffer[4096];
    out.clear();
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        out.append(buffer, n);
    return pclose(pipe) == 0;
}

double median(std::vector<double> v) { return quantile(std::move(v), 0.5); }

// The median over runs of one number of one line.
double value(const std::vector<Metrics>& runs, const std::string& key, std::size_t i = 0)
{
    std::vector<double> v;
    for (const Metrics& m : runs)
        if (auto it = m.find(key); it != m.end() && it->second.size() > i)
            v.push_back(it->second[i]);
    return median(v);
}

struct Row {
    std::string name;
    double frame[2], frameP99[2], step[2], allocs[2], calls[2], draws[2], first[2], rss[2], sim[2];
};

void printSide(const char* side, const std::vector<Metrics>& runs, bool simOnly)
{
    std::printf("  %s\n", side);
    if (simOnly) {
        std::printf("    sim_fps %.0f\n", value(runs, "sim_fps"));
    } else {
        std::printf(
            "    frame_us median %.1f p99 %.1f\n", value(runs, "frame_us"), value(runs, "frame_us", 1));
        std::printf("    step_us median %.1f p99 %.1f\n", value(runs, "step_us"), value(runs, "step_us", 1));
        std::printf("    allocs_per_frame %.2f\n", value(runs, "allocs_per_frame"));
        std::printf("    gl_calls_per_frame %.1f (%.1f draws, %.2f per draw)\n",
            value(runs, "gl_calls_per_frame"), value(runs, "gl_calls_per_frame", 1),
            value(runs, "gl_calls_per_frame") / std::max(1.0, value(runs, "gl_calls_per_frame", 1)));
        std::printf("    first_frame_ms %.1f\n", value(runs, "first_frame_ms"));
    }
    std::printf("    peak_rss_kb %.0f\n", value(runs, "peak_rss_kb"));
}

int runAll(const std::vector<const Setup*>& setups, const std::string& common, int runs, bool simOnly)
{
    char pattern[] = "/tmp/bonzelar-bench-scene-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) {
        std::perror("mkdtemp");
        return 1;
    }
    std::printf(
        "bonzelar-bench: %d run(s) each, medians; process CPU time, GL finish in every frame\n", runs);
    std::vector<Row> rows;
    for (const Setup* setup : setups) {
        const std::string scene = std::string(dir) + "/" + setup->name + ".scene";
        std::string out;
        if (!runChild("--describe " + scene + " --setup " + setup->name + common, out)) {
            std::fprintf(stderr, "bench: describing %s failed\n%s", setup->name, out.c_str());
            return 1;
        }
        std::vector<Metrics> game, floor;
        for (int r = 0; r < runs; ++r) {
            // Alternating which goes first spreads the machine's drift over both.
            for (int k = 0; k < 2; ++k) {
                const bool isFloor = (r + k) % 2 == 1;
                const std::string args = std::string("--child ") + (isFloor ? "floor" : "game") + " --setup "
                    + setup->name + " --scene " + scene + common;
                if (!runChild(args, out)) {
                    std::fprintf(stderr, "bench: %s %s failed\n%s", setup->name, isFloor ? "floor" : "game",
                        out.c_str());
                    return 1;
                }
                (isFloor ? floor : game).push_back(parse(out));
            }
        }
        std::printf("[%s] %d balls, %s, %s, scale %d%s%s\n", setup->name, setup->balls, setup->figure,
            setup->wireframe ? "wireframes" : "pictures", setup->scale, setup->finger ? ", finger held" : "",
            setup->saber ? ", saber lit" : "");
        printSide("game", game, simOnly);
        printSide("floor", floor, simOnly);
        Row row;
        row.name = setup->name;
        for (int s = 0; s < 2; ++s) {
            const std::vector<Metrics>& m = s == 0 ? game : floor;
            row.frame[s] = value(m, "frame_us");
            row.frameP99[s] = value(m, "frame_us", 1);
            row.step[s] = value(m, "step_us");
            row.allocs[s] = value(m, "allocs_per_frame");
            row.calls[s] = value(m, "gl_calls_per_frame");
            row.draws[s] = value(m, "gl_calls_per_frame", 1);
            row.first[s] = value(m, "first_frame_ms");
            row.rss[s] = value(m, "peak_rss_kb");
            row.sim[s] = value(m, "sim_fps");
        }
        auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
        if (simOnly)
            std::printf("  game/floor sim_fps %.2f\n", ratio(row.sim[0], row.sim[1]));
        else
            std::printf("  game/floor frame %.2f step %.2f first_frame %.2f peak_rss %.2f gl_calls %.2f\n",
                ratio(row.frame[0], row.frame[1]), ratio(row.step[0], row.step[1]),
                ratio(row.first[0], row.first[1]), ratio(row.rss[0], row.rss[1]),
                ratio(row.calls[0], row.calls[1]));
        std::fflush(stdout);
        rows.push_back(row);
    }
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);

    // The same as a Markdown table.
    std::printf("\n");
    if (simOnly) {
        std::printf("| set-up | game frames/s | floor frames/s | ratio |\n|---|---|---|---|\n");
        for (const Row& r : rows)
            std::printf(
                "| %s | %.0f | %.0f | %.2f |\n", r.name.c_str(), r.sim[0], r.sim[1], r.sim[0] / r.sim[1]);
        return 0;
    }
    std::printf(
        "| set-up | frame µs game / floor | ratio | step µs game / floor | ratio | allocs/frame | GL calls "
        "per draw | first frame ms | peak RSS MB |\n|---|---|---|---|---|---|---|---|---|\n");
    for (const Row& r : rows)
        std::printf("| %s | %.0f / %.0f | %.2f | %.1f / %.1f | %.2f | %.1f / %.1f | %.2f / %.2f | %.0f / "
                    "%.0f | %.0f / %.0f |\n",
            r.name.c_str(), r.frame[0], r.frame[1], r.frame[0] / r.frame[1], r.step[0], r.step[1],
            r.step[0] / r.step[1], r.allocs[0], r.allocs[1], r.calls[0] / std::max(1.0, r.draws[0]),
            r.calls[1] / std::max(1.0, r.draws[1]), r.first[0], r.first[1], r.rss[0] / 1024, r.rss[1] / 1024);
    return 0;
}

int usage(const char* program)
{
    std::fprintf(stderr,
        "usage: %s [--frames N] [--runs N] [--warmup N] [--sim-only] [--only NAME,...]\nset-ups:", program);
    for (const Setup& s : kSetups)
        std::fprintf(stderr, " %s", s.name);
    std::fprintf(stderr, "\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    RunOptions options;
    int runs = 3;
    std::string child, describeFile, only, setupName = "default";
    std::string common; // passed on to the children
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--frames" && hasValue) {
            options.frames = std::max(1, std::atoi(argv[++i]));
            common += " --frames " + std::to_string(options.frames);
        } else if (a == "--warmup" && hasValue) {
            options.warmup = std::max(2, std::atoi(argv[++i]));
            common += " --warmup " + std::to_string(options.warmup);
        } else if (a == "--runs" && hasValue) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--sim-only") {
            options.simOnly = true;
            common += " --sim-only";
        } else if (a == "--only" && hasValue) {
            only = argv[++i];
        } else if (a == "--child" && hasValue) {
            child = argv[++i];
        } else if (a == "--setup" && hasValue) {
            setupName = argv[++i];
        } else if (a == "--scene" && hasValue) {
            options.sceneFile = argv[++i];
        } else if (a == "--screenshot" && hasValue) {
            options.screenshot = argv[++i];
        } else if (a == "--describe" && hasValue) {
            describeFile = argv[++i];
        } else {
            return usage(argv[0]);
        }
    }
    const Setup* setup = setupNamed(setupName);
    if (!setup)
        return usage(argv[0]);
    options.balls = setup->balls;
    options.wireframe = setup->wireframe;
    options.figure = setup->figure;
    options.scale = setup->scale;
    options.finger = setup->finger;
    options.saber = setup->saber;

    if (!describeFile.empty())
        return describe(options, describeFile);
    if (child == "game")
        return runGame(options);
    if (child == "floor")
        return runFloor(options);
    if (!child.empty())
        return usage(argv[0]);

    std::vector<const Setup*> setups;
    if (only.empty()) {
        for (const Setup& s : kSetups)
            setups.push_back(&s);
    } else {
        std::istringstream names(only);
        std::string name;
        while (std::getline(names, name, ','))
            if (const Setup* s = setupNamed(name))
                setups.push_back(s);
            else
                return usage(argv[0]);
    }
    return runAll(setups, common, runs, options.simOnly);
}
