#pragma once
// Usage reporting, kept on this machine: session starts and ends and uncaught exceptions are
// appended as JSON lines to a usage log in the data directory. Nothing is sent anywhere.

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

// What is known of an exception that reached the top level.
struct UncaughtException {
    std::string name; // "InternalInconsistencyException", "std::out_of_range", ...
    std::string reason;
    std::vector<std::string> callStack; // innermost frame first
};

class Analytics {
public:
    // The log is moved aside to kOldLogName once it would grow past this; one old file is kept.
    static constexpr std::size_t kMaxLogBytes = 256 * 1024;
    static constexpr std::size_t kPieceLength = 200;
    static constexpr const char* kLogName = "usage.jsonl";
    static constexpr const char* kOldLogName = "usage.jsonl.1";

    static void start();
    static void end();
    static void logException(const UncaughtException& exception);

    // The exception as one text: name and reason, then a line per frame.
    static std::string stackTrace(const UncaughtException& exception);
    // The trace cut front to back into pieces of at most kPieceLength characters (not bytes,
    // so no character is split).
    static std::vector<std::string> tracePieces(const std::string& trace);

    // Appends one record, rotating first when needed; false when it could not be written.
    static bool append(const nlohmann::json& record);
    static std::string logPath();
    static std::string oldLogPath();
    // The last records of the log, oldest first (older file included when the current one is
    // short); lines that do not parse are skipped.
    static std::vector<nlohmann::json> lastRecords(std::size_t count);
};
