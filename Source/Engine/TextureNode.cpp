#include "Engine/TextureNode.h"

#include "Engine/Sprite.h"
#include "Engine/Support/TexturedDrawScope.h"

#include <cmath>
#include <typeinfo>

namespace {
bool s_quadPathEnabled = false;
} // namespace

Ref<TextureNode> TextureNode::node() { return make<TextureNode>(); }

void TextureNode::setQuadPathEnabled(bool enabled) { s_quadPathEnabled = enabled; }

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

bool TextureNode::drawsNothing() const
{
    if (m_opacity != 0)
        return false;
    // Source alpha is zero; the source colour too when it is weighted by alpha or tinted black.
    const bool noSource = m_blendFunc.src == GL_SRC_ALPHA
        || (m_blendFunc.src == GL_ONE && m_color.r == 0 && m_color.g == 0 && m_color.b == 0);
    const bool keepsDestination = m_blendFunc.dst == GL_ONE_MINUS_SRC_ALPHA || m_blendFunc.dst == GL_ONE;
    return noSource && keepsDestination;
}

void TextureNode::draw()
{
    if (!m_texture || drawsNothing())
        return;
    const TexturedDrawScope scope(m_color, m_opacity, m_blendFunc, m_opaque);
    m_texture->drawAtPoint(CGPointZero);
}

void TextureNode::visit()
{
    if (m_path == Path::Unknown) {
        const std::type_info& type = typeid(*this);
        m_path = type == typeid(Sprite) || type == typeid(TextureNode) ? Path::Quad : Path::General;
    }
    if (m_path != Path::Quad || !s_quadPathEnabled || !m_children.empty() || hasCamera() || m_vertexZ != 0) {
        Node::visit();
        return;
    }
    if (!m_visible || !m_texture || drawsNothing())
        return;

    // The transform Node::transform() would put on the GL matrix, applied to the corners.
    const CGPoint a = m_transformAnchor;
    float c = 1, s = 0;
    if (m_rotation != 0) {
        const double radians = -static_cast<double>(m_rotation) * 3.14159265358979323846 / 180.0;
        c = static_cast<float>(std::cos(radians));
        s = static_cast<float>(std::sin(radians));
    }
    const float tx = m_relativeAnchorPoint ? m_position.x : m_position.x + a.x;
    const float ty = m_relativeAnchorPoint ? m_position.y : m_position.y + a.y;
    const CGSize size = m_texture->contentSize();
    CGPoint corners[4] = { { 0, 0 }, { size.width, 0 }, { 0, size.height }, { size.width, size.height } };
    for (CGPoint& p : corners) {
        const float x = (p.x - a.x) * m_scaleX, y = (p.y - a.y) * m_scaleY;
        p = { c * x - s * y + tx, s * x + c * y + ty };
    }
    const TexturedDrawScope scope(m_color, m_opacity, m_blendFunc, m_opaque);
    m_texture->drawCorners(corners);
}

void TextureNode::dumpProperties(PropertySink& out) const
{
    Node::dumpProperties(out);
    out.set("opacity", m_opacity);
    out.setIntegers("color", { m_color.r, m_color.g, m_color.b });
    if (m_texture && !m_texture->fileName().empty())
        out.set("texture", m_texture->fileName());
}
