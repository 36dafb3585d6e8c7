#include "Engine/AtlasNode.h"

#include "Engine/Support/Exception.h"

#include "Engine/Support/TexturedDrawScope.h"

Ref<AtlasNode> AtlasNode::atlasWithTileFile(
    const std::string& tile, int tileWidth, int tileHeight, unsigned itemsToRender)
{
    Ref<AtlasNode> node = make<AtlasNode>();
    node->initWithTileFile(tile, tileWidth, tileHeight, itemsToRender);
    return node;
}

bool AtlasNode::initWithTileFile(
    const std::string& tile, int tileWidth, int tileHeight, unsigned itemsToRender)
{
    m_itemWidth = tileWidth;
    m_itemHeight = tileHeight;
    m_opacity = 255;
    m_color = kWhite;
    m_opacityModifyRGB = false;
    m_blendFunc = kBlendFuncDefault;

    m_textureAtlas = TextureAtlas::textureAtlasWithFile(tile, itemsToRender);
    Texture2D* texture = m_textureAtlas ? m_textureAtlas->texture() : nullptr;
    if (!texture)
        return false;
    if (!texture->hasPremultipliedAlpha())
        m_blendFunc = kBlendFuncStraightAlpha;
    m_opacityModifyRGB = texture->hasPremultipliedAlpha();

    // Cells are measured in the picture's own pixels, so an @2x map steps the same cells.
    const CGSize size = texture->contentSizeInPixels();
    const float pixelW = static_cast<float>(tileWidth) * texture->contentScale();
    const float pixelH = static_cast<float>(tileHeight) * texture->contentScale();
    if (pixelW > 0 && pixelH > 0) {
        m_itemsPerRow = static_cast<int>(size.width / pixelW);
        m_itemsPerColumn = static_cast<int>(size.height / pixelH);
        m_texStepX = pixelW / static_cast<float>(texture->pixelsWide());
        m_texStepY = pixelH / static_cast<float>(texture->pixelsHigh());
    }
    return true;
}

void AtlasNode::updateAtlasValues()
{
    raiseException("AtlasNode:Abstract", "updateAtlasValue not overriden");
}

void AtlasNode::setOpacity(GLubyte opacity)
{
    m_opacity = opacity;
    if (m_opacityModifyRGB)
        m_color = { opacity, opacity, opacity };
}

void AtlasNode::drawAtlas(unsigned n)
{
    const TexturedDrawScope scope(m_color, m_opacity, m_blendFunc);
    if (m_textureAtlas)
        m_textureAtlas->drawNumberOfQuads(n);
}

void AtlasNode::draw() { drawAtlas(m_textureAtlas ? m_textureAtlas->totalQuads() : 0); }

void AtlasNode::dumpProperties(PropertySink& out) const
{
    Node::dumpProperties(out);
    out.set("opacity", m_opacity);
    out.setIntegers("color", { m_color.r, m_color.g, m_color.b });
    if (m_textureAtlas && m_textureAtlas->texture() && !m_textureAtlas->texture()->fileName().empty())
        out.set("texture", m_textureAtlas->texture()->fileName());
}
