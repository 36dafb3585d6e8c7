// The arrow-key phone: it reads like a real accelerometer held upright, tilts within its
// limits, settles back, shakes hard enough to be noticed, and turns with the device.

#include "Platform/VirtualAccelerometer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
struct Sample {
    double x, y, z;
};
Sample next(VirtualAccelerometer& a)
{
    Sample s {};
    a.sample(s.x, s.y, s.z);
    return s;
}
void run(VirtualAccelerometer& a, double seconds)
{
    for (double t = 0; t < seconds; t += 1.0 / 60)
        a.advance(1.0 / 60);
}
} // namespace

TEST(VirtualAccelerometerTest, UprightTiltedAndBackAgain)
{
    VirtualAccelerometer a;
    Sample s = next(a);
    EXPECT_DOUBLE_EQ(s.x, 0);
    EXPECT_DOUBLE_EQ(s.y, -1);
    EXPECT_DOUBLE_EQ(s.z, 0);

    a.setKeys(false, true, false, false); // right arrow held
    run(a, 2);
    s = next(a);
    EXPECT_NEAR(s.x, std::sin(60 * M_PI / 180), 1e-3); // gravity pulls to the device's right
    EXPECT_NEAR(s.y, -0.5, 1e-3);
    EXPECT_LE(a.rollDegrees(), VirtualAccelerometer::kMaxTiltDegrees);

    a.setKeys(false, false, true, false); // right released, up held: the top leans back
    run(a, 2);
    s = next(a);
    EXPECT_NEAR(s.x, 0, 1e-3);
    EXPECT_LT(s.z, -0.8);

    a.setKeys(false, false, false, false);
    run(a, 0.1);
    EXPECT_GT(std::fabs(next(a).z), 0.05); // eases back, not a jump
    run(a, 3);
    s = next(a);
    EXPECT_DOUBLE_EQ(s.x, 0);
    EXPECT_DOUBLE_EQ(s.y, -1);
    EXPECT_DOUBLE_EQ(s.z, 0);
}

TEST(VirtualAccelerometerTest, ShakeIsABriefBurstBigEnoughToDetect)
{
    VirtualAccelerometer a;
    a.shake();
    double biggestJump = 0, previousX = next(a).x;
    int samples = 0;
    while (a.isShaking() && samples < 100) {
        a.advance(1.0 / 60);
        const double x = next(a).x;
        biggestJump = std::max(biggestJump, std::fabs(x - previousX));
        previousX = x;
        ++samples;
    }
    EXPECT_GE(biggestJump, 1.5);
    EXPECT_LT(samples, 30); // a quarter of a second
    run(a, 0.1);
    EXPECT_DOUBLE_EQ(next(a).x, 0);
}

TEST(VirtualAccelerometerTest, TurningTheDeviceTurnsGravity)
{
    VirtualAccelerometer a;
    const struct {
        int orientation;
        double x, y;
    } cases[] = { { 2, 0, 1 }, { 3, -1, 0 }, { 4, 1, 0 }, { 1, 0, -1 } };
    for (const auto& c : cases) {
        a.setOrientation(c.orientation);
        const Sample s = next(a);
        EXPECT_DOUBLE_EQ(s.x, c.x) << c.orientation;
        EXPECT_DOUBLE_EQ(s.y, c.y) << c.orientation;
        // A real sensor's portrait reading turns the same way.
        double x = 0, y = -1, z = 0;
        a.orient(x, y, z);
        EXPECT_DOUBLE_EQ(x, c.x);
        EXPECT_DOUBLE_EQ(y, c.y);
    }
    a.setOrientation(7);
    EXPECT_EQ(a.orientation(), 1);
}
