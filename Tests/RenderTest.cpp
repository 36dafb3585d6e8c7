// Whole nodes drawn into an offscreen surface and read back.
//
// Set BONZELAR_SCREENSHOT_DIR to keep the pictures (render-scale1.png, render-scale2.png,
// render-fps.png).

#include "Engine/Director.h"
#include "Engine/DrawingPrimitives.h"
#include "Engine/Label.h"
#include "Engine/Sprite.h"
#include "Engine/TextureMgr.h"
#include "Support/GLTestSurface.h"

#include <GLES/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// A red disc filling a side x side picture, its edge fading over `soft` pixels (straight alpha).
HostImage disc(int side, float soft)
{
    return makeImage(side, side, true, [=](int x, int y) {
        const float r = static_cast<float>(side) / 2;
        const float d = std::hypot(static_cast<float>(x) + 0.5f - r, static_cast<float>(y) + 0.5f - r);
        const float a = std::clamp((r - d) / soft, 0.0f, 1.0f);
        return RGBA8 { 255, 0, 0, static_cast<int>(std::lround(a * 255)) };
    });
}

class RenderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!surface.ready())
            GTEST_SKIP() << "no offscreen GL ES 1.1 surface: " << surface.error();
        surface.setResourceDirectory(dir.path());
    }
    void TearDown() override { TextureMgr::purgeSharedTextureMgr(); }

    GLTestSurface surface { 128, 128 };
    TempDir dir;
};

} // namespace

TEST_F(RenderTest, PremultipliedSpriteBlendsWithoutFringes)
{
    ASSERT_TRUE(surface.writeImage(dir.file("Disc.png"), disc(16, 4)));
    Ref<Sprite> sprite = Sprite::spriteWithFile("Disc.png");
    sprite->setPosition({ 64, 64 });
    // Magnified, so filtering mixes the edge texels with the transparent padding too.
    sprite->setScale(6);
    surface.begin2D(0, 1, 0);
    sprite->visit();

    int partial = 0;
    for (int y = 10; y < 118; ++y)
        for (int x = 10; x < 118; ++x) {
            const RGBA8 p = surface.pixel(x, y);
            // Red over green: any darkening or brightening shows as a sum away from 255.
            ASSERT_NEAR(p.r + p.g, 255, 3) << "at " << x << "," << y << ": " << p.r << " " << p.g;
            ASSERT_EQ(p.b, 0);
            partial += p.r > 20 && p.r < 235;
        }
    EXPECT_GT(partial, 100);

    // Fading a premultiplied sprite fades its colour with it.
    sprite->setOpacity(128);
    surface.begin2D(0, 0, 0);
    sprite->visit();
    const RGBA8 centre = surface.pixel(64, 64);
    EXPECT_NEAR(centre.r, 128, 2);
    EXPECT_EQ(centre.g, 0);
}

TEST_F(RenderTest, AlphaOnlyLabelDrawsInItsColour)
{
    Ref<Label> label = Label::labelWithString("Hello", "Helvetica", 24);
    label->setPosition({ 64, 64 });
    const CGSize size = label->contentSize();
    ASSERT_GT(size.width, 20);

    auto scan = [&](int& maxRed, bool& onlyRed, bool& grey, bool& clearOutside) {
        maxRed = 0;
        onlyRed = grey = clearOutside = true;
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x) {
                const RGBA8 p = surface.pixel(x, y);
                const bool inside = std::fabs(static_cast<float>(x) + 0.5f - 64) < size.width / 2 + 1
                    && std::fabs(static_cast<float>(y) + 0.5f - 64) < size.height / 2 + 1;
                if (!inside && (p.r || p.g || p.b))
                    clearOutside = false;
                maxRed = std::max(maxRed, p.r);
                onlyRed = onlyRed && p.g == 0 && p.b == 0;
                grey = grey && p.r == p.g && p.g == p.b;
            }
    };

    int maxRed;
    bool onlyRed, grey, clearOutside;
    surface.begin2D(0, 0, 0);
    label->visit();
    scan(maxRed, onlyRed, grey, clearOutside);
    EXPECT_GT(maxRed, 230);
    EXPECT_TRUE(grey);
    EXPECT_TRUE(clearOutside);

    label->setColor({ 255, 0, 0 });
    label->setOpacity(128);
    surface.begin2D(0, 0, 0);
    label->visit();
    scan(maxRed, onlyRed, grey, clearOutside);
    EXPECT_TRUE(onlyRed);
    EXPECT_NEAR(maxRed, 128, 12);
}

TEST(RenderSceneTest, SceneLooksTheSameAtScaleOneAndTwo)
{
    TempDir dir;
    const char* keep = std::getenv("BONZELAR_SCREENSHOT_DIR");
    CGSize labelSizes[2];
    for (float scale : { 1.0f, 2.0f }) {
        SCOPED_TRACE(scale);
        GLTestSurface surface(160, 240, scale);
        if (!surface.ready())
            GTEST_SKIP() << surface.error();
        surface.setResourceDirectory(dir.path());
        ASSERT_TRUE(surface.writeImage(dir.file("Ball.png"), disc(40, 1.5f)));
        ASSERT_TRUE(surface.writeImage(dir.file("Ball@2x.png"), disc(80, 3)));

        Ref<Sprite> ball = Sprite::spriteWithFile("Ball.png");
        ball->setPosition({ 50, 180 });
        Ref<Label> label = Label::labelWithString("Bonzelar", "Marker Felt", 22);
        label->setPosition({ 80, 120 });
        label->setColor({ 255, 255, 0 });

        surface.begin2D(0.1f, 0.15f, 0.3f);
        ball->visit();
        label->visit();
        glColor4ub(255, 255, 255, 255);
        glLineWidth(scale);
        drawCircle({ 110, 180 }, 25, 0.5f, 25, true);
        const CGPoint box[4] = { { 20, 20 }, { 140, 20 }, { 140, 80 }, { 20, 80 } };
        drawPoly(box, 4, true);
        drawLine({ 20, 50 }, { 140, 50 });

        EXPECT_EQ(ball->texture()->contentScale(), scale);
        EXPECT_EQ(label->texture()->contentScale(), scale);
        labelSizes[scale == 1 ? 0 : 1] = label->contentSize();
        EXPECT_EQ(ball->contentSize(), CGSizeMake(40, 40));
        const RGBA8 centre = surface.pixelAtPoint(50, 180);
        EXPECT_EQ(centre.r, 255);
        EXPECT_EQ(centre.g, 0);
        const RGBA8 outside = surface.pixelAtPoint(50, 203);
        EXPECT_LT(outside.r, 60);
        // Lines fall within a pixel of their path.
        auto lineNear = [&](float x, float y) {
            int best = 0;
            for (int d = -1; d <= 1; ++d)
                for (int e = -1; e <= 1; ++e)
                    best = std::max(best,
                        surface
                            .pixelAtPoint(
                                x + static_cast<float>(d) / scale, y + static_cast<float>(e) / scale)
                            .r);
            return best;
        };
        EXPECT_GT(lineNear(80, 50), 200);
        EXPECT_GT(lineNear(140, 65), 200);

        if (keep) {
            char name[64];
            std::snprintf(name, sizeof name, "/render-scale%d.png", static_cast<int>(scale));
            EXPECT_TRUE(surface.savePNG(keep + std::string(name)));
        }
        ball = nullptr;
        label = nullptr;
        TextureMgr::purgeSharedTextureMgr();
    }
    // Text is measured in points, so sharper text keeps its layout.
    EXPECT_NEAR(labelSizes[0].width, labelSizes[1].width, 1.0f);
    EXPECT_NEAR(labelSizes[0].height, labelSizes[1].height, 1.0f);
}

TEST(RenderDirectorTest, FrameRateCounterDrawsFromTheDigitAtlas)
{
    GLTestSurface surface(320, 480);
    if (!surface.ready())
        GTEST_SKIP() << surface.error();
    surface.setResourceDirectory(BONZELAR_TEST_RESOURCES);
    Director* director = Director::sharedDirector();
    director->setDisplayFPS(true);
    ASSERT_TRUE(director->attachInWindow(WindowInfo {}));
    director->runWithScene(Scene::node());
    for (int i = 0; i < 8; ++i) {
        surface.advance(1.0 / 60.0);
        director->mainLoop();
    }
    EXPECT_NEAR(director->frameRate(), 60.0f, 0.1f);

    // "60.0": four 16 x 24 cells at the bottom left, nothing to their right.
    int cellsInked = 0;
    for (int cell = 0; cell < 4; ++cell) {
        bool inked = false;
        for (int y = 0; y < 24 && !inked; ++y)
            for (int x = cell * 16; x < cell * 16 + 16 && !inked; ++x) {
                const RGBA8 p = surface.pixel(x, y);
                inked = p.r + p.g + p.b > 200;
            }
        cellsInked += inked;
    }
    EXPECT_EQ(cellsInked, 4);
    if (const char* keep = std::getenv("BONZELAR_SCREENSHOT_DIR")) {
        EXPECT_TRUE(surface.savePNG(keep + std::string("/render-fps.png")));
    }
    for (int y = 0; y < 24; ++y)
        for (int x = 64; x < 96; ++x)
            ASSERT_EQ(surface.pixel(x, y).r, 0) << x << "," << y;

    director->end();
    Director::purgeSharedDirector();
    EXPECT_EQ(TextureMgr::sharedTextureMgr()->textureCount(), 0u);
}
