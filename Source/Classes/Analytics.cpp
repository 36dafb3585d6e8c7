#include "Classes/Analytics.h"
#include "Engine/Support/Log.h"

#include <cstdio>

// TODO(usage reporting): start and end the two services once their clients exist.
void Analytics::start() { }

void Analytics::end() { }

std::string Analytics::stackTrace(const UncaughtException& exception)
{
    std::string trace = exception.name + ": " + exception.reason;
    for (size_t i = 0; i < exception.callStack.size(); ++i) {
        char number[32];
        std::snprintf(number, sizeof number, "\n#%-3zu ", i);
        trace += number;
        trace += exception.callStack[i];
    }
    return trace;
}

void Analytics::logException(const UncaughtException& exception)
{
    const std::string trace = stackTrace(exception);
    logLine(LogLevel::Error, "%s", "\n\n\nGadroon Exception\n---------------------------");
    logLine(LogLevel::Error, "%s", trace.c_str());
    logLine(LogLevel::Error, "%s", "---------------------------\n\n\n");
    std::fflush(stderr);
}
