#include "Engine/Support/Exception.h"
#include "Engine/Support/Ref.h"

#include <cstdio>

std::string Object::description() const
{
    char buf[96];
    std::snprintf(buf, sizeof buf, "<%s = %p>", className(), static_cast<const void*>(this));
    return buf;
}

void raiseException(const std::string& name, const std::string& reason) { throw Exception(name, reason); }
