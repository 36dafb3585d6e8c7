#include "Platform/Web/WebInput.h"

#include <cmath>

WebViewPlacement WebViewPlacement::inside(
    int canvasWidth, int canvasHeight, int pointsWidth, int pointsHeight)
{
    WebViewPlacement p;
    if (canvasWidth <= 0 || canvasHeight <= 0 || pointsWidth <= 0 || pointsHeight <= 0)
        return p;
    // The largest area of the view's shape that fits, centred.
    if (std::int64_t(canvasWidth) * pointsHeight > std::int64_t(canvasHeight) * pointsWidth) {
        p.height = canvasHeight;
        p.width = int(std::int64_t(canvasHeight) * pointsWidth / pointsHeight);
    } else {
        p.width = canvasWidth;
        p.height = int(std::int64_t(canvasWidth) * pointsHeight / pointsWidth);
    }
    p.x = (canvasWidth - p.width) / 2;
    p.y = (canvasHeight - p.height) / 2;
    return p;
}

void WebViewPlacement::toView(
    float canvasX, float canvasY, int canvasHeight, int pointsWidth, float& viewX, float& viewY) const
{
    const float scale = pixelsPerPoint(pointsWidth);
    const float top = float(canvasHeight - y - height); // y counts from the bottom
    viewX = (canvasX - float(x)) / scale;
    viewY = (canvasY - top) / scale;
}

int TapCounter::began(std::int64_t id, double seconds, float x, float y)
{
    const bool again = m_lastTime >= 0 && seconds - m_lastTime < kMultiTapSeconds
        && std::fabs(x - m_lastX) < kMultiTapPoints && std::fabs(y - m_lastY) < kMultiTapPoints;
    const int taps = again ? m_lastCount + 1 : 1;
    m_fingers[id] = taps;
    return taps;
}

int TapCounter::count(std::int64_t id) const
{
    auto found = m_fingers.find(id);
    return found == m_fingers.end() ? 1 : found->second;
}

void TapCounter::ended(std::int64_t id, double seconds, float x, float y)
{
    m_lastCount = count(id);
    m_lastTime = seconds;
    m_lastX = x;
    m_lastY = y;
    m_fingers.erase(id);
}

void MotionConverter::convert(double ax, double ay, double az, double& gx, double& gy, double& gz)
{
    if (!m_decided) {
        const double magnitude = std::sqrt(ax * ax + ay * ay + az * az) / kStandardGravity;
        // Upright: about one g, most of it along the long side.
        if (magnitude > 0.7 && magnitude < 1.3 && std::fabs(ay) > 0.7 * kStandardGravity) {
            m_sign = ay > 0 ? -1 : 1;
            m_decided = true;
        }
    }
    gx = m_sign * ax / kStandardGravity;
    gy = m_sign * ay / kStandardGravity;
    gz = m_sign * az / kStandardGravity;
}

int deviceOrientationForScreenAngle(int degrees)
{
    switch (((degrees % 360) + 360) % 360) {
    case 90:
        return 3;
    case 180:
        return 2;
    case 270:
        return 4;
    default:
        return 1;
    }
}
