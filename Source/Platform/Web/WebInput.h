#pragma once
// What the browser host makes of raw page input: where the view sits on the canvas, how many
// taps a touch is, and which way a browser's motion readings point. No browser calls here, so
// the rules are tested on the desktop too.

#include <cstdint>
#include <map>

// The 2:3 view letterboxed in the canvas, in canvas pixels (GL convention: from the bottom left).
struct WebViewPlacement {
    int x = 0, y = 0, width = 0, height = 0;

    static WebViewPlacement inside(int canvasWidth, int canvasHeight, int pointsWidth, int pointsHeight);
    float pixelsPerPoint(int pointsWidth) const
    {
        return width > 0 ? float(width) / float(pointsWidth) : 1.0f;
    }
    // Canvas pixels from the top left to view points from the top left.
    void toView(
        float canvasX, float canvasY, int canvasHeight, int pointsWidth, float& viewX, float& viewY) const;
};

// Phones count taps: a finger landing again soon, near where the last one lifted, carries the
// next number; the game opens its options on a double tap.
class TapCounter {
public:
    static constexpr double kMultiTapSeconds = 0.35;
    static constexpr float kMultiTapPoints = 24;

    // The tap count of a finger landing now.
    int began(std::int64_t id, double seconds, float x, float y);
    // The finger's count, for its other phases; 1 when unknown.
    int count(std::int64_t id) const;
    void ended(std::int64_t id, double seconds, float x, float y);
    void cancelled(std::int64_t id) { m_fingers.erase(id); }

private:
    std::map<std::int64_t, int> m_fingers;
    double m_lastTime = -1;
    float m_lastX = 0, m_lastY = 0;
    int m_lastCount = 0;
};

// devicemotion's accelerationIncludingGravity in m/s^2 to the game's g. The standard has an
// upright phone read y = +9.8 (the push that holds it up); Safari on iPhones reads -9.8, which
// is already the game's convention. The first clearly upright sample tells which browser this
// is; until then the standard is assumed.
class MotionConverter {
public:
    static constexpr double kStandardGravity = 9.80665;

    void convert(double ax, double ay, double az, double& gx, double& gy, double& gz);
    bool decided() const { return m_decided; }

private:
    bool m_decided = false;
    double m_sign = -1; // multiplies the readings
};

// screen.orientation.angle (0, 90, 180, 270) to the device orientation: 1 portrait, 2 upside
// down, 3 landscape left, 4 landscape right.
int deviceOrientationForScreenAngle(int degrees);
