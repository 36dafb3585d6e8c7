#pragma once
// A node that draws cells of a tile picture through a texture atlas; subclasses decide
// which cell goes where (updateAtlasValues).

#include "Engine/Node.h"
#include "Engine/Support/Color.h"
#include "Engine/TextureAtlas.h"

#include <string>

class AtlasNode : public Node, public RGBAProtocol {
public:
    static Ref<AtlasNode> atlasWithTileFile(
        const std::string& tile, int tileWidth, int tileHeight, unsigned itemsToRender);
    AtlasNode() = default;
    const char* className() const override { return "AtlasNode"; }

    // Tile sizes are in points. False when the tile picture cannot be loaded; the node then
    // draws nothing.
    bool initWithTileFile(const std::string& tile, int tileWidth, int tileHeight, unsigned itemsToRender);

    // Raises "AtlasNode:Abstract"; subclasses fill the atlas's quads.
    virtual void updateAtlasValues();

    GLubyte opacity() const override { return m_opacity; }
    void setOpacity(GLubyte opacity) override;
    Color3B color() const override { return m_color; }
    void setColor(Color3B color) override { m_color = color; }
    bool doesOpacityModifyRGB() const override { return m_opacityModifyRGB; }
    void setOpacityModifyRGB(bool modify) override { m_opacityModifyRGB = modify; }
    BlendFunc blendFunc() const { return m_blendFunc; }
    void setBlendFunc(BlendFunc blendFunc) { m_blendFunc = blendFunc; }

    TextureAtlas* textureAtlas() const { return m_textureAtlas.get(); }
    int itemsPerRow() const { return m_itemsPerRow; }
    int itemsPerColumn() const { return m_itemsPerColumn; }
    float texStepX() const { return m_texStepX; }
    float texStepY() const { return m_texStepY; }
    int itemWidth() const { return m_itemWidth; }
    int itemHeight() const { return m_itemHeight; }

    void draw() override;
    bool drawsInTexturedState() const override { return true; }
    void dumpProperties(PropertySink& out) const override;

protected:
    // Draws the first n quads with the node's colour, opacity and blend function.
    void drawAtlas(unsigned n);

    Ref<TextureAtlas> m_textureAtlas;
    int m_itemsPerRow = 0, m_itemsPerColumn = 0;
    float m_texStepX = 0, m_texStepY = 0;
    int m_itemWidth = 0, m_itemHeight = 0;
    BlendFunc m_blendFunc = kBlendFuncDefault;
    GLubyte m_opacity = 255;
    Color3B m_color = kWhite;
    bool m_opacityModifyRGB = false;
};
