#pragma once
// Decoding and encoding pictures.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A decoded picture: RGBA8, straight (not premultiplied) alpha, top row first.
struct HostImage {
    int width = 0, height = 0;
    bool hasAlpha = false; // false when the file had no alpha channel
    std::vector<std::uint8_t> rgba;
};

class HostImages {
public:
    virtual ~HostImages() = default;
    // Decodes a PNG or JPEG file. Refuses (false, with a console line) pictures whose width or
    // height exceeds maxSide before decoding them whole.
    [[nodiscard]] virtual bool decodeImageFile(const std::string& path, int maxSide, HostImage& out) = 0;
    [[nodiscard]] virtual bool decodeImageData(
        const std::uint8_t* data, std::size_t size, int maxSide, HostImage& out)
        = 0;
    [[nodiscard]] virtual bool encodePNG(const HostImage& image, std::vector<std::uint8_t>& out) = 0;
    // Writes RGBA8 pixels, top row first, as a PNG file; true on success.
    [[nodiscard]] virtual bool writePNG(
        const std::string& path, const std::vector<std::uint8_t>& rgba, int width, int height)
        = 0;
};
