#include "Classes/MainBundle.h"
#include "Platform/Log.h"

#include "Platform/Host.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <optional>

namespace {
std::optional<std::map<std::string, std::string>> s_info;

// Info.json is one flat object of string values; reading that by hand keeps a JSON library
// out of the game. Escapes other than \" and \\ do not occur in it.
bool readQuoted(std::istream& in, std::string& out)
{
    char c = 0;
    if (!(in >> c) || c != '"')
        return false;
    out.clear();
    while (in.get(c)) {
        if (c == '"')
            return true;
        if (c == '\\' && !in.get(c))
            return false;
        out += c;
    }
    return false;
}

bool parseFlatObject(std::istream& in, std::map<std::string, std::string>& out)
{
    char c = 0;
    if (!(in >> c) || c != '{')
        return false;
    if (in >> c && c == '}')
        return true;
    in.unget();
    for (;;) {
        std::string key, value;
        if (!readQuoted(in, key) || !(in >> c) || c != ':' || !readQuoted(in, value))
            return false;
        out[key] = value;
        if (!(in >> c))
            return false;
        if (c == '}')
            return true;
        if (c != ',')
            return false;
    }
}

const std::map<std::string, std::string>& info()
{
    if (s_info)
        return *s_info;
    s_info.emplace();
    std::ifstream in(Host::current().resourcePath("Info.json"));
    std::map<std::string, std::string> parsed;
    if (in && parseFlatObject(in, parsed))
        s_info = std::move(parsed);
    else
        logLine(LogLevel::Warning,
            "Info.json is missing or unreadable in the resources; the bundle version is unknown");
    return *s_info;
}
} // namespace

namespace MainBundle {

std::string infoValue(const std::string& key)
{
    const auto& values = info();
    auto it = values.find(key);
    return it != values.end() ? it->second : std::string();
}

void reload() { s_info.reset(); }

} // namespace MainBundle
