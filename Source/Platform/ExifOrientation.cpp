#include "Platform/ExifOrientation.h"

#include <cstring>
#include <utility>
#include <vector>

namespace ExifOrientation {

// EXIF orientation read by hand: one SHORT tag in IFD0 is all the game needs, and a small
// bounded reader keeps a full EXIF library's parsing of every untrusted IFD and maker note
// out of the path of every photo.
int ofExifSegment(const std::uint8_t* p, std::size_t size)
{
    if (size < 14 || std::memcmp(p, "Exif\0\0", 6) != 0)
        return 1;
    p += 6;
    size -= 6;
    bool little;
    if (std::memcmp(p, "II*\0", 4) == 0)
        little = true;
    else if (std::memcmp(p, "MM\0*", 4) == 0)
        little = false;
    else
        return 1;
    auto u16 = [&](std::size_t at) -> unsigned {
        return little ? unsigned(p[at]) | unsigned(p[at + 1]) << 8
                      : unsigned(p[at]) << 8 | unsigned(p[at + 1]);
    };
    auto u32 = [&](std::size_t at) -> std::uint32_t {
        return little ? (std::uint32_t(u16(at + 2)) << 16) | u16(at)
                      : (std::uint32_t(u16(at)) << 16) | u16(at + 2);
    };
    const std::uint32_t ifd = u32(4);
    if (ifd > size || size - ifd < 2)
        return 1;
    const unsigned count = u16(ifd);
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t entry = std::size_t(ifd) + 2 + std::size_t(i) * 12;
        if (entry + 12 > size)
            return 1;
        // Tag 0x0112, type SHORT, one value, held in the entry itself.
        if (u16(entry) == 0x0112 && u16(entry + 2) == 3 && u32(entry + 4) == 1) {
            const unsigned orientation = u16(entry + 8);
            return orientation >= 1 && orientation <= 8 ? int(orientation) : 1;
        }
    }
    return 1;
}

int ofJPEG(const std::uint8_t* data, std::size_t size)
{
    if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return 1;
    std::size_t at = 2;
    // Segments up to the start of scan: marker, big-endian length (counting itself), payload.
    while (at + 4 <= size) {
        if (data[at] != 0xFF)
            return 1;
        const std::uint8_t marker = data[at + 1];
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9)
            return 1;
        const std::size_t length = (std::size_t(data[at + 2]) << 8) | data[at + 3];
        if (length < 2 || at + 2 + length > size)
            return 1;
        if (marker == 0xE1) {
            const int orientation = ofExifSegment(data + at + 4, length - 2);
            if (orientation != 1)
                return orientation;
        }
        at += 2 + length;
    }
    return 1;
}

void turnUpright(HostImage& image, int orientation)
{
    if (orientation <= 1 || orientation > 8)
        return;
    const int w = image.width, h = image.height;
    const bool swaps = orientation >= 5;
    const int outW = swaps ? h : w, outH = swaps ? w : h;
    std::vector<std::uint8_t> turned(image.rgba.size());
    for (int y = 0; y < outH; ++y) {
        for (int x = 0; x < outW; ++x) {
            int sx = x, sy = y;
            switch (orientation) {
            case 2:
                sx = w - 1 - x;
                break;
            case 3:
                sx = w - 1 - x;
                sy = h - 1 - y;
                break;
            case 4:
                sy = h - 1 - y;
                break;
            case 5:
                sx = y;
                sy = x;
                break;
            case 6:
                sx = y;
                sy = h - 1 - x;
                break;
            case 7:
                sx = w - 1 - y;
                sy = h - 1 - x;
                break;
            case 8:
                sx = w - 1 - y;
                sy = x;
                break;
            }
            std::memcpy(
                &turned[(std::size_t(y) * outW + x) * 4], &image.rgba[(std::size_t(sy) * w + sx) * 4], 4);
        }
    }
    image.rgba = std::move(turned);
    image.width = outW;
    image.height = outH;
}

} // namespace ExifOrientation
