#include "Engine/Director.h"
#include "Engine/ActionManager.h"
#include "Engine/IntervalAction.h"
#include "Engine/Scheduler.h"
#include "Engine/TouchDispatcher.h"
#include "Support/FakeHost.h"
#include "Support/TestScene.h"

#include <GLES/gl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {
std::vector<std::string> g_log;

class ProbeScene : public Scene {
public:
    ProbeScene(std::string name, bool* freed = nullptr, bool transition = false)
        : m_name(std::move(name))
        , m_freed(freed)
        , m_transition(transition)
    {
    }
    ~ProbeScene() override
    {
        if (m_freed)
            *m_freed = true;
    }
    bool isTransition() const override { return m_transition; }
    void onEnter() override
    {
        g_log.push_back("enter " + m_name);
        Scene::onEnter();
    }
    void onEnterTransitionDidFinish() override
    {
        g_log.push_back("finish " + m_name);
        Scene::onEnterTransitionDidFinish();
    }
    void onExit() override
    {
        g_log.push_back("exit " + m_name);
        Scene::onExit();
    }
    void cleanup() override
    {
        g_log.push_back("cleanup " + m_name);
        Scene::cleanup();
    }
    void tick(float dt)
    {
        ticks.push_back(dt);
        if (onTick)
            onTick();
    }
    std::vector<float> ticks;
    std::function<void()> onTick;

private:
    std::string m_name;
    bool* m_freed;
    bool m_transition;
};

Ref<ProbeScene> scene(const char* name, bool* freed = nullptr, bool transition = false)
{
    return make<ProbeScene>(name, freed, transition);
}

class DirectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetEngineForTest();
        g_log.clear();
        Director::useDisplayLinkDirector();
        director()->attachInWindow(WindowInfo {});
    }
    void TearDown() override { resetEngineForTest(); }
    static Director* director() { return Director::sharedDirector(); }

    FakeHost host;
};
} // namespace

TEST_F(DirectorTest, PushedSceneCoversTheFirstAndPopReturnsToIt)
{
    auto first = scene("first"), second = scene("second");
    director()->runWithScene(first);
    EXPECT_TRUE(host.hasDisplayLink());
    EXPECT_TRUE(g_log.empty()); // the first frame enters it
    host.frame();
    EXPECT_EQ(g_log, (std::vector<std::string> { "enter first", "finish first" }));

    g_log.clear();
    director()->pushScene(second);
    host.frame();
    EXPECT_EQ(g_log, (std::vector<std::string> { "exit first", "enter second", "finish second" }));

    g_log.clear();
    director()->popScene();
    host.frame();
    EXPECT_EQ(g_log, (std::vector<std::string> { "exit second", "enter first", "finish first" }));
    EXPECT_EQ(director()->runningScene(), first.get()); // not rebuilt

    // Popping the last scene ends the director.
    g_log.clear();
    director()->popScene();
    EXPECT_EQ(g_log, (std::vector<std::string> { "exit first", "cleanup first" }));
    EXPECT_EQ(director()->runningScene(), nullptr);
    EXPECT_FALSE(host.hasDisplayLink());
    EXPECT_FALSE(director()->isOpenGLAttached());
    EXPECT_EQ(Scheduler::existingScheduler(), nullptr);
    EXPECT_EQ(ActionManager::existingManager(), nullptr);
}

TEST_F(DirectorTest, OnlyTheLastOfTwoReplacementsInAFrameIsShown)
{
    bool firstReplacementFreed = false;
    director()->runWithScene(scene("start"));
    host.frame();
    g_log.clear();
    {
        // Busy from its constructor on, as the game scene is.
        auto r1 = scene("r1", &firstReplacementFreed);
        r1->schedule(MW_SELECTOR(ProbeScene, tick));
        r1->runAction(RepeatForever::actionWithAction(RotateBy::actionWithDuration(1, 360)));
        director()->replaceScene(r1);
    }
    director()->replaceScene(scene("r2"));
    EXPECT_TRUE(firstReplacementFreed); // released without ever being entered
    host.frame();
    EXPECT_EQ(g_log, (std::vector<std::string> { "exit start", "enter r2", "finish r2" }));
    EXPECT_EQ(director()->scenesStack().size(), 1u);
}

TEST_F(DirectorTest, TransitionScenesTakeOverExitAndEntry)
{
    auto outgoing = scene("out");
    director()->runWithScene(outgoing);
    host.frame();
    g_log.clear();

    director()->replaceScene(scene("transition", nullptr, true));
    host.frame();
    // The outgoing scene gets no exit from the director: the transition runs it out.
    EXPECT_EQ(g_log, (std::vector<std::string> { "enter transition", "finish transition" }));

    g_log.clear();
    director()->replaceScene(scene("in"));
    host.frame();
    // A finishing transition has entered its incoming scene already.
    EXPECT_EQ(g_log, (std::vector<std::string> { "exit transition" }));
}

TEST_F(DirectorTest, AReplacedSceneIsFreedUnlessKeptAndAKeptOneComesBackRunning)
{
    bool replacedFreed = false, coveredFreed = false;
    {
        auto replaced = scene("replaced", &replacedFreed);
        replaced->schedule(Selector<float>(&ProbeScene::tick));
        replaced->runAction(RepeatForever::actionWithAction(RotateBy::actionWithDuration(1, 360)));
        director()->runWithScene(replaced);
        host.frame();
    }
    director()->replaceScene(scene("second"));
    host.frame();
    EXPECT_TRUE(replacedFreed); // neither its timer nor its action keeps it alive

    // Kept by someone else, a replaced scene keeps its timer and action for its return.
    auto kept = scene("kept");
    kept->schedule(Selector<float>(&ProbeScene::tick));
    kept->runAction(RepeatForever::actionWithAction(RotateBy::actionWithDuration(1, 360)));
    director()->replaceScene(kept);
    host.frame();
    host.frame();
    director()->replaceScene(scene("third"));
    host.frame();
    const std::size_t ticks = kept->ticks.size();
    const float rotation = kept->rotation();
    host.frame();
    EXPECT_EQ(kept->ticks.size(), ticks); // nothing runs while it is off stage
    director()->replaceScene(kept);
    host.frame();
    host.frame();
    EXPECT_EQ(kept->ticks.size(), ticks + 1);
    EXPECT_NE(kept->rotation(), rotation);

    {
        auto covered = scene("covered", &coveredFreed);
        covered->schedule(Selector<float>(&ProbeScene::tick));
        director()->replaceScene(covered);
        host.frame();
    }
    director()->pushScene(scene("over"));
    host.frame();
    EXPECT_FALSE(coveredFreed);
    g_log.clear();
    director()->popScene();
    host.frame();
    EXPECT_EQ(g_log, (std::vector<std::string> { "exit over", "enter covered", "finish covered" }));
}

TEST_F(DirectorTest, SceneReplacedDuringTheTickIsDrawnInTheSameFrame)
{
    auto first = scene("first");
    director()->runWithScene(first);
    host.frame();
    first->schedule(MW_SELECTOR(ProbeScene, tick));
    auto next = scene("next");
    first->onTick = [&] { director()->replaceScene(next); };
    host.frame();
    EXPECT_EQ(director()->runningScene(), next.get());
}

TEST_F(DirectorTest, FrameTimeRules)
{
    auto s = scene("s");
    s->schedule(MW_SELECTOR(ProbeScene, tick));
    director()->runWithScene(s);
    host.frame(0.02); // enters the scene; its timer fires from the next tick
    host.frame(0.02);
    EXPECT_NEAR(director()->dt(), 0.02f, 1e-6f);

    host.setTime(900, 0); // the clock went backwards
    host.frame(0);
    EXPECT_EQ(director()->dt(), 0);
    host.frame(0.5); // a stall without resume shows up whole
    EXPECT_NEAR(director()->dt(), 0.5f, 1e-6f);

    director()->setNextDeltaTimeZero(true);
    host.frame(0.3);
    EXPECT_EQ(director()->dt(), 0);
    EXPECT_FALSE(director()->nextDeltaTimeZero());

    // A failed clock read only zeroes this frame; the next frame measures from the last good read.
    host.setClockFails(true);
    host.frame(0.1);
    EXPECT_EQ(director()->dt(), 0);
    host.setClockFails(false);
    host.frame(0.1);
    EXPECT_NEAR(director()->dt(), 0.2f, 1e-5f);

    // Paused: frames still draw but nothing ticks, and the display link keeps its rate.
    const std::size_t ticks = s->ticks.size();
    const int swaps = host.swapCount();
    const int linkChanges = host.displayLinkChanges();
    director()->pause();
    host.frame();
    host.frame();
    EXPECT_EQ(s->ticks.size(), ticks);
    EXPECT_EQ(host.swapCount(), swaps + 2);
    EXPECT_EQ(host.displayLinkChanges(), linkChanges);
    EXPECT_EQ(host.frameInterval(), 1);

    // Resume after a long suspension (no frames): the suspension does not appear as a frame.
    host.advance(100);
    director()->resume();
    EXPECT_EQ(director()->dt(), 0);
    host.frame(1.0 / 60);
    EXPECT_LT(director()->dt(), 0.02f);
    EXPECT_EQ(s->ticks.size(), ticks + 1);
}

TEST_F(DirectorTest, OrientationSwapsWindowSizeAndTouchCoordinates)
{
    const CGPoint p = CGPointMake(10, 30);
    EXPECT_EQ(director()->convertCoordinate(p), CGPointMake(10, 450));
    director()->setDeviceOrientation(kDeviceOrientationPortraitUpsideDown);
    EXPECT_EQ(director()->convertCoordinate(p), CGPointMake(310, 30));
    EXPECT_EQ(host.statusBarOrientation(), 1);
    director()->setDeviceOrientation(kDeviceOrientationLandscapeLeft);
    EXPECT_EQ(director()->convertCoordinate(p), CGPointMake(30, 10));
    EXPECT_EQ(director()->winSize(), CGSizeMake(480, 320));
    EXPECT_EQ(director()->displaySize(), CGSizeMake(320, 480));
    EXPECT_TRUE(director()->landscape());
    EXPECT_EQ(host.statusBarOrientation(), 3);
    director()->setDeviceOrientation(kDeviceOrientationLandscapeRight);
    EXPECT_EQ(director()->convertCoordinate(p), CGPointMake(450, 310));
    EXPECT_EQ(host.statusBarOrientation(), 4);
}

TEST_F(DirectorTest, AttachmentRulesAndTheirExceptions)
{
    EXPECT_EQ(raisedBy([] { director()->setPixelFormat(kPixelFormatRGBA8888); }),
        "DirectorAlreadyInitialized: Can't change the pixel format after the director was initialized");
    EXPECT_EQ(raisedBy([] { director()->setDepthBufferFormat(kDepthBuffer16); }),
        "DirectorAlreadyInitialized: Can't change the depth buffer format after the director was "
        "initialized");
    EXPECT_EQ(raisedBy([] { director()->attachInWindow(WindowInfo {}); }),
        "kException_OpenGLViewAlreadyAttached: Can't re-attach the OpenGL View, because it is already "
        "attached. "
        "Detach it first.");
    EXPECT_TRUE(director()->detach());
    EXPECT_EQ(raisedBy([] { director()->detach(); }),
        "kException_OpenGLViewNotAttached: Can't detach the OpenGL View, because it is not attached. Attach "
        "it "
        "first.");
    director()->setPixelFormat(kPixelFormatRGBA8888); // fine while detached

    // Re-attaching keeps the view and copies the host's touch flags.
    EAGLView* view = director()->openGLView();
    WindowInfo locked;
    locked.userInteractionEnabled = false;
    EXPECT_TRUE(director()->attachInWindow(locked));
    EXPECT_EQ(director()->openGLView(), view);
    EXPECT_FALSE(TouchDispatcher::sharedDispatcher()->dispatchEvents());

    EXPECT_EQ(raisedBy([] { Director::useDisplayLinkDirector(); }),
        std::string(kInternalInconsistencyException)
            + ": A Director was alloced. To use Display Link Director this must be the first call to "
              "Director");
    director()->runWithScene(scene("a"));
    host.frame();
    EXPECT_EQ(raisedBy([] { director()->runWithScene(scene("b")); }),
        std::string(kInternalInconsistencyException)
            + ": You can't run an scene if another Scene is running. Use replaceScene or pushScene instead");
}

TEST(DirectorSurface, ViewThatCannotGetASurfaceIsReported)
{
    resetEngineForTest();
    FakeHost host;
    host.failSurfaceCreation(true);
    EXPECT_EQ(raisedBy([] { Director::sharedDirector()->attachInWindow(WindowInfo {}); }),
        "kException_OpenGLViewCantInit: Could not alloc and init the OpenGL View.");
    EXPECT_FALSE(Director::sharedDirector()->isOpenGLAttached());
    resetEngineForTest();
}

namespace {
struct Pixel {
    int r, g, b;
};
// p in points from the bottom left.
Pixel pixelAt(const std::vector<std::uint8_t>& rgba, int width, int height, int scale, CGPoint p)
{
    const int x = static_cast<int>(p.x) * scale, y = height - 1 - static_cast<int>(p.y) * scale;
    const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
    return { rgba[i], rgba[i + 1], rgba[i + 2] };
}
void expectColour(Pixel p, int r, int g, int b)
{
    EXPECT_EQ(p.r, r);
    EXPECT_EQ(p.g, g);
    EXPECT_EQ(p.b, b);
}

void drawTestSceneAtScale(int scale)
{
    resetEngineForTest();
    FakeHost host(FakeHost::Options { true, scale });
    Director::useDisplayLinkDirector();
    Director* director = Director::sharedDirector();
    director->setPixelFormat(kPixelFormatRGBA8888);
    WindowInfo window;
    window.multipleTouchEnabled = true;
    ASSERT_TRUE(director->attachInWindow(window));
    // The viewport is in pixels while the scene keeps working in points.
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 320 * scale);
    EXPECT_EQ(viewport[3], 480 * scale);
    EXPECT_EQ(director->winSize(), CGSizeMake(320, 480));

    auto testScene = TestScene::node();
    director->runWithScene(testScene);
    host.frame(); // enters the scene
    // A touch at view point (260, 100) is scene point (260, 380).
    director->openGLView()->handleHostTouches(HostTouchPhase::Began, { { 1, 260, 100, 1 } }, 0);
    host.frame(); // the layer's step timer sees its first, zero, tick
    host.frame();

    int width = 0, height = 0;
    const std::vector<std::uint8_t> pixels = host.readPixels(width, height);
    ASSERT_EQ(width, 320 * scale);
    for (const TestLayer::Quad& q : TestLayer::kQuads) {
        const CGPoint centre
            = CGPointMake(q.rect.origin.x + q.rect.size.width / 2, q.rect.origin.y + q.rect.size.height / 2);
        expectColour(
            pixelAt(pixels, width, height, scale, centre), int(q.r * 255), int(q.g * 255), int(q.b * 255));
    }
    expectColour(pixelAt(pixels, width, height, scale, CGPointMake(300, 300)), 0, 0, 0); // background
    expectColour(pixelAt(pixels, width, height, scale, CGPointMake(260, 380)), 255, 255, 255); // touch marker

    // The moving quad is where the layer says it is.
    const CGPoint mover = testScene->layer()->moverPosition();
    EXPECT_GT(mover.x, 20); // it moved during the tick
    expectColour(pixelAt(pixels, width, height, scale,
                     CGPointMake(mover.x + TestLayer::kMoverSize / 2, mover.y + TestLayer::kMoverSize / 2)),
        255, 255, 0);
    resetEngineForTest();
}
} // namespace

TEST(DirectorPixels, TestSceneDrawsItsQuadsAndTouchMarker) { drawTestSceneAtScale(1); }

TEST(DirectorPixels, DoubleScaleSurfaceShowsTheSamePointLayout) { drawTestSceneAtScale(2); }
