#pragma once
// Sections of the headless runner's JSON dump, contributed by whoever owns the state.
//
// The runner writes frame, time and scene itself; every other section ("settings", "game",
// "sounds", ...) registers a writer here, usually from a static initialiser or at start-up:
//     DumpRegistry::add("settings", [](nlohmann::json& out) { out["gravity"] = ...; });
// Writers run in name order, so a dump's layout does not depend on start-up order.

#include <nlohmann/json.hpp>

#include <functional>
#include <map>
#include <string>

class DumpRegistry {
public:
    using Writer = std::function<void(nlohmann::json& section)>;

    // Replaces any writer already registered under the name.
    static void add(const std::string& section, Writer writer);
    static void remove(const std::string& section);
    // Calls every writer; each fills root[section].
    static void writeAll(nlohmann::json& root);

private:
    static std::map<std::string, Writer>& writers();
};
