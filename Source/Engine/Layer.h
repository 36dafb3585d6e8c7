#pragma once
// A full-screen node that can receive touches and accelerometer samples while it runs.

#include "Engine/Node.h"
#include "Engine/Support/Accelerometer.h"
#include "Engine/TouchHandler.h"

class Layer : public Node,
              public StandardTouchDelegate,
              public TargetedTouchDelegate,
              public AccelerometerDelegate {
public:
    static Ref<Layer> node();
    Layer();
    ~Layer() override;
    const char* className() const override { return "Layer"; }

    bool isTouchEnabled() const { return m_isTouchEnabled; }
    void setIsTouchEnabled(bool enabled);
    bool isAccelerometerEnabled() const { return m_isAccelerometerEnabled; }
    void setIsAccelerometerEnabled(bool enabled);

    // By default a standard delegate with priority 0; override to register as targeted.
    virtual void registerWithTouchDispatcher();

    void onEnter() override;
    void onExit() override;

    // A layer registered as a targeted delegate must override this.
    bool onTouchBegan(Touch* touch, TouchEvent* event) override;
    void accelerometer(Accelerometer* accelerometer, const Acceleration& acceleration) override;

protected:
    bool m_isTouchEnabled = false;
    bool m_isAccelerometerEnabled = false;
};
