#pragma once
// A phone to tilt with the arrow keys, for desktops without a motion sensor.
//
// Left and right roll the device about the axis out of the screen, up and down pitch its top
// away from or towards the player, each up to 60 degrees; released keys ease it back upright.
// A shake is a short burst of large sideways samples, enough for any shake detector. The
// number keys turn the whole device (portrait, upside down, landscape left and right), and the
// same turn applies to a real sensor's readings.

class VirtualAccelerometer {
public:
    static constexpr double kMaxTiltDegrees = 60;
    static constexpr double kEaseSeconds = 0.12; // time constant of following the keys
    static constexpr double kShakeSeconds = 0.25;
    static constexpr double kShakeG = 2.5;

    void setKeys(bool left, bool right, bool up, bool down);
    void shake() { m_shakeLeft = kShakeSeconds; }
    bool isShaking() const { return m_shakeLeft > 0; }
    // 1 portrait, 2 upside down, 3 landscape left, 4 landscape right; others are ignored.
    void setOrientation(int orientation);
    int orientation() const { return m_orientation; }

    // Moves the tilt towards what the keys ask for.
    void advance(double seconds);
    // The next sample in g, device axes: upright portrait gives (0, -1, 0).
    void sample(double& x, double& y, double& z);
    // Turns a reading taken in portrait axes into the chosen orientation.
    void orient(double& x, double& y, double& z) const;

    double rollDegrees() const { return m_roll; }
    double pitchDegrees() const { return m_pitch; }

private:
    int m_orientation = 1;
    double m_roll = 0, m_pitch = 0; // degrees
    double m_rollTarget = 0, m_pitchTarget = 0; // degrees
    double m_shakeLeft = 0; // seconds
    int m_shakeSign = 1;
};
