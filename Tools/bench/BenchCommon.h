#pragma once
// What one measured run of either loop reports, and the clock both use.

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

namespace Bench {

// Process CPU time: every thread counts, the software rasteriser's too.
inline double cpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

inline long peakRssKb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

inline double quantile(std::vector<double> v, double q)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(q * static_cast<double>(v.size() - 1))];
}

// What a child run asks for.
struct RunOptions {
    int balls = 20;
    bool wireframe = false;
    std::string figure = "Nerd";
    int scale = 1;
    bool finger = false; // a finger held on the figure, dragging it in a small circle
    bool saber = false; // the Narwhal's saber switched on
    int warmup = 450; // frames before measuring: past the options hint's fade
    int frames = 600;
    bool simOnly = false;
    std::string sceneFile; // the description the game writes and the bare loop reads
    std::string screenshot; // the game's last frame, to compare pictures across changes
};

// The finger's path: where it is `frame` frames after it went down, relative to the start.
inline void fingerOffset(int frame, float& dx, float& dy)
{
    const float a = static_cast<float>(frame) * 0.15f;
    dx = 12.0f * std::cos(a) - 12.0f;
    dy = 12.0f * std::sin(a);
}

struct Results {
    std::vector<double> frameSeconds, stepSeconds;
    double allocsPerFrame = 0, glCallsPerFrame = 0, drawsPerFrame = 0;
    double firstFrameSeconds = 0;
    double simFramesPerSecond = 0;

    void print() const
    {
        if (simFramesPerSecond > 0) {
            std::printf("sim_fps %.0f\n", simFramesPerSecond);
        } else {
            std::printf("frame_us median %.1f p99 %.1f\n", quantile(frameSeconds, 0.5) * 1e6,
                quantile(frameSeconds, 0.99) * 1e6);
            std::printf("step_us median %.1f p99 %.1f\n", quantile(stepSeconds, 0.5) * 1e6,
                quantile(stepSeconds, 0.99) * 1e6);
            std::printf("allocs_per_frame %.2f\n", allocsPerFrame);
            std::printf("gl_calls_per_frame %.1f draws %.1f\n", glCallsPerFrame, drawsPerFrame);
            std::printf("first_frame_ms %.1f\n", firstFrameSeconds * 1e3);
        }
        std::printf("peak_rss_kb %ld\n", peakRssKb());
        std::fflush(stdout);
    }
};

// The bare loop: the same scene straight on Chipmunk and GL ES 1.1 (Floor.cpp).
int runFloor(const RunOptions& options);

} // namespace Bench
