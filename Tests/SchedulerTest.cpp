#include "Engine/Scheduler.h"
#include "Engine/InstantAction.h"
#include "Engine/Node.h"
#include "Support/FakeHost.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {
struct Call {
    std::string who;
    float dt;
};

class Probe : public Object {
public:
    Probe(std::string name, std::vector<Call>& log)
        : m_name(std::move(name))
        , m_log(log)
    {
    }
    void fired(float dt)
    {
        m_log.push_back({ m_name, dt });
        if (onFire)
            onFire();
    }
    std::function<void()> onFire;

private:
    std::string m_name;
    std::vector<Call>& m_log;
};

class TimedNode : public Node {
public:
    void tick(float dt) { calls.push_back(dt); }
    void other(float dt) { calls.push_back(-dt); }
    std::vector<float> calls;
};

class SchedulerTest : public ::testing::Test {
protected:
    void SetUp() override { resetEngineForTest(); }
    void TearDown() override { resetEngineForTest(); }

    Ref<Timer> timerFor(const Ref<Probe>& probe, float interval = 0)
    {
        return Timer::timerWithTarget(probe, MW_SELECTOR(Probe, fired), interval);
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const Call& c : log)
            out.push_back(c.who);
        return out;
    }

    Scheduler* scheduler() { return Scheduler::sharedScheduler(); }
    std::vector<Call> log;
};
} // namespace

TEST_F(SchedulerTest, FiresInActivationOrderAndAppliesChangesAtTheNextTick)
{
    auto a = make<Probe>("a", log), b = make<Probe>("b", log), c = make<Probe>("c", log);
    Ref<Timer> ta = timerFor(a), tb = timerFor(b), tc = timerFor(c);
    scheduler()->scheduleTimer(tb);
    scheduler()->scheduleTimer(ta);
    // b fires first, unschedules a and schedules c.
    b->onFire = [&] {
        if (scheduler()->isScheduled(ta))
            scheduler()->unscheduleTimer(ta);
        if (!scheduler()->isScheduled(tc))
            scheduler()->scheduleTimer(tc);
    };
    scheduler()->tick(0.1f);
    EXPECT_EQ(names(), (std::vector<std::string> { "b", "a" })); // a still fires in this tick; c not yet

    log.clear();
    scheduler()->tick(0.1f);
    EXPECT_EQ(names(), (std::vector<std::string> { "b", "c" }));
}

TEST_F(SchedulerTest, TimerThatUnschedulesAndReschedulesItselfKeepsOneEntry)
{
    auto a = make<Probe>("a", log);
    Ref<Timer> ta = timerFor(a);
    scheduler()->scheduleTimer(ta);
    a->onFire = [&] {
        scheduler()->unscheduleTimer(ta);
        scheduler()->scheduleTimer(ta); // cancels the pending removal
    };
    scheduler()->tick(0.1f);
    scheduler()->tick(0.1f);
    scheduler()->tick(0.1f);
    EXPECT_EQ(log.size(), 3u);
    EXPECT_EQ(scheduler()->scheduledMethods().size(), 1u);

    a->onFire = [&] { scheduler()->unscheduleTimer(ta); };
    scheduler()->tick(0.1f);
    scheduler()->tick(0.1f);
    EXPECT_EQ(log.size(), 4u);
}

TEST_F(SchedulerTest, FirstFireAndIntervalRules)
{
    auto every = make<Probe>("every", log), second = make<Probe>("second", log);
    scheduler()->scheduleTimer(timerFor(every));
    scheduler()->scheduleTimer(timerFor(second, 1.0f));

    const float dts[] = { 0.4f, 0.4f, 0.4f, 0.4f, 0.4f, 0.4f };
    for (float dt : dts)
        scheduler()->tick(dt);

    std::vector<float> everyDts, secondDts;
    for (const Call& c : log)
        (c.who == "every" ? everyDts : secondDts).push_back(c.dt);
    // An every-tick timer first sees 0 (its first tick does not count), then each frame time.
    EXPECT_EQ(everyDts, (std::vector<float> { 0, 0.4f, 0.4f, 0.4f, 0.4f, 0.4f }));
    // 1-second timer: 0, 0.4, 0.8, 1.2 -> called with 1.2; remainder dropped: 0.4, 0.8.
    ASSERT_EQ(secondDts.size(), 1u);
    EXPECT_NEAR(secondDts[0], 1.2f, 1e-5f);
}

TEST_F(SchedulerTest, TimeScaleScalesEveryTimer)
{
    auto a = make<Probe>("a", log);
    scheduler()->scheduleTimer(timerFor(a));
    scheduler()->setTimeScale(0.5f);
    scheduler()->tick(0.2f);
    scheduler()->tick(0.2f);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_FLOAT_EQ(log[1].dt, 0.1f);
}

TEST_F(SchedulerTest, DoubleScheduleAndUnknownUnscheduleRaise)
{
    auto a = make<Probe>("a", log);
    Ref<Timer> ta = timerFor(a);
    scheduler()->scheduleTimer(ta);
    EXPECT_EQ(raisedBy([&] { scheduler()->scheduleTimer(ta); }),
        "SchedulerTimerAlreadyScheduled: Scheduler.scheduleTimer already scheduled");
    scheduler()->tick(0);
    EXPECT_EQ(raisedBy([&] { scheduler()->scheduleTimer(ta); }),
        "SchedulerTimerAlreadyScheduled: Scheduler.scheduleTimer already scheduled");
    EXPECT_EQ(raisedBy([&] { scheduler()->unscheduleTimer(timerFor(a)); }),
        "SchedulerTimerNotFound: Scheduler.unscheduleTimer not found");
    EXPECT_EQ(scheduler()->scheduledMethods().size(), 1u);

    // A pending add that is unscheduled never fires.
    auto b = make<Probe>("b", log);
    Ref<Timer> tb = timerFor(b);
    scheduler()->scheduleTimer(tb);
    scheduler()->unscheduleTimer(tb);
    log.clear();
    scheduler()->tick(0.1f);
    EXPECT_EQ(names(), (std::vector<std::string> { "a" }));
}

TEST_F(SchedulerTest, UnscheduleAllOrPurgeFromACallbackIsSafe)
{
    auto a = make<Probe>("a", log), b = make<Probe>("b", log);
    scheduler()->scheduleTimer(timerFor(a));
    scheduler()->scheduleTimer(timerFor(b));
    a->onFire = [&] { Scheduler::sharedScheduler()->unscheduleAllTimers(); };
    scheduler()->tick(0.1f);
    EXPECT_EQ(names(), (std::vector<std::string> { "a", "b" }));
    log.clear();
    scheduler()->tick(0.1f);
    EXPECT_TRUE(log.empty());

    // The director's end releases the scheduler while a timer runs.
    Ref<Timer> ta = timerFor(a);
    scheduler()->scheduleTimer(ta);
    a->onFire = [] { Scheduler::purgeSharedScheduler(); };
    Scheduler::sharedScheduler()->tick(0.1f);
    EXPECT_EQ(Scheduler::existingScheduler(), nullptr);
}

TEST_F(SchedulerTest, NodeTimersRunOnlyWhileTheNodeRunsAndKeepTheirElapsedTime)
{
    auto node = make<TimedNode>();
    node->schedule(MW_SELECTOR(TimedNode, tick), 1.0f);
    node->schedule(MW_SELECTOR(TimedNode, tick), 5.0f); // ignored: interval unchanged
    ASSERT_EQ(node->scheduledSelectors().size(), 1u);
    scheduler()->tick(0.5f);
    EXPECT_TRUE(node->calls.empty()); // not running

    node->onEnter();
    scheduler()->tick(0.5f); // first tick: elapsed 0
    scheduler()->tick(0.6f); // 0.6
    node->onExit(); // covered by a pushed scene
    for (int i = 0; i < 10; ++i)
        scheduler()->tick(0.5f);
    EXPECT_TRUE(node->calls.empty());
    node->onEnter();
    scheduler()->tick(0.5f); // 1.1 >= 1
    ASSERT_EQ(node->calls.size(), 1u);
    EXPECT_NEAR(node->calls[0], 1.1f, 1e-5f);

    node->unschedule(MW_SELECTOR(TimedNode, tick));
    node->unschedule(MW_SELECTOR(TimedNode, other)); // never scheduled: ignored
    for (int i = 0; i < 5; ++i)
        scheduler()->tick(0.5f);
    EXPECT_EQ(node->calls.size(), 1u);
    node->onExit();
    node->cleanup();
}

TEST_F(SchedulerTest, NodeScheduleChecksItsArguments)
{
    auto node = make<TimedNode>();
    EXPECT_EQ(raisedBy([&] { node->schedule(MW_SELECTOR(TimedNode, tick), -1); }),
        std::string(kInternalInconsistencyException) + ": Arguemnt must be positive");
    EXPECT_EQ(raisedBy([&] { node->schedule(Selector<float>()); }),
        std::string(kInternalInconsistencyException) + ": Argument must be non-nil");
    EXPECT_TRUE(node->scheduledSelectors().empty());

    // A method of one class on an object of another would run on the wrong memory.
    const std::string wrongClass
        = std::string(kInternalInconsistencyException) + ": Selector target must be of the selector's class";
    auto probe = make<Probe>("p", log);
    EXPECT_EQ(raisedBy([&] { Timer::timerWithTarget(probe, MW_SELECTOR(TimedNode, tick)); }), wrongClass);
    EXPECT_EQ(raisedBy([&] { MW_SELECTOR(TimedNode, tick)(probe.get(), 1.0f); }), wrongClass);
    EXPECT_EQ(raisedBy([&] { CallFunc::actionWithTarget(probe, Selector<>(&Node::cleanup)); }), wrongClass);
}

namespace {
// Counts its timer's calls and its own end in the caller's variables.
class CountedNode : public Node {
public:
    CountedNode(int* calls, bool* freed)
        : m_calls(calls)
        , m_freed(freed)
    {
    }
    ~CountedNode() override { *m_freed = true; }
    void tick(float)
    {
        ++*m_calls;
        if (onTick)
            onTick();
    }
    std::function<void()> onTick;

private:
    int* m_calls;
    bool* m_freed;
};
} // namespace

// Node timers do not own their node: a node never entered is not kept alive by them, and one
// freed by an earlier timer is not called from the tick its timer is still listed in.
TEST_F(SchedulerTest, FreedNodesTakeTheirTimersWithThem)
{
    int idleCalls = 0, victimCalls = 0, killerCalls = 0;
    bool idleFreed = false, victimFreed = false, killerFreed = false;
    {
        auto idle = make<CountedNode>(&idleCalls, &idleFreed);
        idle->schedule(MW_SELECTOR(CountedNode, tick));
    }
    EXPECT_TRUE(idleFreed);

    auto killer = make<CountedNode>(&killerCalls, &killerFreed);
    Ref<CountedNode> victim = make<CountedNode>(&victimCalls, &victimFreed);
    killer->schedule(MW_SELECTOR(CountedNode, tick));
    victim->schedule(MW_SELECTOR(CountedNode, tick));
    killer->onEnter(); // fires first
    victim->onEnter();
    scheduler()->tick(0.1f);
    EXPECT_EQ(victimCalls, 1);
    killer->onTick = [&] {
        victim->onExit();
        victim = nullptr;
    };
    scheduler()->tick(0.1f);
    EXPECT_TRUE(victimFreed);
    EXPECT_EQ(victimCalls, 1);
    killer->onTick = nullptr;
    killer->onExit();
}
