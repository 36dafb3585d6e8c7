#include "Engine/Label.h"
#include "Engine/LabelAtlas.h"
#include "Engine/TextureAtlas.h"
#include "Engine/TextureMgr.h"
#include "Support/FakeHost.h"
#include "Support/GLTestSurface.h"

#include "Tooling/NodeDump.h"
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace {

// 12 cells of 16 x 24 in 4 columns: '.', '/', '0' ... '9'.
HostImage charMap()
{
    return makeImage(64, 72, true, [](int x, int y) {
        const int cell = (y / 24) * 4 + x / 16;
        return RGBA8 { 20 * cell + 10, 255 - 20 * cell, 0, 255 };
    });
}

class LabelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!surface.ready())
            GTEST_SKIP() << "no offscreen GL ES 1.1 surface: " << surface.error();
        surface.setResourceDirectory(dir.path());
        ASSERT_TRUE(surface.writeImage(dir.file("digits.png"), charMap()));
    }
    void TearDown() override { TextureMgr::purgeSharedTextureMgr(); }

    CGSize measure(const std::string& text, const std::string& font, float size)
    {
        HostTextRequest request;
        request.text = text;
        request.fontName = font;
        request.fontSize = size;
        float w = 0, h = 0;
        EXPECT_TRUE(surface.measureText(request, w, h));
        return { w, h };
    }

    GLTestSurface surface { 64, 64 };
    TempDir dir;
};

V3F_C4B_T2F_Quad markedQuad(float id)
{
    V3F_C4B_T2F_Quad q;
    q.tl.vertices.x = id;
    return q;
}

std::vector<float> quadIds(const TextureAtlas& atlas)
{
    std::vector<float> ids;
    for (unsigned i = 0; i < atlas.totalQuads(); ++i)
        ids.push_back(atlas.quads()[i].tl.vertices.x);
    return ids;
}

} // namespace

TEST_F(LabelTest, LabelTakesTheMeasuredSizeOfEachString)
{
    Ref<Label> label = Label::labelWithString("Pain", "Helvetica", 18);
    EXPECT_EQ(label->contentSize(), measure("Pain", "Helvetica", 18));
    ASSERT_TRUE(label->texture());
    EXPECT_EQ(label->texture()->pixelFormat(), kTexture2DPixelFormat_A8);
    EXPECT_EQ(label->blendFunc(), kBlendFuncStraightAlpha);
    EXPECT_FALSE(label->doesOpacityModifyRGB());

    const float shortWidth = label->contentSize().width;
    label->setString("Pain: 1234567");
    EXPECT_EQ(label->contentSize(), measure("Pain: 1234567", "Helvetica", 18));
    EXPECT_GT(label->contentSize().width, shortWidth);

    Ref<Label> boxed
        = Label::labelWithString("Gravity", CGSizeMake(120, 30), UITextAlignmentLeft, "Marker Felt", 20);
    EXPECT_EQ(boxed->contentSize(), CGSizeMake(120, 30));
    EXPECT_EQ(boxed->texture()->pixelsWide(), 128u);
    boxed->setString("A longer string that wraps inside the box");
    EXPECT_EQ(boxed->contentSize(), CGSizeMake(120, 30));

    label->setRGB(255, 128, 0);
    const nlohmann::json dump = NodeDump::properties(label);
    EXPECT_EQ(dump["text"], "Pain: 1234567");
    EXPECT_EQ(dump["color"], nlohmann::json::array({ 255, 128, 0 }));

    EXPECT_EQ(raisedBy([] { Label::node(); }),
        "LabelInit: Use initWithString:dimensions:aligment:fontName:font instead");
}

TEST_F(LabelTest, LabelAtlasGrowsForLongerStringsAndDrawsOnlyItsOwn)
{
    Ref<LabelAtlas> label = LabelAtlas::labelAtlasWithString("", "digits.png", 16, 24, '.');
    ASSERT_TRUE(label->textureAtlas());
    EXPECT_EQ(label->textureAtlas()->capacity(), 0u);
    EXPECT_EQ(label->itemsPerRow(), 4);
    EXPECT_EQ(label->itemsPerColumn(), 3);
    EXPECT_FLOAT_EQ(label->texStepX(), 0.25f);
    EXPECT_FLOAT_EQ(label->texStepY(), 24.0f / 128.0f);

    label->setString("12.5");
    TextureAtlas* atlas = label->textureAtlas();
    EXPECT_EQ(atlas->capacity(), 4u);
    EXPECT_EQ(atlas->totalQuads(), 4u);
    EXPECT_EQ(label->contentSize(), CGSizeMake(64, 24));
    // '5' is cell 7: column 3, row 1.
    const V3F_C4B_T2F_Quad& five = atlas->quads()[3];
    EXPECT_FLOAT_EQ(five.tl.vertices.x, 48);
    EXPECT_FLOAT_EQ(five.tl.vertices.y, 24);
    EXPECT_FLOAT_EQ(five.br.vertices.x, 64);
    EXPECT_FLOAT_EQ(five.br.vertices.y, 0);
    EXPECT_FLOAT_EQ(five.tl.texCoords.u, 0.75f);
    EXPECT_FLOAT_EQ(five.tl.texCoords.v, 0.1875f);
    EXPECT_FLOAT_EQ(five.br.texCoords.u, 1.0f);
    EXPECT_FLOAT_EQ(five.br.texCoords.v, 0.375f);

    label->setString("7");
    EXPECT_EQ(atlas->capacity(), 4u);
    EXPECT_EQ(label->contentSize(), CGSizeMake(16, 24));

    // A space lies 14 cells before '.': column -2, row -3.
    label->setString(" 9");
    EXPECT_FLOAT_EQ(atlas->quads()[0].tl.texCoords.u, -0.5f);
    EXPECT_FLOAT_EQ(atlas->quads()[0].tl.texCoords.v, -3 * 0.1875f);

    const nlohmann::json dump = NodeDump::properties(label);
    EXPECT_EQ(dump["text"], " 9");
    EXPECT_EQ(dump["texture"], "digits.png");

    EXPECT_EQ(raisedBy([] { AtlasNode::atlasWithTileFile("digits.png", 16, 24, 1)->updateAtlasValues(); }),
        "AtlasNode:Abstract: updateAtlasValue not overriden");

    // A missing map draws nothing rather than dividing by a zero row width.
    testing::internal::CaptureStderr();
    Ref<LabelAtlas> blind = LabelAtlas::labelAtlasWithString("00.0", "nomap.png", 16, 24, '.');
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(blind->contentSize(), CGSizeMake(64, 24));
    blind->setString("12");
    surface.begin2D(0, 0, 0);
    blind->visit();
}

TEST_F(LabelTest, TextureAtlasKeepsQuadsInOrderAndInBounds)
{
    Ref<TextureAtlas> atlas = TextureAtlas::textureAtlasWithFile("digits.png", 3);
    ASSERT_TRUE(atlas);
    const GLushort expected[12] = { 0, 1, 2, 3, 2, 1, 4, 5, 6, 7, 6, 5 };
    EXPECT_TRUE(std::equal(expected, expected + 12, atlas->indices()));

    atlas->updateQuad(markedQuad(1), 1);
    EXPECT_EQ(atlas->totalQuads(), 2u);
    atlas->insertQuad(markedQuad(9), 0);
    EXPECT_EQ(quadIds(*atlas), (std::vector<float> { 9, 0, 1 }));
    EXPECT_EQ(raisedBy([&] { atlas->insertQuad(markedQuad(5), 1); }),
        "InternalInconsistencyException: insertQuad: the atlas is full");
    atlas->insertQuadFromIndex(0, 2);
    EXPECT_EQ(quadIds(*atlas), (std::vector<float> { 0, 1, 9 }));
    atlas->insertQuadFromIndex(2, 0);
    EXPECT_EQ(quadIds(*atlas), (std::vector<float> { 9, 0, 1 }));
    atlas->removeQuadAtIndex(1);
    EXPECT_EQ(quadIds(*atlas), (std::vector<float> { 9, 1 }));

    EXPECT_EQ(raisedBy([&] { atlas->updateQuad(markedQuad(0), 3); }),
        "InternalInconsistencyException: updateQuadWithTexture: Invalid index");
    EXPECT_EQ(raisedBy([&] { atlas->removeQuadAtIndex(2); }),
        "InternalInconsistencyException: removeQuadAtIndex: Invalid index");
    EXPECT_EQ(raisedBy([&] { atlas->insertQuadFromIndex(0, 2); }),
        "InternalInconsistencyException: insertQuadFromIndex:atIndex: Invalid index");

    // Inserting past the end lands at the end, not after a gap of stale quads.
    atlas->insertQuad(markedQuad(7), 2);
    EXPECT_EQ(quadIds(*atlas), (std::vector<float> { 9, 1, 7 }));

    EXPECT_TRUE(atlas->resizeCapacity(1));
    EXPECT_EQ(quadIds(*atlas), (std::vector<float> { 9 }));
    EXPECT_TRUE(atlas->resizeCapacity(4));
    EXPECT_EQ(atlas->indices()[23], 13);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(atlas->resizeCapacity(20000));
    EXPECT_NE(
        testing::internal::GetCapturedStderr().find("TextureAtlas: not enough memory"), std::string::npos);
    EXPECT_EQ(atlas->capacity(), 0u);
    EXPECT_EQ(atlas->totalQuads(), 0u);
}
