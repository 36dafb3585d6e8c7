// Pictures drawn without the GL matrix stack and without per-picture state switches must look
// exactly as they did through it.
#include "Engine/DrawingPrimitives.h"
#include "Engine/Sprite.h"
#include "Engine/TextureMgr.h"
#include "Support/GLTestSurface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

class DrawPathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!surface.ready())
            GTEST_SKIP() << "no offscreen GL ES 1.1 surface: " << surface.error();
        surface.setResourceDirectory(BONZELAR_TEST_RESOURCES);
    }
    void TearDown() override
    {
        TextureNode::setQuadPathEnabled(false);
        TextureMgr::purgeSharedTextureMgr();
    }

    std::vector<std::uint8_t> render(Node* root)
    {
        surface.begin2D(0.2f, 0.3f, 0.4f);
        root->visit();
        int w = 0, h = 0;
        return surface.readPixels(w, h);
    }

    GLTestSurface surface { 160, 160 };
};

// Lines drawn between pictures, as the wireframes are: they need the untextured resting state.
class Lines : public Node {
public:
    void draw() override { drawLine(CGPointMake(0, 80), CGPointMake(160, 80)); }
};

} // namespace

TEST_F(DrawPathTest, PicturesPlacedWithoutTheMatrixStackLookTheSame)
{
    Ref<Node> root = Node::node();
    const char* files[] = { "Nerd_Head.png", "Ball1.png", "Nerd_Thigh.png", "Narwhal_Body.png" };
    const float rotations[] = { 0, 17.3f, -123.7f, 90 };
    const float scales[] = { 1, 0.37f, 1.6f, 0.5f };
    for (int i = 0; i < 8; ++i) {
        Ref<Sprite> sprite = Sprite::spriteWithFile(files[i % 4]);
        ASSERT_TRUE(sprite->texture()) << files[i % 4];
        sprite->setPosition(
            CGPointMake(20.25f + 17.5f * static_cast<float>(i), 30.7f + 13.1f * static_cast<float>(i)));
        sprite->setRotation(rotations[i % 4] + static_cast<float>(i));
        sprite->setScaleX(scales[i % 4]);
        sprite->setScaleY(scales[(i + 1) % 4]);
        if (i % 3 == 1)
            sprite->setAnchorPoint(CGPointMake(0, 0.25f));
        if (i % 4 == 2)
            sprite->setRelativeAnchorPoint(false);
        if (i == 5)
            sprite->setOpacity(128);
        root->addChild(sprite, i == 3 ? 1 : 0);
    }
    root->addChild(make<Lines>(), 0);

    const std::vector<std::uint8_t> general = render(root.get());
    TextureNode::setQuadPathEnabled(true);
    const std::vector<std::uint8_t> quick = render(root.get());
    ASSERT_EQ(quick.size(), general.size());
    ASSERT_FALSE(quick.empty());
    // Placed on the CPU, a corner may round to the other side of a pixel centre: one level.
    int worst = 0;
    for (std::size_t i = 0; i < quick.size(); ++i)
        worst = std::max(worst, std::abs(int(quick[i]) - int(general[i])));
    EXPECT_LE(worst, 1);
    // The line after the pictures is drawn white, not with a texture.
    bool white = false;
    for (int y = 79; y <= 81; ++y) {
        const RGBA8 p = surface.pixel(5, y);
        white = white || (p.r == 255 && p.g == 255 && p.b == 255);
    }
    EXPECT_TRUE(white);
}

TEST_F(DrawPathTest, OnlyACompletelyFadedPictureIsSkipped)
{
    Ref<Sprite> sprite = Sprite::spriteWithFile("Ball1.png");
    ASSERT_TRUE(sprite->texture());
    sprite->setOpacity(0);
    EXPECT_TRUE(sprite->drawsNothing());
    // Tinted after fading, a premultiplied picture still adds its colour.
    sprite->setColor({ 255, 0, 0 });
    EXPECT_FALSE(sprite->drawsNothing());
    sprite->setBlendFunc(kBlendFuncStraightAlpha);
    EXPECT_TRUE(sprite->drawsNothing());
    sprite->setBlendFunc({ GL_ONE, GL_ONE });
    EXPECT_FALSE(sprite->drawsNothing());
    sprite->setOpacity(1);
    sprite->setBlendFunc(kBlendFuncStraightAlpha);
    EXPECT_FALSE(sprite->drawsNothing());
}
