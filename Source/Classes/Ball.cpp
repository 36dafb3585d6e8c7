#include "Classes/Ball.h"

#include "Classes/Configuration.h"
#include "Classes/PrimitiveRendering.h"
#include "Engine/Layer.h"
#include "Engine/Sprite.h"

#include <chipmunk/chipmunk_unsafe.h>

Ball::~Ball()
{
    if (m_shape)
        cpShapeFree(m_shape);
    if (m_body)
        cpBodyFree(m_body);
}

bool Ball::initWithRadius(float radius, CGPoint position)
{
    m_radius = radius;
    if (m_shape) {
        // A ball used again keeps its body, shape and sprite (the play layer recycles them so
        // that a new ball costs no allocation); it must be out of the space.
        cpCircleShapeSetRadius(m_shape, static_cast<cpFloat>(radius));
        cpBodySetPosition(m_body, cpv(position.x, position.y));
        return true;
    }
    // A static body stands for the infinite mass and moment: the library refuses infinite
    // values on dynamic bodies.
    m_body = cpBodyNewStatic();
    m_shape = cpCircleShapeNew(m_body, static_cast<cpFloat>(radius), cpvzero);
    cpShapeSetElasticity(m_shape, 0.0);
    cpShapeSetFriction(m_shape, 0.0);
    cpShapeSetCollisionType(m_shape, kBallCollisionType);
    cpBodySetPosition(m_body, cpv(position.x, position.y));
    return true;
}

CGPoint Ball::position() const
{
    const cpVect p = cpBodyGetPosition(m_body);
    return CGPointMake(static_cast<float>(p.x), static_cast<float>(p.y));
}

CGRect Ball::boundingRect() const
{
    const CGPoint p = position();
    return CGRectMake(p.x, p.y, m_radius, m_radius);
}

void Ball::addToSpace(cpSpace* space) { cpSpaceAddShape(space, m_shape); }

void Ball::removeFromSpace(cpSpace* space) { cpSpaceRemoveShape(space, m_shape); }

void Ball::addSpritesToLayer(Layer* layer)
{
    if (!m_sprite)
        m_sprite = Sprite::spriteWithFile(Configuration::current()->ballImage());
    const float width = m_sprite->contentSize().width;
    if (width > 0)
        m_sprite->setScale(static_cast<float>(m_radius * 2.0 / width));
    updateSprites();
    layer->addChild(m_sprite);
}

void Ball::removeSpritesFromLayer(Layer* layer)
{
    if (m_sprite)
        layer->removeChild(m_sprite, true);
}

void Ball::updateSprites()
{
    if (m_sprite)
        m_sprite->setPosition(position());
}

void Ball::draw() { drawShape(m_shape); }
