#pragma once
// The scene both loops draw, as plain data: the game writes it from the figure it built, the
// bare loop reads it and builds the same bodies, shapes, joints and pictures by hand. A text
// file keeps the bare loop free of anything of the engine's.

#include <cstdio>
#include <string>
#include <vector>

struct SceneDescription {
    struct Picture {
        std::string path; // the file actually loaded (the sharp one on a scaled surface)
        float width = 0, height = 0; // points
    };
    struct Body {
        double mass, moment, x, y, angle;
    };
    struct Shape {
        int body;
        bool circle;
        double radius; // circle radius, or the polygon's rounding
        std::vector<double> points; // circle: offset x, y; polygon: x, y pairs
        double elasticity, friction;
    };
    struct Joint {
        char kind; // 'p' pivot, 'g' groove, 'r' rotary limit
        int a, b; // body indices, -1 for the space's static body
        double v[6];
    };
    struct Sprite {
        Picture picture;
        int body;
        float anchorX, anchorY; // fraction of the picture
    };

    int balls = 20;
    bool wireframe = false;
    Picture background, ball;
    std::vector<Body> bodies;
    std::vector<Shape> shapes;
    std::vector<Joint> joints;
    std::vector<Sprite> sprites;
    int mainBody = 0;
    float gravity = 150, damping = 1;

    bool write(const std::string& file) const
    {
        FILE* f = std::fopen(file.c_str(), "w");
        if (!f)
            return false;
        std::fprintf(f, "set %d %d %d %g %g\n", balls, wireframe ? 1 : 0, mainBody, gravity, damping);
        std::fprintf(
            f, "background %g %g %s\n", background.width, background.height, background.path.c_str());
        std::fprintf(f, "ball %g %g %s\n", ball.width, ball.height, ball.path.c_str());
        for (const Body& b : bodies)
            std::fprintf(f, "body %.17g %.17g %.17g %.17g %.17g\n", b.mass, b.moment, b.x, b.y, b.angle);
        for (const Shape& s : shapes) {
            std::fprintf(f, "shape %d %d %.17g %.17g %.17g %zu", s.body, s.circle ? 1 : 0, s.radius,
                s.elasticity, s.friction, s.points.size());
            for (double p : s.points)
                std::fprintf(f, " %.17g", p);
            std::fprintf(f, "\n");
        }
        for (const Joint& j : joints)
            std::fprintf(f, "joint %c %d %d %.17g %.17g %.17g %.17g %.17g %.17g\n", j.kind, j.a, j.b, j.v[0],
                j.v[1], j.v[2], j.v[3], j.v[4], j.v[5]);
        for (const Sprite& s : sprites)
            std::fprintf(f, "sprite %d %g %g %g %g %s\n", s.body, s.anchorX, s.anchorY, s.picture.width,
                s.picture.height, s.picture.path.c_str());
        return std::fclose(f) == 0;
    }

    bool read(const std::string& file)
    {
        FILE* f = std::fopen(file.c_str(), "r");
        if (!f)
            return false;
        char kind[16];
        char path[4096];
        bool ok = true;
        while (ok && std::fscanf(f, "%15s", kind) == 1) {
            const std::string k = kind;
            if (k == "set") {
                int w = 0;
                ok = std::fscanf(f, "%d %d %d %g %g", &balls, &w, &mainBody, &gravity, &damping) == 5;
                wireframe = w != 0;
            } else if (k == "background" || k == "ball") {
                Picture& p = k == "ball" ? ball : background;
                ok = std::fscanf(f, "%g %g %4095s", &p.width, &p.height, path) == 3;
                p.path = path;
            } else if (k == "body") {
                Body b {};
                ok = std::fscanf(f, "%lg %lg %lg %lg %lg", &b.mass, &b.moment, &b.x, &b.y, &b.angle) == 5;
                bodies.push_back(b);
            } else if (k == "shape") {
                Shape s {};
                int circle = 0;
                std::size_t n = 0;
                ok = std::fscanf(f, "%d %d %lg %lg %lg %zu", &s.body, &circle, &s.radius, &s.elasticity,
                         &s.friction, &n)
                    == 6;
                s.circle = circle != 0;
                s.points.resize(ok ? n : 0);
                for (double& p : s.points)
                    ok = ok && std::fscanf(f, "%lg", &p) == 1;
                shapes.push_back(std::move(s));
            } else if (k == "joint") {
                Joint j {};
                ok = std::fscanf(f, " %c %d %d %lg %lg %lg %lg %lg %lg", &j.kind, &j.a, &j.b, &j.v[0],
                         &j.v[1], &j.v[2], &j.v[3], &j.v[4], &j.v[5])
                    == 9;
                joints.push_back(j);
            } else if (k == "sprite") {
                Sprite s {};
                ok = std::fscanf(f, "%d %g %g %g %g %4095s", &s.body, &s.anchorX, &s.anchorY,
                         &s.picture.width, &s.picture.height, path)
                    == 6;
                s.picture.path = path;
                sprites.push_back(s);
            } else {
                ok = false;
            }
        }
        std::fclose(f);
        return ok;
    }
};
