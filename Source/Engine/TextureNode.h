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

    // Pictures with no transparency drawn pixel-aligned (a background) need no blending.
    bool isOpaque() const { return m_opaque; }
    void setOpaque(bool opaque) { m_opaque = opaque; }
    // True when drawing would leave every pixel as it was (faded out completely).
    bool drawsNothing() const;

    void visit() override;
    // On, plain leaf pictures are placed on the CPU and drawn with one call each instead of
    // through the GL matrix stack. Off by default: the rounding differs, and a few edge pixels
    // come out one level apart from what the matrix stack gives.
    static void setQuadPathEnabled(bool enabled);
    void draw() override;
    bool drawsInTexturedState() const override { return true; }
    // Adds opacity, color and, for textures from files, "texture" (the file name).
    void dumpProperties(PropertySink& out) const override;

protected:
    Ref<Texture2D> m_texture;
    BlendFunc m_blendFunc = kBlendFuncDefault;
    GLubyte m_opacity = 255;
    Color3B m_color = kWhite;
    bool m_opacityModifyRGB = false;
    bool m_opaque = false;

private:
    // A plain leaf picture is drawn with its transform applied here rather than through the
    // GL matrix stack; subclasses with a draw of their own keep the general path.
    enum class Path : unsigned char { Unknown, Quad, General };
    Path m_path = Path::Unknown;
};
