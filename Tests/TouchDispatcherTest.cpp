#include "Engine/TouchDispatcher.h"
#include "Engine/Support/EAGLView.h"
#include "Support/FakeHost.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {
std::vector<std::string> g_log;

class StandardProbe : public Object, public StandardTouchDelegate {
public:
    StandardProbe(std::string name, bool handles = false)
        : m_name(std::move(name))
        , m_handles(handles)
    {
    }
    bool onTouchesBegan(const TouchSet& touches, TouchEvent*) override
    {
        g_log.push_back(m_name + " began " + std::to_string(touches.size()));
        if (onBegan)
            onBegan();
        return m_handles;
    }
    bool onTouchesEnded(const TouchSet& touches, TouchEvent*) override
    {
        g_log.push_back(m_name + " ended " + std::to_string(touches.size()));
        return m_handles;
    }
    std::function<void()> onBegan;

private:
    std::string m_name;
    bool m_handles;
};

class TargetedProbe : public Object, public TargetedTouchDelegate {
public:
    TargetedProbe(std::string name, std::function<bool(Touch*)> claims)
        : m_name(std::move(name))
        , m_claims(claims)
    {
    }
    bool onTouchBegan(Touch* touch, TouchEvent*) override
    {
        const bool claimed = m_claims(touch);
        g_log.push_back(m_name + (claimed ? " claims" : " declines"));
        return claimed;
    }
    void onTouchMoved(Touch*, TouchEvent*) override { g_log.push_back(m_name + " moved"); }
    void onTouchEnded(Touch*, TouchEvent*) override { g_log.push_back(m_name + " ended"); }

private:
    std::string m_name;
    std::function<bool(Touch*)> m_claims;
};

class TouchDispatcherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetEngineForTest();
        g_log.clear();
        first = make<Touch>();
        second = make<Touch>();
        both = TouchSet { first.get(), second.get() };
        event = make<TouchEvent>(both, 0.0);
    }
    void TearDown() override { resetEngineForTest(); }

    TouchDispatcher* dispatcher() { return TouchDispatcher::sharedDispatcher(); }
    Ref<Touch> first, second;
    TouchSet both;
    Ref<TouchEvent> event;
};
} // namespace

TEST_F(TouchDispatcherTest, LowerPriorityFirstAndLatestAmongEquals)
{
    auto early = make<StandardProbe>("early"), late = make<StandardProbe>("late"),
         urgent = make<StandardProbe>("urgent");
    dispatcher()->addStandardDelegate(early, 0);
    dispatcher()->addStandardDelegate(late, 0);
    dispatcher()->addStandardDelegate(urgent, -5);
    dispatcher()->touchesBegan(both, event);
    EXPECT_EQ(g_log, (std::vector<std::string> { "urgent began 2", "late began 2", "early began 2" }));

    g_log.clear();
    dispatcher()->setPriority(10, urgent);
    dispatcher()->touchesBegan(both, event);
    EXPECT_EQ(g_log, (std::vector<std::string> { "late began 2", "early began 2", "urgent began 2" }));
}

TEST_F(TouchDispatcherTest, StandardDelegateThatHandlesStopsTheDispatch)
{
    auto handles = make<StandardProbe>("handles", true), after = make<StandardProbe>("after");
    dispatcher()->addStandardDelegate(handles, 1);
    dispatcher()->addStandardDelegate(after, 2);
    dispatcher()->touchesEnded(both, event);
    EXPECT_EQ(g_log, (std::vector<std::string> { "handles ended 2" }));

    dispatcher()->setDispatchEvents(false);
    dispatcher()->touchesEnded(both, event);
    EXPECT_EQ(g_log.size(), 1u);
}

TEST_F(TouchDispatcherTest, SwallowingTargetedDelegateLeavesUnclaimedTouchesToLaterHandlers)
{
    Touch* wanted = first.get();
    auto grabber = make<TargetedProbe>("grabber", [wanted](Touch* t) { return t == wanted; });
    auto rest = make<StandardProbe>("rest");
    dispatcher()->addTargetedDelegate(grabber, 0, true);
    dispatcher()->addStandardDelegate(rest, 1);

    dispatcher()->touchesBegan(both, event);
    EXPECT_EQ(g_log, (std::vector<std::string> { "grabber claims", "grabber declines", "rest began 1" }));
    auto* handler = static_cast<TargetedTouchHandler*>(dispatcher()->touchHandlers()[0].get());
    EXPECT_TRUE(handler->claimedTouches().contains(first.get()));

    // Only the claimed touch reaches the targeted delegate, and it stays hidden from the rest.
    g_log.clear();
    dispatcher()->touchesMoved(both, event);
    dispatcher()->touchesEnded(both, event);
    EXPECT_EQ(g_log, (std::vector<std::string> { "grabber moved", "grabber ended", "rest ended 1" }));
    EXPECT_TRUE(handler->claimedTouches().empty());

    // Once ended, the touch is no longer claimed.
    g_log.clear();
    dispatcher()->touchesEnded(TouchSet { first.get() }, event);
    EXPECT_EQ(g_log, (std::vector<std::string> { "rest ended 1" }));
}

TEST_F(TouchDispatcherTest, RegistrationChangesDuringDispatchApplyFromTheNextEvent)
{
    auto remover = make<StandardProbe>("remover"), victim = make<StandardProbe>("victim");
    auto newcomer = make<StandardProbe>("newcomer");
    dispatcher()->addStandardDelegate(remover, 0);
    dispatcher()->addStandardDelegate(victim, 1);
    // Dropping our own references: the dispatcher holds the only ones.
    StandardProbe* victimPtr = victim.get();
    victim = nullptr;
    remover->onBegan = [&] {
        dispatcher()->removeDelegate(victimPtr);
        dispatcher()->removeDelegate(remover);
        dispatcher()->addStandardDelegate(newcomer, -1);
    };
    dispatcher()->touchesBegan(both, event);
    // The removed victim still gets this event (and is still alive to receive it).
    EXPECT_EQ(g_log, (std::vector<std::string> { "remover began 2", "victim began 2" }));

    g_log.clear();
    remover->onBegan = nullptr;
    dispatcher()->touchesBegan(both, event);
    EXPECT_EQ(g_log, (std::vector<std::string> { "newcomer began 2" }));
}

TEST_F(TouchDispatcherTest, RegistrationErrors)
{
    auto probe = make<StandardProbe>("p");
    dispatcher()->addStandardDelegate(probe, 0);
    const std::string invalid = std::string(kInvalidArgumentException) + ": ";
    EXPECT_EQ(raisedBy([&] { dispatcher()->addTargetedDelegate(probe.get(), 3, false); }),
        std::string(kInternalInconsistencyException) + ": Touch delegate must implement onTouchBegan");
    EXPECT_EQ(raisedBy([&] { dispatcher()->addStandardDelegate(probe, 3); }),
        invalid + "Delegate already added to touch dispatcher.");
    EXPECT_EQ(raisedBy([&] { dispatcher()->setPriority(1, nullptr); }), invalid + "Got nil touch delegate");
    EXPECT_EQ(raisedBy([&] { dispatcher()->setPriority(1, make<StandardProbe>("x")); }),
        invalid + "Touch delegate not found");
    EXPECT_EQ(raisedBy([&] { dispatcher()->addStandardDelegate(nullptr, 0); }),
        std::string(kInternalInconsistencyException) + ": Touch delegate may not be nil");
    EXPECT_EQ(dispatcher()->touchHandlers().size(), 1u);
}

TEST_F(TouchDispatcherTest, ViewKeepsOneTouchPerFingerAndForwardsOnlyChangedOnes)
{
    FakeHost host;
    Ref<EAGLView> view = EAGLView::initWithFrame(CGRectMake(0, 0, 320, 480));
    ASSERT_TRUE(view);
    view->setMultipleTouchEnabled(true);

    struct Recorder : Object, EAGLTouchDelegate {
        std::vector<std::pair<std::string, TouchSet>> events;
        void touchesBegan(const TouchSet& t, TouchEvent*) override { events.emplace_back("began", t); }
        void touchesMoved(const TouchSet& t, TouchEvent*) override { events.emplace_back("moved", t); }
        void touchesEnded(const TouchSet& t, TouchEvent*) override { events.emplace_back("ended", t); }
        void touchesCancelled(const TouchSet& t, TouchEvent*) override
        {
            events.emplace_back("cancelled", t);
        }
    };
    auto recorder = make<Recorder>();
    view->setTouchDelegate(recorder.get());

    view->handleHostTouches(HostTouchPhase::Began, { { 1, 10, 20, 1 } }, 1.0);
    view->handleHostTouches(HostTouchPhase::Began, { { 2, 100, 200, 1 } }, 1.1);
    view->handleHostTouches(HostTouchPhase::Moved, { { 1, 15, 25, 1 } }, 1.2);
    view->handleHostTouches(HostTouchPhase::Moved, { { 9, 0, 0, 1 } }, 1.2); // unknown finger
    view->handleHostTouches(HostTouchPhase::Ended, { { 1, 16, 26, 2 } }, 1.3);
    ASSERT_EQ(recorder->events.size(), 4u);

    Touch* finger1 = recorder->events[0].second.anyObject();
    EXPECT_EQ(recorder->events[2].second.anyObject(), finger1);
    EXPECT_EQ(recorder->events[3].second.anyObject(), finger1);
    EXPECT_NE(recorder->events[1].second.anyObject(), finger1);
    EXPECT_EQ(finger1->locationInView(), CGPointMake(16, 26));
    EXPECT_EQ(finger1->previousLocationInView(), CGPointMake(15, 25));
    EXPECT_EQ(finger1->tapCount(), 2);
    EXPECT_EQ(finger1->phase(), TouchPhase::Ended);
    EXPECT_EQ(finger1->view(), view.get());
    EXPECT_EQ(view->activeTouches().size(), 1u);

    // Without multiple touch only the first finger down is followed.
    view->setMultipleTouchEnabled(false);
    view->handleHostTouches(HostTouchPhase::Began, { { 3, 5, 5, 1 } }, 1.4);
    EXPECT_EQ(recorder->events.size(), 4u);
    view->setTouchDelegate(nullptr);
}
