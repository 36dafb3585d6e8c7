#pragma once
// Resource lookup by name, with the sharper @2x picture preferred on scaled surfaces.

#include <string>

namespace FileUtils {

struct ResolvedFile {
    std::string path;
    float scale = 1; // pixels per point of the picture in that file
};

// "/..." names are used unchanged; others are looked up among the resources only ("" when
// there is no such resource).
std::string fullPathFromRelativePath(const std::string& name);

// With preferHiRes, and a surface scaled 2x or more, "Name@2x.ext" beside "Name.ext" wins
// when it exists.
ResolvedFile resolvePicture(const std::string& name, bool preferHiRes = true);

// "dir/Name.png" -> "dir/Name@2x.png"; a name without extension gets the suffix at its end.
std::string hiResName(const std::string& name);
// 2 for a file whose name (before the extension) ends in "@2x", else 1.
float scaleOfFileName(const std::string& path);

} // namespace FileUtils
