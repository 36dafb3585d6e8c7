#pragma once
// bonzelar-headless: runs the program on the headless host for a number of frames, driven by
// a script, and writes a screenshot and a JSON dump of the state.
//
//   bonzelar-headless [--data-dir DIR] [--seed N] [--dt SECONDS] [--frames N]
//                     [--script FILE] [--dump FILE] [--screenshot FILE] [--scale N]
//                     [--frame-times FILE]
//
// Exit status: 0 done; 1 the run failed (an exception, a file that could not be written);
// 2 bad options or a bad script (nothing ran); 3 a frame hung; a crash ends the process by
// its signal after a message.

#include "Platform/Host.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>

class HeadlessHost;

struct HeadlessOptions {
    std::string dataDirectory; // "" = a fresh temporary folder, removed at the end
    std::optional<std::uint32_t> seed;
    double dt = 1.0 / 60.0;
    int frames = 1;
    std::string script;
    std::string dump;
    std::string screenshot;
    std::string frameTimes;
    int scale = 1;
    bool help = false;
};

namespace HeadlessRunner {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitHung = 3;
// A frame that takes longer than this is taken for a hang.
inline constexpr unsigned kFrameTimeoutSeconds = 120;

const char* usage();
// False with a message for anything the runner cannot use.
bool parseOptions(int argc, const char* const* argv, HeadlessOptions& options, std::string& error);

// The dump as the runner writes it: frame, time, scene, nodes, then every DumpRegistry section.
nlohmann::ordered_json makeDump(HeadlessHost& host);

// Creates the application, runs its launch sequence, and returns it as the host's listener.
// It is called once the headless host is the current host.
using Launch = std::function<HostListener&()>;

// Hears about an exception that ends the run, before the runner prints it and exits 1.
using ReportUncaught = std::function<void(std::exception_ptr)>;

// The whole program: options, host, script, frames, final screenshot and dump.
int main(int argc, const char* const* argv, const Launch& launch, const ReportUncaught& reportUncaught = {});

} // namespace HeadlessRunner
