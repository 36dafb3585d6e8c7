#include "Classes/Analytics.h"

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
    std::fprintf(stderr, "%s\n", "\n\n\nGadroon Exception\n---------------------------");
    std::fprintf(stderr, "%s\n", trace.c_str());
    std::fprintf(stderr, "%s\n", "---------------------------\n\n\n");
    std::fflush(stderr);
}
