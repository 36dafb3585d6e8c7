// The Narwhal in a play layer on the headless host: its build, the saber switched by shakes, the
// spoken hints, swooshes, clashes and sparks, and the headphone rule for the body's bumps.
#include "Classes/Narwhal.h"
#include "Classes/Configuration.h"
#include "Classes/Game.h"
#include "Classes/PainMeter.h"
#include "Classes/Random.h"
#include "Classes/Sound.h"
#include "Engine/Director.h"
#include "Engine/Scheduler.h"
#include "Engine/Support/EAGLView.h"
#include "Engine/TextureMgr.h"
#include "Platform/HeadlessHost.h"
#include "Platform/MemoryStore.h"
#include "Platform/ResourceLocator.h"
#include "Platform/SqliteStore.h"
#include "Support/FakeHost.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class NarwhalTest : public testing::Test {
protected:
    static HeadlessHost::Options options()
    {
        HeadlessHost::Options o;
        o.dataDirectory = testing::TempDir();
        return o;
    }
    NarwhalTest()
        : m_host(options())
    {
        ResourceLocator::setResourceDirectory(BONZELAR_TEST_RESOURCES);
        m_previous = Host::currentOrNull();
        Host::setCurrent(&m_host);
        Configuration::resetForTesting(&m_store);
        Configuration* config = Configuration::current();
        config->setRagdollClass("Narwhal");
        // A still world: nothing falls or tilts, so only what a test does touches the figure.
        config->setGravity(0);
        config->setNumberOfBalls(0);
        m_attached = Director::sharedDirector()->attachInWindow(WindowInfo {});
        Random::seedWith(916);
        GameLayer::resetTiltFilterForTesting();
        Ragdoll::resetShakeDetectorForTesting();
        PainMeter::resetForTesting();
    }
    ~NarwhalTest() override
    {
        dropLayer();
        resetEngineForTest();
        TextureMgr::purgeSharedTextureMgr();
        Configuration::resetForTesting(nullptr);
        Host::setCurrent(m_previous);
        ResourceLocator::setResourceDirectory("");
    }

    // The layer and its meter hold themselves through their timers until cleaned up.
    void dropLayer()
    {
        if (!m_layer)
            return;
        m_layer->onExit();
        if (m_layer->painMeter())
            m_layer->painMeter()->cleanup();
        m_layer->cleanup();
        m_layer = nullptr;
    }

    Narwhal* build()
    {
        dropLayer();
        m_layer = GameLayer::node();
        m_layer->setPainMeter(PainMeterLayer::node());
        m_layer->onEnter();
        auto* narwhal = dynamic_cast<Narwhal*>(m_layer->ragdoll());
        EXPECT_NE(narwhal, nullptr);
        return narwhal;
    }

    // Frames of 1/60 s, each stepping the layer, its figure and the running actions.
    void run(double seconds)
    {
        for (long n = std::lround(seconds * 60); n > 0; --n) {
            m_host.advanceFrame();
            if (!m_host.hasDisplayLink())
                Scheduler::sharedScheduler()->tick(static_cast<float>(m_host.dt()));
        }
    }
    // Only the clock moves (no display link runs the engine here): for figure calls by hand.
    void tickClock(int frames = 1)
    {
        ASSERT_FALSE(m_host.hasDisplayLink());
        for (int i = 0; i < frames; ++i)
            m_host.advanceFrame();
    }
    void shake() { m_layer->accelerometer(nullptr, Acceleration { 12, 0, 0, 0 }); }

    std::vector<std::string> sounds() const
    {
        std::vector<std::string> names;
        if (m_host.requests().contains("sounds"))
            for (const auto& entry : m_host.requests()["sounds"])
                names.push_back(entry["what"].get<std::string>());
        return names;
    }
    int count(const std::string& prefix) const
    {
        int n = 0;
        for (const std::string& name : sounds())
            n += name.rfind(prefix, 0) == 0;
        return n;
    }
    int sparks() const
    {
        int n = 0;
        for (const Ref<Node>& child : m_layer->children())
            n += dynamic_cast<SaberParticles*>(child.get()) != nullptr;
        return n;
    }

    HeadlessHost m_host;
    Host* m_previous = nullptr;
    MemoryStore m_store;
    bool m_attached = false;
    Ref<GameLayer> m_layer;
};

TEST_F(NarwhalTest, BuildsLyingFlatWithItsJointsMeetingAndTheTuskShapeOutOfTheSpace)
{
    Narwhal* narwhal = build();
    ASSERT_NE(narwhal, nullptr);
    // The 220 x 220 figure centred on the screen; the camera follows the body.
    EXPECT_EQ(m_layer->initialPlayerPosition(), CGPointMake(50, 130));
    EXPECT_EQ(narwhal->mainBody(), narwhal->bodyNamed("body"));
    EXPECT_EQ(cpBodyGetPosition(narwhal->mainBody()), cpv(140, 246));

    // Every pivot joins its two parts where the pictures meet: the flipper's is the loosest at
    // under 4 points, which the first steps close; a wrong anchor would fling the part.
    for (const Ref<PointerWrapper>& wrapper : narwhal->joints()) {
        auto* joint = static_cast<cpConstraint*>(wrapper->pointer());
        if (!cpConstraintIsPivotJoint(joint))
            continue;
        const cpVect a = cpBodyLocalToWorld(cpConstraintGetBodyA(joint), cpPivotJointGetAnchorA(joint));
        const cpVect b = cpBodyLocalToWorld(cpConstraintGetBodyB(joint), cpPivotJointGetAnchorB(joint));
        EXPECT_LT(cpvdist(a, b), 4.0);
    }
    for (cpShape* shape : narwhal->shapes())
        EXPECT_EQ(cpSpaceContainsShape(m_layer->space(), shape), shape != narwhal->tuskShape());
    EXPECT_FALSE(narwhal->saberState());
}

TEST_F(NarwhalTest, AShakeLightsTheSaberAndTheNextOneHalfASecondLaterPutsItOut)
{
    Narwhal* narwhal = build();
    ASSERT_NE(narwhal, nullptr);
    run(1);
    shake();
    EXPECT_TRUE(narwhal->saberState());
    EXPECT_TRUE(cpSpaceContainsShape(m_layer->space(), narwhal->tuskShape()));
    EXPECT_EQ(sounds(), std::vector<std::string> { "saber_on.wav" });

    run(0.25);
    shake(); // too soon after the last
    EXPECT_TRUE(narwhal->saberState());
    run(1);
    if (m_host.hasSurface()) {
        Ref<Texture2D> extended = TextureMgr::sharedTextureMgr()->addImage("tusk_18.png");
        EXPECT_TRUE(narwhal->tuskSprite()->isFrameDisplayed(extended.get()));
    }

    shake();
    EXPECT_FALSE(narwhal->saberState());
    EXPECT_FALSE(cpSpaceContainsShape(m_layer->space(), narwhal->tuskShape()));
    EXPECT_EQ(sounds(), (std::vector<std::string> { "saber_on.wav", "saber_off.wav" }));
    run(1.5);
    if (m_host.hasSurface()) {
        Ref<Texture2D> retracted = TextureMgr::sharedTextureMgr()->addImage("tusk_0.png");
        EXPECT_TRUE(narwhal->tuskSprite()->isFrameDisplayed(retracted.get()));
    }
}

TEST_F(NarwhalTest, HintsSpeakAfterFiveAndNineSecondsOnceEach)
{
    Narwhal* narwhal = build();
    ASSERT_NE(narwhal, nullptr);
    run(4.95);
    EXPECT_EQ(count("voice"), 0);
    run(0.1);
    EXPECT_EQ(sounds(), std::vector<std::string> { "voice1.aif" });
    run(3.85);
    EXPECT_EQ(count("voice"), 1);
    run(10);
    EXPECT_EQ(sounds(), (std::vector<std::string> { "voice1.aif", "voice2.aif" }));
}

TEST_F(NarwhalTest, AShakeBeforeTheFirstHintSilencesBothForGood)
{
    Narwhal* narwhal = build();
    ASSERT_NE(narwhal, nullptr);
    run(2);
    shake();
    run(1);
    shake(); // off again: the hints stay silenced
    run(12);
    EXPECT_EQ(count("voice"), 0);
    EXPECT_TRUE(narwhal->directions1Played());
    EXPECT_TRUE(narwhal->directions2Played());
}

TEST_F(NarwhalTest, OnlyASwingThatSpeedsUpSwooshes)
{
    Narwhal* narwhal = build();
    ASSERT_NE(narwhal, nullptr);
    shake();
    cpBody* tusk = narwhal->tuskBody();
    auto stepAt = [&](double w) {
        tickClock();
        cpBodySetAngularVelocity(tusk, w);
        narwhal->step();
    };
    // The first step after the first switch-on compares with a huge start value.
    stepAt(30);
    EXPECT_EQ(count("swoosh"), 0);
    stepAt(30);
    stepAt(30.4);
    EXPECT_EQ(count("swoosh"), 0) << "steady or barely faster: silent";
    stepAt(-31); // the direction does not matter, the speed does
    stepAt(31.5);
    stepAt(32.5);
    EXPECT_EQ(count("swoosh"), 3);
    stepAt(2);
    stepAt(2.4);
    EXPECT_EQ(count("swoosh"), 3);

    // Off and on again: the comparison goes on from the last speed of the lit period.
    tickClock(36);
    shake();
    EXPECT_FALSE(narwhal->saberState());
    tickClock(36);
    shake();
    stepAt(2.8);
    EXPECT_EQ(count("swoosh"), 3);
    stepAt(3.4);
    EXPECT_EQ(count("swoosh"), 4);
}

TEST_F(NarwhalTest, TuskHitsClashAtMostEveryFifthOfASecondButAlwaysSpark)
{
    Narwhal* narwhal = build();
    ASSERT_NE(narwhal, nullptr);
    shake();
    cpBody* ballBody = cpBodyNewStatic();
    cpShape* ball = cpCircleShapeNew(ballBody, 20, cpvzero);

    narwhal->collisionnOnSelfShape(narwhal->tuskShape(), ball, 100, CGPointMake(60, 250));
    tickClock(6); // 0.1 s
    narwhal->collisionnOnSelfShape(narwhal->tuskShape(), ball, 100, CGPointMake(61, 250));
    EXPECT_EQ(count("clash"), 1);
    EXPECT_EQ(sparks(), 2);
    tickClock(7);
    narwhal->collisionnOnSelfShape(narwhal->tuskShape(), ball, 100, CGPointMake(61, 250));
    EXPECT_EQ(count("clash"), 2);

    // Twenty bursts alive are the most: the next hit throws none until one has gone.
    std::vector<Ref<SaberParticles>> held;
    while (SaberParticles::canCreate())
        held.push_back(SaberParticles::nodeWithPosition(CGPointZero));
    narwhal->collisionnOnSelfShape(narwhal->tuskShape(), ball, 100, CGPointMake(61, 250));
    EXPECT_EQ(sparks(), 3);
    // Bursts never shown are dropped by hand: their step timers hold them otherwise.
    held.back()->cleanup();
    held.pop_back();
    narwhal->collisionnOnSelfShape(narwhal->tuskShape(), ball, 100, CGPointMake(61, 250));
    EXPECT_EQ(sparks(), 4);
    for (const Ref<SaberParticles>& burst : held)
        burst->cleanup();
    held.clear();

    // Bursts last half a second and their sparks at most about a second more; then they go.
    run(2);
    EXPECT_EQ(sparks(), 0);
    EXPECT_EQ(SaberParticles::totalInstances(), 0);
    cpShapeFree(ball);
    cpBodyFree(ballBody);
}

TEST_F(NarwhalTest, ABallInTheLitTuskClashesThroughThePlayLayer)
{
    Narwhal* narwhal = build();
    ASSERT_NE(narwhal, nullptr);
    shake();
    // A ball over the tip of the tusk.
    const cpVect tip = cpBodyLocalToWorld(narwhal->tuskBody(), cpv(80, 3.5));
    cpBody* ballBody = cpBodyNewStatic();
    cpBodySetPosition(ballBody, tip);
    cpShape* ball = cpCircleShapeNew(ballBody, 6, cpvzero);
    cpShapeSetCollisionType(ball, 808);
    cpSpaceAddShape(m_layer->space(), ball);
    run(0.1);
    EXPECT_GE(count("clash"), 1);
    EXPECT_GE(sparks(), 1);
    cpSpaceRemoveShape(m_layer->space(), ball);
    cpShapeFree(ball);
    cpBodyFree(ballBody);
}

TEST_F(NarwhalTest, WithSoundOffNothingSoundsButTheSaberStillWorks)
{
    Configuration::current()->setPlaySoundFx(false);
    Narwhal* narwhal = build();
    ASSERT_NE(narwhal, nullptr);
    EXPECT_EQ(narwhal->saberOnSound(), nullptr);
    EXPECT_TRUE(narwhal->swooshSounds().empty());
    shake();
    EXPECT_TRUE(narwhal->saberState());
    cpBody* ballBody = cpBodyNewStatic();
    cpShape* ball = cpCircleShapeNew(ballBody, 20, cpvzero);
    narwhal->collisionnOnSelfShape(narwhal->tuskShape(), ball, 100, CGPointMake(60, 250));
    EXPECT_EQ(sparks(), 1);
    run(0.6);
    shake();
    EXPECT_FALSE(narwhal->saberState());

    // Turned on later: there is still nothing to play, and that must not break anything.
    Configuration::current()->setPlaySoundFx(true);
    run(10);
    shake();
    narwhal->collisionnOnSelfShape(narwhal->tuskShape(), ball, 100, CGPointMake(60, 250));
    EXPECT_TRUE(sounds().empty());
    cpShapeFree(ball);
    cpBodyFree(ballBody);
}

TEST_F(NarwhalTest, WithoutHeadphonesTheBodysBumpsAreNotEvenRemembered)
{
    cpBody* ballBody = cpBodyNewStatic();
    std::vector<cpShape*> balls;
    for (int i = 0; i < 3; ++i)
        balls.push_back(cpCircleShapeNew(ballBody, 20, cpv(i * 50, 0)));

    Narwhal* narwhal = build();
    ASSERT_NE(narwhal, nullptr);
    cpShape* own = narwhal->shapes().front();
    for (cpShape* ball : balls)
        narwhal->collisionnOnSelfShape(own, ball, 100, CGPointZero);
    EXPECT_EQ(narwhal->shapesCollidedWith()->count(), 0);

    Configuration::resetForTesting(&m_store);
    m_host.setAudioRoute("Headphone");
    Narwhal* withHeadphones = build();
    ASSERT_NE(withHeadphones, nullptr);
    for (cpShape* ball : balls)
        withHeadphones->collisionnOnSelfShape(withHeadphones->shapes().front(), ball, 100, CGPointZero);
    EXPECT_EQ(withHeadphones->shapesCollidedWith()->count(), 3);

    m_layer = nullptr;
    for (cpShape* ball : balls)
        cpShapeFree(ball);
    cpBodyFree(ballBody);
}

// The real headless program: the figure chosen in the stored settings, a scripted shake.
TEST(NarwhalPlay, AShakeInTheHeadlessProgramIsHeardInTheDump)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(testing::TempDir()) / ("narwhal-play-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    auto run = [&](const std::string& arguments) {
        const std::string command = std::string(BONZELAR_HEADLESS_EXE) + " --data-dir '" + dir.string() + "' "
            + arguments + " > '" + (dir / "out").string() + "' 2>&1";
        return std::system(command.c_str());
    };
    ASSERT_EQ(run("--frames 1"), 0); // the first run writes the defaults
    {
        SqliteStore store(dir.string());
        store.setString("ragdollClass", std::string("Narwhal"));
    }
    std::ofstream(dir / "shake.txt") << "at 30\naccel 0 -1 0\naccel 4 2 0\n";
    ASSERT_EQ(run("--frames 40 --seed 3 --script '" + (dir / "shake.txt").string() + "' --dump '"
                  + (dir / "dump.json").string() + "'"),
        0);

    std::ifstream in(dir / "dump.json");
    const nlohmann::json dump = nlohmann::json::parse(in);
    EXPECT_EQ(dump["game"]["ragdollClass"], "Narwhal");
    ASSERT_TRUE(dump.contains("sounds"));
    ASSERT_EQ(dump["sounds"].size(), 1u);
    EXPECT_EQ(dump["sounds"][0]["what"], "saber_on.wav");
    EXPECT_EQ(dump["sounds"][0]["frame"], 30);
    fs::remove_all(dir);
}

} // namespace
