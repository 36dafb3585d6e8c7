#include "Tooling/Script.h"

#include "Platform/Host.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <system_error>

// --- Arguments --------------------------------------------------------------------------------

ScriptArgs::ScriptArgs(std::string command, std::vector<std::string> words)
    : m_command(std::move(command))
    , m_words(std::move(words))
{
}

void ScriptArgs::fail(const std::string& message) const { throw ScriptError(m_command + ": " + message); }

const std::string& ScriptArgs::next(const char* what)
{
    if (atEnd())
        fail(std::string("missing ") + what);
    return m_words[m_next++];
}

double ScriptArgs::number(const char* what)
{
    const std::string& word = next(what);
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(word.c_str(), &end);
    if (word.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(value))
        fail(std::string(what) + " must be a number, not '" + word + "'");
    return value;
}

double ScriptArgs::number(const char* what, double min, double max)
{
    const double value = number(what);
    if (value < min || value > max) {
        char range[96];
        std::snprintf(range, sizeof range, " must be from %g to %g, not %g", min, max, value);
        fail(what + std::string(range));
    }
    return value;
}

std::int64_t ScriptArgs::integer(const char* what, std::int64_t min, std::int64_t max)
{
    const std::string& word = next(what);
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || errno == ERANGE)
        fail(std::string(what) + " must be a whole number, not '" + word + "'");
    if (value < min || value > max)
        fail(std::string(what) + " must be from " + std::to_string(min) + " to " + std::to_string(max)
            + ", not " + word);
    return value;
}

std::optional<std::int64_t> ScriptArgs::optionalInteger(const char* what, std::int64_t min, std::int64_t max)
{
    if (atEnd())
        return std::nullopt;
    return integer(what, min, max);
}

std::string ScriptArgs::text(const char* what) { return next(what); }

void ScriptArgs::finish()
{
    if (!atEnd())
        fail("unexpected '" + m_words[m_next] + "'");
}

// --- Built-in commands --------------------------------------------------------------------------

namespace {

// Any point a finger could reach, with room for drags past the edges; keeps the physics finite.
constexpr double kMaxCoordinate = 10000;
// Far beyond any phone sensor; the game's filters stay finite.
constexpr double kMaxAcceleration = 100;
constexpr std::int64_t kMaxTapCount = 100;
constexpr std::int64_t kMaxFinger = std::numeric_limits<std::int32_t>::max();

ScriptAction touchAction(HostTouchPhase phase, std::int64_t id, double x, double y, int tapCount)
{
    return [=](ScriptContext& c) {
        HostTouchPoint point;
        point.id = id;
        point.x = float(x);
        point.y = float(y);
        point.tapCount = tapCount;
        c.listener.hostTouches(phase, { point }, c.timestamp);
    };
}

ScriptAction parseTouch(ScriptArgs& args, ScriptParseState& state)
{
    const std::string phase = args.text("phase (down, move, up or cancel)");
    const std::int64_t id = args.integer("ID", 0, kMaxFinger);
    const auto down = state.touchesDown.find(id);
    const bool isDown = down != state.touchesDown.end();
    const std::string name = "touch " + std::to_string(id);

    if (phase == "cancel") {
        args.finish();
        if (!isDown)
            args.fail(name + " is not down");
        state.touchesDown.erase(down);
        return touchAction(HostTouchPhase::Cancelled, id, 0, 0, 1);
    }
    if (phase != "down" && phase != "move" && phase != "up")
        args.fail("unknown phase '" + phase + "' (down, move, up or cancel)");
    const double x = args.number("X", -kMaxCoordinate, kMaxCoordinate);
    const double y = args.number("Y", -kMaxCoordinate, kMaxCoordinate);

    if (phase == "down") {
        const int taps = int(args.optionalInteger("TAPCOUNT", 1, kMaxTapCount).value_or(1));
        args.finish();
        if (isDown)
            args.fail(name + " is already down");
        state.touchesDown[id] = taps;
        return touchAction(HostTouchPhase::Began, id, x, y, taps);
    }
    if (!isDown)
        args.fail(name + " is not down");
    if (phase == "move") {
        // More fingers on the line move in the same event, as two fingers of a pinch do.
        std::vector<HostTouchPoint> points { { id, float(x), float(y), down->second } };
        while (!args.atEnd()) {
            const std::int64_t other = args.integer("ID", 0, kMaxFinger);
            const auto otherDown = state.touchesDown.find(other);
            if (otherDown == state.touchesDown.end())
                args.fail("touch " + std::to_string(other) + " is not down");
            const double ox = args.number("X", -kMaxCoordinate, kMaxCoordinate);
            const double oy = args.number("Y", -kMaxCoordinate, kMaxCoordinate);
            points.push_back({ other, float(ox), float(oy), otherDown->second });
        }
        return [points](
                   ScriptContext& c) { c.listener.hostTouches(HostTouchPhase::Moved, points, c.timestamp); };
    }
    const int taps = int(args.optionalInteger("TAPCOUNT", 1, kMaxTapCount).value_or(down->second));
    args.finish();
    state.touchesDown.erase(down);
    return touchAction(HostTouchPhase::Ended, id, x, y, taps);
}

ScriptAction parseTap(ScriptArgs& args, ScriptParseState&)
{
    const double x = args.number("X", -kMaxCoordinate, kMaxCoordinate);
    const double y = args.number("Y", -kMaxCoordinate, kMaxCoordinate);
    const int taps = int(args.optionalInteger("TAPCOUNT", 1, kMaxTapCount).value_or(1));
    args.finish();
    ScriptAction began = touchAction(HostTouchPhase::Began, ScriptCommands::kTapFinger, x, y, taps);
    ScriptAction ended = touchAction(HostTouchPhase::Ended, ScriptCommands::kTapFinger, x, y, taps);
    return [began, ended](ScriptContext& c) {
        began(c);
        ended(c);
    };
}

ScriptAction parseAccel(ScriptArgs& args, ScriptParseState&)
{
    const double x = args.number("X", -kMaxAcceleration, kMaxAcceleration);
    const double y = args.number("Y", -kMaxAcceleration, kMaxAcceleration);
    const double z = args.number("Z", -kMaxAcceleration, kMaxAcceleration);
    args.finish();
    return [=](ScriptContext& c) { c.listener.hostAcceleration(x, y, z, c.timestamp); };
}

ScriptAction parseOrient(ScriptArgs& args, ScriptParseState&)
{
    const int orientation = int(args.integer("N", 1, 4));
    args.finish();
    return [=](ScriptContext& c) { c.listener.hostOrientationChanged(orientation); };
}

ScriptCommands::Parser noArguments(void (*run)(ScriptContext&))
{
    return [run](ScriptArgs& args, ScriptParseState&) -> ScriptAction {
        args.finish();
        return run;
    };
}

ScriptCommands::Parser withFile(bool (*run)(ScriptContext&, const std::string&), const char* verb)
{
    return [run, verb](ScriptArgs& args, ScriptParseState&) -> ScriptAction {
        const std::string path = args.text("FILE");
        args.finish();
        if (path.empty())
            args.fail("FILE must not be empty");
        return [run, verb, path](ScriptContext& c) {
            if (!run(c, path)) {
                std::fprintf(
                    stderr, "bonzelar-headless: frame %d: could not %s %s\n", c.frame, verb, path.c_str());
                ++c.failures;
            }
        };
    };
}

std::map<std::string, ScriptCommands::Parser>& table()
{
    static std::map<std::string, ScriptCommands::Parser> s_table = [] {
        std::map<std::string, ScriptCommands::Parser> t;
        t["touch"] = parseTouch;
        t["tap"] = parseTap;
        t["accel"] = parseAccel;
        t["orient"] = parseOrient;
        t["suspend"] = noArguments([](ScriptContext& c) { c.listener.hostWillResignActive(); });
        t["resume"] = noArguments([](ScriptContext& c) { c.listener.hostDidBecomeActive(); });
        t["terminate"] = noArguments([](ScriptContext& c) { c.terminate(); });
        t["screenshot"] = withFile(
            [](ScriptContext& c, const std::string& p) { return c.screenshot(p); }, "write the screenshot");
        t["dump"]
            = withFile([](ScriptContext& c, const std::string& p) { return c.dump(p); }, "write the dump");
        return t;
    }();
    return s_table;
}

// Splits a line into words; quoted text is one word. Returns false for an open quote or a NUL.
bool splitWords(const std::string& line, std::vector<std::string>& words, std::string& error)
{
    // A NUL would cut a file name short where the OS reads it.
    if (line.find('\0') != std::string::npos) {
        error = "NUL byte in the line";
        return false;
    }
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
            continue;
        }
        if (c == '#')
            break;
        std::string word;
        if (c == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char d = line[i++];
                if (d == '\\' && i < line.size()) {
                    word += line[i++];
                } else if (d == '"') {
                    closed = true;
                    break;
                } else {
                    word += d;
                }
            }
            if (!closed) {
                error = "unterminated quoted text";
                return false;
            }
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '#')
                word += line[i++];
        }
        words.push_back(std::move(word));
    }
    return true;
}

} // namespace

void ScriptCommands::add(const std::string& name, Parser parser) { table()[name] = std::move(parser); }

bool ScriptCommands::has(const std::string& name) { return find(name) != nullptr; }

const ScriptCommands::Parser* ScriptCommands::find(const std::string& name)
{
    auto& t = table();
    auto it = t.find(name);
    return it == t.end() ? nullptr : &it->second;
}

// --- Script ---------------------------------------------------------------------------------------

bool Script::parse(
    const std::string& source, const std::string& fileName, double dt, Script& out, std::string& error)
{
    Script script;
    script.m_fileName = fileName;
    ScriptParseState state;
    state.dt = dt;
    // Where the next command goes, in frames (fractional while waits add up).
    double cursor = 0;

    std::istringstream lines(source);
    std::string line;
    int lineNumber = 0;
    auto where = [&] { return fileName + ":" + std::to_string(lineNumber) + ": "; };
    while (std::getline(lines, line)) {
        ++lineNumber;
        std::vector<std::string> words;
        std::string splitError;
        if (!splitWords(line, words, splitError)) {
            error = where() + splitError;
            return false;
        }
        if (words.empty())
            continue;
        const std::string name = words.front();
        ScriptArgs args(name, std::vector<std::string>(words.begin() + 1, words.end()));
        try {
            if (name == "at") {
                const std::int64_t frame = args.integer("FRAME", 0, std::numeric_limits<std::int32_t>::max());
                args.finish();
                const int reached = int(std::ceil(cursor - 1e-6));
                if (frame < reached)
                    args.fail("frame " + std::to_string(frame) + " is before frame " + std::to_string(reached)
                        + ", which the lines above already reach");
                cursor = double(frame);
                continue;
            }
            if (name == "wait") {
                const double seconds = args.number("SECONDS", 0, 1e6);
                args.finish();
                cursor += seconds / dt;
                if (cursor > double(std::numeric_limits<std::int32_t>::max()))
                    args.fail("waits past the last frame the runner can count");
                continue;
            }
            const ScriptCommands::Parser* parser = ScriptCommands::find(name);
            if (!parser) {
                error = where() + "unknown command '" + name + "'";
                return false;
            }
            ScriptStep step;
            step.action = (*parser)(args, state);
            // A little slack, so "wait 0.5" at 1/60 s lands on frame 30 despite rounding.
            step.frame = int(std::ceil(cursor - 1e-6));
            step.line = lineNumber;
            step.text = line;
            script.m_steps.push_back(std::move(step));
        } catch (const ScriptError& e) {
            error = where() + e.what();
            return false;
        }
    }
    out = std::move(script);
    return true;
}

bool Script::load(const std::string& path, double dt, Script& out, std::string& error)
{
    std::error_code ec;
    std::ifstream in;
    if (std::filesystem::is_regular_file(path, ec))
        in.open(path, std::ios::binary);
    if (!in.is_open()) {
        error = path + ": cannot read the script";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        error = path + ": cannot read the script";
        return false;
    }
    return parse(text.str(), path, dt, out, error);
}

int Script::runFrame(ScriptContext& context, const std::function<bool()>& stopped)
{
    int ran = 0;
    while (m_next < m_steps.size() && m_steps[m_next].frame <= context.frame) {
        if (stopped && stopped())
            break;
        ScriptStep& step = m_steps[m_next++];
        step.action(context);
        ++ran;
    }
    return ran;
}
