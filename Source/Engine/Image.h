#pragma once
// A picture held in memory for the platform views: straight-alpha RGBA8 pixels, top row first,
// with its pixels per point. The pixel work (scaling, masking) is done on the CPU so that its
// result does not depend on the GL surface's colour depth or scale.

#include "Engine/Support/Geometry.h"
#include "Engine/Support/Ref.h"
#include "Platform/Host.h"

#include <cstdint>
#include <string>
#include <vector>

class Texture2D;

class Image : public Object {
public:
    // Null for an empty or inconsistent bitmap.
    static Ref<Image> imageWithBitmap(HostImage bitmap, float scale = 1);
    // Decoded by the host; null (after the host's console line) when the file cannot be read.
    // Pictures with a side over maxSide are refused before decoding.
    static Ref<Image> imageWithContentsOfFile(const std::string& path, int maxSide = 4096);
    static Ref<Image> imageWithData(const std::vector<std::uint8_t>& data, int maxSide = 4096);
    // A resource by name, the @2x picture on scaled surfaces (its scale then 2).
    static Ref<Image> imageNamed(const std::string& name);
    ~Image() override;
    const char* className() const override { return "Image"; }

    int pixelWidth() const { return m_bitmap.width; }
    int pixelHeight() const { return m_bitmap.height; }
    float scale() const { return m_scale; }
    // In points.
    CGSize size() const;
    const HostImage& bitmap() const { return m_bitmap; }

    // The whole picture stretched to exactly width x height pixels (scale 1), the right way up;
    // the aspect ratio is not kept.
    Ref<Image> imageScaledToSize(CGSize size) const;
    // Cut by a mask: mask samples act as inverse alpha. Where the mask is black the picture is
    // kept, where it is white the pixel becomes transparent, grey in between. A transparent
    // mask pixel counts as white. The mask is stretched over the picture if the sizes differ.
    Ref<Image> applyAlphaMask(const Image& mask) const;
    // Encoded by the host; false when encoding fails.
    bool pngData(std::vector<std::uint8_t>& out) const;

    // Straight-alpha RGBA of the point (in pixels, pixel centres at .5), bilinear, clamped at
    // the edges.
    void sample(float x, float y, float out[4]) const;

    // For drawing: made in the current GL context on first use; pictures larger than a texture
    // may be are shown from a reduced copy.
    Texture2D* texture() const;

private:
    Image(HostImage bitmap, float scale);
    HostImage m_bitmap;
    float m_scale = 1;
    mutable Ref<Texture2D> m_texture;
};
