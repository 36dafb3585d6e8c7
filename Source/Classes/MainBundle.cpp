#include "Classes/MainBundle.h"
#include "Engine/Support/Log.h"

#include "Platform/Host.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <optional>

namespace {
std::optional<nlohmann::json> s_info;

const nlohmann::json& info()
{
    if (s_info)
        return *s_info;
    s_info = nlohmann::json::object();
    const std::string path = Host::current().resourcePath("Info.json");
    std::ifstream in(path);
    nlohmann::json parsed = in ? nlohmann::json::parse(in, nullptr, false) : nlohmann::json();
    if (parsed.is_object())
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
    const nlohmann::json& values = info();
    auto it = values.find(key);
    return (it != values.end() && it->is_string()) ? it->get<std::string>() : std::string();
}

void reload() { s_info.reset(); }

} // namespace MainBundle
