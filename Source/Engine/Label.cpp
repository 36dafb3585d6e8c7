#include "Engine/Label.h"

#include "Engine/Support/Exception.h"

Ref<Label> Label::labelWithString(const std::string& string, CGSize dimensions, UITextAlignment alignment,
    const std::string& fontName, float fontSize)
{
    Ref<Label> label(new Label);
    label->initWithString(string, dimensions, alignment, fontName, fontSize);
    return label;
}

Ref<Label> Label::labelWithString(const std::string& string, const std::string& fontName, float fontSize)
{
    Ref<Label> label(new Label);
    label->initWithString(string, fontName, fontSize);
    return label;
}

Ref<Label> Label::node()
{
    raiseException("LabelInit", "Use initWithString:dimensions:aligment:fontName:font instead");
}

void Label::initWithString(const std::string& string, CGSize dimensions, UITextAlignment alignment,
    const std::string& fontName, float fontSize)
{
    m_dimensions = dimensions;
    m_alignment = alignment;
    m_fontName = fontName;
    m_fontSize = fontSize;
    setString(string);
}

void Label::initWithString(const std::string& string, const std::string& fontName, float fontSize)
{
    initWithString(string, CGSizeZero, UITextAlignmentCenter, fontName, fontSize);
}

void Label::setString(const std::string& string)
{
    m_string = string;
    Ref<Texture2D> texture = CGSizeEqualToSize(m_dimensions, CGSizeZero)
        ? Texture2D::textureWithString(string, m_fontName, m_fontSize)
        : Texture2D::textureWithString(string, m_dimensions, m_alignment, m_fontName, m_fontSize);
    setTexture(texture);
}

void Label::dumpProperties(PropertySink& out) const
{
    TextureNode::dumpProperties(out);
    out.set("text", m_string);
    out.set("fontName", m_fontName);
    out.set("fontSize", m_fontSize);
}
