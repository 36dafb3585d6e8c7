#include "Platform/Host.h"

#include "Engine/Support/Exception.h"

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
