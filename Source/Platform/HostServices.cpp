// The host services every POSIX host shares.

#include "Platform/Host.h"

#include <cxxabi.h>
#include <execinfo.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>

double HostClock::currentDate()
{
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

bool HostFiles::makeDirectory(const std::string& path, int mode)
{
    if (path.empty())
        return false;
    struct stat info { };
    if (::stat(path.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    // Parents first, with the same mode: mkdir alone fails when a parent is missing.
    const std::string::size_type slash = path.find_last_of('/', path.size() - 2);
    if (slash != std::string::npos && slash > 0)
        makeDirectory(path.substr(0, slash), mode);
    if (::mkdir(path.c_str(), static_cast<mode_t>(mode)) == 0 || errno == EEXIST)
        return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    return false;
}

namespace {
// "binary(_ZN3Foo3barEv+0x1c) [0x55d0]" -> "binary(Foo::bar()+0x1c) [0x55d0]".
std::string demangleFrame(const char* frame)
{
    std::string line = frame;
    const auto open = line.find('(');
    const auto plus = line.find('+', open == std::string::npos ? 0 : open);
    if (open == std::string::npos || plus == std::string::npos || plus <= open + 1)
        return line;
    const std::string mangled = line.substr(open + 1, plus - open - 1);
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> readable(
        abi::__cxa_demangle(mangled.c_str(), nullptr, nullptr, &status), std::free);
    if (status != 0 || !readable)
        return line;
    return line.substr(0, open + 1) + readable.get() + line.substr(plus);
}
} // namespace

std::vector<std::string> HostShell::callStack()
{
    void* frames[64];
    const int count = ::backtrace(frames, 64);
    std::vector<std::string> lines;
    std::unique_ptr<char*, void (*)(void*)> symbols(::backtrace_symbols(frames, count), std::free);
    // Frame 0 is this function.
    for (int i = 1; i < count; ++i)
        lines.push_back(symbols ? demangleFrame(symbols.get()[i]) : std::string("?"));
    return lines;
}
