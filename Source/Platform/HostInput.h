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

// The keys the program itself answers to (menus, alerts, going back).
enum class HostKey { Up, Down, Left, Right, Enter, Space, Escape, Backspace };

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
    // Desktop mouse extras, view points: a wheel turn (notches, positive away from the player)
    // and a drag with the secondary button. Nothing by default.
    virtual void hostWheel(float x, float y, float notches)
    {
        (void)x;
        (void)y;
        (void)notches;
    }
    virtual void hostSecondaryDrag(HostTouchPhase phase, float x, float y)
    {
        (void)phase;
        (void)x;
        (void)y;
    }
    // A key pressed, or repeating while held. True when the program used it; the host then
    // gives it no meaning of its own (Space shaking the virtual phone).
    virtual bool hostKey(HostKey key)
    {
        (void)key;
        return false;
    }
};

class HostInput {
public:
    virtual ~HostInput() = default;
    virtual void setListener(HostListener* listener) = 0;
    // Requested time between accelerometer samples in seconds.
    virtual void setAccelerometerInterval(double seconds) = 0;
};
