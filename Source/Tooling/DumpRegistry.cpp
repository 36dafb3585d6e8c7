#include "Tooling/DumpRegistry.h"

std::map<std::string, DumpRegistry::Writer>& DumpRegistry::writers()
{
    static std::map<std::string, Writer> s_writers;
    return s_writers;
}

void DumpRegistry::add(const std::string& section, Writer writer) { writers()[section] = std::move(writer); }

void DumpRegistry::remove(const std::string& section) { writers().erase(section); }

void DumpRegistry::writeAll(nlohmann::json& root)
{
    for (auto& [name, writer] : writers()) {
        nlohmann::json section = nlohmann::json::object();
        writer(section);
        root[name] = std::move(section);
    }
}
