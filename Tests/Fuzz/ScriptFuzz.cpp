// The headless script parser on arbitrary text: it must refuse or accept, never crash or hang.
#include "Tooling/Script.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Script script;
    std::string error;
    (void)Script::parse(
        std::string(reinterpret_cast<const char*>(data), size), "fuzz.txt", 1.0 / 60, script, error);
    return 0;
}
