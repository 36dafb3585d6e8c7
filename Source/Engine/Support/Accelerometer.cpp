#include "Engine/Support/Accelerometer.h"

#include "Platform/Host.h"

Accelerometer* Accelerometer::sharedAccelerometer()
{
    // Kept for the whole run, like the device it stands for.
    static Accelerometer* s_shared = [] {
        auto* a = new Accelerometer();
        a->retain();
        return a;
    }();
    return s_shared;
}

void Accelerometer::setUpdateInterval(double seconds)
{
    m_updateInterval = seconds;
    if (HostInput* host = Host::currentOrNull())
        host->setAccelerometerInterval(seconds);
}

void Accelerometer::deliver(double x, double y, double z, double timestamp)
{
    if (!m_delegate)
        return;
    m_delegate->accelerometer(this, Acceleration { x, y, z, timestamp });
}
