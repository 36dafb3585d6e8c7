#include "Tooling/HeadlessRunner.h"

#include "Classes/Random.h"
#include "Engine/Director.h"
#include "Engine/Node.h"
#include "Engine/Support/Exception.h"
#include "Platform/HeadlessHost.h"
#include "Tooling/DumpRegistry.h"
#include "Tooling/NodeDump.h"
#include "Tooling/Script.h"

#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kProgram = "bonzelar-headless";
constexpr int kMaxFrames = 100000000;
// Stored strings are whatever the store held; a dump shows bad UTF-8 as U+FFFD, never throws.
constexpr auto kReplaceBadUtf8 = nlohmann::json::error_handler_t::replace;

bool writeFrameTimes(const std::string& path, const std::vector<double>& times)
{
    std::ofstream out(path);
    for (double ms : times)
        out << ms << '\n';
    out.flush();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", kProgram, path.c_str());
        return false;
    }
    return true;
}

// --- Crashes and hangs ---------------------------------------------------------------------------
// Signal handlers may only use async-signal-safe calls: write(2), no stdio, no allocation.

volatile std::sig_atomic_t s_frame = -1; // the frame being run; -1 before the first

void writeText(const char* text) { (void)!write(STDERR_FILENO, text, std::strlen(text)); }

void writeNumber(long value)
{
    char digits[24];
    int n = 0;
    const bool negative = value < 0;
    unsigned long v = negative ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    do {
        digits[n++] = char('0' + v % 10);
        v /= 10;
    } while (v && n < 22);
    if (negative)
        digits[n++] = '-';
    char text[24];
    for (int i = 0; i < n; ++i)
        text[i] = digits[n - 1 - i];
    text[n] = '\0';
    writeText(text);
}

void writeWhere()
{
    if (s_frame < 0) {
        writeText("before the first frame");
    } else {
        writeText("in frame ");
        writeNumber(s_frame);
    }
}

// One line on the way out: "<program>: <what> (<signal>) <where>", safe in a signal handler.
void reportSignal(const char* what, int signal)
{
    writeText(kProgram);
    writeText(what);
    writeText(strsignal(signal));
    writeText(") ");
    writeWhere();
    writeText("\n");
}

extern "C" void onCrash(int signal)
{
    reportSignal(": crashed (", signal);
    // SA_RESETHAND restored the default action: end by the same signal, for the caller to see.
    raise(signal);
}

// Ours before SDL starts, so SDL leaves them be: its own only queue a quit event, which no one
// reads here, and `timeout` or Ctrl+C could not stop a run.
extern "C" void onStop(int signal)
{
    reportSignal(": stopped (", signal);
    raise(signal);
}

extern "C" void onHang(int)
{
    writeText(kProgram);
    writeText(": no progress for ");
    writeNumber(long(HeadlessRunner::kFrameTimeoutSeconds));
    writeText(" s ");
    writeWhere();
    writeText("; giving up\n");
    _exit(HeadlessRunner::kExitHung);
}

void installCrashHandlers()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onCrash;
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (int signal : { SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT })
        sigaction(signal, &action, nullptr);
    action.sa_handler = onStop;
    for (int signal : { SIGTERM, SIGINT })
        sigaction(signal, &action, nullptr);
    struct sigaction hang;
    std::memset(&hang, 0, sizeof hang);
    hang.sa_handler = onHang;
    sigemptyset(&hang.sa_mask);
    sigaction(SIGALRM, &hang, nullptr);
}

void armWatchdog() { alarm(HeadlessRunner::kFrameTimeoutSeconds); }
void disarmWatchdog() { alarm(0); }

// --- Options -------------------------------------------------------------------------------------

bool parseInteger(const std::string& text, long long min, long long max, long long& out)
{
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || value < min || value > max)
        return false;
    out = value;
    return true;
}

// --- Output files --------------------------------------------------------------------------------

bool writeTextFile(const std::string& path, const std::string& text, std::string& error)
{
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot create " + path;
            return false;
        }
        out << text;
        out.close();
        if (!out) {
            error = "cannot write " + path;
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

std::string makeTemporaryDirectory()
{
    std::string base = "/tmp";
    if (const char* tmp = std::getenv("TMPDIR"); tmp && tmp[0] == '/')
        base = tmp;
    std::string pattern = base + "/bonzelar-headless-XXXXXX";
    if (!mkdtemp(pattern.data()))
        return {};
    return pattern;
}

std::uint32_t seedFromClock()
{
    timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    return std::uint32_t(ts.tv_sec) ^ std::uint32_t(ts.tv_nsec) ^ (std::uint32_t(getpid()) << 16);
}

class Run {
public:
    explicit Run(const HeadlessOptions& options)
        : m_options(options)
    {
    }
    int execute(const HeadlessRunner::Launch& launch);

private:
    bool screenshot(HeadlessHost& host, const std::string& path);
    bool dump(HeadlessHost& host, const std::string& path);

    const HeadlessOptions& m_options;
    int m_failures = 0;
};

bool Run::screenshot(HeadlessHost& host, const std::string& path)
{
    std::string error;
    if (host.saveScreenshot(path, error))
        return true;
    std::fprintf(stderr, "%s: screenshot %s: %s\n", kProgram, path.c_str(), error.c_str());
    return false;
}

bool Run::dump(HeadlessHost& host, const std::string& path)
{
    std::string error;
    if (writeTextFile(
            path, HeadlessRunner::makeDump(host).dump(2, ' ', false, kReplaceBadUtf8) + "\n", error))
        return true;
    std::fprintf(stderr, "%s: dump: %s\n", kProgram, error.c_str());
    return false;
}

int Run::execute(const HeadlessRunner::Launch& launch)
{
    // The script first: a bad one stops the run before anything starts.
    Script script;
    if (!m_options.script.empty()) {
        std::string error;
        if (!Script::load(m_options.script, m_options.dt, script, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return HeadlessRunner::kExitUsage;
        }
        for (const ScriptStep& step : script.steps()) {
            if (step.frame >= m_options.frames) {
                std::fprintf(stderr,
                    "%s:%d: warning: frame %d comes after the last frame (%d); not run from here on\n",
                    script.fileName().c_str(), step.line, step.frame, m_options.frames - 1);
                break;
            }
        }
    }

    const std::uint32_t seed = m_options.seed ? *m_options.seed : seedFromClock();
    Random::seedWith(seed); // seeds srand, and keeps the game from seeding again from the clock
    srandom(seed);

    std::string dataDirectory = m_options.dataDirectory;
    std::error_code ec;
    struct RemoveOnExit {
        std::string dir;
        ~RemoveOnExit()
        {
            std::error_code ignored;
            if (!dir.empty())
                fs::remove_all(dir, ignored);
        }
    } temporary;
    if (dataDirectory.empty()) {
        dataDirectory = makeTemporaryDirectory();
        temporary.dir = dataDirectory;
        if (dataDirectory.empty()) {
            std::fprintf(
                stderr, "%s: cannot create a temporary data directory: %s\n", kProgram, std::strerror(errno));
            return HeadlessRunner::kExitFailed;
        }
    } else if (fs::create_directories(dataDirectory, ec); ec) {
        std::fprintf(
            stderr, "%s: cannot create %s: %s\n", kProgram, dataDirectory.c_str(), ec.message().c_str());
        return HeadlessRunner::kExitFailed;
    }

    int status = HeadlessRunner::kExitOk;
    {
        HeadlessHost::Options hostOptions;
        hostOptions.scale = m_options.scale;
        hostOptions.dt = m_options.dt;
        hostOptions.frames = m_options.frames;
        hostOptions.dataDirectory = fs::absolute(dataDirectory, ec).string();
        HeadlessHost host(hostOptions);
        Host::setCurrent(&host);
        struct Unset {
            ~Unset() { Host::setCurrent(nullptr); }
        } unset;

        armWatchdog();
        HostListener& app = launch();
        host.setListener(&app);

        ScriptContext context(host, app);
        context.screenshot = [this, &host](const std::string& path) { return screenshot(host, path); };
        context.dump = [this, &host](const std::string& path) { return dump(host, path); };
        context.terminate = [&host] { host.requestTermination(); };

        // From one frame's start to the next: the whole frame, drawing included.
        std::vector<double> frameTimes;
        std::optional<std::chrono::steady_clock::time_point> frameStart;
        auto noteFrameTime = [&] {
            const auto now = std::chrono::steady_clock::now();
            if (frameStart && !m_options.frameTimes.empty())
                frameTimes.push_back(std::chrono::duration<double, std::milli>(now - *frameStart).count());
            frameStart = now;
        };
        host.setBeforeFrame([&](int frame) {
            noteFrameTime();
            s_frame = frame;
            armWatchdog();
            context.frame = frame;
            context.time = host.virtualTime();
            context.timestamp = host.absoluteTime();
            script.runFrame(context, [&host] { return host.terminationRequested(); });
        });
        host.setAfterLastFrame([&] {
            noteFrameTime();
            armWatchdog();
            if (!m_options.frameTimes.empty() && !writeFrameTimes(m_options.frameTimes, frameTimes))
                ++m_failures;
            if (!m_options.screenshot.empty() && !screenshot(host, m_options.screenshot))
                ++m_failures;
            if (!m_options.dump.empty() && !dump(host, m_options.dump))
                ++m_failures;
        });
        host.run();
        host.setListener(nullptr);
        disarmWatchdog();
        m_failures += context.failures;
        if (m_failures > 0)
            status = HeadlessRunner::kExitFailed;
    }
    return status;
}

} // namespace

namespace HeadlessRunner {

const char* usage()
{
    return "usage: bonzelar-headless [options]\n"
           "  --data-dir DIR      write every file of the program there (default: a fresh\n"
           "                      temporary folder, removed at the end)\n"
           "  --seed N            seed the random generators with N (default: the clock)\n"
           "  --dt SECONDS        virtual time per frame (default 1/60)\n"
           "  --frames N          frames to run (default 1)\n"
           "  --script FILE       commands to run at given frames\n"
           "  --dump FILE         write the state as JSON after the last frame\n"
           "  --screenshot FILE   write the screen as PNG after the last frame\n"
           "  --scale N           pixels per point, 1 to 4 (default 1)\n"
           "  --frame-times FILE  write each frame's wall-clock time in milliseconds, one a line\n";
}

bool parseOptions(int argc, const char* const* argv, HeadlessOptions& options, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        std::string value;
        bool hasValue = false;
        if (option == "-h" || option == "--help") {
            options.help = true;
            continue;
        }
        if (const std::size_t eq = option.find('='); option.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = option.substr(eq + 1);
            option.resize(eq);
            hasValue = true;
        }
        const bool known = option == "--data-dir" || option == "--seed" || option == "--dt"
            || option == "--frames" || option == "--script" || option == "--dump" || option == "--screenshot"
            || option == "--scale" || option == "--frame-times";
        if (!known) {
            error = "unknown option '" + option + "'";
            return false;
        }
        if (!hasValue) {
            if (i + 1 >= argc) {
                error = option + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        long long number = 0;
        if (option == "--data-dir" || option == "--script" || option == "--dump" || option == "--screenshot"
            || option == "--frame-times") {
            if (value.empty()) {
                error = option + " needs a file name";
                return false;
            }
            (option == "--data-dir"             ? options.dataDirectory
                    : option == "--script"      ? options.script
                    : option == "--dump"        ? options.dump
                    : option == "--frame-times" ? options.frameTimes
                                                : options.screenshot)
                = value;
        } else if (option == "--seed") {
            if (!parseInteger(value, 0, 0xFFFFFFFFll, number)) {
                error = "--seed needs a whole number from 0 to 4294967295, not '" + value + "'";
                return false;
            }
            options.seed = std::uint32_t(number);
        } else if (option == "--frames") {
            if (!parseInteger(value, 0, kMaxFrames, number)) {
                error = "--frames needs a whole number from 0 to " + std::to_string(kMaxFrames) + ", not '"
                    + value + "'";
                return false;
            }
            options.frames = int(number);
        } else if (option == "--scale") {
            if (!parseInteger(value, 1, 4, number)) {
                error = "--scale needs 1, 2, 3 or 4, not '" + value + "'";
                return false;
            }
            options.scale = int(number);
        } else { // --dt
            char* end = nullptr;
            errno = 0;
            const double dt = std::strtod(value.c_str(), &end);
            // Up to one second a frame: longer steps would throw the physics about.
            if (value.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(dt) || dt <= 0 || dt > 1) {
                error = "--dt needs seconds above 0 and at most 1, not '" + value + "'";
                return false;
            }
            options.dt = dt;
        }
    }
    return true;
}

nlohmann::ordered_json makeDump(HeadlessHost& host)
{
    nlohmann::ordered_json root;
    root["frame"] = host.frame();
    root["time"] = host.virtualTime();
    const Scene* scene = Director::sharedDirector()->runningScene();
    root["scene"] = scene ? nlohmann::ordered_json(scene->className()) : nlohmann::ordered_json();
    root["nodes"] = scene
        ? nlohmann::ordered_json::parse(NodeDump::tree(scene).dump(-1, ' ', false, kReplaceBadUtf8))
        : nlohmann::ordered_json();

    // What the program asked of the outside (sounds, web addresses), one section each.
    nlohmann::json sections = host.requests();
    DumpRegistry::writeAll(sections);
    for (auto it = sections.begin(); it != sections.end(); ++it) {
        if (root.contains(it.key())) {
            std::fprintf(stderr, "%s: dump section '%s' would hide the runner's own; left out\n", kProgram,
                it.key().c_str());
            continue;
        }
        root[it.key()] = nlohmann::ordered_json::parse(it.value().dump(-1, ' ', false, kReplaceBadUtf8));
    }
    return root;
}

int main(int argc, const char* const* argv, const Launch& launch, const ReportUncaught& reportUncaught)
{
    installCrashHandlers();
    HeadlessOptions options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "%s: %s\n%s", kProgram, error.c_str(), usage());
        return kExitUsage;
    }
    if (options.help) {
        std::fputs(usage(), stdout);
        return kExitOk;
    }
    try {
        try {
            Run run(options);
            return run.execute(launch);
        } catch (...) {
            if (reportUncaught)
                reportUncaught(std::current_exception());
            throw;
        }
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s: uncaught exception %s: %s %s\n", kProgram, e.name().c_str(),
            e.reason().c_str(),
            s_frame >= 0 ? ("in frame " + std::to_string(s_frame)).c_str() : "before the first frame");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: uncaught exception: %s\n", kProgram, e.what());
    } catch (...) {
        std::fprintf(stderr, "%s: uncaught exception of unknown type\n", kProgram);
    }
    disarmWatchdog();
    return kExitFailed;
}

} // namespace HeadlessRunner
