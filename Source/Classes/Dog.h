#pragma once
// A dog seen from the side, lying horizontally: a head with a hinged jaw, a trunk of two parts,
// a tail and four legs of three parts. Far legs are on the side away from the viewer and are
// drawn first. A custom face replaces the whole head, so the dog then has no jaw.

#include "Classes/Ragdoll.h"

class Sprite;

class Dog : public Ragdoll {
public:
    static const RagdollClass& ragdollClass();
    static CGSize size() { return CGSizeMake(220, 87); }
    static Ref<Sprite> headSprite();

    const char* className() const override { return "Dog"; }
    bool initWithSpace(cpSpace* space, CGPoint position, GameLayer* gameLayer) override;
    void addSpritesToLayer(Layer* layer) override;

private:
    cpBody *m_headBody = nullptr, *m_jawBody = nullptr, *m_body1Body = nullptr, *m_body2Body = nullptr,
           *m_shoulderBody = nullptr, *m_frontLegBody = nullptr, *m_frontFootBody = nullptr,
           *m_farShoulderBody = nullptr, *m_farFrontLegBody = nullptr, *m_farFrontFootBody = nullptr,
           *m_farHaunchBody = nullptr, *m_farBackLegBody = nullptr, *m_farBackFootBody = nullptr,
           *m_tailBody = nullptr, *m_haunchBody = nullptr, *m_backLegBody = nullptr,
           *m_backFootBody = nullptr;
    cpShape *m_headShape = nullptr, *m_jawShape = nullptr, *m_body1Shape = nullptr, *m_body2Shape = nullptr,
            *m_shoulderShape = nullptr, *m_frontLegShape = nullptr, *m_frontFootShape = nullptr,
            *m_farShoulderShape = nullptr, *m_farFrontLegShape = nullptr, *m_farFrontFootShape = nullptr,
            *m_farHaunchShape = nullptr, *m_farBackLegShape = nullptr, *m_farBackFootShape = nullptr,
            *m_tailShape = nullptr, *m_haunchShape = nullptr, *m_backLegShape = nullptr,
            *m_backFootShape = nullptr;
};
