#include "Classes/DeviceOrientation.h"

#include <map>

namespace {
int s_orientation = 0;
int s_nextToken = 1;
std::map<int, DeviceOrientation::Observer>& observers()
{
    static std::map<int, DeviceOrientation::Observer> s_observers;
    return s_observers;
}
} // namespace

int DeviceOrientation::current() { return s_orientation; }

int DeviceOrientation::addObserver(Observer observer)
{
    const int token = s_nextToken++;
    observers()[token] = std::move(observer);
    return token;
}

void DeviceOrientation::removeObserver(int token) { observers().erase(token); }

void DeviceOrientation::deviceDidRotate(int orientation)
{
    s_orientation = orientation;
    // A copy: an observer may remove itself or others while being told.
    const std::map<int, Observer> current = observers();
    for (const auto& [token, observer] : current)
        if (observers().count(token))
            observer(orientation);
}
