// Text rasterising: fonts resolve to installed files, text leaves ink, wrapping and alignment
// move it where the layouts expect.

#include "Platform/TextRasterizer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

HostTextRequest request(const std::string& text, float width = 0, float height = 0, int alignment = 0)
{
    HostTextRequest r;
    r.text = text;
    r.fontName = "Helvetica";
    r.fontSize = 20;
    r.width = width;
    r.height = height;
    r.alignment = alignment;
    return r;
}

struct Ink {
    long total = 0;
    int left = -1, right = -1, top = -1, bottom = -1; // bounds of the covered pixels
};

Ink inkOf(const HostTextBitmap& b)
{
    Ink ink;
    for (int y = 0; y < b.height; ++y) {
        for (int x = 0; x < b.width; ++x) {
            const int a = b.alpha[std::size_t(y) * b.width + x];
            if (a < 64)
                continue;
            ink.total += a;
            if (ink.left < 0 || x < ink.left)
                ink.left = x;
            ink.right = std::max(ink.right, x);
            if (ink.top < 0)
                ink.top = y;
            ink.bottom = y;
        }
    }
    return ink;
}

HostTextBitmap rendered(const HostTextRequest& r)
{
    HostTextBitmap bitmap;
    std::string error;
    EXPECT_TRUE(TextRasterizer::shared().render(r, bitmap, error)) << error;
    EXPECT_EQ(bitmap.alpha.size(), std::size_t(bitmap.width) * bitmap.height);
    return bitmap;
}

} // namespace

TEST(TextRasterizerTest, PhoneFontNamesResolveToInstalledFonts)
{
    TextRasterizer& text = TextRasterizer::shared();
    EXPECT_NE(text.fontFileFor("Helvetica").find("LiberationSans-Regular"), std::string::npos);
    EXPECT_NE(text.fontFileFor("Arial").find("LiberationSans-Regular"), std::string::npos);
    EXPECT_NE(text.fontFileFor("Helvetica-Bold").find("LiberationSans-Bold"), std::string::npos);
    EXPECT_NE(text.fontFileFor("Courier New").find("LiberationMono"), std::string::npos);
    // Names nobody has installed still give a font.
    for (const char* name : { "Marker Felt", "No Such Font 12", "" }) {
        const std::string file = text.fontFileFor(name);
        EXPECT_TRUE(std::filesystem::is_regular_file(file)) << name << " -> " << file;
    }
}

TEST(TextRasterizerTest, TextLeavesInkAndMeasuresAsItRenders)
{
    const HostTextRequest r = request("Bonzelar");
    const HostTextBitmap bitmap = rendered(r);
    const Ink ink = inkOf(bitmap);
    EXPECT_GT(ink.total, 0);
    float w = 0, h = 0;
    std::string error;
    ASSERT_TRUE(TextRasterizer::shared().measure(r, w, h, error)) << error;
    EXPECT_EQ(int(w), bitmap.width);
    EXPECT_EQ(int(h), bitmap.height);
    EXPECT_GT(w, 40);
    EXPECT_GT(h, 15);
    EXPECT_LT(h, 40);

    // An unknown font still draws.
    HostTextRequest unknown = r;
    unknown.fontName = "Marker Felt";
    EXPECT_GT(inkOf(rendered(unknown)).total, 0);
}

TEST(TextRasterizerTest, WrappingInsideTheBoxGivesMoreLines)
{
    const std::string text = "Narwhal does not support custom faces.";
    float oneW = 0, oneH = 0, wrappedW = 0, wrappedH = 0;
    std::string error;
    ASSERT_TRUE(TextRasterizer::shared().measure(request(text), oneW, oneH, error)) << error;
    ASSERT_TRUE(TextRasterizer::shared().measure(request(text, 120), wrappedW, wrappedH, error)) << error;
    EXPECT_GT(oneW, 120);
    EXPECT_LE(wrappedW, 120);
    EXPECT_GE(wrappedH, 3 * oneH);

    // Explicit line breaks count too, and a word longer than the box is broken, not lost.
    float w = 0, h = 0;
    ASSERT_TRUE(TextRasterizer::shared().measure(request("one\ntwo"), w, h, error));
    EXPECT_FLOAT_EQ(h, 2 * oneH);
    ASSERT_TRUE(TextRasterizer::shared().measure(request("Supercalifragilistic", 40), w, h, error));
    EXPECT_LE(w, 40);
    EXPECT_GE(h, 3 * oneH);
    const HostTextBitmap broken = rendered(request("Supercalifragilistic", 40));
    EXPECT_GT(inkOf(broken).bottom, int(2 * oneH));
}

TEST(TextRasterizerTest, AlignmentShiftsInkWithinTheBox)
{
    const HostTextBitmap left = rendered(request("Hi", 300, 30, 0));
    const HostTextBitmap centre = rendered(request("Hi", 300, 30, 1));
    const HostTextBitmap right = rendered(request("Hi", 300, 30, 2));
    for (const HostTextBitmap* b : { &left, &centre, &right }) {
        EXPECT_EQ(b->width, 300);
        EXPECT_EQ(b->height, 30);
    }
    const Ink l = inkOf(left), c = inkOf(centre), r = inkOf(right);
    EXPECT_LT(l.left, 10);
    EXPECT_NEAR((c.left + c.right) / 2.0, 150, 6);
    EXPECT_GT(r.right, 289);
    EXPECT_EQ(l.right - l.left, r.right - r.left); // the same glyphs, only moved
}

TEST(TextRasterizerTest, ScaleAndBoxHeightSetThePixelSize)
{
    HostTextRequest r = request("Return to Game", 200, 20, 1);
    const HostTextBitmap one = rendered(r);
    r.scale = 2;
    const HostTextBitmap two = rendered(r);
    EXPECT_EQ(two.width, 2 * one.width);
    EXPECT_EQ(two.height, 2 * one.height);
    EXPECT_NEAR(double(inkOf(two).total) / double(inkOf(one).total), 4.0, 0.8);

    // A box lower than the text clips it; empty text is a blank box.
    const HostTextBitmap clipped = rendered(request("one\ntwo\nthree", 100, 10));
    EXPECT_EQ(clipped.height, 10);
    const HostTextBitmap blank = rendered(request("", 50, 20));
    EXPECT_EQ(blank.width, 50);
    EXPECT_EQ(inkOf(blank).total, 0);
    EXPECT_GE(rendered(request("")).width, 1);
}

TEST(TextRasterizerTest, UnusableRequestsFailCleanly)
{
    HostTextBitmap bitmap;
    std::string error;
    HostTextRequest huge = request("x", 100000, 100000);
    EXPECT_FALSE(TextRasterizer::shared().render(huge, bitmap, error));
    EXPECT_FALSE(error.empty());
    HostTextRequest noSize = request("x");
    noSize.fontSize = 0;
    EXPECT_FALSE(TextRasterizer::shared().render(noSize, bitmap, error));
}
