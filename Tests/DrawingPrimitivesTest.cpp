#include "Engine/DrawingPrimitives.h"
#include "Support/GLTestSurface.h"

#include <GLES/gl.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

class DrawingPrimitivesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!surface.ready())
            GTEST_SKIP() << "no offscreen GL ES 1.1 surface: " << surface.error();
        surface.begin2D(0, 0, 0);
        glColor4ub(255, 255, 255, 255);
    }

    // Lines rasterise within a pixel of their ideal path, so look around the point.
    bool lit(float x, float y)
    {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (surface.pixel(static_cast<int>(x) + dx, static_cast<int>(y) + dy).r > 100)
                    return true;
        return false;
    }

    GLTestSurface surface { 128, 128 };
};

constexpr float kPiF = 3.14159265f;

} // namespace

TEST_F(DrawingPrimitivesTest, CircleOfEightSegmentsIsAnOctagonFromTheStartAngle)
{
    const CGPoint c { 64, 64 };
    drawCircle(c, 40, 0, 8, true);
    for (int i = 0; i < 8; ++i) {
        const float a = kPiF / 4 * static_cast<float>(i);
        SCOPED_TRACE(i);
        EXPECT_TRUE(lit(c.x + 40 * std::cos(a), c.y + 40 * std::sin(a)));
        // An edge passes inside the circle, at its middle r * cos(22.5 degrees).
        const float mid = a + kPiF / 8;
        EXPECT_TRUE(lit(c.x + 36.96f * std::cos(mid), c.y + 36.96f * std::sin(mid)));
        EXPECT_FALSE(lit(c.x + 40 * std::cos(mid), c.y + 40 * std::sin(mid)));
    }
    // The radius runs to the right for start angle 0, and nowhere else.
    EXPECT_TRUE(lit(84, 64));
    EXPECT_FALSE(lit(44, 64));
    EXPECT_FALSE(lit(64, 84));
    GLboolean arrays = GL_TRUE;
    glGetBooleanv(GL_VERTEX_ARRAY, &arrays);
    EXPECT_FALSE(arrays);

    surface.begin2D(0, 0, 0);
    drawCircle(c, 40, kPiF / 2, 8, true);
    EXPECT_TRUE(lit(64, 84));
    EXPECT_FALSE(lit(84, 64));

    surface.begin2D(0, 0, 0);
    drawCircle(c, 40, 0, 8, false);
    EXPECT_FALSE(lit(84, 64));
    EXPECT_TRUE(lit(104, 64));
}

TEST_F(DrawingPrimitivesTest, PolyClosesOnlyWhenAsked)
{
    const CGPoint triangle[3] = { { 20, 20 }, { 100, 20 }, { 60, 100 } };
    drawPoly(triangle, 3, false);
    EXPECT_TRUE(lit(60, 20));
    EXPECT_TRUE(lit(80, 60));
    EXPECT_FALSE(lit(40, 60));

    surface.begin2D(0, 0, 0);
    drawPoly(triangle, 3, true);
    EXPECT_TRUE(lit(40, 60));

    surface.begin2D(0, 0, 0);
    drawLine({ 10, 110 }, { 50, 110 });
    EXPECT_TRUE(lit(30, 110));
    EXPECT_FALSE(lit(60, 110));
}
