// Particle systems: emission and ageing rules stepped by hand and by the scheduler, and point
// sprites drawn into an offscreen surface.
//
// Set BONZELAR_SCREENSHOT_DIR to keep the drawn burst (particles.png).

#include "Engine/Director.h"
#include "Engine/PointParticleSystem.h"
#include "Engine/Scheduler.h"
#include "Engine/TextureMgr.h"
#include "Support/FakeHost.h"
#include "Support/GLTestSurface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// Powers of two keep the time sums exact.
constexpr float kStep = 0.125f;

class ParticleSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetEngineForTest();
        system = PointParticleSystem::particleWithTotalParticles(100);
        ASSERT_TRUE(system);
        system->setLife(10);
        system->setDuration(kParticleDurationInfinity);
    }
    void TearDown() override
    {
        if (system)
            system->cleanup(); // drops the step timer's hold on the system
        resetEngineForTest();
    }
    // A particle of the given life and red channel that keeps its colour.
    void add(float life, float red)
    {
        system->setLife(life);
        system->setStartColor({ red, 0, 0, 1 });
        system->setEndColor({ red, 0, 0, 1 });
        ASSERT_TRUE(system->addParticle());
    }

    FakeHost host;
    Ref<PointParticleSystem> system;
};

} // namespace

TEST_F(ParticleSystemTest, EmissionStopsOnTheFirstStepPastTheDuration)
{
    system->setDuration(0.5f);
    system->setEmissionRate(10);
    for (int i = 0; i < 4; ++i)
        system->step(kStep);
    EXPECT_TRUE(system->active()); // exactly 0.5 s counted: not past it yet
    const int emitted = system->particleCount();
    EXPECT_GE(emitted, 4);
    system->step(kStep);
    EXPECT_FALSE(system->active());
    EXPECT_EQ(system->elapsed(), 0.5f);
    const int atStop = system->particleCount();
    EXPECT_GE(atStop, emitted);
    for (int i = 0; i < 8; ++i)
        system->step(kStep);
    EXPECT_EQ(system->particleCount(), atStop); // the emitted ones live on, no new ones

    system->resetSystem();
    EXPECT_TRUE(system->active());
    EXPECT_EQ(system->elapsed(), 0);
    system->step(kStep);
    // The old particles are gone; the new emission has begun.
    EXPECT_LE(system->particleCount(), 2);
}

TEST_F(ParticleSystemTest, RateZeroEmitsNothingAndNeverStops)
{
    system->setDuration(0.5f);
    system->setEmissionRate(0);
    for (int i = 0; i < 40; ++i)
        system->step(kStep);
    EXPECT_EQ(system->particleCount(), 0);
    EXPECT_EQ(system->elapsed(), 0);
    EXPECT_TRUE(system->active());
}

TEST_F(ParticleSystemTest, NewParticleFollowsTheEmitterSettings)
{
    system->setCenterOfGravity(CGPointMake(3.7f, -2.6f));
    system->setAngle(90);
    system->setSpeed(10);
    system->setStartSize(12);
    system->setEndSize(kParticleStartSizeEqualToEndSize);
    system->setPosition(CGPointMake(40, 50));
    system->setLife(2);
    system->setStartColor({ 1, 0.5f, 0, 1 });
    system->setEndColor({ 0, 0.5f, 1, 0 });
    ASSERT_TRUE(system->addParticle());
    const Particle& p = system->particles()[0];
    EXPECT_EQ(p.pos, CGPointMake(3, -2)); // truncated toward zero
    EXPECT_NEAR(p.dir.x, 0, 1e-5f);
    EXPECT_FLOAT_EQ(p.dir.y, 10);
    EXPECT_EQ(p.size, 12);
    EXPECT_EQ(p.deltaSize, 0);
    EXPECT_FLOAT_EQ(p.deltaColor.r, -0.5f);
    EXPECT_FLOAT_EQ(p.deltaColor.b, 0.5f);
    EXPECT_EQ(p.startPos, CGPointMake(40, 50));

    // The variations draw from random() in a fixed order: the same seed, the same particle.
    system->setPosVar(CGPointMake(20, 20));
    system->setSpeedVar(5);
    system->setLifeVar(1);
    srandom(7);
    ASSERT_TRUE(system->addParticle());
    srandom(7);
    ASSERT_TRUE(system->addParticle());
    const Particle& first = system->particles()[1];
    const Particle& second = system->particles()[2];
    EXPECT_EQ(first.pos, second.pos);
    EXPECT_EQ(first.dir, second.dir);
    EXPECT_EQ(first.life, second.life);
    EXPECT_GE(first.life, 1);
    EXPECT_LT(first.life, 3);
}

TEST_F(ParticleSystemTest, DeadParticlesMakeRoomForTheLastAndNothingDrawsThem)
{
    add(1, 0.1f);
    add(kStep, 0.2f);
    add(1, 0.3f);
    add(0, 0.4f); // no life at all: removed at the first step, never drawn
    system->step(kStep);
    ASSERT_EQ(system->particleCount(), 3);
    EXPECT_EQ(system->particleIdx(), 3);
    EXPECT_FLOAT_EQ(system->vertices()[0].r, 0.1f);
    EXPECT_FLOAT_EQ(system->vertices()[1].r, 0.2f); // its life is now exactly 0
    EXPECT_FLOAT_EQ(system->vertices()[2].r, 0.3f);

    system->step(kStep);
    ASSERT_EQ(system->particleCount(), 2);
    EXPECT_FLOAT_EQ(system->vertices()[0].r, 0.1f);
    EXPECT_FLOAT_EQ(system->vertices()[1].r, 0.3f); // the last one moved into the gap

    EXPECT_FALSE(system->isFull());
    system->setTotalParticles(2);
    EXPECT_TRUE(system->isFull());
    EXPECT_FALSE(system->addParticle());
    system->setTotalParticles(1000); // never past the pool made at creation
    EXPECT_EQ(system->totalParticles(), 100);
}

TEST_F(ParticleSystemTest, AutoRemovalHappensOnTheStepTheLastParticleDies)
{
    Ref<Node> parent = Node::node();
    parent->addChild(system.get());
    add(3 * kStep, 1);
    system->setAutoRemoveOnFinish(true);
    for (int i = 0; i < 3; ++i) {
        system->step(kStep);
        EXPECT_EQ(system->parent(), parent.get()) << "step " << i;
    }
    system->step(kStep);
    EXPECT_EQ(system->parent(), nullptr);
    EXPECT_TRUE(parent->children().empty());

    // Without the flag an empty system stays as it is.
    Ref<PointParticleSystem> stays = PointParticleSystem::particleWithTotalParticles(4);
    parent->addChild(stays.get());
    stays->setLife(0);
    ASSERT_TRUE(stays->addParticle());
    stays->step(kStep);
    EXPECT_EQ(stays->particleCount(), 0);
    EXPECT_EQ(stays->parent(), parent.get());
    stays->cleanup();
}

TEST_F(ParticleSystemTest, FreeParticlesStayWhereTheyWereEmittedGroupedOnesFollow)
{
    system->setPosition(CGPointMake(100, 100));
    add(10, 1);
    system->setPosition(CGPointMake(150, 120));
    system->step(kStep);
    // Drawn in node space: -50, -20 from the node is where it was emitted on screen.
    EXPECT_EQ(system->vertices()[0].x, -50);
    EXPECT_EQ(system->vertices()[0].y, -20);

    system->setPositionType(kPositionTypeGrouped);
    system->step(kStep);
    EXPECT_EQ(system->vertices()[0].x, 0);
    EXPECT_EQ(system->vertices()[0].y, 0);
}

TEST_F(ParticleSystemTest, PointSpritesRefuseBigSizesAndSpinning)
{
    EXPECT_EQ(raisedBy([this] { system->setStartSize(65); }),
        "InternalInconsistencyException: PointParticleSystem doesn't support size > 64");
    EXPECT_EQ(raisedBy([this] { system->setStartSize(64); }), "");
    EXPECT_EQ(system->startSize(), 64);
    for (auto setter : { &ParticleSystem::setStartSpin, &ParticleSystem::setStartSpinVar,
             &ParticleSystem::setEndSpin, &ParticleSystem::setEndSpinVar }) {
        EXPECT_EQ(raisedBy([&] { (system.get()->*setter)(10); }),
            "InternalInconsistencyException: PointParticleSystem doesn't support spinning");
        EXPECT_EQ(raisedBy([&] { (system.get()->*setter)(0); }), "");
    }
    EXPECT_EQ(raisedBy([] { ParticleSystem::node(); }),
        "Particle.init: Particle.init shall not be called. Use initWithTotalParticles instead.");
    EXPECT_FALSE(PointParticleSystem::particleWithTotalParticles(-1));
}

TEST_F(ParticleSystemTest, RunsOnlyWhileInTheRunningScene)
{
    Director::useDisplayLinkDirector();
    Director::sharedDirector()->attachInWindow(WindowInfo {});
    Ref<Scene> scene = Scene::node();
    system->setEmissionRate(1000);
    system->setTotalParticles(10);
    host.frame();
    EXPECT_EQ(system->particleCount(), 0); // not in a running scene

    scene->addChild(system.get());
    Director::sharedDirector()->runWithScene(scene.get());
    host.frame(); // enters the scene
    host.frame();
    host.frame();
    EXPECT_EQ(system->particleCount(), 10);

    system->setLife(0.01f);
    system->resetSystem();
    system->stopSystem();
    system->setAutoRemoveOnFinish(true);
    host.frame();
    EXPECT_EQ(system->parent(), nullptr); // its last particles died: gone from the scene
    EXPECT_TRUE(scene->children().empty());
    system = nullptr; // removal cleaned it up
}

// --- drawn ----------------------------------------------------------------------------------

TEST(ParticlePixels, PointSpritesDrawTexturedAtTheirSizeAndBurstsGlow)
{
    resetEngineForTest();
    GLTestSurface surface(160, 160);
    if (!surface.ready())
        GTEST_SKIP() << "no offscreen GL ES 1.1 surface: " << surface.error();
    TempDir dir;
    surface.setResourceDirectory(dir.path());
    // White inside, a transparent right half: the sprite's texture must show, not a square.
    ASSERT_TRUE(surface.writeImage(dir.file("half.png"), makeImage(32, 32, true, [](int x, int) {
        return x < 16 ? RGBA8 { 255, 255, 255, 255 } : RGBA8 { 0, 0, 0, 0 };
    })));

    Ref<PointParticleSystem> one = PointParticleSystem::particleWithTotalParticles(1);
    ASSERT_TRUE(one);
    one->setTexture(TextureMgr::sharedTextureMgr()->addImage("half.png").get());
    one->setPosition(CGPointMake(50, 50));
    one->setStartSize(32);
    one->setEndSize(kParticleStartSizeEqualToEndSize);
    one->setLife(10);
    one->setStartColor({ 1, 0, 0, 1 });
    one->setEndColor({ 1, 0, 0, 1 });
    ASSERT_TRUE(one->addParticle());
    one->step(0);
    surface.begin2D(0, 0, 0);
    one->visit();
    EXPECT_GT(surface.pixel(40, 50).r, 200); // left half of the sprite
    EXPECT_EQ(surface.pixel(40, 50).g, 0);
    EXPECT_EQ(surface.pixel(60, 50).r, 0); // right half: transparent texels
    EXPECT_EQ(surface.pixel(40, 70).r, 0); // above the 32-point square
    EXPECT_GT(surface.pixel(40, 64).r, 200);
    one->cleanup();

    // A burst of sparks with additive blending, as the saber makes them.
    surface.setResourceDirectory(BONZELAR_TEST_RESOURCES);
    Ref<PointParticleSystem> burst = PointParticleSystem::particleWithTotalParticles(60);
    burst->setTexture(TextureMgr::sharedTextureMgr()->addImage("Spark.png").get());
    burst->setBlendAdditive(true);
    burst->setPosition(CGPointMake(80, 80));
    burst->setAngleVar(180);
    burst->setSpeed(120);
    burst->setSpeedVar(40);
    burst->setGravity(CGPointMake(0, -100));
    burst->setLife(1);
    burst->setStartSize(24);
    burst->setEndSize(4);
    burst->setStartColor({ 1, 0.8f, 0.3f, 1 });
    burst->setEndColor({ 1, 0.2f, 0, 0.2f });
    burst->setEmissionRate(1000);
    burst->setDuration(0.05f);
    srandom(3);
    for (int i = 0; i < 20; ++i)
        burst->step(1.0f / 60);
    ASSERT_GT(burst->particleCount(), 40);
    surface.begin2D(0, 0, 0.05f);
    burst->visit();
    if (const char* keep = std::getenv("BONZELAR_SCREENSHOT_DIR"))
        surface.savePNG(std::string(keep) + "/particles.png");

    // Lit pixels spread round the emitter, as far as about speed * time, and nothing far out.
    int lit = 0, far = 0;
    for (int y = 0; y < 160; y += 2)
        for (int x = 0; x < 160; x += 2) {
            const RGBA8 p = surface.pixel(x, y);
            if (p.r > 80) {
                ++lit;
                if (std::hypot(x - 80.0f, y - 80.0f) > 75)
                    ++far;
            }
        }
    EXPECT_GT(lit, 100);
    EXPECT_EQ(far, 0);
    burst->cleanup();
    TextureMgr::purgeSharedTextureMgr();
    resetEngineForTest();
}
