#pragma once
// Finds resource files by name: `Resources/` beside the executable first, then the source
// tree's copy the build was made from (so a build runs in place).

#include <string>

namespace ResourceLocator {
// The folder that holds the resources, or "" when none was found.
std::string resourceDirectory();
// Full path of the named file, or "" when it does not exist.
std::string pathFor(const std::string& fileName);
// Overrides the search (tests); "" restores the default.
void setResourceDirectory(const std::string& dir);
} // namespace ResourceLocator
