#include "Classes/Game.h"
#include "Platform/Log.h"

#include "Classes/Ball.h"
#include "Classes/Configuration.h"
#include "Classes/GeneralOptions.h"
#include "Classes/PainMeter.h"
#include "Classes/Ragdoll.h"
#include "Classes/Random.h"
#include "Classes/cpMouse.h"
#include "Engine/Director.h"
#include "Engine/Support/PointExtension.h"
#include "Engine/Support/Touch.h"

#include <GLES/gl.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace {
// Tilt filter state: shared by all play layers and never reset, so a new game after the
// options keeps the gravity the device was already giving.
float s_prevX = 0;
float s_prevY = 0;

constexpr cpCollisionType kRagdollType = 316;
constexpr cpCollisionType kBallType = 808;

// Leaves room for the ball's radius on top.
bool fitsInInt(float v) { return std::isfinite(v) && std::fabs(v) < static_cast<float>(INT_MAX / 2); }

CGPoint touchPoint(const Touch* touch, bool previous)
{
    return Director::sharedDirector()->convertCoordinate(
        previous ? touch->previousLocationInView() : touch->locationInView());
}
} // namespace

// --- GameLayer -----------------------------------------------------------------------------

Ref<GameLayer> GameLayer::node() { return make<GameLayer>(); }

GameLayer::GameLayer()
{
    Configuration* config = Configuration::current();
    m_gravity = config->gravity();
    m_damping = config->damping();
    m_numberOfBalls = config->numberOfBalls();
    m_useAccelerometer = config->useAccelerometer();
    m_drawPersonAsWireframe = config->drawPersonAsWireframe();
    m_drawBallsAsWireframe = config->drawBallsAsWireframe();
    // The library aborts on non-finite values and huge ones freeze the step; whatever reaches
    // here stays within what the option pages can set.
    m_gravity = std::isfinite(m_gravity) ? std::clamp(m_gravity, 0.0f, Configuration::kMaxGravity)
                                         : Configuration::kDefaultGravity;
    m_damping = std::isfinite(m_damping)
        ? std::clamp(m_damping, Configuration::kMinDamping, Configuration::kMaxDamping)
        : Configuration::kDefaultDamping;
    m_numberOfBalls = std::clamp(m_numberOfBalls, 0, Configuration::kMaxBalls);

    m_space = cpSpaceNew();
    cpSpaceUseSpatialHash(m_space, 100.0, 800);
    cpSpaceSetGravity(m_space, cpv(0, -m_gravity));
    cpSpaceSetDamping(m_space, static_cast<cpFloat>(m_damping));

    const RagdollClass* cls = Ragdoll::classFromConfig();
    const CGSize size = cls ? cls->size() : CGSizeZero;
    const CGSize win = Director::sharedDirector()->winSize();
    m_initialPlayerPosition = CGPointMake(static_cast<float>(win.width * 0.5 - size.width * 0.5),
        static_cast<float>(win.height * 0.5 - size.height * 0.5));
    m_initialPlayerArea = CGRectMake(m_initialPlayerPosition.x - 100, m_initialPlayerPosition.y - 100,
        size.width + 200, size.height + 200);
    m_initialBallsGenerated = false;

    m_ragdoll = Ragdoll::allocFromConfig();
    if (m_ragdoll) {
        if (!m_ragdoll->initWithSpace(m_space, m_initialPlayerPosition, this))
            m_ragdoll = nullptr;
        else if (!m_drawPersonAsWireframe)
            m_ragdoll->addSpritesToLayer(this);
    } else {
        logLine(LogLevel::Warning, "No figure named \"%s\"; playing without one",
            Configuration::current()->ragdollClass().c_str());
    }

    cpCollisionHandler* handler = cpSpaceAddCollisionHandler(m_space, kRagdollType, kBallType);
    handler->preSolveFunc = collision_Ragdoll_Ball;
    handler->userData = this;

    setIsTouchEnabled(true);
    setIsAccelerometerEnabled(true);
    Accelerometer::sharedAccelerometer()->setUpdateInterval(static_cast<double>(1.0f / 60.0f));
    schedule(MW_SELECTOR(GameLayer, step));
}

GameLayer::~GameLayer()
{
    // The handler has no removal call; clearing it keeps a late step from reaching this layer.
    cpCollisionHandler* handler = cpSpaceAddCollisionHandler(m_space, kRagdollType, kBallType);
    handler->preSolveFunc = [](cpArbiter*, cpSpace*, cpDataPointer) -> cpBool { return cpTrue; };
    handler->userData = nullptr;
    cpMouseFree(m_mouse);
    m_mouse = nullptr;
    // Balls and the figure free their shapes and bodies; take the balls out first so the space
    // holds nothing dangling while it is freed.
    for (const Ref<Ball>& ball : m_balls)
        ball->removeFromSpace(m_space);
    cpSpaceFree(m_space);
    m_space = nullptr;
    m_ragdoll = nullptr;
    m_balls.clear();
}

void GameLayer::setPainMeter(PainMeterLayer* meter) { m_painMeter = meter; }

CGPoint GameLayer::tiltFilter() { return CGPointMake(s_prevX, s_prevY); }

void GameLayer::resetTiltFilterForTesting()
{
    s_prevX = 0;
    s_prevY = 0;
}

void GameLayer::step(float dt)
{
    // A stall (a debugger, a slow disk) must not become one huge step that flings the
    // figure through the balls; nor may a bad clock hand the physics a negative step.
    if (!(dt > 0))
        dt = 0;
    else if (dt > kMaxStep)
        dt = kMaxStep;
    cpSpaceStep(m_space, static_cast<cpFloat>(dt));
    if (m_painMeter)
        m_painMeter->update();
    if (m_ragdoll)
        m_ragdoll->keepVisibleOnLayer(this);
    populateActiveAreaWithBalls();
    if (m_ragdoll) {
        if (!m_drawPersonAsWireframe)
            m_ragdoll->updateSprites();
        m_ragdoll->step();
    }
}

void GameLayer::draw()
{
    if (m_drawPersonAsWireframe && m_ragdoll)
        m_ragdoll->draw();
    if (m_drawBallsAsWireframe)
        for (const Ref<Ball>& ball : m_balls)
            ball->draw();
}

void GameLayer::populateActiveAreaWithBalls()
{
    const CGSize win = Director::sharedDirector()->winSize();
    const CGPoint p = position();
    const CGRect area = CGRectMake(win.width / 2 - p.x - 800, win.height / 2 - p.y - 800, 1600, 1600);
    const CGRect keepClear = m_initialBallsGenerated
        ? CGRectMake(-p.x - 100, -p.y - 100, win.width + 200, win.height + 200)
        : m_initialPlayerArea;

    // The two lists keep their storage from step to step.
    std::vector<Ref<Ball>>& kept = m_keptBalls;
    std::vector<Ref<Ball>>& dropped = m_droppedBalls;
    kept.clear();
    dropped.clear();
    for (const Ref<Ball>& ball : m_balls)
        (CGRectIntersectsRect(ball->boundingRect(), area) ? kept : dropped).push_back(ball);
    for (Ref<Ball>& ball : dropped) {
        ball->removeFromSpace(m_space);
        if (!m_drawBallsAsWireframe)
            ball->removeSpritesFromLayer(this);
        m_spareBalls.push_back(std::move(ball));
    }
    dropped.clear();
    m_balls.swap(kept);
    kept.clear();

    int n = static_cast<int>(m_balls.size());
    // Every candidate can be rejected only if the keep-clear area swallowed the whole range,
    // which the layout never produces; the cap keeps a damaged setting from hanging the frame.
    int attempts = 0;
    const int balls = std::clamp(m_numberOfBalls, 0, Configuration::kMaxBalls);
    const int maxAttempts = 1000 + 100 * (balls + 1);
    while (n <= balls && attempts++ < maxAttempts) {
        float minX = CGRectGetMinX(area), maxX = minX + 1600;
        float minY = CGRectGetMinY(area), maxY = minY + 1600;
        if (m_initialBallsGenerated && m_ragdoll) {
            const CGPoint r = m_ragdoll->position();
            CGPoint d = m_ragdoll->direction();
            if (d.x == 0)
                d.x = Random::randIntWithStart(1, 100) % 2 ? -1 : 1;
            if (d.y == 0)
                d.y = Random::randIntWithStart(1, 100) % 2 ? -1 : 1;
            if (d.x < 0)
                maxX = r.x;
            else
                minX = r.x;
            if (d.y < 0)
                maxY = r.y;
            else
                minY = r.y;
        }
        // A figure flung far enough takes the area past what an int holds; no ball fits there.
        if (!fitsInInt(minX) || !fitsInInt(maxX) || !fitsInInt(minY) || !fitsInInt(maxY))
            break;
        const int radius = Random::randIntWithStart(20, 80);
        const int x = Random::randIntWithStart(static_cast<int>(minX), static_cast<int>(maxX));
        const int y = Random::randIntWithStart(static_cast<int>(minY), static_cast<int>(maxY));
        if (CGRectIntersectsRect(CGRectMake(x, y, radius, radius), keepClear))
            continue;
        Ref<Ball> ball;
        if (m_spareBalls.empty()) {
            ball = make<Ball>();
        } else {
            ball = std::move(m_spareBalls.back());
            m_spareBalls.pop_back();
        }
        ball->initWithRadius(
            static_cast<float>(radius), CGPointMake(static_cast<float>(x), static_cast<float>(y)));
        ball->addToSpace(m_space);
        m_balls.push_back(ball);
        if (!m_drawBallsAsWireframe)
            ball->addSpritesToLayer(this);
        ++n;
    }
    m_initialBallsGenerated = true;
}

void GameLayer::touchBegan(Touch* touch)
{
    const CGPoint p = ccpSub(touchPoint(touch, false), position());
    if (m_mouse)
        return;
    m_mouse = cpMouseNew(m_space);
    cpMouseMove(m_mouse, cpv(p.x, p.y));
    m_mouse->moved = cpvzero;
    cpMouseGrab(m_mouse, 0);
}

bool GameLayer::onTouchesBegan(const TouchSet& touches, TouchEvent*)
{
    if (Touch* touch = touches.anyObject())
        touchBegan(touch);
    return false;
}

bool GameLayer::onTouchesMoved(const TouchSet& touches, TouchEvent*)
{
    Touch* touch = touches.anyObject();
    if (!touch)
        return false;
    if (!m_mouse) {
        touchBegan(touch);
        return false;
    }
    const CGPoint now = touchPoint(touch, false), before = touchPoint(touch, true);
    const cpVect at = cpBodyGetPosition(m_mouse->body);
    cpMouseMove(m_mouse, cpv(at.x + (now.x - before.x), at.y + (now.y - before.y)));
    if (!m_mouse->grabbedBody)
        cpMouseGrab(m_mouse, 0);
    return false;
}

bool GameLayer::onTouchesEnded(const TouchSet& touches, TouchEvent* event)
{
    onTouchesCancelled(touches, event);
    if (Touch* touch = touches.anyObject(); touch && touch->tapCount() == 2)
        openOptions();
    return false;
}

bool GameLayer::onTouchesCancelled(const TouchSet&, TouchEvent*)
{
    cpMouseFree(m_mouse);
    m_mouse = nullptr;
    return false;
}

bool GameLayer::onKey(HostKey key)
{
    if (key != HostKey::Escape)
        return false;
    openOptions();
    return true;
}

void GameLayer::openOptions()
{
    ++m_optionsRequests;
    // The pages replace the running scene; a layer tried on its own has none to replace.
    if (Director::sharedDirector()->runningScene())
        GeneralOptionsScene::node()->show();
}

void GameLayer::accelerometer(Accelerometer* accelerometer, const Acceleration& a)
{
    if (!m_useAccelerometer)
        return;
    // A broken sensor must not poison the filter, which lives for the whole process.
    if (!std::isfinite(a.x) || !std::isfinite(a.y) || !std::isfinite(a.z))
        return;
    // Phones read up to about 8 g; beyond that a reading would only turn gravity infinite.
    const double ax = std::clamp(a.x, -16.0, 16.0), ay = std::clamp(a.y, -16.0, 16.0);
    s_prevX = static_cast<float>(s_prevX * 0.9 + ax * 0.1);
    s_prevY = static_cast<float>(s_prevY * 0.9 + ay * 0.1);
    cpSpaceSetGravity(m_space,
        cpv(static_cast<float>(static_cast<double>(m_gravity) * s_prevX),
            static_cast<float>(static_cast<double>(m_gravity) * s_prevY)));
    if (m_ragdoll)
        m_ragdoll->accelerometer(accelerometer, a);
}
