#include "Platform/ResourceLocator.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {
std::string s_override;

std::string executableDirectory()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

std::string findDirectory()
{
    std::error_code ec;
    const std::string exeDir = executableDirectory();
    if (!exeDir.empty()) {
        for (const fs::path& candidate :
            { fs::path(exeDir) / "Resources", fs::path(exeDir) / ".." / "Resources",
                fs::path(exeDir) / ".." / "share" / "bonzelar" / "Resources" }) {
            if (fs::is_directory(candidate, ec))
                return fs::weakly_canonical(candidate, ec).string();
        }
    }
#ifdef BONZELAR_SOURCE_RESOURCES
    if (fs::is_directory(BONZELAR_SOURCE_RESOURCES, ec))
        return BONZELAR_SOURCE_RESOURCES;
#endif
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
