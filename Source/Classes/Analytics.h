#pragma once
// Usage reporting. The outside services are not part of this build: start and end do nothing
// yet, and an uncaught exception is written to the console.

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
    static void start();
    static void end();
    static void logException(const UncaughtException& exception);

    // The exception as one text: name and reason, then a line per frame.
    static std::string stackTrace(const UncaughtException& exception);
};
