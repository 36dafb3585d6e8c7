#include "Classes/Ragdoll.h"
#include "Platform/Log.h"

#include "Classes/Configuration.h"
#include "Classes/Game.h"
#include "Classes/PainMeter.h"
#include "Classes/PrimitiveRendering.h"
#include "Engine/Director.h"
#include "Engine/Layer.h"
#include "Engine/Sprite.h"
#include "Platform/Host.h"

#include <cmath>
#include <cstdio>
#include <optional>

namespace {
// Shared by every figure: a shake is judged against the device's recent motion, which does not
// start over when the options build a new figure.
struct ShakeDetector {
    double movement[3] = { 0, 0, 0 };
    double lastTime = 0;
};
ShakeDetector s_shake;

// The single-precision pi the sprite rotation was tuned with.
constexpr double kSinglePi = 3.1415927410125732;
} // namespace

const RagdollClass* Ragdoll::classFromConfig()
{
    return classNamed(Configuration::current()->ragdollClass());
}

Ref<Ragdoll> Ragdoll::allocFromConfig()
{
    const RagdollClass* cls = classFromConfig();
    return cls ? cls->alloc() : nullptr;
}

const RagdollClass* Ragdoll::classNamed(const std::string& name)
{
    for (const RagdollClass* cls : allClasses())
        if (name == cls->name)
            return cls;
    return nullptr;
}

Ref<Sprite> Ragdoll::headSpriteFromConfig(const char* defaultFile)
{
    if (auto face = Configuration::current()->customFaceImage()) {
        HostImage image;
        if (!face->empty() && Host::current().decodeImageData(face->data(), face->size(), 1024, image))
            return Sprite::spriteWithCGImage(image);
        logLine(LogLevel::Warning, "Custom face could not be decoded; using %s", defaultFile);
    }
    return Sprite::spriteWithFile(defaultFile);
}

bool Ragdoll::hasCustomFace()
{
    const auto face = Configuration::current()->customFaceImage();
    return face && !face->empty();
}

Ragdoll::~Ragdoll()
{
    for (const Ref<PointerWrapper>& joint : m_joints)
        cpConstraintFree(static_cast<cpConstraint*>(joint->pointer()));
    m_joints.clear();
    for (cpShape* shape : m_shapes)
        cpShapeFree(shape);
    for (const Part& part : m_parts)
        cpBodyFree(part.body);
}

bool Ragdoll::initWithSpace(cpSpace* space, CGPoint, GameLayer* gameLayer)
{
    m_space = space;
    m_gameLayer = gameLayer;
    m_lowPainSounds.clear();
    m_mediumPainSounds.clear();
    m_highPainSounds.clear();
    m_prevSoundTime = 0;
    m_shapesCollidedWith = ShapeQueue::queue();
    if (Configuration::current()->playSoundFx())
        loadSounds();
    return true;
}

cpBody* Ragdoll::addBody(const char* name, cpFloat mass, cpFloat moment, cpVect localPosition)
{
    cpBody* body = cpBodyNew(mass, moment);
    cpBodySetPosition(body, localPosition);
    cpSpaceAddBody(m_space, body);
    m_parts.push_back({ name, body });
    return body;
}

namespace {
void setFigureMaterial(cpShape* shape)
{
    cpShapeSetElasticity(shape, 0.0);
    cpShapeSetFriction(shape, 0.0);
    cpShapeSetCollisionType(shape, kRagdollCollisionType);
    cpShapeSetFilter(shape, cpShapeFilterNew(kRagdollGroup, CP_ALL_CATEGORIES, CP_ALL_CATEGORIES));
}
} // namespace

cpShape* Ragdoll::addPolygon(cpBody* body, std::initializer_list<cpVect> vertices)
{
    cpShape* shape = makePolygon(body, vertices);
    cpSpaceAddShape(m_space, shape);
    return shape;
}

cpShape* Ragdoll::makePolygon(cpBody* body, std::initializer_list<cpVect> vertices)
{
    cpShape* shape
        = cpPolyShapeNew(body, static_cast<int>(vertices.size()), vertices.begin(), cpTransformIdentity, 0.0);
    setFigureMaterial(shape);
    m_shapes.push_back(shape);
    return shape;
}

cpShape* Ragdoll::addCircle(cpBody* body, cpFloat radius)
{
    cpShape* shape = cpCircleShapeNew(body, radius, cpvzero);
    setFigureMaterial(shape);
    cpSpaceAddShape(m_space, shape);
    m_shapes.push_back(shape);
    return shape;
}

cpBody* Ragdoll::addBoxPart(
    const char* name, cpFloat mass, cpFloat width, cpFloat height, cpVect localPosition, cpShape** shape)
{
    cpBody* body = addBody(name, mass, momentForBox(mass, width, height), localPosition);
    *shape = addPolygon(body, { cpv(0, 0), cpv(0, height), cpv(width, height), cpv(width, 0) });
    return body;
}

void Ragdoll::addJointPair(
    cpBody* a, cpBody* b, cpVect anchorA, cpVect anchorB, float minDegrees, float maxDegrees)
{
    addJoint(cpPivotJointNew2(a, b, anchorA, anchorB));
    addRotaryLimit(a, b, minDegrees, maxDegrees);
}

cpConstraint* Ragdoll::addJoint(cpConstraint* joint)
{
    cpSpaceAddConstraint(m_space, joint);
    m_joints.push_back(PointerWrapper::wrapperForPointer(joint));
    return joint;
}

cpConstraint* Ragdoll::addRotaryLimit(cpBody* a, cpBody* b, float minDegrees, float maxDegrees)
{
    return addJoint(
        cpRotaryLimitJointNew(a, b, degreesToRadiansSingle(minDegrees), degreesToRadiansSingle(maxDegrees)));
}

void Ragdoll::shiftBodies(CGPoint offset)
{
    for (const Part& part : m_parts)
        cpBodySetPosition(part.body, cpvadd(cpBodyGetPosition(part.body), cpv(offset.x, offset.y)));
}

void Ragdoll::bindSprite(Sprite* sprite, cpBody* body) { m_sprites.push_back({ sprite, body }); }

cpFloat Ragdoll::momentForBox(cpFloat mass, cpFloat width, cpFloat height)
{
    const cpVect verts[4] = { cpv(0, 0), cpv(0, height), cpv(width, height), cpv(width, 0) };
    return cpMomentForPoly(mass, 4, verts, cpvzero, 0.0);
}

float Ragdoll::degreesToRadiansSingle(float degrees) { return degrees * 3.14159265f / 180.0f; }

cpBody* Ragdoll::bodyNamed(const std::string& name) const
{
    for (const Part& part : m_parts)
        if (name == part.name)
            return part.body;
    return nullptr;
}

void Ragdoll::addSpritesToLayer(Layer*) { }

void Ragdoll::removeSpritesFromLayer(Layer* layer)
{
    for (const SpriteBinding& binding : m_sprites)
        layer->removeChild(binding.sprite, true);
    m_sprites.clear();
}

void Ragdoll::updateSprites()
{
    for (const SpriteBinding& binding : m_sprites) {
        const cpVect p = cpBodyGetPosition(binding.body);
        binding.sprite->setPosition(CGPointMake(static_cast<float>(p.x), static_cast<float>(p.y)));
        binding.sprite->setRotation(static_cast<float>(-cpBodyGetAngle(binding.body) * 180.0 / kSinglePi));
    }
}

void Ragdoll::draw()
{
    for (cpShape* shape : m_drawOrder.empty() ? m_shapes : m_drawOrder)
        drawShape(shape);
}

CGPoint Ragdoll::position() const
{
    if (!m_mainBody)
        return CGPointZero;
    const cpVect p = cpBodyGetPosition(m_mainBody);
    return CGPointMake(static_cast<float>(p.x), static_cast<float>(p.y));
}

CGPoint Ragdoll::direction() const
{
    if (!m_mainBody)
        return CGPointZero;
    const cpVect v = cpBodyGetVelocity(m_mainBody);
    return CGPointMake(static_cast<float>(v.x), static_cast<float>(v.y));
}

namespace {
// One axis of the camera's dead zone: how far the layer must move so the body is back within
// 100 points of the screen centre.
float followAxis(float layerPos, float screenHalf, float body)
{
    const float centre = screenHalf - layerPos;
    const int distance = static_cast<int>(body - centre);
    if (std::abs(distance) <= 100)
        return layerPos;
    const double shift = centre < body ? (static_cast<double>(centre) - body + 100.0)
                                       : (static_cast<double>(centre) - body - 100.0);
    return static_cast<float>(layerPos + shift);
}
} // namespace

void Ragdoll::keepVisibleOnLayer(Layer* layer)
{
    const CGSize win = Director::sharedDirector()->winSize();
    const CGPoint layerPos = layer->position();
    const CGPoint body = position();
    layer->setPosition(CGPointMake(
        followAxis(layerPos.x, win.width * 0.5f, body.x), followAxis(layerPos.y, win.height * 0.5f, body.y)));
}

bool Ragdoll::hadRecentCollisionWith(const cpShape* shape) const
{
    return m_shapesCollidedWith && m_shapesCollidedWith->containsShape(shape);
}

void Ragdoll::trackCollisionWith(cpShape* shape)
{
    while (m_shapesCollidedWith->count() > 4)
        m_shapesCollidedWith->dequeue();
    m_shapesCollidedWith->enqueue(shape);
}

void Ragdoll::collisionnOnSelfShape(cpShape*, cpShape* foreignShape, float velocity, CGPoint)
{
    if (!Configuration::current()->playSoundFx())
        return;
    const double now = Host::current().absoluteTime();
    if (now - m_prevSoundTime > 0.75 && !hadRecentCollisionWith(foreignShape) && velocity > 25) {
        PainMeterLayer* meter = m_gameLayer ? m_gameLayer->painMeter() : nullptr;
        playSound(meter ? meter->currentPainLevel() : kPainLevelLow);
        m_prevSoundTime = now;
        trackCollisionWith(foreignShape);
        return;
    }
    if (!hadRecentCollisionWith(foreignShape))
        trackCollisionWith(foreignShape);
}

void Ragdoll::accelerometer(Accelerometer*, const Acceleration& a)
{
    const double sample[3] = { a.x, a.y, a.z };
    for (int i = 0; i < 3; ++i)
        s_shake.movement[i] = s_shake.movement[i] * 0.9 + sample[i] * 0.1;
    double lengthSquared = 0;
    for (int i = 0; i < 3; ++i) {
        const double d = sample[i] - s_shake.movement[i];
        lengthSquared += d * d;
    }
    if (std::sqrt(lengthSquared) >= 1.5 && Host::current().absoluteTime() > s_shake.lastTime + 0.5) {
        s_shake.lastTime = Host::current().absoluteTime();
        performSpecial();
    }
}

void Ragdoll::resetShakeDetectorForTesting() { s_shake = ShakeDetector(); }
