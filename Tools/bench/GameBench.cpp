// bonzelar-bench: CPU time per frame of the play, headless, with a fixed step.
//
// For each set-up it runs a fresh game scene for 3,600 frames of 1/60 s and reports the median
// and 99th percentile of: the scheduler tick (the game step and actions), drawing the scene, and
// the whole frame including a GL finish (the software renderer's threads count: process CPU).
//
//     build/bonzelar-bench [--frames N]

#include "Classes/BonzelarAppDelegate.h"
#include "Classes/Configuration.h"
#include "Classes/Game.h"
#include "Classes/Random.h"
#include "Engine/Director.h"
#include "Engine/Scheduler.h"
#include "Platform/HeadlessHost.h"

#include <GLES/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace {

double cpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

struct Stats {
    double median, p99;
};

Stats stats(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    auto at = [&](double q) { return v[static_cast<size_t>(q * static_cast<double>(v.size() - 1))]; };
    return { at(0.5) * 1e3, at(0.99) * 1e3 };
}

struct Setup {
    const char* name;
    int balls;
    bool wireframe;
};

void runSetup(const Setup& setup, int frames)
{
    Configuration* config = Configuration::current();
    config->setNumberOfBalls(setup.balls);
    config->setDrawPersonAsWireframe(setup.wireframe);
    config->setDrawBallsAsWireframe(setup.wireframe);
    Random::seedWith(1);

    Director* director = Director::sharedDirector();
    director->replaceScene(GameScene::node());
    director->mainLoop(); // switch to the new scene

    const float dt = 1.0f / 60.0f;
    std::vector<double> step, draw, whole;
    step.reserve(static_cast<size_t>(frames));
    draw.reserve(static_cast<size_t>(frames));
    whole.reserve(static_cast<size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        const double t0 = cpuSeconds();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        Scheduler::sharedScheduler()->tick(dt);
        const double t1 = cpuSeconds();
        glPushMatrix();
        director->runningScene()->visit();
        glPopMatrix();
        const double t2 = cpuSeconds();
        glFinish();
        const double t3 = cpuSeconds();
        step.push_back(t1 - t0);
        draw.push_back(t2 - t1);
        whole.push_back(t3 - t0);
    }
    const Stats s = stats(step), d = stats(draw), w = stats(whole);
    std::printf("%-22s step %6.3f / %6.3f ms   draw %6.3f / %6.3f ms   frame+finish %6.3f / %6.3f ms\n",
        setup.name, s.median, s.p99, d.median, d.p99, w.median, w.p99);
}

} // namespace

int main(int argc, char** argv)
{
    int frames = 3600;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--frames") == 0 && i + 1 < argc)
            frames = std::max(1, std::atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: %s [--frames N]\n", argv[0]);
            return 2;
        }
    }
    char pattern[] = "/tmp/bonzelar-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) {
        std::perror("mkdtemp");
        return 1;
    }

    HeadlessHost::Options options;
    options.dataDirectory = dir;
    HeadlessHost host(options);
    Host::setCurrent(&host);
    BonzelarAppDelegate app;
    host.setListener(&app);
    app.applicationDidFinishLaunching();
    host.advanceFrame();

    std::printf("%d frames of 1/60 s; median / 99th percentile CPU time\n", frames);
    const Setup setups[]
        = { { "defaults (20 balls)", 20, false }, { "80 balls", 80, false }, { "wireframes", 20, true } };
    for (const Setup& setup : setups)
        runSetup(setup, frames);

    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return 0;
}
