#pragma once
// A horizontal slider drawn over the page: a track, the filled part left of the value and a
// round thumb. It claims a touch that begins on it, ahead of any menu, and follows the finger.
#include "Engine/Layer.h"
#include <vector>

class Slider : public Layer {
public:
    using Callback = Selector<Object*>;

    // frame is in view points (origin top left, y down), as platform controls are placed.
    static Ref<Slider> sliderWithFrame(CGRect frame);
    const char* className() const override { return "Slider"; }

    CGRect frame() const { return m_frame; }
    void setFrame(CGRect frame);

    float minimumValue() const { return m_minimumValue; }
    void setMinimumValue(float value);
    float maximumValue() const { return m_maximumValue; }
    void setMaximumValue(float value);
    float value() const { return m_value; }
    // Kept within the range; does not report the change.
    void setValue(float value);

    // While the finger moves (continuous) or only when it lifts.
    bool isContinuous() const { return m_continuous; }
    void setContinuous(bool continuous) { m_continuous = continuous; }
    // The target is not retained, as with menu items.
    void addTarget(Object* target, Callback action);

    // What a finger dragging the thumb to value does: stores it and reports the change.
    void slideTo(float value);

    // The sliders under root, depth first in drawing order.
    static std::vector<Slider*> slidersIn(Node* root);

    void registerWithTouchDispatcher() override;
    void onExit() override;
    bool onTouchBegan(Touch* touch, TouchEvent* event) override;
    void onTouchMoved(Touch* touch, TouchEvent* event) override;
    void onTouchEnded(Touch* touch, TouchEvent* event) override;
    void onTouchCancelled(Touch* touch, TouchEvent* event) override;
    void draw() override;
    // Adds value, minimumValue, maximumValue and frame.
    void dumpProperties(PropertySink& out) const override;

    static constexpr float kThumbRadius = 11;

protected:
    Slider();
    float valueAt(float x) const;
    void report();

    CGRect m_frame {};
    float m_minimumValue = 0;
    float m_maximumValue = 1;
    float m_value = 0;
    bool m_continuous = true;
    bool m_tracking = false;
    bool m_changedWhileTracking = false;
    Object* m_target = nullptr; // not retained
    Callback m_action;
};
