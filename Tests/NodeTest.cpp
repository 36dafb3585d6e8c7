#include "Engine/Action.h"
#include "Engine/ActionManager.h"
#include "Engine/Layer.h"
#include "Engine/Scene.h"
#include "Engine/Scheduler.h"
#include "Engine/Support/PointExtension.h"
#include "Engine/TouchDispatcher.h"
#include "Support/FakeHost.h"

#include "Tooling/NodeDump.h"
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <string>
#include <vector>

namespace {
std::vector<std::string> g_log;

class Probe : public Node {
public:
    explicit Probe(std::string name)
        : m_name(std::move(name))
    {
    }
    const char* className() const override { return "Probe"; }
    void draw() override { g_log.push_back("draw " + m_name); }
    void onEnter() override
    {
        g_log.push_back("enter " + m_name);
        Node::onEnter();
    }
    void onEnterTransitionDidFinish() override
    {
        g_log.push_back("finish " + m_name);
        Node::onEnterTransitionDidFinish();
    }
    void onExit() override
    {
        // The parent is already marked as not running when its children leave.
        g_log.push_back("exit " + m_name + (parent() && parent()->isRunning() ? " (parent running)" : ""));
        Node::onExit();
    }
    void cleanup() override
    {
        g_log.push_back("cleanup " + m_name);
        Node::cleanup();
    }
    void removeMe(float) { parent()->removeChild(this, true); }

private:
    std::string m_name;
};

Ref<Probe> probe(const char* name) { return make<Probe>(name); }

class NodeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetEngineForTest();
        g_log.clear();
    }
    void TearDown() override { resetEngineForTest(); }
};

void expectPoint(CGPoint p, float x, float y)
{
    EXPECT_NEAR(p.x, x, 1e-3f);
    EXPECT_NEAR(p.y, y, 1e-3f);
}
} // namespace

TEST_F(NodeTest, ChildrenAreKeptInZOrderAndVisitedAroundTheNodesOwnDraw)
{
    auto root = probe("root");
    auto a = probe("a0"), b = probe("b-1"), c = probe("c0"), d = probe("d1");
    root->addChild(a, 0)->addChild(b, -1)->addChild(c, 0)->addChild(d, 1);
    root->visit();
    EXPECT_EQ(g_log, (std::vector<std::string> { "draw b-1", "draw root", "draw a0", "draw c0", "draw d1" }));

    // Reordering goes after existing equals, too.
    root->reorderChild(a, 1);
    ASSERT_EQ(root->children().size(), 4u);
    EXPECT_EQ(root->children()[2].get(), d.get());
    EXPECT_EQ(root->children()[3].get(), a.get());

    // An invisible node hides its whole subtree.
    g_log.clear();
    root->setVisible(false);
    root->visit();
    EXPECT_TRUE(g_log.empty());
}

TEST_F(NodeTest, TagLookupReturnsTheEarliestChildInZOrder)
{
    auto root = Node::node();
    auto late = probe("late"), early = probe("early");
    root->addChild(late, 5, 7);
    root->addChild(early, -2, 7);
    EXPECT_EQ(root->getChildByTag(7), early.get());
    root->removeChildByTag(7, true);
    EXPECT_EQ(root->getChildByTag(7), late.get());
    EXPECT_EQ(early->parent(), nullptr);
    EXPECT_EQ(raisedBy([&] { root->getChildByTag(kNodeTagInvalid); }),
        std::string(kInternalInconsistencyException) + ": Invalid tag");
}

TEST_F(NodeTest, AddingTwiceOrIntoItsOwnSubtreeIsRefused)
{
    auto root = Node::node(), child = Node::node(), grandchild = Node::node();
    root->addChild(child);
    child->addChild(grandchild);
    const std::string already
        = std::string(kInternalInconsistencyException) + ": child already added. It can't be added again";
    EXPECT_EQ(raisedBy([&] { root->addChild(child); }), already);
    EXPECT_EQ(raisedBy([&] { grandchild->addChild(root); }), already);
    EXPECT_EQ(raisedBy([&] { child->addChild(child); }), already);
    EXPECT_EQ(root->children().size(), 1u);
    EXPECT_TRUE(grandchild->children().empty());
}

TEST_F(NodeTest, EntryExitAndCleanupReachTheSubtreeInOrder)
{
    auto scene = probe("scene"), layer = probe("layer"), sprite = probe("sprite");
    layer->addChild(sprite);
    scene->addChild(layer);
    scene->onEnter();
    scene->onEnterTransitionDidFinish();
    EXPECT_EQ(g_log,
        (std::vector<std::string> {
            "enter scene", "enter layer", "enter sprite", "finish scene", "finish layer", "finish sprite" }));
    EXPECT_TRUE(sprite->isRunning());

    // Added to a running parent: entered at once, but the transition-finished message is not sent.
    g_log.clear();
    auto late = probe("late");
    layer->addChild(late);
    EXPECT_EQ(g_log, (std::vector<std::string> { "enter late" }));

    g_log.clear();
    layer->removeChild(late, true);
    EXPECT_EQ(g_log, (std::vector<std::string> { "exit late", "cleanup late" }));

    g_log.clear();
    scene->onExit();
    EXPECT_EQ(g_log, (std::vector<std::string> { "exit scene", "exit layer", "exit sprite" }));
    EXPECT_FALSE(sprite->isRunning());
}

TEST_F(NodeTest, NodeThatRemovesItselfFromItsOwnTimerSurvivesTheCall)
{
    auto parent = Node::node();
    parent->onEnter();
    {
        auto child = probe("child");
        child->schedule(MW_SELECTOR(Probe, removeMe));
        parent->addChild(child);
    }
    Scheduler::sharedScheduler()->tick(0.1f); // removes and cleans up the only other owner
    EXPECT_TRUE(parent->children().empty());
    EXPECT_EQ(g_log.back(), "cleanup child");
    Scheduler::sharedScheduler()->tick(0.1f); // the timer is gone
    EXPECT_TRUE(Scheduler::sharedScheduler()->scheduledMethods().empty());
}

TEST_F(NodeTest, ScaleAccessorRefusesDifferentFactors)
{
    auto node = Node::node();
    node->setScale(2);
    EXPECT_EQ(node->scale(), 2);
    node->setScaleY(3);
    EXPECT_EQ(raisedBy([&] { (void)node->scale(); }), "Node scale:: scaleX is different from scaleY");
}

TEST_F(NodeTest, LayersAndScenesAreAnchoredAtTheScreenCentre)
{
    auto layer = Layer::node();
    EXPECT_EQ(layer->contentSize(), CGSizeMake(320, 480));
    expectPoint(layer->transformAnchor(), 160, 240);
    // Rotating a layer turns it about the centre of the screen: the centre stays put.
    layer->setRotation(90);
    expectPoint(layer->convertToWorldSpace(ccp(160, 240)), 160, 240);
    // Positive rotation is clockwise: a point right of the centre goes below it.
    expectPoint(layer->convertToWorldSpace(ccp(260, 240)), 160, 140);
    layer->setRotation(0);
    layer->setScale(2);
    expectPoint(layer->convertToWorldSpace(ccp(170, 240)), 180, 240);
}

TEST_F(NodeTest, SpaceConversionsRoundTripThroughTheTree)
{
    auto root = Node::node(), child = Node::node();
    root->setPosition(ccp(100, 50));
    root->setRotation(30);
    child->setContentSize(CGSizeMake(40, 20));
    child->setAnchorPoint(ccp(0.5f, 0.5f));
    child->setPosition(ccp(10, 20));
    child->setScaleX(2);
    root->addChild(child);

    const CGPoint local = ccp(7, 3);
    const CGPoint world = child->convertToWorldSpace(local);
    expectPoint(child->convertToNodeSpace(world), local.x, local.y);
    // AR variants measure from the transform anchor: the anchor maps to the node's position.
    expectPoint(child->convertToWorldSpaceAR(CGPointZero), root->convertToWorldSpace(ccp(10, 20)).x,
        root->convertToWorldSpace(ccp(10, 20)).y);
    expectPoint(child->convertToNodeSpaceAR(child->convertToWorldSpaceAR(ccp(-3, 4))), -3, 4);

    // Translations are truncated to whole points for hit tests.
    auto node = Node::node();
    node->setPosition(ccp(10.7f, -3.6f));
    const CGAffineTransform t = node->nodeToParentTransform();
    EXPECT_EQ(t.tx, 10);
    EXPECT_EQ(t.ty, -3);
    // The cached transform follows every change.
    node->setPosition(ccp(1, 2));
    EXPECT_EQ(node->nodeToParentTransform().tx, 1);
    expectPoint(node->convertToNodeSpace(ccp(1, 2)), 0, 0);
}

TEST_F(NodeTest, LayerRegistersForTouchesAndTiltOnlyWhileRunning)
{
    auto layer = Layer::node();
    TouchDispatcher* dispatcher = TouchDispatcher::sharedDispatcher();
    layer->setIsTouchEnabled(true);
    layer->setIsAccelerometerEnabled(true);
    EXPECT_TRUE(dispatcher->touchHandlers().empty());
    EXPECT_EQ(Accelerometer::sharedAccelerometer()->delegate(), nullptr);

    layer->onEnter();
    ASSERT_EQ(dispatcher->touchHandlers().size(), 1u);
    EXPECT_EQ(dispatcher->touchHandlers()[0]->delegate(), layer.get());
    EXPECT_EQ(Accelerometer::sharedAccelerometer()->delegate(), layer.get());

    layer->setIsTouchEnabled(false);
    EXPECT_TRUE(dispatcher->touchHandlers().empty());
    layer->setIsTouchEnabled(true);
    EXPECT_EQ(dispatcher->touchHandlers().size(), 1u);

    layer->onExit();
    EXPECT_TRUE(dispatcher->touchHandlers().empty());
    EXPECT_EQ(Accelerometer::sharedAccelerometer()->delegate(), nullptr);

    // A plain layer registered as a targeted delegate has not said which touches it wants.
    EXPECT_EQ(raisedBy([&] { layer->onTouchBegan(nullptr, nullptr); }),
        std::string(kInternalInconsistencyException) + ": Layer#onTouchBegan override me");
}

TEST_F(NodeTest, DumpTreeListsChildrenInDrawOrder)
{
    auto root = Node::node();
    auto a = probe("a"), b = probe("b");
    b->setPosition(ccp(5, 6));
    a->setPosition(ccp(1, 1));
    root->setPosition(ccp(100, 0));
    root->addChild(a, 2, 11);
    root->addChild(b, -1, 12);
    const nlohmann::json dump = NodeDump::tree(root);
    ASSERT_EQ(dump["children"].size(), 2u);
    EXPECT_EQ(dump["children"][0]["tag"], 12);
    EXPECT_EQ(dump["children"][0]["class"], "Probe");
    EXPECT_EQ(dump["children"][0]["worldPosition"], nlohmann::json({ 105.0, 6.0 }));
    EXPECT_EQ(dump["children"][1]["z"], 2);
    EXPECT_TRUE(dump["children"][1]["children"].empty());
}
