#include "Platform/ImageCodec.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

std::uint32_t bigEndian32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
unsigned bigEndian16(const std::uint8_t* p) { return (unsigned(p[0]) << 8) | p[1]; }

bool probePNG(const std::uint8_t* data, std::size_t size, int& width, int& height)
{
    static const std::uint8_t kSignature[8] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n' };
    // Signature, then the IHDR chunk: length, type, width, height.
    if (size < 24 || std::memcmp(data, kSignature, 8) != 0 || std::memcmp(data + 12, "IHDR", 4) != 0)
        return false;
    const std::uint32_t w = bigEndian32(data + 16), h = bigEndian32(data + 20);
    if (w == 0 || h == 0 || w > 0x7FFFFFFFu || h > 0x7FFFFFFFu)
        return false;
    width = int(w);
    height = int(h);
    return true;
}

bool isStartOfFrame(std::uint8_t marker)
{
    // SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC), which share the range.
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool probeJPEG(const std::uint8_t* data, std::size_t size, int& width, int& height)
{
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return false;
    std::size_t pos = 2;
    while (pos < size) {
        if (data[pos] != 0xFF)
            return false;
        while (pos < size && data[pos] == 0xFF) // fill bytes
            ++pos;
        if (pos >= size)
            return false;
        const std::uint8_t marker = data[pos++];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue; // no length field
        if (marker == 0xD9 || marker == 0xDA)
            return false; // end of image or scan data before any frame header
        if (pos + 2 > size)
            return false;
        const unsigned length = bigEndian16(data + pos);
        if (length < 2 || pos + length > size)
            return false;
        if (isStartOfFrame(marker)) {
            if (length < 7)
                return false;
            height = int(bigEndian16(data + pos + 3));
            width = int(bigEndian16(data + pos + 5));
            // Height 0 means "given later by a DNL marker", which SDL_image does not support.
            return width > 0 && height > 0;
        }
        pos += length;
    }
    return false;
}

struct SurfaceDeleter {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

void initCodecsOnce()
{
    static const bool s_done = [] {
        IMG_Init(IMG_INIT_PNG | IMG_INIT_JPG);
        return true;
    }();
    (void)s_done;
}

bool readFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    bytes.clear();
    std::uint8_t buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) {
        if (bytes.size() + n > ImageCodec::kMaxFileBytes) {
            std::fclose(f);
            error = path + " is larger than " + std::to_string(ImageCodec::kMaxFileBytes >> 20) + " MiB";
            return false;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        error = "cannot read " + path;
        return false;
    }
    return true;
}

// SDL has no growable memory stream; this one appends everything written to a vector.
SDL_RWops* vectorWriter(std::vector<std::uint8_t>& out)
{
    SDL_RWops* rw = SDL_AllocRW();
    if (!rw)
        return nullptr;
    rw->type = SDL_RWOPS_UNKNOWN;
    rw->hidden.unknown.data1 = &out;
    rw->size = [](SDL_RWops* self) -> Sint64 {
        return Sint64(static_cast<std::vector<std::uint8_t>*>(self->hidden.unknown.data1)->size());
    };
    rw->seek = [](SDL_RWops* self, Sint64 offset, int whence) -> Sint64 {
        auto* v = static_cast<std::vector<std::uint8_t>*>(self->hidden.unknown.data1);
        if (offset == 0 && (whence == RW_SEEK_CUR || whence == RW_SEEK_END))
            return Sint64(v->size());
        return SDL_SetError("seek not supported");
    };
    rw->read = [](SDL_RWops*, void*, size_t, size_t) -> size_t { return 0; };
    rw->write = [](SDL_RWops* self, const void* ptr, size_t size, size_t num) -> size_t {
        auto* v = static_cast<std::vector<std::uint8_t>*>(self->hidden.unknown.data1);
        const auto* p = static_cast<const std::uint8_t*>(ptr);
        v->insert(v->end(), p, p + size * num);
        return num;
    };
    rw->close = [](SDL_RWops* self) -> int {
        SDL_FreeRW(self);
        return 0;
    };
    return rw;
}

SurfacePtr surfaceFor(const std::uint8_t* rgba, int width, int height, bool hasAlpha, std::string& error)
{
    // The surface only borrows the pixels; nothing writes through it.
    SurfacePtr source(SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint8_t*>(rgba), width, height, 32, width * 4, SDL_PIXELFORMAT_RGBA32));
    if (!source) {
        error = std::string("cannot wrap pixels: ") + SDL_GetError();
        return nullptr;
    }
    if (hasAlpha)
        return source;
    SurfacePtr rgb(SDL_ConvertSurfaceFormat(source.get(), SDL_PIXELFORMAT_RGB24, 0));
    if (!rgb)
        error = std::string("cannot convert pixels: ") + SDL_GetError();
    return rgb;
}

bool checkArguments(const std::uint8_t* rgba, int width, int height, std::string& error)
{
    if (!rgba || width <= 0 || height <= 0 || width > ImageCodec::kAbsoluteMaxSide
        || height > ImageCodec::kAbsoluteMaxSide) {
        error = "no picture to encode (" + std::to_string(width) + " x " + std::to_string(height) + ")";
        return false;
    }
    return true;
}

} // namespace

namespace ImageCodec {

bool probe(const std::uint8_t* data, std::size_t size, Format& format, int& width, int& height)
{
    format = Format::Unknown;
    if (!data)
        return false;
    if (probePNG(data, size, width, height)) {
        format = Format::PNG;
        return true;
    }
    if (probeJPEG(data, size, width, height)) {
        format = Format::JPEG;
        return true;
    }
    return false;
}

bool decode(const std::uint8_t* data, std::size_t size, int maxSide, HostImage& out, std::string& error)
{
    Format format;
    int width = 0, height = 0;
    if (!probe(data, size, format, width, height)) {
        error = "not a PNG or JPEG picture, or its header is damaged";
        return false;
    }
    const int limit = (maxSide > 0 && maxSide < kAbsoluteMaxSide) ? maxSide : kAbsoluteMaxSide;
    if (width > limit || height > limit) {
        error = "picture is " + std::to_string(width) + " x " + std::to_string(height) + ", larger than "
            + std::to_string(limit) + " pixels a side";
        return false;
    }

    initCodecsOnce();
    SDL_RWops* rw = SDL_RWFromConstMem(data, int(size));
    if (!rw) {
        error = std::string("cannot read picture data: ") + SDL_GetError();
        return false;
    }
    SurfacePtr loaded(IMG_LoadTyped_RW(rw, 1, format == Format::PNG ? "PNG" : "JPG"));
    if (!loaded) {
        error = std::string("cannot decode picture: ") + IMG_GetError();
        return false;
    }
    // The header is what was checked; never trust a decoder that disagrees with it.
    if (loaded->w != width || loaded->h != height) {
        error = "decoded picture size does not match its header";
        return false;
    }
    const bool hasAlpha
        = format == Format::PNG && (loaded->format->Amask != 0 || SDL_HasColorKey(loaded.get()));
    SurfacePtr rgba(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_RGBA32, 0));
    if (!rgba) {
        error = std::string("cannot convert picture: ") + SDL_GetError();
        return false;
    }

    out.width = width;
    out.height = height;
    out.hasAlpha = hasAlpha;
    out.rgba.resize(std::size_t(width) * std::size_t(height) * 4);
    if (SDL_MUSTLOCK(rgba.get()))
        SDL_LockSurface(rgba.get());
    const auto* src = static_cast<const std::uint8_t*>(rgba->pixels);
    for (int row = 0; row < height; ++row)
        std::memcpy(out.rgba.data() + std::size_t(row) * std::size_t(width) * 4,
            src + std::size_t(row) * rgba->pitch, std::size_t(width) * 4);
    if (SDL_MUSTLOCK(rgba.get()))
        SDL_UnlockSurface(rgba.get());
    return true;
}

bool decodeFile(const std::string& path, int maxSide, HostImage& out, std::string& error)
{
    std::vector<std::uint8_t> bytes;
    if (!readFile(path, bytes, error))
        return false;
    if (!decode(bytes.data(), bytes.size(), maxSide, out, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool encodePNG(const std::uint8_t* rgba, int width, int height, bool hasAlpha, std::vector<std::uint8_t>& out,
    std::string& error)
{
    if (!checkArguments(rgba, width, height, error))
        return false;
    SurfacePtr surface = surfaceFor(rgba, width, height, hasAlpha, error);
    if (!surface)
        return false;
    std::vector<std::uint8_t> encoded;
    SDL_RWops* rw = vectorWriter(encoded);
    if (!rw || IMG_SavePNG_RW(surface.get(), rw, 1) != 0) {
        error = std::string("cannot encode PNG: ") + IMG_GetError();
        return false;
    }
    out = std::move(encoded);
    return true;
}

bool writePNGFile(const std::string& path, const std::uint8_t* rgba, int width, int height, bool hasAlpha,
    std::string& error)
{
    std::vector<std::uint8_t> encoded;
    if (!encodePNG(rgba, width, height, hasAlpha, encoded, error))
        return false;
    // Written beside and renamed, so a reader never sees half a file.
    const std::string temporary = path + ".part";
    std::FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(encoded.data(), 1, encoded.size(), f) == encoded.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace ImageCodec
