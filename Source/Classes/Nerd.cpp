#include "Classes/Nerd.h"

#include "Classes/Configuration.h"
#include "Engine/Layer.h"
#include "Engine/Sprite.h"
#include "Engine/Support/Texture2D.h"

const RagdollClass& Nerd::ragdollClass()
{
    static const RagdollClass cls { "Nerd", &Nerd::size, [] { return Ref<Ragdoll>(make<Nerd>()); },
        &Nerd::headSprite, "Nerd_HeadCropperMatte.png", "Nerd_HeadCropperAlphaMask.png" };
    return cls;
}

Ref<Sprite> Nerd::headSprite() { return headSpriteFromConfig("Nerd_Head.png"); }

bool Nerd::initWithSpace(cpSpace* space, CGPoint position, GameLayer* gameLayer)
{
    if (!Ragdoll::initWithSpace(space, position, gameLayer))
        return false;

    m_chestBody = addBoxPart("chest", 10, 36, 45, cpv(7, 111), &m_chestShape);
    setMainBody(m_chestBody);

    m_stomachBody = addBoxPart("stomach", 10, 38, 39, cpv(4, 87), &m_stomachShape);
    addJointPair(m_chestBody, m_stomachBody, cpv(18, 8), cpv(21, 32), -35, 20);

    m_headBody = addBody("head", 7, cpMomentForCircle(7, 0, 15.5, cpvzero), cpv(15.5, 155.5));
    m_headShape = addCircle(m_headBody, 15.5);
    addJointPair(m_chestBody, m_headBody, cpv(20, 40), cpv(8, -7.5), -30, 20);

    m_bicep1Body = addBoxPart("bicep1", 4, 20, 39, cpv(20, 133), &m_bicep1Shape);
    addJointPair(m_chestBody, m_bicep1Body, cpv(23, 29), cpv(10, 6), -40, 235);

    m_bicep2Body = addBoxPart("bicep2", 4, 20, 39, cpv(24, 133), &m_bicep2Shape);
    addJointPair(m_chestBody, m_bicep2Body, cpv(27, 29), cpv(10, 6), -40, 235);

    m_forearm1Body = addBoxPart("forearm1", 3, 18, 61, cpv(21, 160), &m_forearm1Shape);
    addJointPair(m_bicep1Body, m_forearm1Body, cpv(10, 34), cpv(9, 4), -120, 20);

    m_forearm2Body = addBoxPart("forearm2", 3, 18, 61, cpv(25, 160), &m_forearm2Shape);
    addJointPair(m_bicep2Body, m_forearm2Body, cpv(10, 34), cpv(9, 4), -120, 20);

    m_thigh1Body = addBoxPart("thigh1", 4, 31, 53, cpv(8, 45), &m_thigh1Shape);
    addJointPair(m_stomachBody, m_thigh1Body, cpv(19.5, 6), cpv(15.5, 50), -120, 20);

    m_thigh2Body = addBoxPart("thigh2", 4, 31, 53, cpv(12, 45), &m_thigh2Shape);
    addJointPair(m_stomachBody, m_thigh2Body, cpv(23.5, 6), cpv(15.5, 50), -120, 20);

    m_calf1Body = addBoxPart("calf1", 3, 23, 44, cpv(15, 12), &m_calf1Shape);
    addJointPair(m_thigh1Body, m_calf1Body, cpv(17, 7), cpv(13, 37), -10, 140);

    m_calf2Body = addBoxPart("calf2", 3, 23, 44, cpv(15, 12), &m_calf2Shape);
    addJointPair(m_thigh2Body, m_calf2Body, cpv(17, 7), cpv(13, 37), -10, 140);

    // An L-shaped foot: sole and instep, the moment taken from the whole box.
    m_foot1Body = addBody("foot1", 0.5, momentForBox(0.5, 31, 18), cpv(6, 0));
    m_footUpper1Shape = addPolygon(m_foot1Body, { cpv(12, 11), cpv(12, 18), cpv(31, 18), cpv(31, 11) });
    m_footLower1Shape = addPolygon(m_foot1Body, { cpv(0, 0), cpv(0, 10), cpv(31, 10), cpv(31, 0) });
    addJointPair(m_calf1Body, m_foot1Body, cpv(11.5, 3), cpv(21.5, 15), -25, 60);

    m_foot2Body = addBody("foot2", 0.5, momentForBox(0.5, 31, 18), cpv(6, 0));
    m_footUpper2Shape = addPolygon(m_foot2Body, { cpv(12, 11), cpv(12, 18), cpv(31, 18), cpv(31, 11) });
    m_footLower2Shape = addPolygon(m_foot2Body, { cpv(0, 0), cpv(0, 10), cpv(31, 10), cpv(31, 0) });
    addJointPair(m_calf2Body, m_foot2Body, cpv(11.5, 3), cpv(21.5, 15), -25, 60);

    setDrawOrder({ m_bicep1Shape, m_forearm1Shape, m_thigh1Shape, m_calf1Shape, m_footUpper1Shape,
        m_footLower1Shape, m_stomachShape, m_chestShape, m_headShape, m_thigh2Shape, m_calf2Shape,
        m_footUpper2Shape, m_footLower2Shape, m_bicep2Shape, m_forearm2Shape });
    shiftBodies(position);
    return true;
}

void Nerd::addSpritesToLayer(Layer* layer)
{
    auto part = [](const char* file) {
        Ref<Sprite> sprite = Sprite::spriteWithFile(file);
        sprite->setAnchorPoint(CGPointMake(0, 0));
        return sprite;
    };
    Ref<Sprite> bicep1 = part("Nerd_Bicep.png"), forearm1 = part("Nerd_Forearm.png");
    Ref<Sprite> thigh1 = part("Nerd_Thigh.png"), calf1 = part("Nerd_Calf.png"), foot1 = part("Nerd_Foot.png");
    Ref<Sprite> head = Nerd::headSprite(); // circular part: keeps the centre anchor
    Ref<Sprite> chest = part("Nerd_Chest.png"), stomach = part("Nerd_Stomach.png");
    Ref<Sprite> thigh2 = part("Nerd_Thigh.png"), calf2 = part("Nerd_Calf.png"), foot2 = part("Nerd_Foot.png");
    Ref<Sprite> bicep2 = part("Nerd_Bicep.png"), forearm2 = part("Nerd_Forearm.png");

    // Drawing order: later children are drawn over earlier ones; the chest covers the neck.
    for (Sprite* s :
        { bicep1.get(), forearm1.get(), thigh1.get(), calf1.get(), foot1.get(), head.get(), chest.get(),
            stomach.get(), thigh2.get(), calf2.get(), foot2.get(), bicep2.get(), forearm2.get() })
        layer->addChild(s);

    bindSprite(bicep1, m_bicep1Body);
    bindSprite(forearm1, m_forearm1Body);
    bindSprite(thigh1, m_thigh1Body);
    bindSprite(calf1, m_calf1Body);
    bindSprite(foot1, m_foot1Body);
    bindSprite(chest, m_chestBody);
    bindSprite(stomach, m_stomachBody);
    bindSprite(head, m_headBody);
    bindSprite(thigh2, m_thigh2Body);
    bindSprite(calf2, m_calf2Body);
    bindSprite(foot2, m_foot2Body);
    bindSprite(bicep2, m_bicep2Body);
    bindSprite(forearm2, m_forearm2Body);
    updateSprites();
}
