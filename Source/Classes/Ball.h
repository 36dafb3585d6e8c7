#pragma once
// One fixed ball of the field: a static circle the figure falls onto. It never moves, so its
// sprite is placed once.

#include "Engine/Support/Geometry.h"
#include "Engine/Support/Ref.h"

#include <chipmunk/chipmunk.h>

class Layer;
class Sprite;

inline constexpr cpCollisionType kBallCollisionType = 808;

class Ball : public Object {
public:
    Ball() = default;
    ~Ball() override;
    const char* className() const override { return "Ball"; }

    bool initWithRadius(float radius, CGPoint position);
    // The square of side `radius` whose lower-left corner is the centre: the field's area test.
    CGRect boundingRect() const;
    void addToSpace(cpSpace* space);
    void removeFromSpace(cpSpace* space);
    void addSpritesToLayer(Layer* layer);
    void removeSpritesFromLayer(Layer* layer);
    void updateSprites();
    void draw();

    float radius() const { return m_radius; }
    CGPoint position() const;
    cpShape* shape() const { return m_shape; }
    Sprite* sprite() const { return m_sprite.get(); }

private:
    float m_radius = 0;
    cpBody* m_body = nullptr; // owned, static
    cpShape* m_shape = nullptr; // owned
    Ref<Sprite> m_sprite;
};
