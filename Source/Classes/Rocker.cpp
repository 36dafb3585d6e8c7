#include "Classes/Rocker.h"

#include "Engine/Layer.h"
#include "Engine/Sprite.h"

#include <utility>

const RagdollClass& Rocker::ragdollClass()
{
    static const RagdollClass cls { "Rocker", &Rocker::size, [] { return Ref<Ragdoll>(make<Rocker>()); },
        &Rocker::headSprite, "Rocker_HeadCropperMatte.png", "Rocker_HeadCropperAlphaMask.png" };
    return cls;
}

Ref<Sprite> Rocker::headSprite() { return headSpriteFromConfig("Rocker_Head.png"); }

bool Rocker::initWithSpace(cpSpace* space, CGPoint position, GameLayer* gameLayer)
{
    if (!Ragdoll::initWithSpace(space, position, gameLayer))
        return false;
    m_customFace = hasCustomFace();

    auto box = [this](cpBody* body, cpFloat w, cpFloat h) {
        return addPolygon(body, { cpv(0, 0), cpv(0, h), cpv(w, h), cpv(w, 0) });
    };

    m_strapBody = addBody("strap", 0.3, momentForBox(0.3, 8, 4), cpv(-36, 125));
    m_strapShape = box(m_strapBody, 8, 4);

    m_rearHandBody = addBody("rearHand", 8, momentForBox(8, 104, 32), cpv(-31, 107));
    m_rearHandShape = box(m_rearHandBody, 104, 32);
    addJointPair(m_rearHandBody, m_strapBody, cpv(6, 16), cpv(6, 2), -35, 20);

    m_rearForearmBody = addBody("rearForearm", 3, momentForBox(3, 11, 38), cpv(10, 82));
    m_rearForearmShape = box(m_rearForearmBody, 11, 38);
    addJointPair(m_rearHandBody, m_rearForearmBody, cpv(46, 12), cpv(5, 35), -35, 20);

    m_rearBicepBody = addBody("rearBicep", 4, momentForBox(4, 17, 32), cpv(12, 54));
    m_rearBicepShape = box(m_rearBicepBody, 17, 32);
    addJointPair(m_rearForearmBody, m_rearBicepBody, cpv(6, 4), cpv(4, 28), 0, 120);

    m_chestBody = addBody("chest", 10, momentForBox(10, 31, 69), cpv(8, 18));
    m_chestShape = box(m_chestBody, 31, 69);
    setMainBody(m_chestBody);
    // The upper arms are the first part here: the limits bound the chest against the arm.
    addJointPair(m_rearBicepBody, m_chestBody, cpv(9, 8), cpv(15, 41), -210, 5);

    m_headBody = addBody("head", 6.5, momentForBox(6.5, 27, 29), m_customFace ? cpv(4, 61) : cpv(2, 67));
    m_headShape = box(m_headBody, 27, 29);
    addJointPair(m_chestBody, m_headBody, m_customFace ? cpv(12, 45) : cpv(10, 53), cpv(15, 5), -45, 15);

    m_frontBicepBody = addBody("frontBicep", 4, momentForBox(4, 19, 39), cpv(8, 54));
    m_frontBicepShape = box(m_frontBicepBody, 19, 39);
    addJointPair(m_frontBicepBody, m_chestBody, cpv(13, 6), cpv(15, 41), -210, 10);

    m_frontForearmBody = addBody("frontForearm", 3, momentForBox(3, 13, 34), cpv(9, 80));
    m_frontForearmShape = box(m_frontForearmBody, 13, 34);
    addJointPair(m_frontBicepBody, m_frontForearmBody, cpv(6, 34), cpv(6, 4), -110, 15);

    // The fist narrows toward its lower right corner: (23,0), not (27,0).
    const cpVect hand[4] = { cpv(0, 0), cpv(0, 23), cpv(27, 23), cpv(23, 0) };
    m_frontHandBody = addBody("frontHand", 1.25, cpMomentForPoly(1.25, 4, hand, cpvzero, 0.0), cpv(6, 109));
    m_frontHandShape = addPolygon(m_frontHandBody, { hand[0], hand[1], hand[2], hand[3] });
    addJointPair(m_frontForearmBody, m_frontHandBody, cpv(9, 31), cpv(12, 3), -35, 20);

    m_stomachBody = addBody("stomach", 10, momentForBox(10, 27, 39), cpv(6, -5));
    m_stomachShape = box(m_stomachBody, 27, 39);
    addJointPair(m_chestBody, m_stomachBody, cpv(11, 10), cpv(12, 35), -10, 10);

    m_thighBody = addBody("thigh", 4, momentForBox(4, 24, 54), cpv(8, -37));
    m_thighShape = box(m_thighBody, 24, 54);
    addJointPair(m_stomachBody, m_thighBody, cpv(17, 13), cpv(14, 44), -145, 20);

    m_rearThighBody = addBody("rearThigh", 4, momentForBox(4, 24, 54), cpv(8, -37));
    m_rearThighShape = box(m_rearThighBody, 24, 54);
    addJointPair(m_stomachBody, m_rearThighBody, cpv(16, 14), cpv(14, 44), -145, 20);

    m_frontCalfBody = addBody("frontCalf", 3, momentForBox(3, 17, 56), cpv(14, -81));
    m_frontCalfShape = box(m_frontCalfBody, 17, 56);
    addJointPair(m_thighBody, m_frontCalfBody, cpv(14, 7), cpv(8, 50), 0, 135);

    m_rearCalfBody = addBody("rearCalf", 3, momentForBox(3, 17, 56), cpv(14, -80));
    m_rearCalfShape = box(m_rearCalfBody, 17, 56);
    addJointPair(m_rearThighBody, m_rearCalfBody, cpv(14, 8), cpv(8, 50), 0, 135);

    m_frontFootBody = addBody("frontFoot", 0.5, momentForBox(0.5, 29, 12), cpv(1, -85));
    m_frontFootShape = box(m_frontFootBody, 29, 12);
    addJointPair(m_frontCalfBody, m_frontFootBody, cpv(9, 4), cpv(21, 8), -25, 45);

    m_rearFootBody = addBody("rearFoot", 0.5, momentForBox(0.5, 29, 12), cpv(1, -84));
    m_rearFootShape = box(m_rearFootBody, 29, 12);
    addJointPair(m_rearCalfBody, m_rearFootBody, cpv(9, 5), cpv(21, 8), -25, 45);

    setDrawOrder({ m_strapShape, m_rearHandShape, m_rearForearmShape, m_rearBicepShape, m_chestShape,
        m_headShape, m_frontBicepShape, m_frontForearmShape, m_frontHandShape, m_stomachShape, m_thighShape,
        m_frontCalfShape, m_frontFootShape, m_rearThighShape, m_rearCalfShape, m_rearFootShape });
    shiftBodies(CGPointMake(position.x + 45, position.y + 75));
    return true;
}

void Rocker::addSpritesToLayer(Layer* layer)
{
    auto part = [](const char* file) {
        Ref<Sprite> sprite = Sprite::spriteWithFile(file);
        sprite->setAnchorPoint(CGPointMake(0, 0));
        return sprite;
    };
    Ref<Sprite> strap = part("Rocker_Strap.png"), rearHand = part("Rocker_Hand_Rear.png"),
                rearForearm = part("Rocker_Forearm_Rear.png"), rearBicep = part("Rocker_Bicep_Rear.png");
    Ref<Sprite> chest = part(m_customFace ? "Rocker_Chest_No_Hair.png" : "Rocker_Chest.png");
    Ref<Sprite> head = Rocker::headSprite();
    head->setAnchorPoint(CGPointMake(0, 0));
    Ref<Sprite> frontBicep = part("Rocker_Bicep_Front.png"), frontForearm = part("Rocker_Forearm_Front.png"),
                frontHand = part("Rocker_Hand_Front.png"), stomach = part("Rocker_Stomach.png");
    Ref<Sprite> thigh = part("Rocker_Thigh.png"), frontCalf = part("Rocker_Calf.png"),
                frontFoot = part("Rocker_Foot.png");
    Ref<Sprite> rearThigh = part("Rocker_Thigh.png"), rearCalf = part("Rocker_Calf.png"),
                rearFoot = part("Rocker_Foot.png");

    // The chest covers the lower edge of a custom face; the drawn head has its hair over the chest.
    Sprite* neck[2] = { chest, head };
    if (m_customFace)
        std::swap(neck[0], neck[1]);
    for (Sprite* s : { strap.get(), rearBicep.get(), rearForearm.get(), rearHand.get(), rearThigh.get(),
             rearFoot.get(), rearCalf.get(), neck[0], neck[1], stomach.get(), thigh.get(), frontFoot.get(),
             frontCalf.get(), frontBicep.get(), frontForearm.get(), frontHand.get() })
        layer->addChild(s);

    bindSprite(strap, m_strapBody);
    bindSprite(rearHand, m_rearHandBody);
    bindSprite(rearForearm, m_rearForearmBody);
    bindSprite(rearBicep, m_rearBicepBody);
    bindSprite(chest, m_chestBody);
    bindSprite(head, m_headBody);
    bindSprite(frontBicep, m_frontBicepBody);
    bindSprite(frontForearm, m_frontForearmBody);
    bindSprite(frontHand, m_frontHandBody);
    bindSprite(stomach, m_stomachBody);
    bindSprite(thigh, m_thighBody);
    bindSprite(frontCalf, m_frontCalfBody);
    bindSprite(frontFoot, m_frontFootBody);
    bindSprite(rearThigh, m_rearThighBody);
    bindSprite(rearCalf, m_rearCalfBody);
    bindSprite(rearFoot, m_rearFootBody);
    updateSprites();
}
