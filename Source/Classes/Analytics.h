#pragma once
// Usage reporting, kept on this machine: session starts and ends and uncaught exceptions are
// appended as JSON lines to a usage log in the data directory. Nothing is sent anywhere.

#include <string>
#include <vector>

// One record of the log: named fields in the order added, written as one JSON object. Texts
// that are not UTF-8 have their bad bytes replaced (U+FFFD), so a trace never costs its record.
class UsageRecord {
public:
    UsageRecord& add(const char* key, const std::string& text);
    UsageRecord& add(const char* key, const char* text) { return add(key, std::string(text)); }
    UsageRecord& add(const char* key, long long number);
    UsageRecord& add(const char* key, int number) { return add(key, static_cast<long long>(number)); }
    // Non-finite numbers are written as null.
    UsageRecord& add(const char* key, double number);
    // The record as its line, without the line break.
    std::string line() const { return "{" + m_fields + "}"; }

private:
    void addKey(const char* key);
    std::string m_fields;
};

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
    static bool append(const UsageRecord& record);
    static std::string logPath();
    static std::string oldLogPath();
    // The last records of the log as their lines, oldest first (older file included when the
    // current one is short); lines cut short (a write that never finished) are skipped.
    static std::vector<std::string> lastRecords(std::size_t count);
};
