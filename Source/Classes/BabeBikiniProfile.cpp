#include "Classes/BabeBikiniProfile.h"

#include "Engine/Layer.h"
#include "Engine/Sprite.h"

const RagdollClass& BabeBikiniProfile::ragdollClass()
{
    static const RagdollClass cls { "BabeBikiniProfile", &BabeBikiniProfile::size,
        [] { return Ref<Ragdoll>(make<BabeBikiniProfile>()); }, &BabeBikiniProfile::headSprite,
        "BabeBikiniProfile_HeadCropperMatte.png", "BabeBikiniProfile_HeadCropperAlphaMask.png" };
    return cls;
}

Ref<Sprite> BabeBikiniProfile::headSprite() { return headSpriteFromConfig("BabeBikiniProfile_Head.png"); }

bool BabeBikiniProfile::initWithSpace(cpSpace* space, CGPoint position, GameLayer* gameLayer)
{
    if (!Ragdoll::initWithSpace(space, position, gameLayer))
        return false;
    m_customFace = hasCustomFace();

    m_chestBody = addBoxPart("chest", 10, 26, 43, cpv(7, 104), &m_chestShape);
    setMainBody(m_chestBody);

    m_boobBody = addBody("boob", 10, cpMomentForCircle(10, 0, 11, cpvzero), cpv(12, 127));
    m_boobShape = addCircle(m_boobBody, 11);
    // The bust may slide one point up and down the front of the chest.
    addJoint(cpGrooveJointNew(m_chestBody, m_boobBody, cpv(4, 25), cpv(4, 26), cpv(0, 3)));
    addRotaryLimit(m_chestBody, m_boobBody, -10, 5);

    m_stomachBody = addBoxPart("stomach", 10, 21, 26, cpv(8, 91), &m_stomachShape);
    addJointPair(m_chestBody, m_stomachBody, cpv(11, 7), cpv(10, 20), -35, 20);

    // The hip never bends: the butt keeps the stomach's angle and carries the thighs.
    m_buttBody = addBoxPart("butt", 7, 27, 29, cpv(10, 74), &m_buttShape);
    addJointPair(m_stomachBody, m_buttBody, cpv(11, 7), cpv(9, 24), 0, 0);

    m_headBody = addBody("head", 7, cpMomentForCircle(7, 0, 18.5, cpvzero),
        m_customFace ? cpv(23.5, 152.5) : cpv(21.5, 151.5));
    m_headShape = addCircle(m_headBody, 18.5);
    if (m_customFace)
        addJointPair(m_chestBody, m_headBody, cpv(18, 37), cpv(4, -12.5), -45, 35);
    else
        addJointPair(m_chestBody, m_headBody, cpv(13, 33), cpv(-1, -14.5), -45, 35);

    m_bicep1Body = addBoxPart("bicep1", 4, 18, 41, cpv(17, 131), &m_bicep1Shape);
    addJointPair(m_chestBody, m_bicep1Body, cpv(17, 33), cpv(8, 6), -40, 235);

    m_bicep2Body = addBoxPart("bicep2", 4, 18, 41, cpv(17, 131), &m_bicep2Shape);
    addJointPair(m_chestBody, m_bicep2Body, cpv(17, 33), cpv(8, 6), -40, 235);

    m_forearm1Body = addBoxPart("forearm1", 3, 18, 53, cpv(16, 164), &m_forearm1Shape);
    addJointPair(m_bicep1Body, m_forearm1Body, cpv(8, 37), cpv(9, 4), -120, 15);

    m_forearm2Body = addBoxPart("forearm2", 3, 18, 53, cpv(16, 164), &m_forearm2Shape);
    addJointPair(m_bicep2Body, m_forearm2Body, cpv(8, 37), cpv(9, 4), -120, 15);

    m_thigh1Body = addBoxPart("thigh1", 4, 24, 40, cpv(11, 48), &m_thigh1Shape);
    addJointPair(m_buttBody, m_thigh1Body, cpv(13, 8), cpv(12, 34), -120, 20);

    m_thigh2Body = addBoxPart("thigh2", 4, 24, 40, cpv(11, 48), &m_thigh2Shape);
    addJointPair(m_buttBody, m_thigh2Body, cpv(13, 8), cpv(12, 34), -120, 20);

    m_calf1Body = addBoxPart("calf1", 3, 20, 48, cpv(15, 10), &m_calf1Shape);
    addJointPair(m_thigh1Body, m_calf1Body, cpv(11, 5), cpv(7, 43), -10, 140);

    m_calf2Body = addBoxPart("calf2", 3, 20, 48, cpv(15, 10), &m_calf2Shape);
    addJointPair(m_thigh2Body, m_calf2Body, cpv(11, 5), cpv(7, 43), -10, 140);

    // L-shaped feet like the Nerd's: the moment from the whole box.
    m_foot1Body = addBody("foot1", 0.5, momentForBox(0.5, 27, 17), cpv(7, 0));
    m_footUpper1Shape = addPolygon(m_foot1Body, { cpv(16, 11), cpv(16, 17), cpv(27, 17), cpv(27, 11) });
    m_footLower1Shape = addPolygon(m_foot1Body, { cpv(0, 0), cpv(0, 11), cpv(27, 11), cpv(27, 0) });
    addJointPair(m_calf1Body, m_foot1Body, cpv(12, 4), cpv(20, 14), -25, 25);

    m_foot2Body = addBody("foot2", 0.5, momentForBox(0.5, 27, 17), cpv(7, 0));
    m_footUpper2Shape = addPolygon(m_foot2Body, { cpv(16, 11), cpv(16, 17), cpv(27, 17), cpv(27, 11) });
    m_footLower2Shape = addPolygon(m_foot2Body, { cpv(0, 0), cpv(0, 11), cpv(27, 11), cpv(27, 0) });
    addJointPair(m_calf2Body, m_foot2Body, cpv(12, 4), cpv(20, 14), -25, 25);

    setDrawOrder({ m_bicep1Shape, m_forearm1Shape, m_thigh1Shape, m_calf1Shape, m_footUpper1Shape,
        m_footLower1Shape, m_buttShape, m_stomachShape, m_chestShape, m_boobShape, m_headShape, m_thigh2Shape,
        m_calf2Shape, m_footUpper2Shape, m_footLower2Shape, m_bicep2Shape, m_forearm2Shape });
    shiftBodies(position);
    return true;
}

void BabeBikiniProfile::addSpritesToLayer(Layer* layer)
{
    auto part = [](const char* file) {
        Ref<Sprite> sprite = Sprite::spriteWithFile(file);
        sprite->setAnchorPoint(CGPointMake(0, 0));
        return sprite;
    };
    auto add = [layer](std::initializer_list<Sprite*> sprites) {
        for (Sprite* s : sprites)
            layer->addChild(s);
    };
    Ref<Sprite> bicep1 = part("BabeBikiniProfile_Bicep.png"),
                forearm1 = part("BabeBikiniProfile_Forearm.png");
    add({ bicep1, forearm1 });
    Ref<Sprite> thigh1 = part("BabeBikiniProfile_Thigh.png"), calf1 = part("BabeBikiniProfile_Calf.png"),
                foot1 = part("BabeBikiniProfile_Foot.png");
    add({ thigh1, calf1, foot1 });

    // Circular parts keep the centre anchor. A custom face lies under the torso so the chest
    // hides its cut-off lower edge; the drawn head has its own neck and goes over it.
    Ref<Sprite> head = BabeBikiniProfile::headSprite();
    if (m_customFace)
        add({ head });
    Ref<Sprite> chest = part("BabeBikiniProfile_Chest.png");
    Ref<Sprite> boob = Sprite::spriteWithFile("BabeBikiniProfile_Boob.png");
    Ref<Sprite> stomach = part("BabeBikiniProfile_Stomach.png"), butt = part("BabeBikiniProfile_Butt.png");
    add({ chest, boob, stomach, butt });
    if (!m_customFace)
        add({ head });

    Ref<Sprite> thigh2 = part("BabeBikiniProfile_Thigh.png"), calf2 = part("BabeBikiniProfile_Calf.png"),
                foot2 = part("BabeBikiniProfile_Foot.png");
    add({ thigh2, calf2, foot2 });
    Ref<Sprite> bicep2 = part("BabeBikiniProfile_Bicep.png"),
                forearm2 = part("BabeBikiniProfile_Forearm.png");
    add({ bicep2, forearm2 });

    bindSprite(bicep1, m_bicep1Body);
    bindSprite(forearm1, m_forearm1Body);
    bindSprite(thigh1, m_thigh1Body);
    bindSprite(calf1, m_calf1Body);
    bindSprite(foot1, m_foot1Body);
    bindSprite(chest, m_chestBody);
    bindSprite(boob, m_boobBody);
    bindSprite(stomach, m_stomachBody);
    bindSprite(butt, m_buttBody);
    bindSprite(head, m_headBody);
    bindSprite(thigh2, m_thigh2Body);
    bindSprite(calf2, m_calf2Body);
    bindSprite(foot2, m_foot2Body);
    bindSprite(bicep2, m_bicep2Body);
    bindSprite(forearm2, m_forearm2Body);
    updateSprites();
}
