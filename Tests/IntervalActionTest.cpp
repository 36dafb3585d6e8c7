// The action kinds on their own: timing inside composites, reverse and copies. Actions are
// stepped by hand here; ActionTest drives them through the scheduler.

#include "Engine/Actions.h"
#include "Engine/Node.h"
#include "Engine/Sprite.h"
#include "Engine/Support/Exception.h"
#include "Engine/Support/PointExtension.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

// Records start/update/stop so the order of calls inside a composite can be checked.
class Probe : public IntervalAction {
public:
    Probe(float duration, std::string name, Log* log)
        : IntervalAction(duration)
        , m_name(std::move(name))
        , m_log(log)
    {
    }
    Ref<Action> copy() const override { return make<Probe>(m_duration, m_name, m_log); }
    Ref<FiniteTimeAction> reverse() const override { return make<Probe>(m_duration, m_name + "'", m_log); }
    void start() override
    {
        IntervalAction::start();
        m_log->push_back(m_name + " start");
    }
    void update(float t) override
    {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%s %g", m_name.c_str(), t);
        m_log->push_back(buf);
    }
    void stop() override { m_log->push_back(m_name + " stop"); }

private:
    std::string m_name;
    Log* m_log;
};

class Counter : public Object {
public:
    int calls = 0;
    Node* lastNode = nullptr;
    void* lastData = nullptr;
    void tick() { ++calls; }
    void withData(Node* node, void* data)
    {
        ++calls;
        lastNode = node;
        lastData = data;
    }
};

// Runs an action to its end with a fixed frame time, as the manager would.
void drive(Action* action, Node* target, float dt = 0.125f)
{
    action->startWithTarget(target);
    for (int guard = 0; guard < 10000; ++guard) {
        action->step(dt);
        if (action->isDone())
            break;
    }
    action->stop();
}

template <class F> std::string raisedReason(F f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.name() + ": " + e.reason();
    }
    return "nothing raised";
}

TEST(IntervalActionTest, RotateToTurnsTheShortWayAndKeepsItsDestinationWhenRestarted)
{
    struct Case {
        float from, to, turn;
    } cases[] = { { 350, 10, 20 }, { 10, 350, -20 }, { 0, 180, 180 }, { 720, 10, 10 }, { -400, 0, 40 } };
    for (const Case& c : cases) {
        Ref<Node> node = Node::node();
        node->setRotation(c.from);
        Ref<RotateTo> rotate = RotateTo::actionWithDuration(1, c.to);
        drive(rotate, node);
        EXPECT_FLOAT_EQ(node->rotation(), c.from + c.turn) << c.from << " -> " << c.to;
    }

    Ref<Node> node = Node::node();
    node->setRotation(30);
    Ref<RotateTo> rotate = RotateTo::actionWithDuration(1, 90);
    drive(rotate, node);
    node->setRotation(0);
    drive(rotate, node);
    EXPECT_FLOAT_EQ(node->rotation(), 90) << "a second run heads for the same angle";
    EXPECT_FLOAT_EQ(copyAction(rotate.get())->destinationAngle(), 90);
}

TEST(IntervalActionTest, SequenceCallsItsPartsInOrderAcrossTheSplit)
{
    Log log;
    Ref<Sequence> seq
        = Sequence::actionOne(make<Probe>(0.25f, "a", &log).get(), make<Probe>(0.75f, "b", &log).get());
    Ref<Node> node = Node::node();
    seq->startWithTarget(node);
    seq->update(0);
    seq->update(0.125f);
    seq->update(0.625f); // past the split at 0.25
    seq->update(1);
    EXPECT_EQ(log, (Log { "a start", "a 0", "a 0.5", "a 1", "a stop", "b start", "b 0.5", "b 1" }))
        << "the second part is not stopped by the sequence";

    // Nested: the inner sequence's first update already lies past its own split.
    log.clear();
    Ref<Sequence> outer = Sequence::actionOne(make<Probe>(0.5f, "d", &log).get(),
        Sequence::actionOne(make<Probe>(0.25f, "x", &log).get(), make<Probe>(0.25f, "y", &log).get()).get());
    outer->startWithTarget(node);
    outer->update(0);
    outer->update(1);
    EXPECT_EQ(log, (Log { "d start", "d 0", "d 1", "d stop", "x start", "x 1", "x stop", "y start", "y 1" }));
}

TEST(IntervalActionTest, SequenceAndSpawnListsNestFromTheLeft)
{
    Log log;
    Ref<FiniteTimeAction> one = make<Probe>(1, "a", &log);
    Ref<FiniteTimeAction> seq
        = Sequence::actions({ one.get(), make<Probe>(2, "b", &log).get(), make<Probe>(4, "c", &log).get() });
    ASSERT_STREQ(seq->className(), "Sequence");
    EXPECT_FLOAT_EQ(seq->duration(), 7);
    auto* outer = static_cast<Sequence*>(seq.get());
    ASSERT_STREQ(outer->actions()[0]->className(), "Sequence");
    EXPECT_FLOAT_EQ(outer->actions()[0]->duration(), 3);
    EXPECT_EQ(Sequence::actions({ one.get() }).get(), one.get());

    Ref<Spawn> spawn = Spawn::actionOne(
        MoveBy::actionWithDuration(1, ccp(10, 0)).get(), RotateBy::actionWithDuration(0.5f, 90).get());
    EXPECT_FLOAT_EQ(spawn->duration(), 1);
    EXPECT_STREQ(spawn->two()->className(), "Sequence") << "the shorter part is padded";
    EXPECT_FLOAT_EQ(spawn->two()->duration(), 1);
    Ref<Node> node = Node::node();
    spawn->startWithTarget(node);
    spawn->update(0);
    spawn->update(0.75f);
    EXPECT_FLOAT_EQ(node->rotation(), 90);
    EXPECT_FLOAT_EQ(node->position().x, 7.5f);
}

TEST(IntervalActionTest, RepeatCountsRepetitionsWhateverTheFrameTime)
{
    for (float dt : { 0.05f, 0.125f, 0.3f, 10.0f }) {
        Ref<Node> node = Node::node();
        Ref<Repeat> repeat = Repeat::actionWithAction(MoveBy::actionWithDuration(0.25f, ccp(10, 0)).get(), 4);
        EXPECT_FLOAT_EQ(repeat->duration(), 1);
        drive(repeat, node, dt);
        EXPECT_EQ(repeat->total(), 4u) << "dt " << dt;
        EXPECT_FLOAT_EQ(node->position().x, 40) << "dt " << dt;
    }

    // Frames landing on repetition boundaries: the node never jumps back.
    Ref<Node> node = Node::node();
    Ref<Repeat> repeat = Repeat::actionWithAction(MoveBy::actionWithDuration(0.5f, ccp(10, 0)).get(), 2);
    repeat->startWithTarget(node);
    std::vector<float> xs;
    for (int i = 0; i < 5; ++i) {
        repeat->step(0.25f);
        xs.push_back(node->position().x);
    }
    EXPECT_EQ(xs, (std::vector<float> { 0, 5, 10, 15, 20 }));
    EXPECT_TRUE(repeat->isDone());

    // Stepped over inside a sequence, every repetition still happens.
    Ref<Node> other = Node::node();
    Ref<Sequence> seq = Sequence::actionOne(
        Repeat::actionWithAction(MoveBy::actionWithDuration(0.1f, ccp(10, 0)).get(), 3).get(),
        DelayTime::actionWithDuration(0.7f).get());
    seq->startWithTarget(other);
    seq->update(0.5f);
    EXPECT_FLOAT_EQ(other->position().x, 30);

    Ref<Counter> counter = make<Counter>();
    drive(Repeat::actionWithAction(CallFunc::actionWithTarget(counter, MW_SELECTOR(Counter, tick)).get(), 0),
        node);
    EXPECT_EQ(counter->calls, 0) << "zero repetitions call nothing";
}

TEST(IntervalActionTest, RepeatForeverRestartsWhenItsActionEnds)
{
    Ref<Node> node = Node::node();
    Ref<RepeatForever> forever
        = RepeatForever::actionWithAction(MoveBy::actionWithDuration(0.25f, ccp(10, 0)).get());
    forever->startWithTarget(node);
    for (int i = 0; i < 8; ++i)
        forever->step(0.25f);
    EXPECT_FALSE(forever->isDone());
    // Each run loses its first frame (t = 0), so one run takes two 0.25 s frames.
    EXPECT_FLOAT_EQ(node->position().x, 40);
}

TEST(IntervalActionTest, FadesScalesAndAnimateOnTheirTargets)
{
    Ref<Sprite> sprite = Sprite::node();
    sprite->setOpacity(200);
    Ref<FadeTo> fade = FadeTo::actionWithDuration(1, 100);
    fade->startWithTarget(sprite);
    fade->update(0.5f);
    EXPECT_EQ(sprite->opacity(), 150);

    // A node without opacity is left alone rather than taken for one that has it.
    Ref<Node> plain = Node::node();
    drive(FadeIn::actionWithDuration(0.5f), plain);

    sprite->setScaleX(2);
    sprite->setScaleY(3);
    drive(ScaleBy::actionWithDuration(1, 2, 0.5f), sprite);
    EXPECT_FLOAT_EQ(sprite->scaleX(), 4);
    EXPECT_FLOAT_EQ(sprite->scaleY(), 1.5f);

    Ref<Animation> empty = Animation::animationWithName("none", 0.1f);
    drive(Animate::actionWithAnimation(empty), sprite);
    EXPECT_EQ(sprite->displayFrame(), nullptr);
}

TEST(IntervalActionTest, ReverseUndoesEachReversibleKind)
{
    Ref<Node> node = Node::node();
    node->setPosition(ccp(3, 4));
    node->setRotation(10);
    node->setScale(2);
    Ref<FiniteTimeAction> forward = Spawn::actions({
        MoveBy::actionWithDuration(1, ccp(10, -5)).get(),
        RotateBy::actionWithDuration(0.5f, 45).get(),
        Repeat::actionWithAction(ScaleBy::actionWithDuration(0.25f, 2, 4).get(), 2).get(),
    });
    Ref<FiniteTimeAction> both = Sequence::actionOne(forward.get(), forward->reverse().get());
    drive(both, node);
    EXPECT_NEAR(node->position().x, 3, 1e-4);
    EXPECT_NEAR(node->position().y, 4, 1e-4);
    EXPECT_NEAR(node->rotation(), 10, 1e-4);
    EXPECT_NEAR(node->scaleX(), 2, 1e-4);
    EXPECT_NEAR(node->scaleY(), 2, 1e-4);

    Log log;
    Ref<Sequence> seq = Sequence::actionOne(make<Probe>(1, "a", &log).get(), make<Probe>(3, "b", &log).get());
    Ref<Sequence> back = ref_cast<Sequence>(seq->reverse());
    ASSERT_TRUE(back);
    drive(back, node, 4);
    EXPECT_EQ(log.front(), "b' start") << "the second part, reversed, runs first";
    EXPECT_FLOAT_EQ(back->split(), 0.75f);

    EXPECT_STREQ(FadeIn::actionWithDuration(2)->reverse()->className(), "FadeOut");
    EXPECT_STREQ(FadeOut::actionWithDuration(2)->reverse()->className(), "FadeIn");
    drive(Show::action()->reverse(), node);
    EXPECT_FALSE(node->visible());
    drive(Hide::action()->reverse(), node);
    EXPECT_TRUE(node->visible());

    Ref<Speed> speed = Speed::actionWithAction(
        RepeatForever::actionWithAction(MoveBy::actionWithDuration(1, ccp(1, 0)).get()).get(), 3);
    Ref<Speed> speedBack = speed->reverse();
    EXPECT_FLOAT_EQ(speedBack->speed(), 3);
    auto* innerBack = static_cast<RepeatForever*>(speedBack->other());
    EXPECT_FLOAT_EQ(static_cast<MoveBy*>(innerBack->other())->delta().x, -1);

    const std::string none = "ReverseActionNotImplemented: Reverse Action not implemented";
    EXPECT_EQ(raisedReason([] { RotateTo::actionWithDuration(1, 1)->reverse(); }), none);
    EXPECT_EQ(raisedReason([] { MoveTo::actionWithDuration(1, ccp(1, 1))->reverse(); }), none);
    EXPECT_EQ(raisedReason([] { ScaleTo::actionWithDuration(1, 2)->reverse(); }), none);
    EXPECT_EQ(raisedReason([] { FadeTo::actionWithDuration(1, 9)->reverse(); }), none);
}

TEST(IntervalActionTest, CopiesRunIndependentlyOfTheirOriginal)
{
    Ref<FiniteTimeAction> original
        = Sequence::actionOne(Spawn::actionOne(MoveBy::actionWithDuration(0.5f, ccp(10, 0)).get(),
                                  RotateBy::actionWithDuration(0.25f, 90).get())
                                  .get(),
            Repeat::actionWithAction(ScaleBy::actionWithDuration(0.25f, 2).get(), 2).get());
    original->setTag(5);
    Ref<FiniteTimeAction> copy = copyAction(original.get());
    EXPECT_EQ(copy->tag(), 5);

    // Interleaved on two nodes: shared parts would read one node's start values for the other.
    Ref<Node> first = Node::node();
    Ref<Node> second = Node::node();
    second->setPosition(ccp(100, 0));
    original->startWithTarget(first);
    copy->startWithTarget(second);
    while (!original->isDone() || !copy->isDone()) {
        original->step(0.125f);
        copy->step(0.125f);
    }
    EXPECT_FLOAT_EQ(first->position().x, 10);
    EXPECT_FLOAT_EQ(second->position().x, 110);
    EXPECT_FLOAT_EQ(first->scaleX(), 4);
    EXPECT_FLOAT_EQ(second->scaleX(), 4);

    Ref<Animation> animation = Animation::animationWithName("a", 0.1f);
    EXPECT_FALSE(copyAction(Animate::actionWithAnimation(animation, false).get())->restoreOriginalFrame());
    Ref<Speed> speed = Speed::actionWithAction(DelayTime::actionWithDuration(1).get(), 2);
    EXPECT_NE(copyAction(speed.get())->other(), speed->other());
}

TEST(IntervalActionTest, InstantActionsActOnStart)
{
    Ref<Node> node = Node::node();
    Ref<Counter> counter = make<Counter>();
    int data = 0;
    Ref<CallFuncND> call = CallFuncND::actionWithTarget(counter, MW_SELECTOR(Counter, withData), &data);
    EXPECT_EQ(counter->retainCount(), 2) << "the callback object is retained";
    call->startWithTarget(node);
    call->step(1);
    EXPECT_EQ(counter->calls, 1) << "called in start only";
    EXPECT_EQ(counter->lastNode, node.get());
    EXPECT_EQ(counter->lastData, &data);
    EXPECT_TRUE(call->isDone());

    drive(CallFunc::actionWithTarget(nullptr, MW_SELECTOR(Counter, tick)), node); // nothing to call
}

TEST(IntervalActionTest, RefusedConstructionsRaiseTheirTexts)
{
    const std::string inconsistency = kInternalInconsistencyException;
    Ref<FiniteTimeAction> delay = DelayTime::actionWithDuration(1);
    EXPECT_EQ(raisedReason([] { IntervalAction::action(); }),
        "IntervalActionInit: Init not supported. Use InitWithDuration");
    EXPECT_EQ(raisedReason([&] { Sequence::actionOne(nullptr, delay.get()); }),
        inconsistency + ": Sequence: argument one must be non-nil");
    EXPECT_EQ(raisedReason([&] {
        Sequence::actions({ delay.get(), nullptr });
    }),
        inconsistency + ": Sequence: argument two must be non-nil");
    EXPECT_EQ(raisedReason([&] { Spawn::actionOne(delay.get(), nullptr); }),
        inconsistency + ": Spawn: argument two must be non-nil");
    EXPECT_EQ(raisedReason([] { Animate::actionWithAnimation(nullptr); }),
        inconsistency + ": Animate: argument Animation must be non-nil");
    EXPECT_EQ(raisedReason([] { IntervalAction::actionWithDuration(1)->reverse(); }),
        "ReverseActionNotImplemented: Reverse Action not implemented");
}

} // namespace
