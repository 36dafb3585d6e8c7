#include "Engine/ActionManager.h"
#include "Engine/Action.h"
#include "Engine/Director.h"
#include "Engine/Node.h"
#include "Engine/Scheduler.h"
#include "Support/FakeHost.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {
std::vector<std::string> g_log;

// Steps a fixed number of times, then is done; may run a hook inside its own step.
class CountedAction : public Action {
public:
    CountedAction(std::string name, int steps)
        : m_name(std::move(name))
        , m_steps(steps)
    {
    }
    ~CountedAction() override { g_log.push_back("free " + m_name); }
    void start() override { g_log.push_back("start " + m_name); }
    void stop() override { g_log.push_back("stop " + m_name); }
    void step(float) override
    {
        ++m_done;
        g_log.push_back("step " + m_name);
        if (onStep) {
            auto hook = onStep;
            hook();
        }
    }
    bool isDone() const override { return m_done >= m_steps; }
    std::function<void()> onStep;

private:
    std::string m_name;
    int m_steps;
    int m_done = 0;
};

class Watched : public Node {
public:
    explicit Watched(bool* freed)
        : m_freed(freed)
    {
    }
    ~Watched() override { *m_freed = true; }

private:
    bool* m_freed;
};

class ActionManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetEngineForTest();
        g_log.clear();
        node = Node::node();
        node->onEnter();
        manager()->tick(0); // absorb the manager's timer's first zero tick
    }
    void TearDown() override
    {
        node = nullptr;
        resetEngineForTest();
    }
    static ActionManager* manager() { return ActionManager::sharedManager(); }
    static void frame() { Scheduler::sharedScheduler()->tick(1.0f / 60); }
    static Ref<CountedAction> counted(const char* name, int steps)
    {
        return make<CountedAction>(name, steps);
    }
    int steps(const std::string& name) const
    {
        return static_cast<int>(std::count(g_log.begin(), g_log.end(), "step " + name));
    }

    Ref<Node> node;
};
} // namespace

TEST_F(ActionManagerTest, FinishedActionsAreStoppedAndRemovedAndAFreedNodeTakesItsActions)
{
    node->runAction(counted("a", 2));
    EXPECT_EQ(g_log, (std::vector<std::string> { "start a" })); // started at once
    frame();
    frame();
    frame();
    EXPECT_EQ(g_log, (std::vector<std::string> { "start a", "step a", "step a", "stop a", "free a" }));

    // The manager does not own targets: a node goes when its owner lets go, actions and all.
    g_log.clear();
    bool freed = false;
    {
        auto target = make<Watched>(&freed);
        target->onEnter();
        target->runAction(counted("b", 5));
        frame();
    }
    EXPECT_TRUE(freed);
    EXPECT_EQ(g_log, (std::vector<std::string> { "start b", "step b", "free b" }));
    frame();
    EXPECT_EQ(steps("b"), 1);
}

TEST_F(ActionManagerTest, ActionRemovingItselfDuringItsStepIsReleasedAfterTheStep)
{
    auto self = counted("self", 100), next = counted("next", 100);
    node->runAction(self);
    node->runAction(next);
    self->onStep = [this, a = self.get()] { node->stopAction(a); };
    self = nullptr;
    frame();
    EXPECT_EQ(g_log,
        (std::vector<std::string> { "start self", "start next", "step self", "free self", "step next" }));
    EXPECT_EQ(node->numberOfRunningActions(), 1);
}

TEST_F(ActionManagerTest, ActionRemovingAnotherDoesNotSkipTheRest)
{
    auto first = counted("first", 100), killer = counted("killer", 100), last = counted("last", 100);
    node->runAction(first);
    node->runAction(killer);
    node->runAction(last);
    killer->onStep = [this, f = first.get()] { node->stopAction(f); };
    first = nullptr;
    frame();
    // Removing an earlier action shifts the list; "last" must still step in this frame.
    EXPECT_EQ(steps("first"), 1);
    EXPECT_EQ(steps("killer"), 1);
    EXPECT_EQ(steps("last"), 1);
    EXPECT_EQ(node->numberOfRunningActions(), 2);
}

TEST_F(ActionManagerTest, ActionStoppingAllOfItsTargetsActions)
{
    auto a = counted("a", 100), b = counted("b", 100);
    node->runAction(a);
    node->runAction(b);
    a->onStep = [this] { node->stopAllActions(); };
    a = nullptr;
    b = nullptr;
    frame();
    EXPECT_EQ(steps("b"), 0);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
    EXPECT_NE(std::find(g_log.begin(), g_log.end(), "free a"), g_log.end());
    EXPECT_NE(std::find(g_log.begin(), g_log.end(), "free b"), g_log.end());

    // Clearing the target and running a new action from the same step keeps the new one.
    g_log.clear();
    auto c = counted("c", 100);
    node->runAction(c);
    c->onStep = [this] {
        node->stopAllActions();
        node->runAction(counted("d", 100));
    };
    c = nullptr;
    frame();
    EXPECT_EQ(node->numberOfRunningActions(), 1);
    frame();
    EXPECT_EQ(steps("d"), 2);
}

TEST_F(ActionManagerTest, ActionsOfANodeThatIsNotRunningStartPausedUntilItEnters)
{
    auto idle = Node::node();
    idle->runAction(counted("later", 100));
    EXPECT_EQ(g_log, (std::vector<std::string> { "start later" })); // start values are read at once
    frame();
    frame();
    EXPECT_EQ(steps("later"), 0);
    idle->onEnter();
    frame();
    EXPECT_EQ(steps("later"), 1);
    idle->onExit();
    frame();
    EXPECT_EQ(steps("later"), 1);
    idle->onEnter();
    frame();
    EXPECT_EQ(steps("later"), 2);
    idle->onExit();
    idle->cleanup();
    EXPECT_EQ(idle->numberOfRunningActions(), 0);
}

TEST_F(ActionManagerTest, PausedRecordsKeepTheirFlagWhenMoreActionsArrive)
{
    node->runAction(counted("w", 100));
    manager()->pauseAllActionsForTarget(node);
    node->runAction(counted("x", 100)); // the running node's existing record stays paused
    frame();
    EXPECT_EQ(steps("w") + steps("x"), 0);
    EXPECT_TRUE(manager()->isTargetPaused(node));
    manager()->resumeAllActionsForTarget(node);
    frame();
    EXPECT_EQ(steps("w"), 1);
    EXPECT_EQ(steps("x"), 1);
}

TEST_F(ActionManagerTest, TagsAndDuplicateRuns)
{
    auto tagged = counted("tagged", 100);
    tagged->setTag(4);
    node->runAction(tagged);
    EXPECT_EQ(node->getActionByTag(4), tagged.get());
    EXPECT_EQ(raisedBy([&] { node->runAction(tagged); }),
        std::string(kInternalInconsistencyException) + ": runAction: Action already running");
    EXPECT_EQ(raisedBy([&] { node->getActionByTag(kActionTagInvalid); }),
        std::string(kInternalInconsistencyException) + ": Invalid tag");
    EXPECT_EQ(raisedBy([&] { manager()->removeActionByTag(4, nullptr); }),
        std::string(kInternalInconsistencyException) + ": Target should be ! nil");
    EXPECT_EQ(node->numberOfRunningActions(), 1);
    node->stopActionByTag(4);
    EXPECT_EQ(node->getActionByTag(4), nullptr);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
}

TEST_F(ActionManagerTest, PurgingTheManagerFromAnActionIsSafe)
{
    auto a = counted("a", 100), b = counted("b", 100);
    node->runAction(a);
    Node::node()->runAction(b);
    a->onStep = [] { ActionManager::purgeSharedManager(); };
    a = nullptr;
    b = nullptr;
    frame();
    EXPECT_EQ(ActionManager::existingManager(), nullptr);
    EXPECT_NE(std::find(g_log.begin(), g_log.end(), "free a"), g_log.end());
    EXPECT_NE(std::find(g_log.begin(), g_log.end(), "free b"), g_log.end());
    // The old manager's timer is gone from the scheduler.
    frame();
    EXPECT_TRUE(Scheduler::sharedScheduler()->scheduledMethods().empty());
}
