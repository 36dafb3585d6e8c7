// Scene transitions against the real director and dispatcher, the camera orbit and ease they
// rest on, and drawn frames of a flip.
//
// Set BONZELAR_SCREENSHOT_DIR to keep the drawn frames (flip-quarter.png, flip-three-quarters.png).

#include "Engine/Transition.h"
#include "Engine/Camera.h"
#include "Engine/CameraAction.h"
#include "Engine/Director.h"
#include "Engine/EaseAction.h"
#include "Engine/IntervalAction.h"
#include "Engine/Layer.h"
#include "Engine/Sprite.h"
#include "Engine/TextureMgr.h"
#include "Engine/TouchDispatcher.h"
#include "Support/FakeHost.h"
#include "Support/GLTestSurface.h"

#include "Tooling/NodeDump.h"
#include <GLES/gl.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

class TouchLayer : public Layer {
public:
    TouchLayer() { setIsTouchEnabled(true); }
    bool onTouchesBegan(const TouchSet&, TouchEvent*) override
    {
        ++touches;
        return true;
    }
    int touches = 0;
};

// A page that logs its life cycle and counts the touches its layer gets.
class Page : public Scene {
public:
    explicit Page(std::string name)
        : m_name(std::move(name))
    {
        layer = make<TouchLayer>();
        addChild(layer.get());
    }
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
    Ref<TouchLayer> layer;

private:
    std::string m_name;
};

class TransitionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetEngineForTest();
        g_log.clear();
        Director::useDisplayLinkDirector();
        director()->attachInWindow(WindowInfo {});
        a = make<Page>("A");
        b = make<Page>("B");
        director()->runWithScene(a.get());
        host.frame();
        g_log.clear();
    }
    void TearDown() override { resetEngineForTest(); }
    static Director* director() { return Director::sharedDirector(); }
    void tap(float x, float y)
    {
        director()->openGLView()->handleHostTouches(HostTouchPhase::Began, { { m_finger, x, y, 1 } }, 0);
        director()->openGLView()->handleHostTouches(HostTouchPhase::Ended, { { m_finger, x, y, 1 } }, 0);
        ++m_finger;
    }
    // Frames until the scene runs; how many it took.
    int runUntil(Scene* scene, int limit = 200)
    {
        int frames = 0;
        while (director()->runningScene() != scene && frames < limit) {
            host.frame();
            ++frames;
        }
        return frames;
    }

    FakeHost host;
    Ref<Page> a, b;

private:
    std::int64_t m_finger = 1;
};

} // namespace

TEST_F(TransitionTest, ScenesEnterAndExitInTheDirectorsOrder)
{
    Ref<TransitionScene> slide = SlideInRTransition::transitionWithDuration(0.3f, b.get());
    EXPECT_EQ(slide->outScene(), a.get());
    director()->replaceScene(slide.get());
    host.frame();
    // The outgoing page stays entered: the transition takes over its exit.
    EXPECT_EQ(g_log, (std::vector<std::string> { "enter B" }));
    EXPECT_TRUE(a->isRunning());
    EXPECT_TRUE(b->isRunning());
    EXPECT_EQ(director()->runningScene(), slide.get());

    runUntil(b.get());
    EXPECT_EQ(g_log, (std::vector<std::string> { "enter B", "exit A", "finish B" }));
    EXPECT_FALSE(a->isRunning());
    EXPECT_TRUE(b->isRunning());
    EXPECT_EQ(director()->scenesStack().size(), 1u);
}

TEST_F(TransitionTest, TouchesAreIgnoredUntilTheNewSceneHasTakenOver)
{
    tap(100, 100);
    EXPECT_EQ(a->layer->touches, 1);

    director()->replaceScene(
        FlipXTransition::transitionWithDuration(0.5f, b.get(), kOrientationLeftOver).get());
    tap(100, 100); // already off before the first frame
    int frames = 0;
    while (director()->runningScene() != b.get()) {
        host.frame();
        tap(100, 100);
        ASSERT_LT(++frames, 100);
    }
    // Only the tap after the frame in which B replaced the transition got through.
    EXPECT_EQ(a->layer->touches, 1);
    EXPECT_EQ(b->layer->touches, 1);
    tap(100, 100);
    EXPECT_EQ(b->layer->touches, 2);
}

TEST_F(TransitionTest, SlidesMoveBothScenesOneWidthLessHalfAPoint)
{
    Ref<TransitionScene> slide = SlideInRTransition::transitionWithDuration(0.3f, b.get());
    EXPECT_TRUE(slide->inSceneOnTop());
    director()->replaceScene(slide.get());
    host.frame();
    EXPECT_EQ(b->position(), CGPointMake(319.5f, 0));
    EXPECT_EQ(slide->progress(), 0);

    float lastB = 319.5f;
    int frame = 0;
    while (director()->runningScene() == slide.get()) {
        host.frame();
        ++frame;
        if (director()->runningScene() != slide.get() || b->position().x == 0)
            break;
        // Together, and decelerating towards the end.
        EXPECT_FLOAT_EQ(a->position().x, b->position().x - 319.5f);
        EXPECT_LE(b->position().x, lastB);
        lastB = b->position().x;
        if (frame == 10) {
            // 0.15 s of 0.3 s: the ease shows sqrt(0.5) of the way.
            EXPECT_NEAR(b->position().x, 319.5f * (1 - std::sqrt(0.5f)), 0.05f);
            EXPECT_NEAR(slide->progress(), 0.5f, 0.01f);
        }
    }
    runUntil(b.get());
    EXPECT_EQ(b->position(), CGPointZero);
    EXPECT_EQ(a->position(), CGPointZero);
    EXPECT_TRUE(a->visible());

    // Back from the left, underneath.
    Ref<TransitionScene> back = SlideInLTransition::transitionWithDuration(0.3f, a.get());
    EXPECT_FALSE(back->inSceneOnTop());
    director()->replaceScene(back.get());
    host.frame();
    EXPECT_EQ(a->position(), CGPointMake(-319.5f, 0));
    host.frame();
    host.frame();
    EXPECT_FLOAT_EQ(b->position().x, a->position().x + 319.5f);
    EXPECT_GT(b->position().x, 0);
    runUntil(a.get());
    EXPECT_EQ(a->position(), CGPointZero);
    EXPECT_EQ(b->position(), CGPointZero);
}

TEST_F(TransitionTest, FlipShowsOnlyTheOldPageThenOnlyTheNewOne)
{
    const float zEye = Camera::getZEye();
    Ref<TransitionScene> flip = FlipXTransition::transitionWithDuration(0.5f, b.get(), kOrientationLeftOver);
    director()->replaceScene(flip.get());
    host.frame();
    EXPECT_TRUE(a->visible());
    EXPECT_FALSE(b->visible());

    // The first tick of the actions counts no time; from then on frame k is at (k - 1) / 60 s.
    int oldOnly = 0, newOnly = 0;
    for (int k = 1; director()->runningScene() == flip.get(); ++k) {
        host.frame();
        if (director()->runningScene() != flip.get())
            break;
        const float t = static_cast<float>(k - 1) / 60;
        if (b->visible() && flip->progress() == 1)
            break; // finished: both are reset this frame
        EXPECT_NE(a->visible(), b->visible()) << "at " << t;
        if (t < 0.245f) {
            EXPECT_TRUE(a->visible()) << "at " << t;
            ++oldOnly;
        } else if (t > 0.255f) {
            EXPECT_TRUE(b->visible()) << "at " << t;
            ++newOnly;
        }
        float x, y, z;
        if (k == 8) {
            // 0.117 s: the old page is nearly half way to edge-on, its eye swung to the left.
            a->camera()->eyeX(&x, &y, &z);
            EXPECT_NEAR(std::atan2(x - 160, z) * 180 / 3.14159265f, -90 * t / 0.25f, 0.5f);
            EXPECT_NEAR(std::hypot(x - 160, z), zEye, 0.01f);
            EXPECT_FLOAT_EQ(y, 240);
        }
        if (k == 23) {
            // 0.367 s: the new page has turned from edge-on about half way back.
            b->camera()->eyeX(&x, &y, &z);
            EXPECT_NEAR(std::atan2(x - 160, z) * 180 / 3.14159265f, 90 - 90 * (t - 0.25f) / 0.25f, 0.5f);
        }
    }
    EXPECT_GE(oldOnly, 14);
    EXPECT_GE(newOnly, 14);

    runUntil(b.get());
    EXPECT_FALSE(a->camera()->dirty());
    EXPECT_FALSE(b->camera()->dirty());
    EXPECT_TRUE(a->visible());
    EXPECT_TRUE(b->visible());
}

TEST_F(TransitionTest, OutgoingSceneComesBackUntouchedAndCanBeShownAgain)
{
    a->setRotation(12);
    a->setScale(0.5f);
    director()->replaceScene(
        FlipXTransition::transitionWithDuration(0.5f, b.get(), kOrientationRightOver).get());
    runUntil(b.get());
    EXPECT_TRUE(a->visible());
    EXPECT_EQ(a->position(), CGPointZero);
    EXPECT_EQ(a->rotation(), 0);
    EXPECT_EQ(a->scale(), 1);
    EXPECT_FALSE(a->camera()->dirty());
    float x, y, z;
    a->camera()->eyeX(&x, &y, &z);
    EXPECT_EQ(z, Camera::getZEye());

    g_log.clear();
    director()->replaceScene(SlideInLTransition::transitionWithDuration(0.3f, a.get()).get());
    runUntil(a.get());
    EXPECT_EQ(g_log, (std::vector<std::string> { "enter A", "exit B", "finish A" }));
    EXPECT_TRUE(TouchDispatcher::sharedDispatcher()->dispatchEvents());
}

namespace {
struct TimedPage : Page {
    TimedPage(std::string name, bool* freed)
        : Page(std::move(name))
        , m_freed(freed)
    {
        schedule(Selector<float>(&TimedPage::tick));
    }
    ~TimedPage() override { *m_freed = true; }
    void tick(float) { ++ticks; }
    int ticks = 0;
    bool* m_freed;
};
} // namespace

// A page replaced through a transition goes away once the transition is done (its own timer
// would keep it alive otherwise); the page that came in keeps running its timers.
TEST_F(TransitionTest, ReplacedPageIsFreedAfterTheTransitionAndTheNewOneRunsOn)
{
    bool oldFreed = false, newFreed = false;
    {
        Ref<TimedPage> old = make<TimedPage>("old", &oldFreed);
        director()->replaceScene(old.get());
        runUntil(old.get());
    }
    Ref<TimedPage> next = make<TimedPage>("new", &newFreed);
    director()->replaceScene(
        FlipXTransition::transitionWithDuration(0.3f, next.get(), kOrientationRightOver).get());
    runUntil(next.get());
    host.frame();
    host.frame();
    EXPECT_TRUE(oldFreed);
    const int ticks = next->ticks;
    host.frame();
    EXPECT_EQ(next->ticks, ticks + 1);
    EXPECT_FALSE(newFreed);
    director()->end(); // let the page go while its flag is still in scope
}

namespace {
// A page busy with a timer and an endless action, with a layer listening to the accelerometer.
struct BusyPage : Page {
    explicit BusyPage(std::string name)
        : Page(std::move(name))
    {
        schedule(Selector<float>(&BusyPage::tick));
        layer->runAction(RepeatForever::actionWithAction(RotateBy::actionWithDuration(1, 360)));
        layer->setIsAccelerometerEnabled(true);
    }
    void tick(float) { ++ticks; }
    int ticks = 0;
};
} // namespace

TEST_F(TransitionTest, PageKeptWhileAnotherShowsComesBackWithItsTimerAndAction)
{
    Ref<BusyPage> busy = make<BusyPage>("busy");
    director()->replaceScene(SlideInRTransition::transitionWithDuration(0.3f, busy.get()).get());
    runUntil(busy.get());
    director()->replaceScene(
        FlipXTransition::transitionWithDuration(0.5f, b.get(), kOrientationRightOver).get());
    runUntil(b.get());
    host.frame();
    const int ticks = busy->ticks;
    const float rotation = busy->layer->rotation();
    host.frame();
    EXPECT_EQ(busy->ticks, ticks);

    director()->replaceScene(SlideInLTransition::transitionWithDuration(0.3f, busy.get()).get());
    const int back = busy->ticks;
    host.frame();
    host.frame();
    EXPECT_EQ(busy->ticks, back + 1); // entered with the transition, firing from the next tick
    runUntil(busy.get());
    const int after = busy->ticks;
    host.frame();
    EXPECT_EQ(busy->ticks, after + 1);
    EXPECT_NE(busy->layer->rotation(), rotation);
}

// Cut short by the director's end or release, a transition lets its incoming page leave too:
// otherwise its layer stays the accelerometer's delegate after it is freed.
TEST_F(TransitionTest, DirectorEndedOrReleasedDuringATransitionLeavesNothingBehind)
{
    for (bool release : { false, true }) {
        {
            Ref<BusyPage> busy = make<BusyPage>("busy");
            director()->replaceScene(SlideInRTransition::transitionWithDuration(0.3f, busy.get()).get());
            host.frame();
            host.frame();
            ASSERT_TRUE(director()->runningScene()->isTransition());
            EXPECT_EQ(Accelerometer::sharedAccelerometer()->delegate(),
                static_cast<AccelerometerDelegate*>(busy->layer.get()));
            if (release)
                Director::purgeSharedDirector();
            else
                director()->end();
        }
        EXPECT_EQ(Accelerometer::sharedAccelerometer()->delegate(), nullptr);
        Accelerometer::sharedAccelerometer()->deliver(0, -1, 0, 0);
        // Releasing must not build a second director on the way out.
        EXPECT_EQ(Director::existingDirector() == nullptr, release);
        EXPECT_TRUE(TouchDispatcher::sharedDispatcher()->touchHandlers().empty());
        resetEngineForTest();
        Director::useDisplayLinkDirector();
        director()->attachInWindow(WindowInfo {});
        director()->runWithScene(a.get());
        host.frame();
    }
}

TEST_F(TransitionTest, InvalidScenesAreRefusedWithoutTurningTouchesOff)
{
    EXPECT_EQ(raisedBy([this] { SlideInRTransition::transitionWithDuration(0.3f, a.get()); }),
        "TransitionWithInvalidScene: Incoming scene must be different from the outgoing scene");
    EXPECT_EQ(raisedBy([] { FlipXTransition::transitionWithDuration(0.5f, nullptr, 0); }),
        "InternalInconsistencyException: Argument scene must be non-nil");
    EXPECT_TRUE(TouchDispatcher::sharedDispatcher()->dispatchEvents());
}

TEST_F(TransitionTest, TransitionDroppedBeforeItRunsDoesNotLeaveTouchesOff)
{
    {
        Ref<TransitionScene> unused = SlideInRTransition::transitionWithDuration(0.3f, b.get());
        EXPECT_FALSE(TouchDispatcher::sharedDispatcher()->dispatchEvents());
    }
    EXPECT_TRUE(TouchDispatcher::sharedDispatcher()->dispatchEvents());

    // Two replacements in one frame: the first is released unseen while the second holds.
    director()->replaceScene(SlideInRTransition::transitionWithDuration(0.3f, b.get()).get());
    Ref<Page> c = make<Page>("C");
    director()->replaceScene(SlideInLTransition::transitionWithDuration(0.3f, c.get()).get());
    EXPECT_FALSE(TouchDispatcher::sharedDispatcher()->dispatchEvents());
    host.frame();
    EXPECT_FALSE(TouchDispatcher::sharedDispatcher()->dispatchEvents());
    runUntil(c.get());
    EXPECT_TRUE(TouchDispatcher::sharedDispatcher()->dispatchEvents());
}

TEST_F(TransitionTest, DumpShowsTheRunningTransitionAndItsProgress)
{
    director()->replaceScene(
        FlipXTransition::transitionWithDuration(0.5f, b.get(), kOrientationRightOver).get());
    host.frame();
    std::vector<float> progress;
    for (int i = 0; i < 20; ++i) {
        host.frame();
        const nlohmann::json dump = NodeDump::tree(director()->runningScene());
        ASSERT_EQ(dump["class"], "FlipXTransition");
        EXPECT_EQ(dump["transition"]["inScene"], "Scene");
        EXPECT_EQ(dump["transition"]["orientation"], 1);
        EXPECT_EQ(dump["transition"]["duration"], 0.5f);
        progress.push_back(dump["transition"]["progress"].get<float>());
    }
    EXPECT_EQ(progress.front(), 0);
    EXPECT_NEAR(progress.back(), 19.0f / 60 / 0.5f, 0.01f);
}

TEST(CameraActions, OrbitStartsFromWhereTheCameraIsAndEaseBendsTime)
{
    resetEngineForTest();
    FakeHost host;
    Director::sharedDirector()->attachInWindow(WindowInfo {});
    const float zEye = Camera::getZEye();
    EXPECT_NEAR(zEye, 480 / 1.1566f, 1e-3f);

    Ref<Node> node = Node::node();
    Ref<OrbitCamera> orbit = OrbitCamera::actionWithDuration(1, NAN, 1, NAN, 90, NAN, 0);
    orbit->startWithTarget(node.get());
    float r, zenith, azimuth;
    orbit->sphericalRadius(&r, &zenith, &azimuth);
    EXPECT_FLOAT_EQ(r, 1);
    EXPECT_FLOAT_EQ(zenith, 0);
    EXPECT_FLOAT_EQ(orbit->radius(), 1);
    EXPECT_FLOAT_EQ(orbit->angleZ(), 0);
    orbit->update(1);
    float x, y, z;
    node->camera()->eyeX(&x, &y, &z);
    // Twice as far out, a quarter turn round: on the +x side in the plane of the page.
    EXPECT_NEAR(x, 160 + 2 * zEye, 1e-2f);
    EXPECT_NEAR(y, 240, 1e-3f);
    EXPECT_NEAR(z, 0, 1e-2f);
    EXPECT_TRUE(node->camera()->dirty());
    node->camera()->restore();
    EXPECT_FALSE(node->camera()->dirty());

    // Ease-out rate 2 gives the inner action the square root of t.
    Ref<MoveBy> move = MoveBy::actionWithDuration(2, CGPointMake(100, 0));
    Ref<EaseOut> ease = EaseOut::actionWithAction(move.get(), 2);
    EXPECT_EQ(ease->duration(), 2);
    ease->startWithTarget(node.get());
    ease->update(0.25f);
    EXPECT_FLOAT_EQ(node->position().x, 50);
    auto reversed = ref_cast<EaseOut>(ease->reverse());
    ASSERT_TRUE(reversed);
    EXPECT_FLOAT_EQ(reversed->rate(), 0.5f);
    EXPECT_EQ(raisedBy([] { EaseOut::actionWithAction(nullptr, 2); }),
        "InternalInconsistencyException: Ease: arguments must be non-nil");
    resetEngineForTest();
}

// --- drawn ----------------------------------------------------------------------------------

namespace {

// Red and blue pages on black; rows of red pixels per column tell a perspective turn from a squash.
struct Column {
    int x, height;
};

std::vector<Column> columnsOf(GLTestSurface& surface, bool (*match)(const RGBA8&))
{
    std::vector<Column> columns;
    for (int x = 0; x < 320; x += 4) {
        int height = 0;
        for (int y = 0; y < 480; y += 2)
            height += match(surface.pixel(x, y)) ? 2 : 0;
        if (height > 0)
            columns.push_back({ x, height });
    }
    return columns;
}

bool isRed(const RGBA8& p) { return p.r > 200 && p.g < 40 && p.b < 40; }
bool isBlue(const RGBA8& p) { return p.b > 200 && p.r < 40 && p.g < 40; }

Ref<Scene> pageOf(const std::string& file)
{
    Ref<Scene> scene = Scene::node();
    Ref<Sprite> sprite = Sprite::spriteWithFile(file);
    sprite->setPosition(CGPointMake(160, 240));
    scene->addChild(sprite.get());
    return scene;
}

} // namespace

TEST(TransitionPixels, FlipTurnsTheCardInPerspective)
{
    resetEngineForTest();
    GLTestSurface surface(320, 480);
    if (!surface.ready())
        GTEST_SKIP() << "no offscreen GL ES 1.1 surface: " << surface.error();
    TempDir dir;
    surface.setResourceDirectory(dir.path());
    ASSERT_TRUE(surface.writeImage(dir.file("red.png"), solidImage(320, 480, { 255, 0, 0, 255 }, false)));
    ASSERT_TRUE(surface.writeImage(dir.file("blue.png"), solidImage(320, 480, { 0, 0, 255, 255 }, false)));

    Director::useDisplayLinkDirector();
    Director* director = Director::sharedDirector();
    director->setPixelFormat(kPixelFormatRGBA8888);
    ASSERT_TRUE(director->attachInWindow(WindowInfo {}));
    Ref<Scene> red = pageOf("red.png"), blue = pageOf("blue.png");
    auto frame = [&] {
        surface.advance(1.0 / 60);
        director->mainLoop();
    };
    director->runWithScene(red.get());
    frame();
    // The default view shows the page exactly: the 3-D projection's eye distance fits it.
    EXPECT_TRUE(isRed(surface.pixel(1, 1)));
    EXPECT_TRUE(isRed(surface.pixel(318, 478)));

    director->replaceScene(
        FlipXTransition::transitionWithDuration(0.5f, blue.get(), kOrientationLeftOver).get());
    frame(); // enters the transition
    for (int k = 1; k <= 8; ++k)
        frame(); // 0.117 s: the old page turned 42 degrees
    const char* keep = std::getenv("BONZELAR_SCREENSHOT_DIR");
    if (keep)
        surface.savePNG(std::string(keep) + "/flip-quarter.png");

    std::vector<Column> cols = columnsOf(surface, isRed);
    ASSERT_GT(cols.size(), 10u);
    const int width = cols.back().x - cols.front().x;
    EXPECT_LT(width, 300); // turned away
    EXPECT_GT(width, 120);
    // The near edge (left, towards the swung eye) stands taller than the far one.
    EXPECT_GT(cols.front().height * 100, cols.back().height * 115);
    EXPECT_TRUE(columnsOf(surface, isBlue).empty());

    for (int k = 9; k <= 23; ++k)
        frame(); // 0.367 s: the new page 48 degrees from facing us
    if (keep)
        surface.savePNG(std::string(keep) + "/flip-three-quarters.png");
    cols = columnsOf(surface, isBlue);
    ASSERT_GT(cols.size(), 10u);
    EXPECT_TRUE(columnsOf(surface, isRed).empty());
    // It comes in from the right: its near edge is now the right one.
    EXPECT_GT(cols.back().height * 100, cols.front().height * 115);

    int frames = 0;
    while (director->runningScene() != blue.get() && frames++ < 60)
        frame();
    frame();
    EXPECT_TRUE(isBlue(surface.pixel(1, 1)));
    EXPECT_TRUE(isBlue(surface.pixel(318, 478)));

    // The camera at rest replaces the model-view with exactly the director's default view.
    GLfloat expected[16], located[16];
    director->set3Dprojection();
    glGetFloatv(GL_MODELVIEW_MATRIX, expected);
    Ref<Camera> camera = make<Camera>();
    camera->setDirty(true);
    glTranslatef(5, 6, 7);
    camera->locate();
    glGetFloatv(GL_MODELVIEW_MATRIX, located);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(located[i], expected[i], 1e-4f) << i;

    TextureMgr::purgeSharedTextureMgr();
    resetEngineForTest();
}

// --- in the headless runner -------------------------------------------------------------------

TEST(TransitionHeadless, TappingTheDumpedMenuItemFlipsToTheOtherPage)
{
    TempDir dir;
    auto readJson = [](const std::string& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return nlohmann::json::parse(text.str(), nullptr, false);
    };
    auto run = [&](const std::string& script, int frames) {
        std::ofstream(dir.file("run.script")) << script;
        const std::string command = std::string("'") + BONZELAR_HEADLESS_EXE + "' --seed 1 --frames "
            + std::to_string(frames) + " --script '" + dir.file("run.script") + "' > '" + dir.file("out")
            + "' 2>&1";
        return std::system(command.c_str());
    };

    // Where does the first page put its "Flip to B" item?
    ASSERT_EQ(run("demo show A\nat 3\ndump " + dir.file("a.json") + "\n", 4), 0);
    const nlohmann::json a = readJson(dir.file("a.json"));
    ASSERT_FALSE(a.is_discarded());
    nlohmann::json flipItem;
    std::function<void(const nlohmann::json&)> find = [&](const nlohmann::json& node) {
        if (node.value("text", "") == "Flip to B")
            flipItem = node;
        for (const nlohmann::json& child : node.value("children", nlohmann::json::array()))
            find(child);
    };
    find(a["nodes"]);
    ASSERT_TRUE(flipItem.is_object());
    EXPECT_EQ(flipItem["enabled"], true);

    const std::string tap = "tap " + std::to_string(flipItem["tapPoint"][0].get<float>()) + " "
        + std::to_string(flipItem["tapPoint"][1].get<float>());
    ASSERT_EQ(run("demo show A\nat 3\n" + tap + "\nat 10\ndump " + dir.file("mid.json") + "\nat 50\ndump "
                      + dir.file("end.json") + "\n",
                  51),
        0);
    const nlohmann::json mid = readJson(dir.file("mid.json"));
    ASSERT_EQ(mid["nodes"]["class"], "FlipXTransition");
    const float progress = mid["nodes"]["transition"]["progress"].get<float>();
    EXPECT_GT(progress, 0);
    EXPECT_LT(progress, 1);
    const nlohmann::json end = readJson(dir.file("end.json"));
    EXPECT_EQ(end["nodes"]["class"], "Scene");
    EXPECT_NE(end.dump().find("Page B"), std::string::npos);
}
