#include "Engine/Scheduler.h"
#include "Platform/Log.h"

#include "Engine/Support/Exception.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <utility>

namespace {
// A plain pointer holding one retain: no destructor runs at process exit, when the nodes a
// scheduler's timers retain may already refer to torn-down statics.
Scheduler* s_sharedScheduler = nullptr;
bool s_allocating = false;
std::mutex s_schedulerLock;

bool contains(const std::vector<Ref<Timer>>& list, const Timer* timer)
{
    return std::find_if(list.begin(), list.end(), [timer](const Ref<Timer>& t) { return t.get() == timer; })
        != list.end();
}

bool eraseFrom(std::vector<Ref<Timer>>& list, const Timer* timer)
{
    auto it
        = std::find_if(list.begin(), list.end(), [timer](const Ref<Timer>& t) { return t.get() == timer; });
    if (it == list.end())
        return false;
    list.erase(it);
    return true;
}
} // namespace

// --- Timer ---------------------------------------------------------------------------------

Ref<Timer> Timer::timerWithTarget(Object* target, Selector<float> selector, float interval, TargetHold hold)
{
    return make<Timer>(target, selector, interval, hold);
}

Timer::Timer(Object* target, Selector<float> selector, float interval, TargetHold hold)
    : m_target(target)
    , m_selector(selector)
    , m_interval(interval)
{
    MW_ASSERT(target != nullptr, "Argument must be non-nil");
    MW_ASSERT(static_cast<bool>(selector), "Argument must be non-nil");
    MW_ASSERT(selector.accepts(target), "Selector target must be of the selector's class");
    if (hold == TargetHold::Retain)
        m_retainedTarget = target;
}

void Timer::invalidate()
{
    m_target = nullptr;
    m_retainedTarget = nullptr;
}

std::string Timer::description() const
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "<%s = %p | target:%s selector:(%s)>", className(),
        static_cast<const void*>(this), m_target ? m_target->className() : "(gone)", m_selector.name());
    return buf;
}

void Timer::fire(float dt)
{
    if (!m_target)
        return;
    if (m_elapsed == -1)
        m_elapsed = 0;
    else
        m_elapsed += dt;
    if (m_elapsed >= m_interval) {
        // The target may unschedule this timer in the call; keep both alive until it returns.
        // A target nobody owns yet is not taken: letting go of it would free it.
        Ref<Timer> self(this);
        Ref<Object> target(m_target->retainCount() > 0 ? m_target : nullptr);
        m_selector(m_target, m_elapsed);
        m_elapsed = 0;
    }
}

// --- Scheduler -----------------------------------------------------------------------------

Scheduler* Scheduler::sharedScheduler()
{
    std::lock_guard<std::mutex> lock(s_schedulerLock);
    if (!s_sharedScheduler) {
        s_allocating = true;
        s_sharedScheduler = new Scheduler();
        s_allocating = false;
        s_sharedScheduler->retain();
    }
    return s_sharedScheduler;
}

void Scheduler::purgeSharedScheduler()
{
    Scheduler* old = nullptr;
    {
        std::lock_guard<std::mutex> lock(s_schedulerLock);
        old = std::exchange(s_sharedScheduler, nullptr);
    }
    // Released outside the lock: releasing timers can release targets that touch the scheduler.
    if (old)
        old->release();
}

Scheduler* Scheduler::existingScheduler() { return s_sharedScheduler; }

Scheduler::Scheduler()
{
    // Only sharedScheduler() makes instances; tests may make private ones while none is shared.
    MW_ASSERT(s_allocating || !s_sharedScheduler, "Attempted to allocate a second instance of a singleton.");
    m_scheduledMethods.reserve(50);
    m_methodsToRemove.reserve(20);
    m_methodsToAdd.reserve(20);
}

Scheduler::~Scheduler() = default;

void Scheduler::scheduleTimer(Timer* timer)
{
    MW_ASSERT(timer != nullptr, "Argument must be non-nil");
    if (eraseFrom(m_methodsToRemove, timer))
        return; // the pending removal is cancelled; the timer stays active
    if (contains(m_scheduledMethods, timer) || contains(m_methodsToAdd, timer)) {
        logLine(LogLevel::Warning, "Scheduler.schedulerTimer: timer %s already scheduled",
            timer->description().c_str());
        raiseException("SchedulerTimerAlreadyScheduled", "Scheduler.scheduleTimer already scheduled");
    }
    m_methodsToAdd.emplace_back(timer);
}

void Scheduler::unscheduleTimer(Timer* timer)
{
    MW_ASSERT(timer != nullptr, "Argument must be non-nil");
    if (eraseFrom(m_methodsToAdd, timer))
        return;
    // A second unschedule in the same tick is not an error: the timer is still in the active list.
    if (contains(m_scheduledMethods, timer)) {
        if (!contains(m_methodsToRemove, timer))
            m_methodsToRemove.emplace_back(timer);
        return;
    }
    logLine(LogLevel::Warning, "Scheduler.unscheduleTimer: timer not scheduled");
    raiseException("SchedulerTimerNotFound", "Scheduler.unscheduleTimer not found");
}

void Scheduler::unscheduleAllTimers()
{
    m_scheduledMethods.clear();
    m_methodsToRemove.clear();
    m_methodsToAdd.clear();
}

bool Scheduler::isScheduled(const Timer* timer) const
{
    if (contains(m_methodsToAdd, timer))
        return true;
    return contains(m_scheduledMethods, timer) && !contains(m_methodsToRemove, timer);
}

void Scheduler::tick(float dt)
{
    // A timer may end the director, which releases this scheduler.
    Ref<Scheduler> self(this);

    for (const Ref<Timer>& timer : m_methodsToRemove)
        eraseFrom(m_scheduledMethods, timer.get());
    m_methodsToRemove.clear();

    for (Ref<Timer>& timer : m_methodsToAdd)
        m_scheduledMethods.push_back(std::move(timer));
    m_methodsToAdd.clear();

    // Walk a snapshot: unscheduleAllTimers from a callback would otherwise empty the list
    // under the loop. Timers dropped that way still fire in this tick, as unscheduled ones do.
    // The snapshot's storage is kept from tick to tick; a tick from inside a timer makes its own.
    std::vector<Ref<Timer>> nested;
    std::vector<Ref<Timer>>& active = m_ticking ? nested : m_firing;
    active.assign(m_scheduledMethods.begin(), m_scheduledMethods.end());
    struct Done {
        std::vector<Ref<Timer>>& active;
        bool& ticking;
        bool was;
        ~Done()
        {
            active.clear();
            ticking = was;
        }
    } done { active, m_ticking, m_ticking };
    m_ticking = true;
    const float scaled = m_timeScale == 1.0f ? dt : dt * m_timeScale;
    for (const Ref<Timer>& timer : active)
        timer->fire(scaled);
}
