#include "Engine/Support/Texture2D.h"
#include "Engine/TextureMgr.h"
#include "Support/FakeHost.h"
#include "Support/GLTestSurface.h"

#include <GLES/gl.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

class Texture2DTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!surface.ready())
            GTEST_SKIP() << "no offscreen GL ES 1.1 surface: " << surface.error();
        surface.setResourceDirectory(dir.path());
        Texture2D::setDefaultAlphaPixelFormat(kTexture2DPixelFormat_RGBA8888);
    }
    void TearDown() override
    {
        TextureMgr::purgeSharedTextureMgr();
        Texture2D::setDefaultAlphaPixelFormat(kTexture2DPixelFormat_RGBA8888);
    }

    // Draws the texture 1:1 at the origin with the blend given.
    void drawTexture(Texture2D* texture, GLenum src = GL_ONE, GLenum dst = GL_ONE_MINUS_SRC_ALPHA)
    {
        texture->setAliasTexParameters();
        glBlendFunc(src, dst);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnable(GL_TEXTURE_2D);
        texture->drawAtPoint(CGPointZero);
        glDisable(GL_TEXTURE_2D);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
    }

    // The picture pixel (x, y), y counted from the picture's top, drawn over black.
    RGBA8 drawnPixel(Texture2D* texture, int x, int y)
    {
        surface.begin2D(0, 0, 0);
        drawTexture(texture);
        return surface.pixel(x, static_cast<int>(texture->contentSize().height) - 1 - y);
    }

    void writePicture(const std::string& name, const HostImage& image)
    {
        ASSERT_TRUE(surface.writeImage(dir.file(name), image));
    }

    GLTestSurface surface { 64, 64 };
    TempDir dir;
};

void expectNear(RGBA8 got, int r, int g, int b, int tolerance = 1)
{
    EXPECT_NEAR(got.r, r, tolerance);
    EXPECT_NEAR(got.g, g, tolerance);
    EXPECT_NEAR(got.b, b, tolerance);
}

// What a channel quantised to `bits` reads back as.
int expand(int value, int bits)
{
    const int max = (1 << bits) - 1;
    return static_cast<int>(std::lround((value >> (8 - bits)) * 255.0 / max));
}

} // namespace

TEST_F(Texture2DTest, SizesRoundUpToPowersOfTwoWithinTheLimit)
{
    Ref<Texture2D> t = Texture2D::textureWithImage(solidImage(300, 200, { 255, 0, 0, 255 }));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->pixelsWide(), 512u);
    EXPECT_EQ(t->pixelsHigh(), 256u);
    EXPECT_FLOAT_EQ(t->maxS(), 0.5859375f);
    EXPECT_FLOAT_EQ(t->maxT(), 0.78125f);
    EXPECT_EQ(t->contentSize(), CGSizeMake(300, 200));
    EXPECT_NE(t->name(), 0u);

    Ref<Texture2D> tiny = Texture2D::textureWithImage(solidImage(1, 1024, { 0, 0, 0, 255 }));
    ASSERT_TRUE(tiny);
    EXPECT_EQ(tiny->pixelsWide(), 1u);
    EXPECT_EQ(tiny->pixelsHigh(), 1024u);

    Ref<Texture2D> big = make<Texture2D>();
    EXPECT_EQ(raisedBy([&] {
        big->initWithImage(solidImage(1025, 4, { 0, 0, 0, 255 }));
    }),
        "InternalInconsistencyException: Image is bigger than the supported 1024 x 1024");
    EXPECT_EQ(big->name(), 0u);
}

TEST_F(Texture2DTest, PicturesArePremultipliedWithTheirTopRowAtTZero)
{
    // Top row: half-transparent orange; bottom row: opaque blue.
    const HostImage image = makeImage(2, 2, true, [](int, int y) {
        return y == 0 ? RGBA8 { 200, 100, 50, 128 } : RGBA8 { 0, 0, 255, 255 };
    });
    Ref<Texture2D> t = Texture2D::textureWithImage(image);
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->hasPremultipliedAlpha());
    expectNear(drawnPixel(t, 0, 0), 100, 50, 25);
    expectNear(drawnPixel(t, 1, 1), 0, 0, 255, 0);

    // An opaque picture keeps its colours and blends as straight alpha.
    Ref<Texture2D> opaque = Texture2D::textureWithImage(solidImage(2, 2, { 10, 20, 30, 0 }, false));
    ASSERT_TRUE(opaque);
    EXPECT_FALSE(opaque->hasPremultipliedAlpha());
    expectNear(drawnPixel(opaque, 0, 0), 10, 20, 30, 0);
}

TEST_F(Texture2DTest, SixteenBitFormatsKeepTheTopBitsOfEachChannel)
{
    const RGBA8 colour { 0xFF, 0x84, 0x3C, 0xFF };
    struct Case {
        Texture2DPixelFormat format;
        int rBits, gBits, bBits;
    };
    for (const Case& c :
        { Case { kTexture2DPixelFormat_RGB565, 5, 6, 5 }, Case { kTexture2DPixelFormat_RGBA4444, 4, 4, 4 },
            Case { kTexture2DPixelFormat_RGB5A1, 5, 5, 5 } }) {
        SCOPED_TRACE(c.format);
        Texture2D::setDefaultAlphaPixelFormat(c.format);
        Ref<Texture2D> t = Texture2D::textureWithImage(solidImage(3, 3, colour));
        ASSERT_TRUE(t);
        EXPECT_EQ(t->pixelFormat(), c.format);
        expectNear(drawnPixel(t, 1, 1), expand(colour.r, c.rBits), expand(colour.g, c.gBits),
            expand(colour.b, c.bBits));
    }

    // RGB5A1 keeps only the top bit of alpha: 0x7F is gone, 0x80 is opaque. The blend leaves
    // the texture's alpha in the white colour buffer.
    Texture2D::setDefaultAlphaPixelFormat(kTexture2DPixelFormat_RGB5A1);
    Ref<Texture2D> t = Texture2D::textureWithImage(makeImage(2, 1, true, [](int x, int) {
        return RGBA8 { 255, 255, 255, x == 0 ? 0x7F : 0x80 };
    }));
    ASSERT_TRUE(t);
    surface.begin2D(1, 1, 1);
    drawTexture(t, GL_ZERO, GL_SRC_ALPHA);
    EXPECT_EQ(surface.pixel(0, 0).r, 0);
    EXPECT_EQ(surface.pixel(1, 0).r, 255);

    // Alpha-only textures take the vertex colour, so they must not count as premultiplied.
    Texture2D::setDefaultAlphaPixelFormat(kTexture2DPixelFormat_A8);
    Ref<Texture2D> mask = Texture2D::textureWithImage(solidImage(2, 2, { 0, 0, 0, 102 }));
    ASSERT_TRUE(mask);
    EXPECT_FALSE(mask->hasPremultipliedAlpha());
    surface.begin2D(0, 0, 0);
    drawTexture(mask, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    expectNear(surface.pixel(1, 1), 102, 102, 102);
}

TEST_F(Texture2DTest, BadInputIsRefusedWithoutUploading)
{
    Texture2D::setDefaultAlphaPixelFormat(static_cast<Texture2DPixelFormat>(9));
    Ref<Texture2D> t = make<Texture2D>();
    EXPECT_EQ(raisedBy([&] {
        t->initWithImage(solidImage(2, 2, { 0, 0, 0, 255 }));
    }),
        "InternalInconsistencyException: Invalid pixel format");
    const std::uint8_t pixels[4] = {};
    EXPECT_EQ(raisedBy([&] {
        t->initWithData(pixels, static_cast<Texture2DPixelFormat>(0), 1, 1, { 1, 1 });
    }),
        "InternalInconsistencyException: ");
    EXPECT_EQ(t->name(), 0u);

    testing::internal::CaptureStderr();
    EXPECT_FALSE(t->initWithImage(HostImage {}));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Image is Null"), std::string::npos);
}

TEST_F(Texture2DTest, CacheSharesOneTexturePerNameAsWritten)
{
    writePicture("Ball.png", solidImage(300, 200, { 0, 255, 0, 255 }));
    TextureMgr* mgr = TextureMgr::sharedTextureMgr();
    Ref<Texture2D> a = mgr->addImage("Ball.png");
    Ref<Texture2D> b = mgr->addImage("Ball.png");
    ASSERT_TRUE(a);
    EXPECT_EQ(a.get(), b.get());
    EXPECT_EQ(surface.decodedFiles().size(), 1u);
    EXPECT_EQ(a->fileName(), "Ball.png");

    // The key is the name, not the file: another spelling loads again.
    Ref<Texture2D> c = mgr->addImage(dir.file("Ball.png"));
    ASSERT_TRUE(c);
    EXPECT_NE(a.get(), c.get());
    EXPECT_EQ(mgr->textureCount(), 2u);

    // Only textures that nobody else holds are dropped.
    c = nullptr;
    mgr->removeUnusedTextures();
    EXPECT_EQ(mgr->textureCount(), 1u);
    EXPECT_EQ(mgr->textureForKey("Ball.png"), a.get());
    mgr->removeTexture(a);
    EXPECT_EQ(mgr->textureCount(), 0u);

    TextureMgr::purgeSharedTextureMgr();
    EXPECT_EQ(TextureMgr::sharedTextureMgr()->textureCount(), 0u);
    EXPECT_EQ(raisedBy([] { TextureMgr::sharedTextureMgr()->addImage(""); }),
        "InternalInconsistencyException: TextureMgr: fileimage MUST not be nill");
}

TEST_F(Texture2DTest, UnreadableAndOversizedPicturesGiveNoTextureAndAreReportedOnce)
{
    writePicture("Huge.png", solidImage(1500, 2, { 0, 0, 0, 255 }));
    ASSERT_TRUE(surface.writeImage(dir.file("Broken.png"), solidImage(2, 2, { 0, 0, 0, 255 })));
    std::FILE* f = std::fopen(dir.file("Broken.png").c_str(), "r+b");
    ASSERT_TRUE(f);
    std::fseek(f, 30, SEEK_SET);
    std::fputs("garbage garbage garbage", f);
    std::fclose(f);

    TextureMgr* mgr = TextureMgr::sharedTextureMgr();
    for (const char* name : { "Missing.png", "Huge.png", "Broken.png" }) {
        SCOPED_TRACE(name);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(mgr->addImage(name));
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find(std::string("Image is Null: ") + name), std::string::npos) << log;
    }
    EXPECT_EQ(mgr->textureCount(), 0u);

    // Every ball asks each frame: the failure is remembered until the cache is emptied.
    writePicture("Missing.png", solidImage(4, 4, { 0, 0, 0, 255 }));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(mgr->addImage("Missing.png"));
    EXPECT_FALSE(mgr->addImage("Broken.png"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    mgr->removeAllTextures();
    EXPECT_TRUE(mgr->addImage("Missing.png"));
}

TEST_F(Texture2DTest, DecodedPicturesShareByContentNotByAddress)
{
    TextureMgr* mgr = TextureMgr::sharedTextureMgr();
    HostImage red = solidImage(4, 4, { 255, 0, 0, 255 });
    Ref<Texture2D> first = mgr->addCGImage(red);
    EXPECT_EQ(mgr->addCGImage(solidImage(4, 4, { 255, 0, 0, 255 })).get(), first.get());
    // The same object with new pixels is a new picture.
    red.rgba[0] = 0;
    EXPECT_NE(mgr->addCGImage(red).get(), first.get());
    EXPECT_EQ(mgr->addCGImage(red, "face").get(), mgr->addCGImage(solidImage(1, 1, {}), "face").get());
}

TEST(Texture2DScaledTest, SharpPicturesLoadOnScaledSurfacesAndReportPoints)
{
    TempDir dir;
    for (float scale : { 1.0f, 2.0f }) {
        SCOPED_TRACE(scale);
        GLTestSurface surface(32, 32, scale);
        if (!surface.ready())
            GTEST_SKIP() << surface.error();
        surface.setResourceDirectory(dir.path());
        ASSERT_TRUE(surface.writeImage(dir.file("Head.png"), solidImage(10, 6, { 0, 0, 255, 255 })));
        ASSERT_TRUE(surface.writeImage(dir.file("Head@2x.png"), solidImage(20, 12, { 255, 0, 0, 255 })));
        // A sharp picture too big for a texture leaves the ordinary one.
        ASSERT_TRUE(surface.writeImage(dir.file("Wide.png"), solidImage(600, 2, { 0, 0, 255, 255 })));
        ASSERT_TRUE(surface.writeImage(dir.file("Wide@2x.png"), solidImage(1200, 4, { 255, 0, 0, 255 })));

        TextureMgr* mgr = TextureMgr::sharedTextureMgr();
        Ref<Texture2D> head = mgr->addImage("Head.png");
        ASSERT_TRUE(head);
        EXPECT_EQ(head->contentSize(), CGSizeMake(10, 6));
        EXPECT_EQ(head->contentScale(), scale);
        EXPECT_EQ(head->pixelsWide(), scale == 2 ? 32u : 16u);

        testing::internal::CaptureStderr();
        Ref<Texture2D> wide = mgr->addImage("Wide.png");
        testing::internal::GetCapturedStderr();
        ASSERT_TRUE(wide);
        EXPECT_EQ(wide->contentSize(), CGSizeMake(600, 2));
        EXPECT_EQ(wide->contentScale(), 1);
        TextureMgr::purgeSharedTextureMgr();
    }
}
