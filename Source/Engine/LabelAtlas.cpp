#include "Engine/LabelAtlas.h"

#include <algorithm>
#include <cstdint>

Ref<LabelAtlas> LabelAtlas::labelAtlasWithString(const std::string& string, const std::string& charMapFile,
    int itemWidth, int itemHeight, char startCharMap)
{
    Ref<LabelAtlas> label = make<LabelAtlas>();
    label->initWithString(string, charMapFile, itemWidth, itemHeight, startCharMap);
    return label;
}

bool LabelAtlas::initWithString(const std::string& string, const std::string& charMapFile, int itemWidth,
    int itemHeight, char startCharMap)
{
    const bool ok
        = initWithTileFile(charMapFile, itemWidth, itemHeight, static_cast<unsigned>(string.size()));
    m_mapStartChar = startCharMap;
    setString(string);
    return ok;
}

void LabelAtlas::setString(const std::string& string)
{
    if (m_textureAtlas && m_textureAtlas->totalQuads() < string.size())
        m_textureAtlas->resizeCapacity(static_cast<unsigned>(string.size()));
    m_string = string;
    updateAtlasValues();
    setContentSize(CGSizeMake(static_cast<float>(string.size()) * static_cast<float>(m_itemWidth),
        static_cast<float>(m_itemHeight)));
}

void LabelAtlas::updateAtlasValues()
{
    // Without a usable map there is nothing to place (and no row width to divide by).
    if (!m_textureAtlas || m_itemsPerRow <= 0)
        return;
    const float w = static_cast<float>(m_itemWidth), h = static_cast<float>(m_itemHeight);
    const unsigned n = std::min<unsigned>(static_cast<unsigned>(m_string.size()), m_textureAtlas->capacity());
    for (unsigned i = 0; i < n; ++i) {
        const int d = static_cast<std::int8_t>(
            static_cast<std::uint8_t>(m_string[i]) - static_cast<std::uint8_t>(m_mapStartChar));
        // Integer division truncates toward zero, so negative cells stay negative.
        const float u = static_cast<float>(d % m_itemsPerRow) * m_texStepX;
        const float v = static_cast<float>(d / m_itemsPerRow) * m_texStepY;
        const float x0 = static_cast<float>(i) * w, x1 = static_cast<float>(i + 1) * w;

        V3F_C4B_T2F_Quad quad;
        quad.tl.vertices = { x0, h, 0 };
        quad.tl.texCoords = { u, v };
        quad.bl.vertices = { x0, 0, 0 };
        quad.bl.texCoords = { u, v + m_texStepY };
        quad.tr.vertices = { x1, h, 0 };
        quad.tr.texCoords = { u + m_texStepX, v };
        quad.br.vertices = { x1, 0, 0 };
        quad.br.texCoords = { u + m_texStepX, v + m_texStepY };
        m_textureAtlas->updateQuad(quad, i);
    }
}

void LabelAtlas::draw() { drawAtlas(static_cast<unsigned>(m_string.size())); }

void LabelAtlas::dumpProperties(PropertySink& out) const
{
    AtlasNode::dumpProperties(out);
    out.set("text", m_string);
}
