#pragma once
// A rocker seen from the side, the rear arm ending in a wide, heavy hand part that carries a
// strap. The figure's local frame sits (45, 75) below and left of its parts' origins, so some
// parts have negative local coordinates.

#include "Classes/Ragdoll.h"

class Sprite;

class Rocker : public Ragdoll {
public:
    static const RagdollClass& ragdollClass();
    static CGSize size() { return CGSizeMake(104, 220); }
    static Ref<Sprite> headSprite();

    const char* className() const override { return "Rocker"; }
    bool initWithSpace(cpSpace* space, CGPoint position, GameLayer* gameLayer) override;
    void addSpritesToLayer(Layer* layer) override;

private:
    // Decided once at creation: a custom face moves the head and the neck, and swaps the chest
    // picture for one without the hair that would cover the face.
    bool m_customFace = false;
    cpBody *m_strapBody = nullptr, *m_rearHandBody = nullptr, *m_rearForearmBody = nullptr,
           *m_rearBicepBody = nullptr, *m_chestBody = nullptr, *m_headBody = nullptr,
           *m_frontBicepBody = nullptr, *m_frontForearmBody = nullptr, *m_frontHandBody = nullptr,
           *m_stomachBody = nullptr, *m_thighBody = nullptr, *m_rearThighBody = nullptr,
           *m_frontCalfBody = nullptr, *m_rearCalfBody = nullptr, *m_frontFootBody = nullptr,
           *m_rearFootBody = nullptr;
    cpShape *m_strapShape = nullptr, *m_rearHandShape = nullptr, *m_rearForearmShape = nullptr,
            *m_rearBicepShape = nullptr, *m_chestShape = nullptr, *m_headShape = nullptr,
            *m_frontBicepShape = nullptr, *m_frontForearmShape = nullptr, *m_frontHandShape = nullptr,
            *m_stomachShape = nullptr, *m_thighShape = nullptr, *m_rearThighShape = nullptr,
            *m_frontCalfShape = nullptr, *m_rearCalfShape = nullptr, *m_frontFootShape = nullptr,
            *m_rearFootShape = nullptr;
};
