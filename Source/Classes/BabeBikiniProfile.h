#pragma once
// A woman in a bikini seen in profile: a person like the Nerd with a bust held to the chest by
// a short groove and a hip part whose angle is locked to the stomach. Parts numbered 1 are drawn
// behind the torso, parts numbered 2 in front of it.

#include "Classes/Ragdoll.h"

class Sprite;

class BabeBikiniProfile : public Ragdoll {
public:
    static const RagdollClass& ragdollClass();
    static CGSize size() { return CGSizeMake(37, 217); }
    static Ref<Sprite> headSprite();

    const char* className() const override { return "BabeBikiniProfile"; }
    bool initWithSpace(cpSpace* space, CGPoint position, GameLayer* gameLayer) override;
    void addSpritesToLayer(Layer* layer) override;

private:
    // Decided once at creation: a custom face moves the head and its neck, and goes under the torso.
    bool m_customFace = false;
    cpBody *m_headBody = nullptr, *m_chestBody = nullptr, *m_boobBody = nullptr, *m_bicep1Body = nullptr,
           *m_bicep2Body = nullptr, *m_forearm1Body = nullptr, *m_forearm2Body = nullptr,
           *m_buttBody = nullptr, *m_stomachBody = nullptr, *m_thigh1Body = nullptr, *m_thigh2Body = nullptr,
           *m_calf1Body = nullptr, *m_calf2Body = nullptr, *m_foot1Body = nullptr, *m_foot2Body = nullptr;
    cpShape *m_headShape = nullptr, *m_chestShape = nullptr, *m_boobShape = nullptr, *m_bicep1Shape = nullptr,
            *m_bicep2Shape = nullptr, *m_forearm1Shape = nullptr, *m_forearm2Shape = nullptr,
            *m_buttShape = nullptr, *m_stomachShape = nullptr, *m_thigh1Shape = nullptr,
            *m_thigh2Shape = nullptr, *m_calf1Shape = nullptr, *m_calf2Shape = nullptr,
            *m_footUpper1Shape = nullptr, *m_footUpper2Shape = nullptr, *m_footLower1Shape = nullptr,
            *m_footLower2Shape = nullptr;
};
