#pragma once
// The application's own description (name, version), kept in `Resources/Info.json` so there
// is one place to change it for a release.

#include <string>

namespace MainBundle {
// The string under the key ("CFBundleVersion", "CFBundleName"), or "" when there is none.
std::string infoValue(const std::string& key);
// Forgets what was read, so the next call reads the file again (tests, a changed resource folder).
void reload();
} // namespace MainBundle
