#include "Engine/Sprite.h"
#include "Engine/Support/Exception.h"
#include "Engine/TextureMgr.h"
#include "Support/FakeHost.h"
#include "Support/GLTestSurface.h"

#include "Tooling/NodeDump.h"
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace {

class SpriteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!surface.ready())
            GTEST_SKIP() << "no offscreen GL ES 1.1 surface: " << surface.error();
        surface.setResourceDirectory(dir.path());
        ASSERT_TRUE(surface.writeImage(dir.file("Picture.png"), solidImage(300, 200, { 255, 0, 0, 255 })));
        ASSERT_TRUE(surface.writeImage(dir.file("Opaque.png"), solidImage(8, 8, { 0, 0, 255, 255 }, false)));
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(surface.writeImage(
                dir.file("frame_" + std::to_string(i) + ".png"), solidImage(4 + i, 4, { 0, 255, 0, 255 })));
    }
    void TearDown() override { TextureMgr::purgeSharedTextureMgr(); }

    GLTestSurface surface { 32, 32 };
    TempDir dir;
};

} // namespace

TEST_F(SpriteTest, SpritesOfOneFileShareItsTextureAndTakeItsSize)
{
    Ref<Sprite> a = Sprite::spriteWithFile("Picture.png");
    Ref<Sprite> b = Sprite::spriteWithFile("Picture.png");
    ASSERT_TRUE(a->texture());
    EXPECT_EQ(a->texture(), b->texture());
    EXPECT_EQ(a->contentSize(), CGSizeMake(300, 200));
    // Centred on its position.
    EXPECT_EQ(a->transformAnchor(), CGPointMake(150, 100));

    const nlohmann::json dump = NodeDump::properties(a);
    EXPECT_EQ(dump["texture"], "Picture.png");
}

TEST_F(SpriteTest, MissingPictureGivesAnEmptySpriteThatDrawsNothing)
{
    testing::internal::CaptureStderr();
    Ref<Sprite> sprite = Sprite::spriteWithFile("Nowhere.png");
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(sprite);
    EXPECT_NE(log.find("Image is Null: Nowhere.png"), std::string::npos);
    EXPECT_EQ(sprite->texture(), nullptr);
    EXPECT_EQ(sprite->contentSize(), CGSizeZero);
    surface.begin2D(0, 0, 0);
    sprite->visit();
    EXPECT_EQ(surface.pixel(16, 16).r, 0);
}

TEST_F(SpriteTest, OpacityAndBlendFollowTheTexturesAlpha)
{
    Ref<Sprite> premultiplied = Sprite::spriteWithFile("Picture.png");
    EXPECT_TRUE(premultiplied->doesOpacityModifyRGB());
    EXPECT_EQ(premultiplied->blendFunc(), kBlendFuncDefault);
    premultiplied->setRGB(255, 0, 0);
    premultiplied->setOpacity(100);
    EXPECT_EQ(premultiplied->color(), (Color3B { 100, 100, 100 }));
    EXPECT_EQ(premultiplied->opacity(), 100);

    Ref<Sprite> straight = Sprite::spriteWithFile("Opaque.png");
    EXPECT_FALSE(straight->doesOpacityModifyRGB());
    EXPECT_EQ(straight->blendFunc(), kBlendFuncStraightAlpha);
    straight->setRGB(255, 0, 0);
    straight->setOpacity(100);
    EXPECT_EQ(straight->color(), (Color3B { 255, 0, 0 }));

    // A premultiplied texture afterwards does not bring the default blend back.
    straight->setTexture(premultiplied->texture());
    EXPECT_EQ(straight->blendFunc(), kBlendFuncStraightAlpha);
    EXPECT_TRUE(straight->doesOpacityModifyRGB());
}

TEST_F(SpriteTest, AnimationFramesBecomeTheDisplayedTexture)
{
    Ref<Animation> walk
        = Animation::animationWithName("walk", 0.05f, { "frame_0.png", "frame_1.png", "frame_2.png" });
    testing::internal::CaptureStderr();
    walk->addFrameWithFilename("frame_missing.png");
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(walk->frames().size(), 3u);
    EXPECT_EQ(walk->frames()[1].get(), TextureMgr::sharedTextureMgr()->addImage("frame_1.png").get());

    Ref<Sprite> sprite = Sprite::spriteWithFile("frame_0.png");
    sprite->addAnimation(walk);
    EXPECT_EQ(sprite->animationByName("walk"), walk.get());
    EXPECT_EQ(sprite->animationByName("run"), nullptr);

    sprite->setDisplayFrame("walk", 2);
    EXPECT_TRUE(sprite->isFrameDisplayed(walk->frames()[2]));
    EXPECT_FALSE(sprite->isFrameDisplayed(walk->frames()[0]));
    EXPECT_EQ(sprite->displayFrame(), walk->frames()[2].get());
    EXPECT_EQ(sprite->contentSize(), CGSizeMake(6, 4));
    sprite->setDisplayFrame(walk->frames()[0]);
    EXPECT_EQ(sprite->contentSize(), CGSizeMake(4, 4));

    EXPECT_EQ(raisedBy([&] { sprite->animationByName(""); }),
        "InternalInconsistencyException: animationName parameter must be non nil");
    EXPECT_THROW(sprite->setDisplayFrame("walk", 3), Exception);
    EXPECT_THROW(sprite->setDisplayFrame("run", 0), Exception);
    EXPECT_EQ(sprite->displayFrame(), walk->frames()[0].get());
}
