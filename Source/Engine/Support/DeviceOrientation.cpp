#include "Engine/Support/DeviceOrientation.h"

#include <utility>

namespace {
int s_orientation = 1;
int s_nextToken = 1;
std::vector<std::pair<int, DeviceOrientation::Observer>>& observers()
{
    static std::vector<std::pair<int, DeviceOrientation::Observer>> s_observers;
    return s_observers;
}
}  // namespace

int DeviceOrientation::current() { return s_orientation; }

void DeviceOrientation::post(int orientation)
{
    s_orientation = orientation;
    // A copy: an observer may remove itself or others while being told.
    const auto snapshot = observers();
    for (const auto& [token, observer] : snapshot)
        observer(orientation);
}

int DeviceOrientation::addObserver(Observer observer)
{
    const int token = s_nextToken++;
    observers().emplace_back(token, std::move(observer));
    return token;
}

void DeviceOrientation::removeObserver(int token)
{
    auto& list = observers();
    for (auto it = list.begin(); it != list.end(); ++it)
        if (it->first == token) {
            list.erase(it);
            return;
        }
}
