#pragma once
// Wrappers that run another interval action on a bent time curve.
//
// Ownership: the wrapper retains the action it eases; both point at the same target.

#include "Engine/IntervalAction.h"

// Passes t through unchanged; the base of the curved kinds.
class EaseAction : public IntervalAction {
public:
    static Ref<EaseAction> actionWithAction(IntervalAction* action);
    // Takes the inner action's duration.
    explicit EaseAction(IntervalAction* action);
    const char* className() const override { return "EaseAction"; }

    IntervalAction* other() const { return m_other.get(); }

    Ref<Action> copy() const override;
    void start() override;
    void stop() override;
    void update(float t) override;
    Ref<FiniteTimeAction> reverse() const override;

protected:
    Ref<IntervalAction> m_other;
};

class EaseRateAction : public EaseAction {
public:
    static Ref<EaseRateAction> actionWithAction(IntervalAction* action, float rate);
    EaseRateAction(IntervalAction* action, float rate);
    const char* className() const override { return "EaseRateAction"; }

    float rate() const { return m_rate; }
    void setRate(float rate) { m_rate = rate; }

    Ref<Action> copy() const override;
    // The reversed inner action with the inverse rate.
    Ref<FiniteTimeAction> reverse() const override;

protected:
    float m_rate;
};

// Fast start, slow end: the inner action sees t to the power 1 / rate.
class EaseOut : public EaseRateAction {
public:
    static Ref<EaseOut> actionWithAction(IntervalAction* action, float rate);
    EaseOut(IntervalAction* action, float rate)
        : EaseRateAction(action, rate)
    {
    }
    const char* className() const override { return "EaseOut"; }

    Ref<Action> copy() const override;
    void update(float t) override;
    Ref<FiniteTimeAction> reverse() const override;
};
