#pragma once
// The one clock distributor: the director ticks it once per frame and it fires every timer.
//
// Timers scheduled or unscheduled while timers fire only change the pending lists, so the
// active list walked by `tick` is never modified under it; changes apply from the next tick.

#include "Engine/Support/Ref.h"
#include "Engine/Support/Selector.h"

#include <vector>

class Timer : public Object {
public:
    static Ref<Timer> timerWithTarget(Object* target, Selector<float> selector, float interval = 0);
    // Refused: a timer without target and method cannot fire.
    Timer() = delete;
    Timer(Object* target, Selector<float> selector, float interval = 0);

    const char* className() const override { return "Timer"; }
    std::string description() const override;

    void fire(float dt);
    float interval() const { return m_interval; }
    void setInterval(float interval) { m_interval = interval; }
    Object* target() const { return m_target.get(); }
    const Selector<float>& selector() const { return m_selector; }
    // -1 until the first tick after creation.
    float elapsed() const { return m_elapsed; }

private:
    Ref<Object> m_target; // retained for the timer's whole life
    Selector<float> m_selector;
    float m_interval = 0;
    float m_elapsed = -1;
};

class Scheduler : public Object {
public:
    static Scheduler* sharedScheduler();
    // Drops the shared instance; the next sharedScheduler() makes a fresh, empty one.
    static void purgeSharedScheduler();
    // The shared instance if one exists, without creating it.
    static Scheduler* existingScheduler();

    Scheduler();
    ~Scheduler() override;
    const char* className() const override { return "Scheduler"; }

    void scheduleTimer(Timer* timer);
    void unscheduleTimer(Timer* timer);
    void unscheduleAllTimers();
    // True when the timer is active or about to be, and no removal is pending.
    bool isScheduled(const Timer* timer) const;

    void tick(float dt);
    float timeScale() const { return m_timeScale; }
    void setTimeScale(float timeScale) { m_timeScale = timeScale; }

    // Active timers in firing order (for dumps and tests).
    const std::vector<Ref<Timer>>& scheduledMethods() const { return m_scheduledMethods; }

private:
    std::vector<Ref<Timer>> m_scheduledMethods;
    std::vector<Ref<Timer>> m_methodsToRemove;
    std::vector<Ref<Timer>> m_methodsToAdd;
    float m_timeScale = 1.0f;
};
