#pragma once
// Events the host delivers (touches, accelerometer samples, orientation, life cycle, audio
// route) and the accelerometer's sampling rate.

#include <cstdint>
#include <string>
#include <vector>

// One finger as the host sees it. Coordinates are view points, origin top left.
struct HostTouchPoint {
    std::int64_t id = 0; // stable for the life of the finger
    float x = 0, y = 0;
    int tapCount = 1;
};

enum class HostTouchPhase { Began, Moved, Ended, Cancelled };

// Events the host delivers, on the main thread, to whoever runs the program.
class HostListener {
public:
    virtual ~HostListener() = default;
    virtual void hostTouches(
        HostTouchPhase phase, const std::vector<HostTouchPoint>& touches, double timestamp)
        = 0;
    // One accelerometer sample in g, device axes; upright portrait gives y near -1.
    virtual void hostAcceleration(double x, double y, double z, double timestamp) = 0;
    // Device orientation 1 portrait, 2 upside down, 3 landscape left, 4 landscape right.
    virtual void hostOrientationChanged(int orientation) = 0;
    virtual void hostWillResignActive() = 0;
    virtual void hostDidBecomeActive() = 0;
    virtual void hostWillTerminate() = 0;
    // A new audio output route name ("Headphone", "Speaker", ...). Main thread.
    virtual void hostAudioRouteChanged(const std::string& route) = 0;
};

class HostInput {
public:
    virtual ~HostInput() = default;
    virtual void setListener(HostListener* listener) = 0;
    // Requested time between accelerometer samples in seconds.
    virtual void setAccelerometerInterval(double seconds) = 0;
};
