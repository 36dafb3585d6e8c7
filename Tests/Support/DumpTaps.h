#pragma once
// Finding menu items in a headless dump, for end-to-end tests that walk the real pages.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

inline const nlohmann::json* findTappable(const nlohmann::json& node, const std::string& text)
{
    if (node.is_object() && node.contains("tapPoint") && node.value("text", "") == text)
        return &node;
    if (node.is_object() || node.is_array())
        for (const auto& child : node)
            if (const nlohmann::json* found = findTappable(child, text))
                return found;
    return nullptr;
}

// "tap X Y" for the item with that text in the dump, then a second for the page to settle.
inline std::string tapOn(const nlohmann::json& dump, const std::string& text)
{
    const nlohmann::json* found = findTappable(dump["nodes"], text);
    if (!found) {
        ADD_FAILURE() << "no item \"" << text << "\" on " << dump["scene"];
        return "";
    }
    const nlohmann::json& p = (*found)["tapPoint"];
    return "tap " + std::to_string(p[0].get<float>()) + " " + std::to_string(p[1].get<float>())
        + "\nwait 1\n";
}

inline std::string readText(const std::filesystem::path& file)
{
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs the headless program for `frames` with its data in dir/data: a double tap opens the
// options, then `script`. Returns the dump it ends with; its output is left in dir/out.
inline nlohmann::json playFromOptions(const std::filesystem::path& dir, const std::string& script, int frames)
{
    std::ofstream(dir / "script.txt") << "at 30\ntap 160 240 2\nwait 1\n"
                                      << script << "dump " << (dir / "dump.json").string() << "\n";
    const std::string command = std::string(BONZELAR_HEADLESS_EXE) + " --data-dir '" + (dir / "data").string()
        + "' --frames " + std::to_string(frames) + " --script '" + (dir / "script.txt").string() + "' > '"
        + (dir / "out").string() + "' 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << readText(dir / "out");
    return nlohmann::json::parse(readText(dir / "dump.json"), nullptr, false);
}
