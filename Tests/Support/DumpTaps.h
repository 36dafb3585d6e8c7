#pragma once
// Finding menu items in a headless dump, for end-to-end tests that walk the real pages.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

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
