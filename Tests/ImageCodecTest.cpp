// PNG and JPEG decoding and PNG encoding: round trips, damaged files, and pictures refused
// for their size before any pixel is decoded.

#include "Platform/ImageCodec.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::uint8_t> gradient(int width, int height, bool alpha)
{
    std::vector<std::uint8_t> rgba(std::size_t(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &rgba[(std::size_t(y) * width + x) * 4];
            p[0] = std::uint8_t(x * 255 / (width - 1));
            p[1] = std::uint8_t(y * 255 / (height - 1));
            p[2] = std::uint8_t((x + y) & 0xFF);
            p[3] = alpha ? std::uint8_t(255 - x) : 255;
        }
    }
    return rgba;
}

std::vector<std::uint8_t> encoded(int width, int height, bool alpha)
{
    std::vector<std::uint8_t> png;
    std::string error;
    EXPECT_TRUE(
        ImageCodec::encodePNG(gradient(width, height, alpha).data(), width, height, alpha, png, error))
        << error;
    return png;
}

void putBigEndian32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v)
{
    out[at] = std::uint8_t(v >> 24);
    out[at + 1] = std::uint8_t(v >> 16);
    out[at + 2] = std::uint8_t(v >> 8);
    out[at + 3] = std::uint8_t(v);
}

// The start of a JPEG: SOI, an APP0 segment to skip, then a baseline frame header.
std::vector<std::uint8_t> jpegHeader(int width, int height)
{
    return { 0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0, 0xFF, 0xC0,
        0x00, 0x11, 8, std::uint8_t(height >> 8), std::uint8_t(height), std::uint8_t(width >> 8),
        std::uint8_t(width), 3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1 };
}

// A PNG of any colour type and depth; rows are packed samples as libpng takes them.
std::vector<std::uint8_t> pngOf(int width, int height, int colorType, int depth,
    const std::vector<std::uint8_t>& samples, const std::vector<png_color>& palette = {},
    const std::vector<std::uint8_t>& transparency = {})
{
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, png_size_t n) {
            auto* v = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
            v->insert(v->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), depth, colorType, PNG_INTERLACE_NONE,
        PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (!transparency.empty())
        png_set_tRNS(png, info, transparency.data(), int(transparency.size()), nullptr);
    png_write_info(png, info);
    const std::size_t rowBytes = samples.size() / std::size_t(height);
    for (int y = 0; y < height; ++y)
        png_write_row(png, samples.data() + std::size_t(y) * rowBytes);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// A 16 x 8 JPEG, red on the left half and blue on the right, with an EXIF orientation.
std::vector<std::uint8_t> jpegWithOrientation(int orientation)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = 16;
    cinfo.image_height = 8;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    // Big-endian TIFF, IFD0 with the one orientation entry.
    const std::uint8_t exif[] = { 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0,
        3, 0, 0, 0, 1, 0, std::uint8_t(orientation), 0, 0, 0, 0, 0, 0 };
    jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif, sizeof exif);
    std::uint8_t row[16 * 3];
    for (int x = 0; x < 16; ++x) {
        row[x * 3] = x < 8 ? 255 : 0;
        row[x * 3 + 1] = 0;
        row[x * 3 + 2] = x < 8 ? 0 : 255;
    }
    while (cinfo.next_scanline < 8) {
        JSAMPROW r = row;
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

bool isRed(const HostImage& image, int x, int y)
{
    const std::uint8_t* p = &image.rgba[(std::size_t(y) * image.width + x) * 4];
    return p[0] > 200 && p[2] < 60;
}

} // namespace

TEST(ImageCodecTest, PNGRoundTripKeepsStraightAlpha)
{
    const std::vector<std::uint8_t> png = encoded(64, 32, true);
    HostImage image;
    std::string error;
    ASSERT_TRUE(ImageCodec::decode(png.data(), png.size(), 0, image, error)) << error;
    EXPECT_EQ(image.width, 64);
    EXPECT_EQ(image.height, 32);
    EXPECT_TRUE(image.hasAlpha);
    EXPECT_EQ(image.rgba, gradient(64, 32, true)); // top row first, nothing premultiplied
}

TEST(ImageCodecTest, OpaquePicturesSayTheyHaveNoAlpha)
{
    const std::vector<std::uint8_t> png = encoded(16, 16, false);
    HostImage image;
    std::string error;
    ASSERT_TRUE(ImageCodec::decode(png.data(), png.size(), 0, image, error)) << error;
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_EQ(image.rgba, gradient(16, 16, false));
}

TEST(ImageCodecTest, ProbeReadsSizesFromHeaders)
{
    ImageCodec::Format format;
    int w = 0, h = 0;
    const std::vector<std::uint8_t> png = encoded(7, 5, true);
    ASSERT_TRUE(ImageCodec::probe(png.data(), png.size(), format, w, h));
    EXPECT_EQ(format, ImageCodec::Format::PNG);
    EXPECT_EQ(w, 7);
    EXPECT_EQ(h, 5);

    const std::vector<std::uint8_t> jpeg = jpegHeader(1024, 768);
    ASSERT_TRUE(ImageCodec::probe(jpeg.data(), jpeg.size(), format, w, h));
    EXPECT_EQ(format, ImageCodec::Format::JPEG);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);

    // Cut inside the frame header, or a segment length running past the end.
    EXPECT_FALSE(ImageCodec::probe(jpeg.data(), jpeg.size() - 14, format, w, h));
    std::vector<std::uint8_t> longSegment = jpeg;
    longSegment[5] = 0xF0;
    EXPECT_FALSE(ImageCodec::probe(longSegment.data(), longSegment.size(), format, w, h));
    const std::uint8_t text[] = "GIF89a, or anything else";
    EXPECT_FALSE(ImageCodec::probe(text, sizeof text, format, w, h));
}

TEST(ImageCodecTest, DamagedFilesFailWithAMessage)
{
    const std::vector<std::uint8_t> png = encoded(64, 64, true);
    HostImage image;
    std::string error;
    for (std::size_t size : { std::size_t(0), std::size_t(8), std::size_t(23), std::size_t(40),
             png.size() / 2, png.size() - 13 }) {
        error.clear();
        EXPECT_FALSE(ImageCodec::decode(png.data(), size, 0, image, error)) << size;
        EXPECT_FALSE(error.empty()) << size;
    }
    // A JPEG that is only a header: the size is fine, the picture is not there.
    const std::vector<std::uint8_t> jpeg = jpegHeader(32, 32);
    EXPECT_FALSE(ImageCodec::decode(jpeg.data(), jpeg.size(), 0, image, error));
    EXPECT_FALSE(ImageCodec::decode(nullptr, 0, 0, image, error));
}

TEST(ImageCodecTest, OversizedPicturesAreRefusedBeforeDecoding)
{
    // A header that claims 30000 x 30000 and no pixel data at all: only the size can be judged.
    std::vector<std::uint8_t> png = encoded(4, 4, true);
    png.resize(33);
    putBigEndian32(png, 16, 30000);
    putBigEndian32(png, 20, 30000);
    HostImage image;
    std::string error;
    EXPECT_FALSE(ImageCodec::decode(png.data(), png.size(), 0, image, error));
    EXPECT_NE(error.find("30000 x 30000"), std::string::npos) << error;
    EXPECT_NE(error.find("larger than 4096"), std::string::npos) << error;
    png = encoded(4, 4, true);
    putBigEndian32(png, 16, 4000);
    putBigEndian32(png, 20, 4001);
    EXPECT_FALSE(ImageCodec::decode(png.data(), png.size(), 0, image, error));
    EXPECT_NE(error.find("more than 16 million pixels"), std::string::npos) << error;

    // The caller's limit applies to real pictures too, on either side.
    const std::vector<std::uint8_t> wide = encoded(300, 20, false);
    EXPECT_FALSE(ImageCodec::decode(wide.data(), wide.size(), 256, image, error));
    EXPECT_NE(error.find("larger than 256"), std::string::npos) << error;
    EXPECT_TRUE(ImageCodec::decode(wide.data(), wide.size(), 300, image, error)) << error;

    const std::vector<std::uint8_t> jpeg = jpegHeader(20, 5000);
    EXPECT_FALSE(ImageCodec::decode(jpeg.data(), jpeg.size(), 2048, image, error));
    EXPECT_NE(error.find("larger than 2048"), std::string::npos) << error;
}

TEST(ImageCodecTest, FilesRoundTripAndMissingOnesFail)
{
    const std::string dir = ::testing::TempDir() + "imagecodec-test-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/picture.png";
    const std::vector<std::uint8_t> pixels = gradient(10, 12, true);
    std::string error;
    ASSERT_TRUE(ImageCodec::writePNGFile(path, pixels.data(), 10, 12, true, error)) << error;
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
    HostImage image;
    ASSERT_TRUE(ImageCodec::decodeFile(path, 64, image, error)) << error;
    EXPECT_EQ(image.rgba, pixels);

    EXPECT_FALSE(ImageCodec::decodeFile(dir + "/missing.png", 0, image, error));
    EXPECT_NE(error.find("missing.png"), std::string::npos) << error;
    EXPECT_FALSE(ImageCodec::writePNGFile(dir + "/no/such/folder/x.png", pixels.data(), 10, 12, true, error));
    EXPECT_FALSE(ImageCodec::writePNGFile(path, pixels.data(), 0, 12, true, error));
    std::filesystem::remove_all(dir);
}

TEST(ImageCodecTest, OnlyPNGAndJPEGReachADecoderAndDamagedChunksAreRefusedAtOnce)
{
    HostImage image;
    std::string error;
    // A JPEG start with a 16 x 16 frame header whose comment holds a huge SVG and no scan: a
    // decoder that sniffs for itself would take it as SVG and rasterise 30000 x 30000.
    const std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"30000\" height=\"30000\">"
                            "<rect width=\"30000\" height=\"30000\" fill=\"red\"/></svg>";
    // The comment is 255 bytes so that its length has no zero byte for a text sniffer to stop at.
    std::vector<std::uint8_t> face = { 0xFF, 0xD8, 0xFF, 0xFE, 0x01, 0x01 };
    face.insert(face.end(), svg.begin(), svg.end());
    face.resize(6 + 255, ' ');
    const std::vector<std::uint8_t> frame = jpegHeader(16, 16);
    face.insert(face.end(), frame.begin() + 20, frame.end());
    ASSERT_EQ(face.size(), 280u);
    EXPECT_FALSE(ImageCodec::decode(face.data(), face.size(), 0, image, error));
    EXPECT_NE(error.find("JPEG"), std::string::npos) << error;

    // 41 bytes: signature, IHDR, then a chunk claiming two gigabytes.
    std::vector<std::uint8_t> png = encoded(4, 4, false);
    png.resize(41);
    putBigEndian32(png, 33, 0x7FFFFFF0);
    std::memcpy(&png[37], "IDAT", 4);
    EXPECT_FALSE(ImageCodec::decode(png.data(), png.size(), 0, image, error));
    EXPECT_NE(error.find("chunk runs past the end"), std::string::npos) << error;

    for (const std::string& other : { std::string("GIF89a\x10\0\x10\0"), svg, std::string("BM\x36\0\0\0") }) {
        EXPECT_FALSE(ImageCodec::decode(
            reinterpret_cast<const std::uint8_t*>(other.data()), other.size(), 0, image, error));
        EXPECT_NE(error.find("not a PNG or JPEG"), std::string::npos) << error;
    }
}

TEST(ImageCodecTest, EveryPNGColourTypeAndDepthComesOutAsRGBA)
{
    HostImage image;
    std::string error;
    auto decodes = [&](const std::vector<std::uint8_t>& png) {
        return ImageCodec::decode(png.data(), png.size(), 0, image, error);
    };
    auto pixel = [&](int x) { return std::vector<std::uint8_t>(&image.rgba[x * 4], &image.rgba[x * 4 + 4]); };
    using P = std::vector<std::uint8_t>;

    ASSERT_TRUE(decodes(pngOf(2, 1, PNG_COLOR_TYPE_GRAY, 8, { 0, 200 }))) << error;
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_EQ(pixel(1), (P { 200, 200, 200, 255 }));

    ASSERT_TRUE(decodes(pngOf(8, 1, PNG_COLOR_TYPE_GRAY, 1, { 0x80 }))) << error;
    EXPECT_EQ(pixel(0), (P { 255, 255, 255, 255 }));
    EXPECT_EQ(pixel(1), (P { 0, 0, 0, 255 }));

    ASSERT_TRUE(decodes(pngOf(1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, { 90, 30 }))) << error;
    EXPECT_TRUE(image.hasAlpha);
    EXPECT_EQ(pixel(0), (P { 90, 90, 90, 30 }));

    ASSERT_TRUE(decodes(
        pngOf(2, 1, PNG_COLOR_TYPE_PALETTE, 8, { 1, 0 }, { { 10, 20, 30 }, { 40, 50, 60 } }, { 128 })))
        << error;
    EXPECT_TRUE(image.hasAlpha);
    EXPECT_EQ(pixel(0), (P { 40, 50, 60, 255 }));
    EXPECT_EQ(pixel(1), (P { 10, 20, 30, 128 }));

    ASSERT_TRUE(decodes(pngOf(1, 1, PNG_COLOR_TYPE_RGB, 16, { 0xFF, 0xFF, 0x80, 0x00, 0x00, 0x00 })))
        << error;
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_EQ(pixel(0), (P { 255, 128, 0, 255 }));

    ASSERT_TRUE(decodes(pngOf(1, 1, PNG_COLOR_TYPE_RGBA, 16, { 0, 0, 0xFF, 0xFF, 0, 0, 0x40, 0x00 })))
        << error;
    EXPECT_TRUE(image.hasAlpha);
    EXPECT_EQ(pixel(0), (P { 0, 255, 0, 64 }));
}

TEST(ImageCodecTest, JPEGsAreTurnedUprightByTheirExifOrientation)
{
    // Where the red half of the stored 16 x 8 picture ends up once shown upright.
    const struct {
        int orientation, width, height;
        bool redAtTopLeft, redAtBottomRight;
    } cases[] = { { 1, 16, 8, true, false }, { 2, 16, 8, false, true }, { 3, 16, 8, false, true },
        { 4, 16, 8, true, false }, { 5, 8, 16, true, false }, { 6, 8, 16, true, false },
        { 7, 8, 16, false, true }, { 8, 8, 16, false, true } };
    for (const auto& k : cases) {
        const std::vector<std::uint8_t> jpeg = jpegWithOrientation(k.orientation);
        HostImage image;
        std::string error;
        ASSERT_TRUE(ImageCodec::decode(jpeg.data(), jpeg.size(), 0, image, error)) << error;
        EXPECT_EQ(image.width, k.width) << k.orientation;
        EXPECT_EQ(image.height, k.height) << k.orientation;
        EXPECT_EQ(isRed(image, 1, 1), k.redAtTopLeft) << k.orientation;
        EXPECT_EQ(isRed(image, image.width - 2, image.height - 2), k.redAtBottomRight) << k.orientation;
        EXPECT_FALSE(image.hasAlpha);
    }
}
