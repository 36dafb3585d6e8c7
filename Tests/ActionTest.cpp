// Actions driven the way the game drives them: through the shared scheduler's tick, which
// fires the action manager's timer.

#include "Engine/Actions.h"
#include "Engine/Node.h"
#include "Engine/Scheduler.h"
#include "Engine/Sprite.h"
#include "Engine/Support/PointExtension.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class ActionTest : public ::testing::Test {
protected:
    void SetUp() override { purge(); }
    void TearDown() override { purge(); }
    static void purge()
    {
        ActionManager::purgeSharedManager();
        Scheduler::purgeSharedScheduler();
    }
    // The manager's timer passes 0 on its first firing, dt afterwards.
    static void frame(float dt) { Scheduler::sharedScheduler()->tick(dt); }

    static Ref<Node> runningNode()
    {
        Ref<Node> node = Node::node();
        node->onEnter();
        return node;
    }
};

// Logs every call so tests can check what an action was told, in order.
class Probe : public IntervalAction {
public:
    Probe(float duration, std::vector<float>* updates)
        : IntervalAction(duration)
        , m_updates(updates)
    {
    }
    void update(float t) override { m_updates->push_back(t); }

private:
    std::vector<float>* m_updates;
};

// A callback object that reaches into the action manager from inside a step.
class Meddler : public Object {
public:
    Node* node = nullptr;
    Action* victim = nullptr;
    int calls = 0;
    void stopVictim()
    {
        ++calls;
        node->stopAction(victim);
    }
    void stopAll()
    {
        ++calls;
        node->stopAllActions();
    }
};

TEST_F(ActionTest, FadeInStartsAtZeroOnFirstTickAndReachesFullOpacity)
{
    Ref<Sprite> sprite = Sprite::node();
    sprite->onEnter();
    sprite->setOpacity(100);
    sprite->runAction(FadeIn::actionWithDuration(1.5f));
    EXPECT_EQ(sprite->opacity(), 100) << "start must not touch the opacity";

    frame(0.25f); // first firing of the manager's timer: dt is not counted
    EXPECT_EQ(sprite->opacity(), 0);
    for (int i = 0; i < 5; ++i)
        frame(0.25f);
    EXPECT_EQ(sprite->opacity(), static_cast<GLubyte>(1.25f / 1.5f * 255));
    EXPECT_EQ(sprite->numberOfRunningActions(), 1);
    frame(0.25f);
    EXPECT_EQ(sprite->opacity(), 255);
    EXPECT_EQ(sprite->numberOfRunningActions(), 0) << "a finished action is stopped and removed";
}

TEST_F(ActionTest, ZeroDurationActionShowsZeroThenOneAndFinishes)
{
    Ref<Node> node = runningNode();
    std::vector<float> updates;
    Ref<Probe> probe = make<Probe>(0.0f, &updates);
    node->runAction(probe);
    frame(1 / 60.0f);
    frame(1 / 60.0f);
    frame(1 / 60.0f);
    EXPECT_EQ(updates, (std::vector<float> { 0, 1 }));
    EXPECT_EQ(node->numberOfRunningActions(), 0);
}

TEST_F(ActionTest, ActionOnNodeOutsideTheSceneWaitsUntilItEnters)
{
    Ref<Node> node = Node::node();
    node->runAction(MoveBy::actionWithDuration(1, ccp(10, 0)));
    for (int i = 0; i < 5; ++i)
        frame(0.25f);
    EXPECT_EQ(node->position(), ccp(0, 0));
    EXPECT_EQ(node->numberOfRunningActions(), 1);

    node->onEnter();
    frame(0.25f); // first step of the action: t = 0
    frame(0.25f);
    EXPECT_FLOAT_EQ(node->position().x, 2.5f);

    node->onExit();
    frame(0.25f);
    EXPECT_FLOAT_EQ(node->position().x, 2.5f) << "an exited node's actions are paused again";
    node->onEnter();
    frame(0.25f);
    EXPECT_FLOAT_EQ(node->position().x, 5);
}

TEST_F(ActionTest, SequenceJumpedPastItsSplitFinishesTheRotationBeforeTheMove)
{
    Ref<Node> node = runningNode();
    node->setRotation(30);
    Ref<Sequence> seq = Sequence::actionOne(
        RotateTo::actionWithDuration(0.3f, 90).get(), MoveTo::actionWithDuration(0.2f, ccp(100, 0)).get());
    node->runAction(seq);
    frame(1 / 60.0f);
    EXPECT_FLOAT_EQ(seq->split(), 0.6f);
    EXPECT_FLOAT_EQ(node->rotation(), 30);

    frame(0.4f); // t = 0.8
    EXPECT_FLOAT_EQ(node->rotation(), 90);
    EXPECT_NEAR(node->position().x, 50, 1e-3);
}

TEST_F(ActionTest, AnimateOfNineteenFramesRestoresTheOriginalOrKeepsTheLast)
{
    std::vector<Ref<Texture2D>> textures;
    for (int i = 0; i < 19; ++i)
        textures.push_back(make<Texture2D>());
    Ref<Animation> animation = Animation::animationWithName("spin", 0.05f, textures);
    Ref<Texture2D> original = make<Texture2D>();

    for (bool restore : { true, false }) {
        SCOPED_TRACE(restore ? "restoring" : "keeping the last frame");
        Ref<Sprite> sprite = Sprite::spriteWithTexture(original);
        sprite->onEnter();
        Ref<Animate> animate = Animate::actionWithAnimation(animation, restore);
        EXPECT_FLOAT_EQ(animate->duration(), 0.95f);
        sprite->runAction(animate);

        frame(0.125f);
        EXPECT_EQ(sprite->displayFrame(), textures[0].get());
        frame(0.125f); // 2.5 frames in
        EXPECT_EQ(sprite->displayFrame(), textures[2].get());
        for (int i = 0; i < 6; ++i)
            frame(0.125f);
        EXPECT_EQ(sprite->numberOfRunningActions(), 1);
        frame(0.125f); // past 0.95 s
        EXPECT_EQ(sprite->numberOfRunningActions(), 0);
        EXPECT_EQ(sprite->displayFrame(), restore ? original.get() : textures[18].get());
        sprite->onExit();
    }
}

TEST_F(ActionTest, SpeedScalesTheFrameTime)
{
    Ref<Node> node = runningNode();
    node->runAction(Speed::actionWithAction(MoveBy::actionWithDuration(1, ccp(10, 0)).get(), 2));
    frame(0.125f);
    frame(0.125f);
    frame(0.125f);
    EXPECT_FLOAT_EQ(node->position().x, 5);
    frame(0.125f);
    frame(0.125f);
    EXPECT_FLOAT_EQ(node->position().x, 10);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
}

// --- removal from inside a step ------------------------------------------------------------

TEST_F(ActionTest, CallbackRemovingItsOwnSequenceDoesNotSkipTheNextAction)
{
    Ref<Node> node = runningNode();
    Ref<Meddler> meddler = make<Meddler>();
    meddler->node = node;
    Ref<FiniteTimeAction> seq = Sequence::actions({ DelayTime::actionWithDuration(0.1f).get(),
        CallFunc::actionWithTarget(meddler, MW_SELECTOR(Meddler, stopVictim)).get(),
        DelayTime::actionWithDuration(1).get() });
    meddler->victim = seq;
    node->runAction(seq);
    node->runAction(MoveBy::actionWithDuration(1, ccp(10, 0)));

    frame(0.125f);
    frame(0.125f); // the callback fires and removes the sequence being stepped
    EXPECT_EQ(meddler->calls, 1);
    EXPECT_EQ(node->numberOfRunningActions(), 1);
    EXPECT_FLOAT_EQ(node->position().x, 1.25f) << "the move after it still stepped this frame";
    EXPECT_EQ(seq->retainCount(), 1) << "released by the manager, only our reference is left";
    frame(0.125f);
    EXPECT_EQ(meddler->calls, 1);
}

TEST_F(ActionTest, CallbackRemovingAnotherActionStopsItBeforeItsStep)
{
    Ref<Node> node = runningNode();
    Ref<Meddler> meddler = make<Meddler>();
    meddler->node = node;
    Ref<Action> before = node->runAction(RotateBy::actionWithDuration(1, 100));
    node->runAction(Sequence::actionOne(DelayTime::actionWithDuration(0.1f).get(),
        CallFunc::actionWithTarget(meddler, MW_SELECTOR(Meddler, stopVictim)).get()));
    Ref<Action> after = node->runAction(MoveBy::actionWithDuration(1, ccp(10, 0)));
    meddler->victim = after;

    frame(0.125f);
    frame(0.125f);
    EXPECT_EQ(meddler->calls, 1);
    EXPECT_FLOAT_EQ(node->rotation(), 12.5f);
    EXPECT_FLOAT_EQ(node->position().x, 0) << "removed before its turn in this frame";
    EXPECT_EQ(node->numberOfRunningActions(), 1);
    frame(0.125f);
    EXPECT_FLOAT_EQ(node->position().x, 0);
}

TEST_F(ActionTest, CallbackRemovingAllActionsOfItsTargetStopsTheRest)
{
    Ref<Node> node = runningNode();
    Ref<Meddler> meddler = make<Meddler>();
    meddler->node = node;
    node->runAction(MoveBy::actionWithDuration(1, ccp(10, 0)));
    node->runAction(Sequence::actionOne(DelayTime::actionWithDuration(0.1f).get(),
        CallFunc::actionWithTarget(meddler, MW_SELECTOR(Meddler, stopAll)).get()));
    node->runAction(RotateBy::actionWithDuration(1, 100));

    frame(0.125f);
    frame(0.125f);
    EXPECT_EQ(meddler->calls, 1);
    EXPECT_EQ(node->numberOfRunningActions(), 0);
    EXPECT_FLOAT_EQ(node->rotation(), 0) << "actions after the callback did not step";

    node->runAction(MoveBy::actionWithDuration(1, ccp(0, 10)));
    frame(0.125f);
    frame(0.125f);
    EXPECT_FLOAT_EQ(node->position().y, 1.25f) << "the target takes new actions afterwards";
}

} // namespace
