#include "Engine/Support/FileUtils.h"

#include "Platform/Host.h"

namespace {

// Position of the extension's dot in the last path component, or npos.
std::string::size_type extensionDot(const std::string& name)
{
    const std::string::size_type slash = name.find_last_of('/');
    const std::string::size_type dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1)
        return std::string::npos;
    return dot;
}

} // namespace

namespace FileUtils {

std::string fullPathFromRelativePath(const std::string& name)
{
    if (name.empty() || name.front() == '/')
        return name;
    // Never the name itself: that would read from whatever the working directory holds.
    return Host::current().resourcePath(name);
}

std::string hiResName(const std::string& name)
{
    const std::string::size_type dot = extensionDot(name);
    if (dot == std::string::npos)
        return name + "@2x";
    return name.substr(0, dot) + "@2x" + name.substr(dot);
}

float scaleOfFileName(const std::string& path)
{
    const std::string::size_type dot = extensionDot(path);
    const std::string stem = dot == std::string::npos ? path : path.substr(0, dot);
    return stem.size() >= 3 && stem.compare(stem.size() - 3, 3, "@2x") == 0 ? 2.0f : 1.0f;
}

ResolvedFile resolvePicture(const std::string& name, bool preferHiRes)
{
    Host& host = Host::current();
    if (preferHiRes && host.pictureScale() > 1 && scaleOfFileName(name) == 1) {
        const std::string hi = host.resourcePath(hiResName(name));
        if (!hi.empty())
            return { hi, 2 };
    }
    const std::string path = fullPathFromRelativePath(name);
    return { path, scaleOfFileName(path) };
}

} // namespace FileUtils
