#include "Platform/Host.h"

#include "Engine/Support/Exception.h"

#include <chrono>

namespace {
Host* s_current = nullptr;
}

Host& Host::current()
{
    MW_ASSERT(s_current != nullptr, "No host is set. Call Host::setCurrent at start-up.");
    return *s_current;
}

Host* Host::currentOrNull() { return s_current; }

void Host::setCurrent(Host* host) { s_current = host; }

double Host::currentDate()
{
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}
