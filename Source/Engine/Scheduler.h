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
    // Whether the timer keeps its target alive. A node's timers do not: the node owns them and
    // invalidates them when it goes, so a node with timers can still be freed.
    enum class TargetHold { Retain, Borrow };

    static Ref<Timer> timerWithTarget(
        Object* target, Selector<float> selector, float interval = 0, TargetHold hold = TargetHold::Retain);
    // Refused: a timer without target and method cannot fire.
    Timer() = delete;
    Timer(Object* target, Selector<float> selector, float interval = 0, TargetHold hold = TargetHold::Retain);

    const char* className() const override { return "Timer"; }
    std::string description() const override;

    void fire(float dt);
    float interval() const { return m_interval; }
    void setInterval(float interval) { m_interval = interval; }
    // Null once invalidated.
    Object* target() const { return m_target; }
    // The target is going away: the timer never calls it again, even from a tick under way.
    void invalidate();
    const Selector<float>& selector() const { return m_selector; }
    // -1 until the first tick after creation.
    float elapsed() const { return m_elapsed; }

private:
    Object* m_target = nullptr;
    Ref<Object> m_retainedTarget; // set only with TargetHold::Retain
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
    std::vector<Ref<Timer>> m_firing; // the list a tick walks
    bool m_ticking = false;
    float m_timeScale = 1.0f;
};
