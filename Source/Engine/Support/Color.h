#pragma once
// Colour and blending values shared by everything that draws.

#include <GLES/gl.h>

#include <cstdint>

struct Color3B {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Color3B&, const Color3B&) = default;
};

struct Color4B {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    friend bool operator==(const Color4B&, const Color4B&) = default;
};

struct Color4F {
    float r = 0, g = 0, b = 0, a = 0;
    friend bool operator==(const Color4F&, const Color4F&) = default;
};

struct BlendFunc {
    GLenum src = GL_ONE;
    GLenum dst = GL_ONE_MINUS_SRC_ALPHA;
    friend bool operator==(const BlendFunc&, const BlendFunc&) = default;
};

inline constexpr Color3B kWhite { 255, 255, 255 };
inline constexpr Color3B kBlack { 0, 0, 0 };

// Textures carry premultiplied alpha, so this is what GL is left set to between draws.
inline constexpr BlendFunc kBlendFuncDefault { GL_ONE, GL_ONE_MINUS_SRC_ALPHA };
// For textures with straight alpha (text, A8 masks).
inline constexpr BlendFunc kBlendFuncStraightAlpha { GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA };

// Nodes with a colour and an opacity (sprites, labels, atlases, menu items); fades and tints
// reach their targets through it.
class RGBAProtocol {
public:
    virtual ~RGBAProtocol() = default;
    virtual void setColor(Color3B color) = 0;
    virtual Color3B color() const = 0;
    virtual void setOpacity(GLubyte opacity) = 0;
    virtual GLubyte opacity() const = 0;
    // When true, setOpacity also turns the colour into grey at that level, which is how a
    // premultiplied texture fades.
    virtual void setOpacityModifyRGB(bool modify) { (void)modify; }
    virtual bool doesOpacityModifyRGB() const { return false; }

    void setRGB(GLubyte r, GLubyte g, GLubyte b) { setColor({ r, g, b }); }
};
