#pragma once
// The shared accelerometer. The host bridge delivers samples; one delegate receives them.

#include "Engine/Support/Ref.h"

struct Acceleration {
    double x = 0, y = 0, z = 0; // g, device axes
    double timestamp = 0;
};

class Accelerometer;

class AccelerometerDelegate {
public:
    virtual ~AccelerometerDelegate() = default;
    virtual void accelerometer(Accelerometer* accelerometer, const Acceleration& acceleration) = 0;
};

class Accelerometer : public Object {
public:
    static Accelerometer* sharedAccelerometer();

    const char* className() const override { return "Accelerometer"; }

    // Not retained: the delegate clears itself before it goes away (a layer on exit).
    AccelerometerDelegate* delegate() const { return m_delegate; }
    void setDelegate(AccelerometerDelegate* delegate) { m_delegate = delegate; }
    double updateInterval() const { return m_updateInterval; }
    // Passed on to the host when there is one.
    void setUpdateInterval(double seconds);

    // Called by the host bridge for every sample.
    void deliver(double x, double y, double z, double timestamp);

private:
    AccelerometerDelegate* m_delegate = nullptr;
    double m_updateInterval = 1.0 / 60.0;
};
