#include "Engine/TextureNode.h"

#include "Engine/Support/TexturedDrawScope.h"

Ref<TextureNode> TextureNode::node() { return make<TextureNode>(); }

TextureNode::TextureNode() { setAnchorPoint(CGPointMake(0.5f, 0.5f)); }

void TextureNode::setTexture(Texture2D* texture)
{
    m_texture = texture;
    setContentSize(texture ? texture->contentSize() : CGSizeZero);
    if (!texture)
        return;
    if (!texture->hasPremultipliedAlpha())
        m_blendFunc = kBlendFuncStraightAlpha;
    m_opacityModifyRGB = texture->hasPremultipliedAlpha();
}

void TextureNode::setOpacity(GLubyte opacity)
{
    m_opacity = opacity;
    // Premultiplied colour must shrink with alpha, or fading sprites brighten at the edges.
    if (m_opacityModifyRGB)
        m_color = { opacity, opacity, opacity };
}

void TextureNode::draw()
{
    const TexturedDrawScope scope(m_color, m_opacity, m_blendFunc);
    if (m_texture)
        m_texture->drawAtPoint(CGPointZero);
}

void TextureNode::dumpProperties(PropertySink& out) const
{
    Node::dumpProperties(out);
    out.set("opacity", m_opacity);
    out.setIntegers("color", { m_color.r, m_color.g, m_color.b });
    if (m_texture && !m_texture->fileName().empty())
        out.set("texture", m_texture->fileName());
}
