#include "Engine/Image.h"

#include "Engine/Support/FileUtils.h"
#include "Engine/Support/Texture2D.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

Image::Image(HostImage bitmap, float scale)
    : m_bitmap(std::move(bitmap))
    , m_scale(scale > 0 ? scale : 1)
{
}

Image::~Image() = default;

Ref<Image> Image::imageWithBitmap(HostImage bitmap, float scale)
{
    if (bitmap.width <= 0 || bitmap.height <= 0
        || bitmap.rgba.size()
            != static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height) * 4)
        return nullptr;
    return Ref<Image>(new Image(std::move(bitmap), scale));
}

Ref<Image> Image::imageWithContentsOfFile(const std::string& path, int maxSide)
{
    HostImage bitmap;
    if (!Host::current().decodeImageFile(path, maxSide, bitmap))
        return nullptr;
    return imageWithBitmap(std::move(bitmap), FileUtils::scaleOfFileName(path));
}

Ref<Image> Image::imageWithData(const std::vector<std::uint8_t>& data, int maxSide)
{
    HostImage bitmap;
    if (data.empty() || !Host::current().decodeImageData(data.data(), data.size(), maxSide, bitmap))
        return nullptr;
    return imageWithBitmap(std::move(bitmap));
}

Ref<Image> Image::imageNamed(const std::string& name)
{
    const FileUtils::ResolvedFile file = FileUtils::resolvePicture(name);
    HostImage bitmap;
    if (file.path.empty() || !Host::current().decodeImageFile(file.path, 4096, bitmap))
        return nullptr;
    return imageWithBitmap(std::move(bitmap), file.scale);
}

CGSize Image::size() const
{
    return CGSizeMake(
        static_cast<float>(m_bitmap.width) / m_scale, static_cast<float>(m_bitmap.height) / m_scale);
}

void Image::sample(float x, float y, float out[4]) const
{
    const int w = m_bitmap.width, h = m_bitmap.height;
    const float fx = std::clamp(x - 0.5f, 0.0f, static_cast<float>(w - 1));
    const float fy = std::clamp(y - 0.5f, 0.0f, static_cast<float>(h - 1));
    const int x0 = static_cast<int>(fx), y0 = static_cast<int>(fy);
    const int x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
    const float tx = fx - static_cast<float>(x0), ty = fy - static_cast<float>(y0);
    const std::uint8_t* p = m_bitmap.rgba.data();
    auto at = [&](int px, int py) { return p + (static_cast<std::size_t>(py) * w + px) * 4; };
    const std::uint8_t *a = at(x0, y0), *b = at(x1, y0), *c = at(x0, y1), *d = at(x1, y1);
    // Interpolated premultiplied, so transparent neighbours do not bleed their colour in.
    float pre[4] = { 0, 0, 0, 0 };
    const float weights[4] = { (1 - tx) * (1 - ty), tx * (1 - ty), (1 - tx) * ty, tx * ty };
    const std::uint8_t* px[4] = { a, b, c, d };
    for (int i = 0; i < 4; ++i) {
        const float alpha = (m_bitmap.hasAlpha ? px[i][3] : 255) / 255.0f * weights[i];
        pre[0] += px[i][0] * alpha;
        pre[1] += px[i][1] * alpha;
        pre[2] += px[i][2] * alpha;
        pre[3] += alpha;
    }
    if (pre[3] <= 0) {
        out[0] = out[1] = out[2] = out[3] = 0;
        return;
    }
    out[0] = pre[0] / pre[3];
    out[1] = pre[1] / pre[3];
    out[2] = pre[2] / pre[3];
    out[3] = pre[3] * 255;
}

Ref<Image> Image::imageScaledToSize(CGSize size) const
{
    const int w = static_cast<int>(std::lround(size.width));
    const int h = static_cast<int>(std::lround(size.height));
    if (w <= 0 || h <= 0)
        return nullptr;
    HostImage out;
    out.width = w;
    out.height = h;
    out.hasAlpha = m_bitmap.hasAlpha;
    out.rgba.resize(static_cast<std::size_t>(w) * h * 4);
    const float sx = static_cast<float>(m_bitmap.width) / static_cast<float>(w);
    const float sy = static_cast<float>(m_bitmap.height) / static_cast<float>(h);
    // Shrinking by more than two averages a grid of samples per pixel; bilinear alone would
    // skip most of the picture.
    const int nx = std::max(1, static_cast<int>(std::ceil(sx / 2)));
    const int ny = std::max(1, static_cast<int>(std::ceil(sy / 2)));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float pre[4] = { 0, 0, 0, 0 };
            for (int j = 0; j < ny; ++j)
                for (int i = 0; i < nx; ++i) {
                    float s[4];
                    sample((static_cast<float>(x) + (i + 0.5f) / nx) * sx,
                        (static_cast<float>(y) + (j + 0.5f) / ny) * sy, s);
                    pre[0] += s[0] * s[3];
                    pre[1] += s[1] * s[3];
                    pre[2] += s[2] * s[3];
                    pre[3] += s[3];
                }
            std::uint8_t* o = out.rgba.data() + (static_cast<std::size_t>(y) * w + x) * 4;
            const float count = static_cast<float>(nx * ny);
            if (pre[3] <= 0) {
                o[0] = o[1] = o[2] = o[3] = 0;
                continue;
            }
            for (int k = 0; k < 3; ++k)
                o[k] = static_cast<std::uint8_t>(std::clamp(std::lround(pre[k] / pre[3]), 0L, 255L));
            o[3] = static_cast<std::uint8_t>(std::clamp(std::lround(pre[3] / count), 0L, 255L));
        }
    return imageWithBitmap(std::move(out));
}

Ref<Image> Image::applyAlphaMask(const Image& mask) const
{
    HostImage out = m_bitmap;
    out.hasAlpha = true;
    const int w = out.width, h = out.height;
    const bool sameSize = mask.pixelWidth() == w && mask.pixelHeight() == h;
    const float sx = static_cast<float>(mask.pixelWidth()) / static_cast<float>(w);
    const float sy = static_cast<float>(mask.pixelHeight()) / static_cast<float>(h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float m[4];
            if (sameSize) {
                const std::uint8_t* p = mask.m_bitmap.rgba.data() + (static_cast<std::size_t>(y) * w + x) * 4;
                m[0] = p[0];
                m[1] = p[1];
                m[2] = p[2];
                m[3] = mask.m_bitmap.hasAlpha ? p[3] : 255;
            } else {
                mask.sample((static_cast<float>(x) + 0.5f) * sx, (static_cast<float>(y) + 0.5f) * sy, m);
            }
            // Grey level over white: a see-through mask pixel cuts like a white one.
            const float grey = (0.299f * m[0] + 0.587f * m[1] + 0.114f * m[2]) * (m[3] / 255.0f)
                + 255.0f * (1 - m[3] / 255.0f);
            std::uint8_t* o = out.rgba.data() + (static_cast<std::size_t>(y) * w + x) * 4;
            const float alpha = (m_bitmap.hasAlpha ? o[3] : 255) * (1 - grey / 255.0f);
            o[3] = static_cast<std::uint8_t>(std::clamp(std::lround(alpha), 0L, 255L));
        }
    return imageWithBitmap(std::move(out), m_scale);
}

bool Image::pngData(std::vector<std::uint8_t>& out) const
{
    out.clear();
    return Host::current().encodePNG(m_bitmap, out) && !out.empty();
}

Texture2D* Image::texture() const
{
    if (m_texture)
        return m_texture.get();
    const int largest = std::max(m_bitmap.width, m_bitmap.height);
    Ref<Texture2D> texture = make<Texture2D>();
    bool ok;
    if (largest > static_cast<int>(kMaxTextureSize)) {
        const float f = static_cast<float>(kMaxTextureSize) / static_cast<float>(largest);
        Ref<Image> small = imageScaledToSize(CGSizeMake(std::floor(static_cast<float>(m_bitmap.width) * f),
            std::floor(static_cast<float>(m_bitmap.height) * f)));
        ok = small && texture->initWithImage(small->bitmap(), m_scale * f);
    } else {
        ok = texture->initWithImage(m_bitmap, m_scale);
    }
    if (!ok)
        return nullptr;
    m_texture = texture;
    return m_texture.get();
}
