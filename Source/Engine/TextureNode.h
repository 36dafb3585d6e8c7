#pragma once
// A node that draws one texture, centred on its position, with a colour, opacity and blend
// function.

#include "Engine/Node.h"
#include "Engine/Support/Color.h"
#include "Engine/Support/Texture2D.h"

class TextureNode : public Node, public RGBAProtocol {
public:
    static Ref<TextureNode> node();
    TextureNode();
    const char* className() const override { return "TextureNode"; }

    Texture2D* texture() const { return m_texture.get(); }
    // Takes the texture's size; a texture with straight alpha switches the blend function to
    // (GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA) for good.
    virtual void setTexture(Texture2D* texture);

    GLubyte opacity() const override { return m_opacity; }
    void setOpacity(GLubyte opacity) override;
    Color3B color() const override { return m_color; }
    void setColor(Color3B color) override { m_color = color; }
    bool doesOpacityModifyRGB() const override { return m_opacityModifyRGB; }
    void setOpacityModifyRGB(bool modify) override { m_opacityModifyRGB = modify; }
    BlendFunc blendFunc() const { return m_blendFunc; }
    void setBlendFunc(BlendFunc blendFunc) { m_blendFunc = blendFunc; }

    void draw() override;
    // Adds opacity, color and, for textures from files, "texture" (the file name).
    void dumpProperties(PropertySink& out) const override;

protected:
    Ref<Texture2D> m_texture;
    BlendFunc m_blendFunc = kBlendFuncDefault;
    GLubyte m_opacity = 255;
    Color3B m_color = kWhite;
    bool m_opacityModifyRGB = false;
};
