#include "Platform/VirtualAccelerometer.h"

#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double radians(double degrees) { return degrees * kPi / 180.0; }

double baseRollDegrees(int orientation)
{
    switch (orientation) {
    case 2:
        return 180;
    case 3:
        return -90; // top of the device to the left: gravity along -x
    case 4:
        return 90;
    default:
        return 0;
    }
}
} // namespace

void VirtualAccelerometer::setKeys(bool left, bool right, bool up, bool down)
{
    m_rollTarget = (right ? kMaxTiltDegrees : 0) - (left ? kMaxTiltDegrees : 0);
    m_pitchTarget = (up ? kMaxTiltDegrees : 0) - (down ? kMaxTiltDegrees : 0);
}

void VirtualAccelerometer::setOrientation(int orientation)
{
    if (orientation >= 1 && orientation <= 4)
        m_orientation = orientation;
}

void VirtualAccelerometer::advance(double seconds)
{
    if (!(seconds > 0))
        return;
    const double follow = 1.0 - std::exp(-seconds / kEaseSeconds);
    m_roll += (m_rollTarget - m_roll) * follow;
    m_pitch += (m_pitchTarget - m_pitch) * follow;
    // Close enough is upright: the samples then settle on exactly (0, -1, 0).
    if (std::fabs(m_roll - m_rollTarget) < 1e-3)
        m_roll = m_rollTarget;
    if (std::fabs(m_pitch - m_pitchTarget) < 1e-3)
        m_pitch = m_pitchTarget;
    if (m_shakeLeft > 0)
        m_shakeLeft -= seconds;
}

void VirtualAccelerometer::sample(double& x, double& y, double& z)
{
    const double roll = radians(m_roll), pitch = radians(m_pitch);
    x = std::sin(roll) * std::cos(pitch);
    y = -std::cos(roll) * std::cos(pitch);
    z = -std::sin(pitch);
    if (m_shakeLeft > 0) {
        x += kShakeG * m_shakeSign;
        m_shakeSign = -m_shakeSign;
    } else {
        m_shakeSign = 1;
    }
    orient(x, y, z);
}

void VirtualAccelerometer::orient(double& x, double& y, double& z) const
{
    (void)z;
    const double base = radians(baseRollDegrees(m_orientation));
    const double c = std::cos(base), s = std::sin(base);
    const double rx = x * c - y * s, ry = x * s + y * c;
    // Snap the rounding noise of sin/cos of right angles.
    x = std::fabs(rx) < 1e-12 ? 0.0 : rx;
    y = std::fabs(ry) < 1e-12 ? 0.0 : ry;
}
