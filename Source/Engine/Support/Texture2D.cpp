#include "Engine/Support/Texture2D.h"
#include "Platform/Log.h"

#include "Engine/Support/Exception.h"
#include "Engine/Support/GLCheck.h"
#include "Engine/Support/GLState.h"
#include "Platform/Host.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

Texture2DPixelFormat s_defaultAlphaPixelFormat = kTexture2DPixelFormat_RGBA8888;

struct GLFormat {
    GLenum format, type;
    unsigned bytesPerPixel;
};

bool glFormatFor(Texture2DPixelFormat format, GLFormat& out)
{
    switch (format) {
    case kTexture2DPixelFormat_RGBA8888:
        out = { GL_RGBA, GL_UNSIGNED_BYTE, 4 };
        return true;
    case kTexture2DPixelFormat_RGB565:
        out = { GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2 };
        return true;
    case kTexture2DPixelFormat_A8:
        out = { GL_ALPHA, GL_UNSIGNED_BYTE, 1 };
        return true;
    case kTexture2DPixelFormat_RGBA4444:
        out = { GL_RGBA, GL_UNSIGNED_SHORT_4_4_4_4, 2 };
        return true;
    case kTexture2DPixelFormat_RGB5A1:
        out = { GL_RGBA, GL_UNSIGNED_SHORT_5_5_5_1, 2 };
        return true;
    }
    return false;
}

// c * a / 255, rounded to nearest, so that opaque pixels keep their exact colour.
inline std::uint8_t premultiply(std::uint8_t c, std::uint8_t a)
{
    return static_cast<std::uint8_t>((c * a + 127) / 255);
}

// Packs premultiplied RGBA8 into one of the 16-bit formats, keeping each channel's top bits.
std::vector<std::uint16_t> packTo16(const std::vector<std::uint8_t>& rgba, Texture2DPixelFormat format)
{
    const std::size_t n = rgba.size() / 4;
    std::vector<std::uint16_t> out(n);
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned r = rgba[4 * i], g = rgba[4 * i + 1], b = rgba[4 * i + 2], a = rgba[4 * i + 3];
        switch (format) {
        case kTexture2DPixelFormat_RGB565:
            out[i] = static_cast<std::uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
            break;
        case kTexture2DPixelFormat_RGBA4444:
            out[i]
                = static_cast<std::uint16_t>(((r >> 4) << 12) | ((g >> 4) << 8) | ((b >> 4) << 4) | (a >> 4));
            break;
        default: // RGB5A1
            out[i]
                = static_cast<std::uint16_t>(((r >> 3) << 11) | ((g >> 3) << 6) | ((b >> 3) << 1) | (a >> 7));
            break;
        }
    }
    return out;
}

} // namespace

Texture2D::~Texture2D()
{
    if (m_name)
        glDeleteTextures(1, &m_name);
}

std::string Texture2D::description() const
{
    char buf[160];
    std::snprintf(buf, sizeof buf,
        "<%s = %08llX | Name = %i | Dimensions = %ix%i | Coordinates = (%.2f, %.2f)>", className(),
        static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(this)), static_cast<int>(m_name),
        static_cast<int>(m_width), static_cast<int>(m_height), static_cast<double>(m_maxS),
        static_cast<double>(m_maxT));
    return buf;
}

unsigned Texture2D::nextPowerOfTwo(unsigned n)
{
    unsigned p = 1;
    while (p < n && p < 0x80000000u)
        p <<= 1;
    return p;
}

void Texture2D::setDefaultAlphaPixelFormat(Texture2DPixelFormat format)
{
    s_defaultAlphaPixelFormat = format;
}

Texture2DPixelFormat Texture2D::defaultAlphaPixelFormat() { return s_defaultAlphaPixelFormat; }

CGSize Texture2D::contentSize() const { return m_pointSize; }

bool Texture2D::initWithImage(const HostImage& image, float scale)
{
    if (image.width <= 0 || image.height <= 0
        || image.rgba.size()
            < static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4) {
        logLine(LogLevel::Warning, "Image is Null");
        return false;
    }

    // Decoded pictures always have 8 bits per channel, which selects the alpha format even
    // for opaque ones.
    const Texture2DPixelFormat format = s_defaultAlphaPixelFormat;
    GLFormat gl;
    if (!glFormatFor(format, gl))
        raiseException(kInternalInconsistencyException, "Invalid pixel format");

    const unsigned width = nextPowerOfTwo(static_cast<unsigned>(image.width));
    const unsigned height = nextPowerOfTwo(static_cast<unsigned>(image.height));
    if (width > kMaxTextureSize || height > kMaxTextureSize) {
        char reason[80];
        std::snprintf(reason, sizeof reason, "Image is bigger than the supported %d x %d",
            static_cast<int>(kMaxTextureSize), static_cast<int>(kMaxTextureSize));
        MW_ASSERT(false, reason);
    }

    const std::size_t srcStride = static_cast<std::size_t>(image.width) * 4;
    const CGSize size { static_cast<float>(image.width), static_cast<float>(image.height) };
    bool ok;
    bool opaque = false;
    if (format == kTexture2DPixelFormat_A8) {
        std::vector<std::uint8_t> alpha(static_cast<std::size_t>(width) * height, 0);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                alpha[static_cast<std::size_t>(y) * width + x] = image.rgba[y * srcStride + x * 4 + 3];
        ok = initWithData(alpha.data(), format, width, height, size);
    } else {
        // The picture goes into the first rows of a zeroed (transparent black) buffer, so the
        // padding filters in as transparency, not as a dark edge.
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4, 0);
        opaque = true;
        for (int y = 0; y < image.height; ++y) {
            const std::uint8_t* src = image.rgba.data() + y * srcStride;
            std::uint8_t* dst = rgba.data() + static_cast<std::size_t>(y) * width * 4;
            for (int x = 0; x < image.width; ++x, src += 4, dst += 4) {
                const std::uint8_t a = image.hasAlpha ? src[3] : 255;
                dst[0] = premultiply(src[0], a);
                dst[1] = premultiply(src[1], a);
                dst[2] = premultiply(src[2], a);
                dst[3] = a;
                opaque = opaque && a == 255;
            }
        }
        if (format == kTexture2DPixelFormat_RGBA8888) {
            ok = initWithData(rgba.data(), format, width, height, size);
        } else {
            const std::vector<std::uint16_t> packed = packTo16(rgba, format);
            ok = initWithData(packed.data(), format, width, height, size);
        }
    }
    if (!ok)
        return false;

    m_contentScale = scale > 0 ? scale : 1;
    m_pointSize = { size.width / m_contentScale, size.height / m_contentScale };
    // An alpha-only texture colours with the vertex colour, so its alpha must blend straight.
    m_hasPremultipliedAlpha = image.hasAlpha && format != kTexture2DPixelFormat_A8;
    m_opaque = opaque;
    return true;
}

bool Texture2D::initWithData(const void* data, Texture2DPixelFormat format, unsigned pixelsWide,
    unsigned pixelsHigh, CGSize contentSize)
{
    GLFormat gl;
    if (!glFormatFor(format, gl))
        raiseException(kInternalInconsistencyException, "");
    if (m_name)
        glDeleteTextures(1, &m_name);

    MW_GL_CHECK(glGenTextures(1, &m_name));
    GLint previous = 0;
    MW_GL_CHECK(glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous));
    MW_GL_CHECK(glBindTexture(GL_TEXTURE_2D, m_name));
    setAntiAliasTexParameters();

    // Rows of 1- and 2-wide textures are not 4-byte aligned.
    GLint alignment = 4;
    MW_GL_CHECK(glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment));
    MW_GL_CHECK(glPixelStorei(GL_UNPACK_ALIGNMENT, 1));
    MW_GL_CHECK(glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(gl.format),
        static_cast<GLsizei>(pixelsWide), static_cast<GLsizei>(pixelsHigh), 0, gl.format, gl.type, data));
    MW_GL_CHECK(glPixelStorei(GL_UNPACK_ALIGNMENT, alignment));
    MW_GL_CHECK(glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous)));

    m_size = contentSize;
    m_pointSize = contentSize;
    m_contentScale = 1;
    m_width = pixelsWide;
    m_height = pixelsHigh;
    m_format = format;
    m_maxS = pixelsWide ? contentSize.width / static_cast<float>(pixelsWide) : 0;
    m_maxT = pixelsHigh ? contentSize.height / static_cast<float>(pixelsHigh) : 0;
    m_hasPremultipliedAlpha = false;
    return true;
}

bool Texture2D::initWithString(const std::string& text, const std::string& fontName, float fontSize)
{
    Host& host = Host::current();
    HostTextRequest request;
    request.text = text;
    request.fontName = fontName;
    request.fontSize = fontSize;
    request.scale = std::max(1.0f, host.pictureScale());
    float width = 0, height = 0;
    if (!host.measureText(request, width, height)) {
        logLine(LogLevel::Warning, "Texture2D: cannot measure text in font %s", fontName.c_str());
        return false;
    }
    return initWithString(text, CGSizeMake(width, height), UITextAlignmentCenter, fontName, fontSize);
}

bool Texture2D::initWithString(const std::string& text, CGSize dimensions, UITextAlignment alignment,
    const std::string& fontName, float fontSize)
{
    Host& host = Host::current();
    const float boxW = std::max(0.0f, dimensions.width), boxH = std::max(0.0f, dimensions.height);
    float scale = std::max(1.0f, host.pictureScale());
    // A box that fits at 1x but not at the surface scale renders softer rather than fails.
    const float largest = std::max(boxW, boxH);
    if (largest * scale > kMaxTextureSize && largest <= kMaxTextureSize)
        scale = std::max(1.0f, (static_cast<float>(kMaxTextureSize) - 0.5f) / largest);

    const unsigned pixelW = static_cast<unsigned>(std::ceil(boxW * scale));
    const unsigned pixelH = static_cast<unsigned>(std::ceil(boxH * scale));
    const unsigned width = nextPowerOfTwo(pixelW), height = nextPowerOfTwo(pixelH);
    std::vector<std::uint8_t> coverage(static_cast<std::size_t>(width) * height, 0);

    if (!text.empty() && pixelW > 0 && pixelH > 0) {
        HostTextRequest request;
        request.text = text;
        request.fontName = fontName;
        request.fontSize = fontSize;
        request.width = boxW;
        request.height = boxH;
        request.alignment = static_cast<int>(alignment);
        request.scale = scale;
        HostTextBitmap bitmap;
        if (host.renderText(request, bitmap) && bitmap.width > 0 && bitmap.height > 0
            && bitmap.alpha.size() >= static_cast<std::size_t>(bitmap.width) * bitmap.height) {
            // The host may round the box differently; whatever falls outside it is clipped.
            const unsigned rows = std::min<unsigned>(pixelH, static_cast<unsigned>(bitmap.height));
            const unsigned cols = std::min<unsigned>(pixelW, static_cast<unsigned>(bitmap.width));
            for (unsigned y = 0; y < rows; ++y)
                std::memcpy(coverage.data() + static_cast<std::size_t>(y) * width,
                    bitmap.alpha.data() + static_cast<std::size_t>(y) * bitmap.width, cols);
        } else {
            // Still a texture of the right size, so layout does not jump.
            logLine(LogLevel::Warning, "Texture2D: cannot render text in font %s", fontName.c_str());
        }
    }

    if (!initWithData(
            coverage.data(), kTexture2DPixelFormat_A8, width, height, CGSizeMake(boxW * scale, boxH * scale)))
        return false;
    m_contentScale = scale;
    m_pointSize = { boxW, boxH };
    return true;
}

Ref<Texture2D> Texture2D::textureWithImage(const HostImage& image, float scale)
{
    Ref<Texture2D> t = make<Texture2D>();
    return t->initWithImage(image, scale) ? t : nullptr;
}

Ref<Texture2D> Texture2D::textureWithString(
    const std::string& text, const std::string& fontName, float fontSize)
{
    Ref<Texture2D> t = make<Texture2D>();
    return t->initWithString(text, fontName, fontSize) ? t : nullptr;
}

Ref<Texture2D> Texture2D::textureWithString(const std::string& text, CGSize dimensions,
    UITextAlignment alignment, const std::string& fontName, float fontSize)
{
    Ref<Texture2D> t = make<Texture2D>();
    return t->initWithString(text, dimensions, alignment, fontName, fontSize) ? t : nullptr;
}

void Texture2D::drawAtPoint(CGPoint p) const
{
    const GLfloat w = m_pointSize.width, h = m_pointSize.height;
    drawCorners({ p, { p.x + w, p.y }, { p.x, p.y + h }, { p.x + w, p.y + h } });
}

void Texture2D::drawInRect(CGRect r) const
{
    const GLfloat x = r.origin.x, y = r.origin.y, w = r.size.width, h = r.size.height;
    drawCorners({ { x, y }, { x + w, y }, { x, y + h }, { x + w, y + h } });
}

void Texture2D::drawCorners(const CGPoint (&c)[4]) const
{
    GLState::bindTexture(m_name);
    GLState::drawQuad({ { c[0].x, c[0].y, 0, m_maxT }, { c[1].x, c[1].y, m_maxS, m_maxT },
        { c[2].x, c[2].y, 0, 0 }, { c[3].x, c[3].y, m_maxS, 0 } });
}

void Texture2D::setTexParameters(const TexParams& params)
{
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, m_name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(params.minFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(params.magFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(params.wrapS));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<GLint>(params.wrapT));
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
}

void Texture2D::setAntiAliasTexParameters()
{
    setTexParameters({ GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE });
}

void Texture2D::setAliasTexParameters()
{
    setTexParameters({ GL_NEAREST, GL_NEAREST, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE });
}
