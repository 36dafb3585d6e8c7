#pragma once
// The device's orientation and its change notification (the host reports turns).

#include <functional>
#include <vector>

class DeviceOrientation {
public:
    // 0 unknown, 1 portrait, 2 upside down, 3 landscape left, 4 landscape right, 5 face up, 6 face down.
    static int current();
    // Stores the value and tells every observer, in the order they were added.
    static void post(int orientation);

    using Observer = std::function<void(int orientation)>;
    // Returns a token for removal. Observers may add or remove observers while being told.
    static int addObserver(Observer observer);
    static void removeObserver(int token);
};
