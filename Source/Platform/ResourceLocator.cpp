#include "Platform/ResourceLocator.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {
std::string s_override;

std::string executableDirectory()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

// Beside the program (a build folder links the source tree's there), or where the install put
// them relative to the program; never a path of the machine the program was built on.
std::string findDirectory()
{
    std::error_code ec;
    const std::string exeDir = executableDirectory();
    if (exeDir.empty())
        return {};
    std::vector<fs::path> candidates { fs::path(exeDir) / "Resources" };
#ifdef BONZELAR_INSTALLED_RESOURCES
    candidates.push_back(fs::path(exeDir) / BONZELAR_INSTALLED_RESOURCES);
#endif
    for (const fs::path& candidate : candidates)
        if (fs::is_directory(candidate, ec))
            return fs::weakly_canonical(candidate, ec).string();
    return {};
}
} // namespace

namespace ResourceLocator {

std::string resourceDirectory()
{
    if (!s_override.empty())
        return s_override;
    static const std::string dir = findDirectory();
    return dir;
}

std::string pathFor(const std::string& fileName)
{
    if (fileName.empty())
        return {};
    std::error_code ec;
    if (fileName.front() == '/')
        return fs::is_regular_file(fileName, ec) ? fileName : std::string();
    const std::string dir = resourceDirectory();
    if (dir.empty())
        return {};
    const fs::path p = fs::path(dir) / fileName;
    return fs::is_regular_file(p, ec) ? p.string() : std::string();
}

void setResourceDirectory(const std::string& dir) { s_override = dir; }

} // namespace ResourceLocator
