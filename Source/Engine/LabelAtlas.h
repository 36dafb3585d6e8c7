#pragma once
// A string drawn from a character-map picture: fixed-size cells in character order from
// mapStartChar, one quad per character, one draw call for the whole string.

#include "Engine/AtlasNode.h"

#include <string>

class LabelAtlas : public AtlasNode {
public:
    static Ref<LabelAtlas> labelAtlasWithString(const std::string& string, const std::string& charMapFile,
        int itemWidth, int itemHeight, char startCharMap);
    LabelAtlas() = default;
    const char* className() const override { return "LabelAtlas"; }

    bool initWithString(const std::string& string, const std::string& charMapFile, int itemWidth,
        int itemHeight, char startCharMap);

    void setString(const std::string& string);
    const std::string& string() const { return m_string; }
    char mapStartChar() const { return m_mapStartChar; }

    // Characters below mapStartChar give negative cells, which the clamped texture pins to
    // the map's first row and column.
    void updateAtlasValues() override;
    void draw() override;
    // Adds text.
    void dumpProperties(PropertySink& out) const override;

protected:
    std::string m_string;
    char m_mapStartChar = 0;
};
