#pragma once
// A string drawn in a platform font: the host renders it into an alpha-only texture, which
// draws in the node's colour (white by default).

#include "Engine/TextureNode.h"

#include <string>

class Label : public TextureNode {
public:
    // Zero dimensions: the label takes the measured size of its string, centred.
    static Ref<Label> labelWithString(const std::string& string, CGSize dimensions, UITextAlignment alignment,
        const std::string& fontName, float fontSize);
    static Ref<Label> labelWithString(const std::string& string, const std::string& fontName, float fontSize);
    // A label needs its font: raises "LabelInit".
    static Ref<Label> node();
    const char* className() const override { return "Label"; }

    void initWithString(const std::string& string, CGSize dimensions, UITextAlignment alignment,
        const std::string& fontName, float fontSize);
    void initWithString(const std::string& string, const std::string& fontName, float fontSize);

    void setString(const std::string& string);
    const std::string& string() const { return m_string; }
    CGSize dimensions() const { return m_dimensions; }
    UITextAlignment alignment() const { return m_alignment; }
    const std::string& fontName() const { return m_fontName; }
    float fontSize() const { return m_fontSize; }

    // Adds text, fontName and fontSize.
    void dumpProperties(PropertySink& out) const override;

protected:
    Label() = default;

    CGSize m_dimensions;
    UITextAlignment m_alignment = UITextAlignmentCenter;
    std::string m_fontName;
    float m_fontSize = 0;
    std::string m_string;
};
