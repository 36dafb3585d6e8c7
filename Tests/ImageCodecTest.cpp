// PNG and JPEG decoding and PNG encoding: round trips, damaged files, and pictures refused
// for their size before any pixel is decoded.

#include "Platform/ImageCodec.h"

#include <gtest/gtest.h>

#include <cstdio>
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
    EXPECT_NE(error.find("larger than 16384"), std::string::npos) << error;

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
