#pragma once
// Every console line of the program, from any layer, goes through logLine, so one place decides
// what a player sees. Header only, beside the host interfaces: every layer uses it.
//
// Information goes to standard output, warnings and errors to standard error; debug lines are
// dropped unless the level is lowered (the desktop host reads BONZELAR_LOG=debug).

#include <cstdarg>
#include <cstdio>
#include <functional>
#include <string>

enum class LogLevel { Debug = 0, Info = 1, Warning = 2, Error = 3, Silent = 4 };

namespace LogDetail {
inline LogLevel& threshold()
{
    static LogLevel s_level = LogLevel::Info;
    return s_level;
}
inline std::function<void(LogLevel, const std::string&)>& sink()
{
    static std::function<void(LogLevel, const std::string&)> s_sink;
    return s_sink;
}
} // namespace LogDetail

// Lines below this level are dropped.
inline void setLogLevel(LogLevel level) { LogDetail::threshold() = level; }
inline LogLevel logLevel() { return LogDetail::threshold(); }
inline bool logLevelEnabled(LogLevel level)
{
    return level >= LogDetail::threshold() && level != LogLevel::Silent;
}

// Replaces the console as the destination of the lines that pass the level; an empty function
// restores the console.
inline void setLogSink(std::function<void(LogLevel, const std::string&)> sink)
{
    LogDetail::sink() = std::move(sink);
}

// "debug", "info", "warning", "error", "silent"; false for anything else.
inline bool parseLogLevel(const std::string& name, LogLevel& level)
{
    static const char* const kNames[] = { "debug", "info", "warning", "error", "silent" };
    for (int i = 0; i < 5; ++i)
        if (name == kNames[i]) {
            level = LogLevel(i);
            return true;
        }
    return false;
}

inline void logLineV(LogLevel level, const char* format, va_list args)
{
    if (!logLevelEnabled(level))
        return;
    char small[512];
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(small, sizeof small, format, args);
    std::string line;
    if (n < 0) {
        line = format;
    } else if (static_cast<std::size_t>(n) < sizeof small) {
        line.assign(small, static_cast<std::size_t>(n));
    } else {
        line.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(line.data(), line.size(), format, again);
        line.resize(static_cast<std::size_t>(n));
    }
    va_end(again);
    while (!line.empty() && line.back() == '\n')
        line.pop_back();
    if (LogDetail::sink()) {
        LogDetail::sink()(level, line);
        return;
    }
    std::FILE* out = level == LogLevel::Info ? stdout : stderr;
    std::fprintf(out, "%s\n", line.c_str());
    std::fflush(out);
}

// One console line (a trailing newline is optional), printf style.
#if defined(__GNUC__) || defined(__clang__)
__attribute__((format(printf, 2, 3)))
#endif
inline void
logLine(LogLevel level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    logLineV(level, format, args);
    va_end(args);
}
