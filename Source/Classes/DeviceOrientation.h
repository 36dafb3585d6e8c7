#pragma once
// How the player holds the device, as the host last reported it, and who wants to hear of a
// turn. Only what is drawn over the play field (banner, pain meter) follows it: the play field
// itself stays in portrait, so the director is not told.

#include <functional>

class DeviceOrientation {
public:
    // 1 portrait, 2 upside down, 3 landscape left, 4 landscape right; 0 before the first report.
    static int current();

    using Observer = std::function<void(int orientation)>;
    // Returns a token for removeObserver.
    static int addObserver(Observer observer);
    static void removeObserver(int token);

    // From the host bridge: stores the orientation and tells every observer.
    static void deviceDidRotate(int orientation);
};
