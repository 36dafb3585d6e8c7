#pragma once
// An OpenGL ES texture made from a picture, raw pixels or text.
//
// Textures are always power-of-two sized; the picture occupies the top-left corner and
// maxS/maxT are the texture coordinates of its far edges. Row 0 of the texture (t = 0) is
// the picture's top row. Pictures with alpha are stored premultiplied.

#include "Engine/Support/Geometry.h"
#include "Engine/Support/Ref.h"

#include <GLES/gl.h>

#include <string>

struct HostImage;

enum Texture2DPixelFormat : int {
    kTexture2DPixelFormat_RGBA8888 = 1,
    kTexture2DPixelFormat_RGB565 = 2,
    kTexture2DPixelFormat_A8 = 3,
    kTexture2DPixelFormat_RGBA4444 = 4,
    kTexture2DPixelFormat_RGB5A1 = 5,
};

enum UITextAlignment : int {
    UITextAlignmentLeft = 0,
    UITextAlignmentCenter = 1,
    UITextAlignmentRight = 2,
};

// Largest texture side, in pixels, that pictures may need.
inline constexpr unsigned kMaxTextureSize = 1024;

struct TexParams {
    GLuint minFilter, magFilter, wrapS, wrapT;
};

class Texture2D : public Object {
public:
    Texture2D() = default;
    ~Texture2D() override;

    const char* className() const override { return "Texture2D"; }
    std::string description() const override;

    // A picture with straight alpha, as the host decodes it. scale is its pixels per point
    // (2 for an @2x picture). False (after logging) when the image has no pixels.
    bool initWithImage(const HostImage& image, float scale = 1);
    // Raw pixels of a texture already sized pixelsWide x pixelsHigh, in the given format.
    // contentSize is the used part, in pixels.
    bool initWithData(const void* data, Texture2DPixelFormat format, unsigned pixelsWide, unsigned pixelsHigh,
        CGSize contentSize);
    // Text rendered by the host at the surface's pixel scale into an A8 texture.
    bool initWithString(const std::string& text, const std::string& fontName, float fontSize);
    bool initWithString(const std::string& text, CGSize dimensions, UITextAlignment alignment,
        const std::string& fontName, float fontSize);

    // Convenience forms; nullptr where the init form fails.
    static Ref<Texture2D> textureWithImage(const HostImage& image, float scale = 1);
    static Ref<Texture2D> textureWithString(
        const std::string& text, const std::string& fontName, float fontSize);
    static Ref<Texture2D> textureWithString(const std::string& text, CGSize dimensions,
        UITextAlignment alignment, const std::string& fontName, float fontSize);

    // Both expect the vertex and texture-coordinate arrays enabled by the caller.
    void drawAtPoint(CGPoint point) const;
    void drawInRect(CGRect rect) const;
    // The picture with its corners placed by the caller: bottom left, bottom right, top left,
    // top right. Like the two above, it needs the vertex and texture-coordinate arrays on.
    void drawCorners(const CGPoint (&corners)[4]) const;

    void setTexParameters(const TexParams& params);
    void setAntiAliasTexParameters();
    void setAliasTexParameters();

    GLuint name() const { return m_name; }
    // Size of the picture in points (its pixel size divided by contentScale).
    CGSize contentSize() const;
    CGSize contentSizeInPixels() const { return m_size; }
    float contentScale() const { return m_contentScale; }
    unsigned pixelsWide() const { return m_width; }
    unsigned pixelsHigh() const { return m_height; }
    Texture2DPixelFormat pixelFormat() const { return m_format; }
    float maxS() const { return m_maxS; }
    float maxT() const { return m_maxT; }
    bool hasPremultipliedAlpha() const { return m_hasPremultipliedAlpha; }
    // Every pixel of the picture fully opaque (pictures from files only).
    bool isOpaque() const { return m_opaque; }

    // The name the texture cache loaded it under ("" for textures not made from a file).
    const std::string& fileName() const { return m_fileName; }
    void setFileName(const std::string& name) { m_fileName = name; }

    static void setDefaultAlphaPixelFormat(Texture2DPixelFormat format);
    static Texture2DPixelFormat defaultAlphaPixelFormat();

    // Smallest power of two >= n (1 for 0 and 1).
    static unsigned nextPowerOfTwo(unsigned n);

private:
    GLuint m_name = 0;
    CGSize m_size; // pixels
    CGSize m_pointSize; // what contentSize() reports
    unsigned m_width = 0, m_height = 0;
    Texture2DPixelFormat m_format = kTexture2DPixelFormat_RGBA8888;
    float m_maxS = 0, m_maxT = 0;
    bool m_hasPremultipliedAlpha = false;
    float m_contentScale = 1;
    std::string m_fileName;
    bool m_opaque = false;
};
