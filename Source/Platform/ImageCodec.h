#pragma once
// PNG and JPEG in (libpng, libjpeg-turbo) and PNG out (SDL_image).
//
// Pictures come from the resources and from the user (a photo for the custom face, a file
// dropped on the window), so the format is sniffed from the bytes and only PNG and JPEG are
// ever handed to a decoder, and sizes are read from the file header and checked before anything
// is decoded: a 30000 x 30000 PNG is refused after reading 24 bytes, not after 3.6 GB of pixels.
// Every failure gives a message naming what was wrong; nothing here throws.

#include "Platform/Host.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ImageCodec {

// Largest side and pixel count accepted whatever the caller allows: far above any photo the
// face cropper needs, and one picture stays under 64 MiB of RGBA.
inline constexpr int kAbsoluteMaxSide = 4096;
inline constexpr std::int64_t kMaxPixels = 16'000'000;
// Files larger than this are not read at all.
inline constexpr std::size_t kMaxFileBytes = 256u << 20;

enum class Format { Unknown, PNG, JPEG };

// Reads the picture size from a PNG IHDR or a JPEG start-of-frame segment without decoding.
// False when the data is neither, or the header is cut short or malformed.
bool probe(const std::uint8_t* data, std::size_t size, Format& format, int& width, int& height);

// Decodes into straight RGBA8, top row first, whatever the PNG's colour type and depth; a JPEG
// comes out turned upright by its EXIF orientation. maxSide <= 0 means no limit of the caller's
// (kAbsoluteMaxSide still applies).
bool decode(const std::uint8_t* data, std::size_t size, int maxSide, HostImage& out, std::string& error);
bool decodeFile(const std::string& path, int maxSide, HostImage& out, std::string& error);

// Encodes RGBA8 (or RGB when the image has no alpha) as PNG.
// rgba holds width x height RGBA8 pixels, top row first; with hasAlpha false the alpha bytes
// are dropped.
bool encodePNG(const std::uint8_t* rgba, int width, int height, bool hasAlpha, std::vector<std::uint8_t>& out,
    std::string& error);
bool writePNGFile(const std::string& path, const std::uint8_t* rgba, int width, int height, bool hasAlpha,
    std::string& error);

} // namespace ImageCodec
