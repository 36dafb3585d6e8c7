#include "Platform/ImageCodec.h"

#include "Platform/ExifOrientation.h"

#include <SDL.h>
#include <SDL_image.h>
#include <jpeglib.h>
#include <png.h>

#include <cerrno>
#include <csetjmp>
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

// Every chunk must lie inside the data and the file must reach IEND; a length that runs past
// the end (a 41-byte file claiming a 2 GB chunk) is refused here, before libpng waits for it.
bool pngChunksInside(const std::uint8_t* data, std::size_t size)
{
    std::size_t pos = 8;
    while (size - pos >= 12) {
        const std::uint32_t length = bigEndian32(data + pos);
        if (length > 0x7FFFFFFFu || length > size - pos - 12)
            return false;
        if (std::memcmp(data + pos + 4, "IEND", 4) == 0)
            return true;
        pos += 12 + length;
    }
    return false;
}

// --- PNG through libpng ------------------------------------------------------------------------
// libpng reports errors by longjmp, so nothing with a destructor may live in the frames between
// setjmp and the library: the decode writes into storage its caller owns.

struct PngInput {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;
    char message[160];
};

void pngRead(png_structp png, png_bytep out, png_size_t length)
{
    auto* in = static_cast<PngInput*>(png_get_io_ptr(png));
    if (length > in->size - in->pos)
        png_error(png, "picture data cut short");
    std::memcpy(out, in->data + in->pos, length);
    in->pos += length;
}

void pngError(png_structp png, png_const_charp message)
{
    auto* in = static_cast<PngInput*>(png_get_error_ptr(png));
    std::snprintf(in->message, sizeof in->message, "%s", message);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) { }

// Whatever the file holds (grey, palette, 1 to 16 bits, tRNS or an alpha channel), comes out as
// 8-bit RGBA. rows must have room for the size already checked from the header.
bool decodePNGInto(PngInput& in, int width, int height, std::uint8_t* rgba, bool& hasAlpha)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &in, pngError, pngWarning);
    if (!png) {
        std::snprintf(in.message, sizeof in.message, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        return false;
    }
    png_set_read_fn(png, &in, pngRead);
    png_set_user_limits(png, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height));
    png_read_info(png, info);
    if (png_get_image_width(png, info) != static_cast<png_uint_32>(width)
        || png_get_image_height(png, info) != static_cast<png_uint_32>(height))
        png_error(png, "picture size does not match its header");
    const int colorType = png_get_color_type(png, info);
    hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS);
    png_set_expand(png); // palette to RGB, grey below 8 bits to 8, tRNS to alpha
    png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (!hasAlpha)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<png_size_t>(width) * 4)
        png_error(png, "unexpected row layout");
    for (int pass = png_set_interlace_handling(png); pass > 0; --pass)
        for (int row = 0; row < height; ++row)
            png_read_row(
                png, rgba + static_cast<std::size_t>(row) * static_cast<std::size_t>(width) * 4, nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// --- JPEG through libjpeg-turbo ------------------------------------------------------------------

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr cinfo)
{
    auto* error = reinterpret_cast<JpegError*>(cinfo->err);
    cinfo->err->format_message(cinfo, error->message);
    std::longjmp(error->jump, 1);
}

void jpegSilent(j_common_ptr, int) { }

// A progressive file can ask for thousands of scans over the same pixels, minutes of work for
// a few kilobytes; real cameras and editors write a dozen or so.
constexpr int kMaxJpegScans = 256;

void jpegProgress(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor) {
        const auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
        if (d->input_scan_number > kMaxJpegScans) {
            auto* error = reinterpret_cast<JpegError*>(cinfo->err);
            std::snprintf(error->message, sizeof error->message, "more than %d scans", kMaxJpegScans);
            std::longjmp(error->jump, 1);
        }
    }
}

// Decodes into rgba (width x height, as stored; the caller turns it upright).
// cmykRow has room for one row of four bytes a pixel.
bool decodeJPEGInto(const std::uint8_t* data, std::size_t size, int width, int height, std::uint8_t* rgba,
    std::uint8_t* cmykRow, char (&message)[JMSG_LENGTH_MAX])
{
    jpeg_decompress_struct cinfo;
    JpegError error;
    jpeg_progress_mgr progress;
    cinfo.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegErrorExit;
    error.manager.emit_message = jpegSilent;
    error.message[0] = 0;
    if (setjmp(error.jump)) {
        std::snprintf(message, sizeof message, "%s", error.message);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    progress.progress_monitor = jpegProgress;
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.image_width != JDIMENSION(width) || cinfo.image_height != JDIMENSION(height)) {
        std::snprintf(error.message, sizeof error.message, "picture size does not match its header");
        std::longjmp(error.jump, 1);
    }
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        std::uint8_t* row = rgba + std::size_t(cinfo.output_scanline) * std::size_t(width) * 4;
        JSAMPROW target = cmyk ? cmykRow : row;
        jpeg_read_scanlines(&cinfo, &target, 1);
        if (cmyk) {
            // Photoshop writes CMYK JPEGs inverted, which is what libjpeg hands back.
            for (int x = 0; x < width; ++x) {
                const unsigned k = cmykRow[x * 4 + 3];
                for (int c = 0; c < 3; ++c)
                    row[x * 4 + c] = std::uint8_t(cmykRow[x * 4 + c] * k / 255);
                row[x * 4 + 3] = 255;
            }
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

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
    if (std::int64_t(width) * height > kMaxPixels) {
        error = "picture is " + std::to_string(width) + " x " + std::to_string(height) + ", more than "
            + std::to_string(kMaxPixels / 1000000) + " million pixels";
        return false;
    }

    if (format == Format::PNG && !pngChunksInside(data, size)) {
        error = "PNG chunk runs past the end of the data: damaged or cut short";
        return false;
    }

    HostImage image;
    image.width = width;
    image.height = height;
    image.rgba.resize(std::size_t(width) * std::size_t(height) * 4);
    if (format == Format::PNG) {
        PngInput in { data, size, 0, {} };
        if (!decodePNGInto(in, width, height, image.rgba.data(), image.hasAlpha)) {
            error = std::string("cannot decode PNG: ") + in.message;
            return false;
        }
    } else {
        char message[JMSG_LENGTH_MAX] = {};
        std::vector<std::uint8_t> cmykRow(std::size_t(width) * 4);
        if (!decodeJPEGInto(data, size, width, height, image.rgba.data(), cmykRow.data(), message)) {
            error = std::string("cannot decode JPEG: ") + message;
            return false;
        }
        ExifOrientation::turnUpright(image, ExifOrientation::ofJPEG(data, size));
    }
    out = std::move(image);
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
    initCodecsOnce();
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
