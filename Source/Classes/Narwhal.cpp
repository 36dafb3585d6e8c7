#include "Classes/Narwhal.h"
#include "Platform/Log.h"

#include "Classes/Configuration.h"
#include "Classes/Game.h"
#include "Classes/PrimitiveRendering.h"
#include "Classes/Random.h"
#include "Classes/Sound.h"
#include "Engine/IntervalAction.h"
#include "Engine/Layer.h"
#include "Engine/Support/Accelerometer.h"
#include "Engine/TextureMgr.h"
#include "Platform/Host.h"

#include <cmath>
#include <cstdio>
#include <string>

// --- SaberTuskSprite -----------------------------------------------------------------------------

namespace {
constexpr int kTuskFrames = 19;

std::string tuskFrame(int index) { return "tusk_" + std::to_string(index) + ".png"; }
} // namespace

Ref<SaberTuskSprite> SaberTuskSprite::node()
{
    Ref<SaberTuskSprite> sprite = make<SaberTuskSprite>();
    sprite->init();
    return sprite;
}

bool SaberTuskSprite::init()
{
    // Without the retracted picture the tusk is invisible, but the saber still works.
    initWithFile(tuskFrame(0));
    Ref<Animation> extend = Animation::animationWithName("extendAnimation", 0.05f);
    for (int i = 0; i < kTuskFrames; ++i)
        extend->addFrameWithFilename(tuskFrame(i));
    Ref<Animation> retract = Animation::animationWithName("retractAnimation", 0.065f);
    for (int i = kTuskFrames - 1; i >= 0; --i)
        retract->addFrameWithFilename(tuskFrame(i));
    setSaberExtendAnimation(extend);
    setSaberRetractAnimation(retract);
    return true;
}

void SaberTuskSprite::extendSaber() { runSaberAnimation(m_saberExtendAnimation.get()); }

void SaberTuskSprite::retractSaber() { runSaberAnimation(m_saberRetractAnimation.get()); }

void SaberTuskSprite::runSaberAnimation(Animation* animation)
{
    if (!animation)
        return;
    // Not restored at the end: the tusk stays on the animation's last picture. One started
    // while the other still runs is updated after it, so the newer one shows.
    runAction(Animate::actionWithAnimation(animation, false).get());
}

// --- SaberParticles ------------------------------------------------------------------------------

int SaberParticles::s_totalInstances = 0;

Ref<SaberParticles> SaberParticles::node()
{
    logLine(LogLevel::Warning, "No parameter init called on SaberParticles");
    return nullptr;
}

Ref<SaberParticles> SaberParticles::nodeWithPosition(CGPoint position)
{
    Ref<SaberParticles> sparks(new SaberParticles);
    if (!sparks->initWithPosition(position)) {
        // The step timer holds the system; drop it so the system can go.
        sparks->cleanup();
        return nullptr;
    }
    return sparks;
}

bool SaberParticles::canCreate() { return s_totalInstances < kMaxInstances; }

SaberParticles::~SaberParticles()
{
    if (m_counted)
        --s_totalInstances;
}

bool SaberParticles::initWithPosition(CGPoint position)
{
    if (!initWithTotalParticles(15))
        return false;
    setAutoRemoveOnFinish(true);
    setDuration(0.5f);
    setGravity(CGPointZero);
    setAngle(90);
    setAngleVar(360);
    setSpeed(25);
    setSpeedVar(5);
    setRadialAccel(0);
    setRadialAccelVar(0);
    setTangentialAccel(0);
    setTangentialAccelVar(0);
    setPosition(position);
    setPosVar(CGPointZero);
    setLife(0.03f);
    setLifeVar(1);
    setStartSize(15);
    setStartSizeVar(5);
    setEmissionRate(static_cast<float>(totalParticles()) / life());
    setStartColor(Color4F { 1, 0.2f, 0.2f, 0.4f });
    setStartColorVar(Color4F { 0, 0, 0, 0 });
    setEndColor(Color4F { 1, 0.29f, 0.29f, 1 });
    setEndColorVar(Color4F { 0, 0, 0, 0 });
    setTexture(TextureMgr::sharedTextureMgr()->addImage("Spark.png").get());
    setBlendAdditive(true);
    m_counted = true;
    ++s_totalInstances;
    return true;
}

// --- Narwhal ---------------------------------------------------------------------------------------

const RagdollClass& Narwhal::ragdollClass()
{
    static const RagdollClass cls { "Narwhal", &Narwhal::size, [] { return Ref<Ragdoll>(make<Narwhal>()); },
        &Narwhal::headSprite, nullptr, nullptr };
    return cls;
}

Ref<Sprite> Narwhal::headSprite() { return Sprite::spriteWithFile("Narwhal_Body.png"); }

void Narwhal::loadSounds()
{
    m_directions1Played = false;
    m_directions2Played = false;
    m_directions1Sound = Sound::soundWithFile("voice1.aif");
    m_directions2Sound = Sound::soundWithFile("voice2.aif");
    m_saberOn = Sound::soundWithFile("saber_on.wav");
    m_saberOff = Sound::soundWithFile("saber_off.wav");
    m_swooshSounds.clear();
    for (int i = 1; i <= 6; ++i)
        m_swooshSounds.push_back(Sound::soundWithFile("swoosh" + std::to_string(i) + ".aif"));
    m_clashSounds.clear();
    for (int i = 1; i <= 5; ++i)
        m_clashSounds.push_back(Sound::soundWithFile("clash" + std::to_string(i) + ".aif"));
}

bool Narwhal::initWithSpace(cpSpace* space, CGPoint position, GameLayer* gameLayer)
{
    if (!Ragdoll::initWithSpace(space, position, gameLayer))
        return false;
    // Shakes are judged on fewer, further-apart samples than the tilt needs.
    Accelerometer::sharedAccelerometer()->setUpdateInterval(0.04);
    m_config = Configuration::current();
    m_saberState = false;
    m_prevSaberAngularVelocity = 9999;
    m_prevSwooshSoundTime = 0;
    m_prevClashSoundTime = 0;
    m_initTime = Host::current().absoluteTime();

    m_bodyBody = addBoxPart("body", 10, 78, 31, cpv(90, 116), &m_bodyShape);
    setMainBody(m_bodyBody);

    // The shape reaches 17 points further than the moment: the lit blade weighs nothing.
    m_tuskBody = addBody("tusk", 2.5, momentForBox(2.5, 69, 7), cpv(0, 125));
    m_tuskShape = makePolygon(m_tuskBody, { cpv(0, 0), cpv(0, 7), cpv(86, 7), cpv(86, 0) });
    addJointPair(m_bodyBody, m_tuskBody, cpv(-22, 13), cpv(68, 4), 0, 0);

    m_jawBody = addBoxPart("jaw", 0.5, 14, 9, cpv(89, 124), &m_jawShape);
    addJointPair(m_bodyBody, m_jawBody, cpv(12, 11), cpv(13, 4), 0, 35);

    m_upperTailBody = addBoxPart("upperTail", 7.5, 39, 28, cpv(149, 118), &m_upperTailShape);
    addJointPair(m_bodyBody, m_upperTailBody, cpv(65, 17), cpv(6, 15), -10, 10);

    m_midTailBody = addBoxPart("midTail", 3.5, 42, 21, cpv(172, 126), &m_midTailShape);
    addJointPair(m_upperTailBody, m_midTailBody, cpv(28, 17), cpv(6, 10), -5, 5);

    m_tailFinBody = addBoxPart("tailFin", 3.5, 30, 18, cpv(200, 136), &m_tailFinShape);
    addJointPair(m_midTailBody, m_tailFinBody, cpv(31, 17), cpv(2, 7), -20, 8);

    m_flipperBody = addBoxPart("flipper", 1.25, 13, 19, cpv(120, 110), &m_flipperShape);
    addJointPair(m_bodyBody, m_flipperBody, cpv(35, 5), cpv(3, 14), -25, 45);

    setDrawOrder(
        { m_bodyShape, m_jawShape, m_upperTailShape, m_midTailShape, m_tailFinShape, m_flipperShape });
    shiftBodies(position);
    return true;
}

void Narwhal::addSpritesToLayer(Layer* layer)
{
    auto part = [](const char* file) {
        Ref<Sprite> sprite = Sprite::spriteWithFile(file);
        sprite->setAnchorPoint(CGPointMake(0, 0));
        return sprite;
    };
    m_tuskSprite = SaberTuskSprite::node();
    m_tuskSprite->setAnchorPoint(CGPointMake(0, 0));
    Ref<Sprite> body = part("Narwhal_Body.png"), jaw = part("Narwhal_Jaw.png");
    Ref<Sprite> upperTail = part("Narwhal_Uppertail.png"), midTail = part("Narwhal_Midtail.png");
    Ref<Sprite> tailFin = part("Narwhal_Tailfin.png"), flipper = part("Narwhal_Flipper.png");

    // The tusk and the jaw lie under the body picture.
    for (Sprite* s : { static_cast<Sprite*>(m_tuskSprite.get()), jaw.get(), body.get(), upperTail.get(),
             midTail.get(), tailFin.get(), flipper.get() })
        layer->addChild(s);

    m_bodySprite = body;
    m_jawSprite = jaw;
    m_upperTailSprite = upperTail;
    m_midTailSprite = midTail;
    m_tailFinSprite = tailFin;
    m_flipperSprite = flipper;
    // The tusk follows its body whether the saber is lit or not.
    bindSprite(body, m_bodyBody);
    bindSprite(m_tuskSprite.get(), m_tuskBody);
    bindSprite(jaw, m_jawBody);
    bindSprite(upperTail, m_upperTailBody);
    bindSprite(midTail, m_midTailBody);
    bindSprite(tailFin, m_tailFinBody);
    bindSprite(flipper, m_flipperBody);
    updateSprites();
}

void Narwhal::draw()
{
    Ragdoll::draw();
    if (m_saberState)
        drawShape(m_tuskShape);
}

void Narwhal::performSpecial() { changeSaberState(); }

void Narwhal::changeSaberState()
{
    const bool sound = m_config && m_config->playSoundFx();
    if (m_saberState) {
        m_saberState = false;
        syncTuskShape();
        if (m_tuskSprite)
            m_tuskSprite->retractSaber();
        if (sound && m_saberOff)
            m_saberOff->play();
    } else {
        // Once the player has found the saber, the hints have nothing left to say.
        m_directions1Played = true;
        m_directions2Played = true;
        m_saberState = true;
        syncTuskShape();
        if (m_tuskSprite)
            m_tuskSprite->extendSaber();
        if (sound && m_saberOn)
            m_saberOn->play();
    }
}

void Narwhal::syncTuskShape()
{
    if (!m_space || !m_tuskShape)
        return;
    if (cpSpaceIsLocked(m_space)) {
        // One callback per step and figure is enough: it applies whatever the state is then.
        cpSpaceAddPostStepCallback(m_space, &Narwhal::syncTuskShapePostStep, this, this);
        return;
    }
    if (m_saberState && !m_tuskShapeInSpace)
        cpSpaceAddShape(m_space, m_tuskShape);
    else if (!m_saberState && m_tuskShapeInSpace)
        cpSpaceRemoveShape(m_space, m_tuskShape);
    m_tuskShapeInSpace = m_saberState;
}

void Narwhal::syncTuskShapePostStep(cpSpace*, void*, void* data)
{
    static_cast<Narwhal*>(data)->syncTuskShape();
}

void Narwhal::step()
{
    if (!Configuration::current()->playSoundFx())
        return;
    const double now = Host::current().absoluteTime();
    if (m_saberState) {
        const float w = static_cast<float>(std::fabs(cpBodyGetAngularVelocity(m_tuskBody)));
        const float previous = m_prevSaberAngularVelocity;
        m_prevSaberAngularVelocity = w;
        if (w - previous < 0.5f)
            return;
        if (!(now - m_prevSwooshSoundTime > 0))
            return;
        if (!m_swooshSounds.empty()) {
            const int index = Random::randIntWithStart(0, static_cast<int>(m_swooshSounds.size()));
            if (index >= 0 && index < static_cast<int>(m_swooshSounds.size()))
                m_swooshSounds[static_cast<std::size_t>(index)]->play();
        }
        m_prevSwooshSoundTime = now;
        return;
    }
    const double elapsed = now - m_initTime;
    if (!m_directions1Played && elapsed > 5) {
        m_directions1Played = true;
        if (m_directions1Sound)
            m_directions1Sound->play();
    } else if (!m_directions2Played && elapsed > 9) {
        m_directions2Played = true;
        if (m_directions2Sound)
            m_directions2Sound->play();
    }
}

void Narwhal::collisionnOnSelfShape(
    cpShape* ownShape, cpShape* foreignShape, float velocity, CGPoint position)
{
    if (ownShape == m_tuskShape) {
        m_saberState = true;
        const double now = Host::current().absoluteTime();
        if (m_config && m_config->playSoundFx() && now - m_prevClashSoundTime > 0.2) {
            if (!m_clashSounds.empty()) {
                const int index = Random::randIntWithStart(0, static_cast<int>(m_clashSounds.size()));
                if (index >= 0 && index < static_cast<int>(m_clashSounds.size()))
                    m_clashSounds[static_cast<std::size_t>(index)]->play();
            }
            m_prevClashSoundTime = now;
        }
        if (m_gameLayer && SaberParticles::canCreate())
            if (Ref<SaberParticles> sparks = SaberParticles::nodeWithPosition(position))
                m_gameLayer->addChild(sparks.get());
        return;
    }
    // Without headphones the body's bumps stay silent and are not even remembered.
    if (m_config && m_config->headphonesAttached())
        Ragdoll::collisionnOnSelfShape(ownShape, foreignShape, velocity, position);
}
