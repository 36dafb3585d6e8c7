#pragma once
// Scripts for the headless runner: plain text, one command a line, `#` starts a comment.
// Commands run at the start of the frame they are given for; frames count from 0.
//
//   at FRAME                     following commands wait for that frame
//   wait SECONDS                 following commands wait that much virtual time
//   touch down ID X Y [TAPCOUNT] touch move ID X Y
//   touch up ID X Y [TAPCOUNT]   touch cancel ID
//   touch move ID X Y ID X Y ... several fingers moving in one event (a pinch)
//   tap X Y [TAPCOUNT]           down and up in the same frame, on a finger of its own
//   accel X Y Z                  one accelerometer sample in g
//   orient N                     device orientation 1 to 4
//   suspend | resume | terminate
//   screenshot FILE | dump FILE
//
// X and Y are view points with the origin top left. A word with spaces goes in double quotes
// ("Back to Game", with \" and \\ inside). Other modules add their own commands through
// ScriptCommands::add before the script is read.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class HeadlessHost;
class HostListener;

// A bad argument; the parser puts "FILE:LINE: " in front.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The words after a command name, taken one at a time. Every getter throws ScriptError with a
// message naming the command and the argument.
class ScriptArgs {
public:
    ScriptArgs(std::string command, std::vector<std::string> words);

    const std::string& command() const { return m_command; }
    bool atEnd() const { return m_next >= m_words.size(); }

    double number(const char* what); // finite
    double number(const char* what, double min, double max);
    std::int64_t integer(const char* what, std::int64_t min, std::int64_t max);
    // An integer when one is left, nothing at the end of the line.
    std::optional<std::int64_t> optionalInteger(const char* what, std::int64_t min, std::int64_t max);
    // One word or one quoted text.
    std::string text(const char* what);
    // Fails when words are left over.
    void finish();

    [[noreturn]] void fail(const std::string& message) const;

private:
    const std::string& next(const char* what);

    std::string m_command;
    std::vector<std::string> m_words;
    std::size_t m_next = 0;
};

// What a command can reach while it runs.
struct ScriptContext {
    ScriptContext(HeadlessHost& host_, HostListener& listener_)
        : host(host_)
        , listener(listener_)
    {
    }

    HeadlessHost& host;
    HostListener& listener;
    int frame = 0; // the frame about to run
    double time = 0; // virtual seconds since the start, at the start of that frame
    double timestamp = 0; // the host's absolute time, for events
    std::function<bool(const std::string& path)> screenshot;
    std::function<bool(const std::string& path)> dump;
    std::function<void()> terminate;
    int failures = 0; // commands that could not do their job (the run then exits non-zero)
};

using ScriptAction = std::function<void(ScriptContext&)>;

// What the parser knows while it reads, so commands can reject impossible sequences early.
struct ScriptParseState {
    double dt = 1.0 / 60.0;
    std::map<std::int64_t, int> touchesDown; // finger id -> tap count
};

class ScriptCommands {
public:
    // Reads a command's arguments and returns what it does when its frame comes.
    using Parser = std::function<ScriptAction(ScriptArgs& args, ScriptParseState& state)>;

    // Adds or replaces a command. Call it before scripts are parsed: from code the runner calls
    // at start-up, not from a static initialiser (a static library may drop such a file).
    static void add(const std::string& name, Parser parser);
    static bool has(const std::string& name);
    static const Parser* find(const std::string& name);

    // The finger `tap` uses, never a valid id for `touch`.
    static constexpr std::int64_t kTapFinger = -1;
};

struct ScriptStep {
    int frame = 0;
    int line = 0;
    std::string text; // the command as written, for messages
    ScriptAction action;
};

class Script {
public:
    // Reads a whole script. On error gives "FILE:LINE: what" and false; nothing has run.
    static bool parse(
        const std::string& source, const std::string& fileName, double dt, Script& out, std::string& error);
    static bool load(const std::string& path, double dt, Script& out, std::string& error);

    const std::vector<ScriptStep>& steps() const { return m_steps; }
    const std::string& fileName() const { return m_fileName; }

    // Runs, in order, every step due at the start of context.frame; returns how many ran. A
    // step that ends the run (terminate) leaves the rest of the frame's steps unrun.
    int runFrame(ScriptContext& context, const std::function<bool()>& stopped = {});
    bool finished() const { return m_next >= m_steps.size(); }

private:
    std::vector<ScriptStep> m_steps;
    std::size_t m_next = 0;
    std::string m_fileName;
};
