#include "Classes/Dog.h"

#include "Engine/Layer.h"
#include "Engine/Sprite.h"

const RagdollClass& Dog::ragdollClass()
{
    static const RagdollClass cls { "Dog", &Dog::size, [] { return Ref<Ragdoll>(make<Dog>()); },
        &Dog::headSprite, "Dog_HeadCropperMatte.png", "Dog_HeadCropperAlphaMask.png" };
    return cls;
}

Ref<Sprite> Dog::headSprite() { return headSpriteFromConfig("DogHead.png"); }

bool Dog::initWithSpace(cpSpace* space, CGPoint position, GameLayer* gameLayer)
{
    if (!Ragdoll::initWithSpace(space, position, gameLayer))
        return false;
    const bool customFace = hasCustomFace();

    // Every part is a box from its picture's lower-left corner.
    auto box = [this](cpBody* body, cpFloat w, cpFloat h) {
        return addPolygon(body, { cpv(0, 0), cpv(0, h), cpv(w, h), cpv(w, 0) });
    };

    m_headBody = addBody("head", 7, momentForBox(7, 55, 34), cpv(20, 20));
    m_headShape = box(m_headBody, 55, 34);

    if (!customFace) {
        m_jawBody = addBody("jaw", 0.02, momentForBox(0.02, 19, 7), cpv(23, 21));
        m_jawShape = box(m_jawBody, 19, 7);
        addJointPair(m_headBody, m_jawBody, cpv(21, 3), cpv(17, 3.5), 5, 40);
    }

    m_body1Body = addBody("body1", 10, momentForBox(10, 75, 64), cpv(45, 18));
    m_body1Shape = box(m_body1Body, 75, 64);
    setMainBody(m_body1Body);
    if (customFace)
        addJointPair(m_headBody, m_body1Body, cpv(40, 15), cpv(10, 29), -60, 30);
    else
        addJointPair(m_headBody, m_body1Body, cpv(39, 15), cpv(10, 20), -60, 30);

    m_body2Body = addBody("body2", 10, momentForBox(10, 80, 41), cpv(84, 42));
    m_body2Shape = box(m_body2Body, 80, 41);
    addJointPair(m_body1Body, m_body2Body, cpv(63, 35), cpv(24, 8), -20, 0);

    m_shoulderBody = addBody("shoulder", 4, momentForBox(4, 33, 27), cpv(50, 22));
    m_shoulderShape = box(m_shoulderBody, 33, 27);
    addJointPair(m_body1Body, m_shoulderBody, cpv(32, 19), cpv(22, 15), 0, 100);

    m_farShoulderBody = addBody("farShoulder", 4, momentForBox(4, 33, 27), cpv(45, 21));
    m_farShoulderShape = box(m_farShoulderBody, 33, 27);
    addJointPair(m_body1Body, m_farShoulderBody, cpv(37, 20), cpv(22, 15), 0, 100);

    m_frontLegBody = addBody("frontLeg", 4, momentForBox(4, 50, 27), cpv(19, 22));
    m_frontLegShape = box(m_frontLegBody, 50, 27);
    addJointPair(m_shoulderBody, m_frontLegBody, cpv(7, 15), cpv(38, 15), 10, 30);

    m_farFrontLegBody = addBody("farFrontLeg", 4, momentForBox(4, 50, 27), cpv(20, 21));
    m_farFrontLegShape = box(m_farFrontLegBody, 50, 27);
    addJointPair(m_farShoulderBody, m_farFrontLegBody, cpv(13, 15), cpv(38, 15), 10, 30);

    m_frontFootBody = addBody("frontFoot", 0.05, momentForBox(0.05, 50, 27), cpv(0, 23));
    m_frontFootShape = box(m_frontFootBody, 50, 27);
    addJointPair(m_frontLegBody, m_frontFootBody, cpv(3, 13), cpv(22, 12), -40, 35);

    m_farFrontFootBody = addBody("farFrontFoot", 0.05, momentForBox(0.05, 50, 27), cpv(6, 22));
    m_farFrontFootShape = box(m_farFrontFootBody, 50, 27);
    addJointPair(m_farFrontLegBody, m_farFrontFootBody, cpv(8, 13), cpv(22, 12), -40, 35);

    m_tailBody = addBody("tail", 1, momentForBox(1, 47, 19), cpv(150, 48));
    m_tailShape = box(m_tailBody, 47, 19);
    addJointPair(m_body2Body, m_tailBody, cpv(70, 14), cpv(4, 8), -90, 60);

    m_haunchBody = addBody("haunch", 4, momentForBox(4, 59, 37), cpv(135, 43));
    m_haunchShape = box(m_haunchBody, 59, 37);
    addJointPair(m_body2Body, m_haunchBody, cpv(56, 18), cpv(5, 17), -130, -5);

    m_farHaunchBody = addBody("farHaunch", 4, momentForBox(4, 59, 37), cpv(130, 44));
    m_farHaunchShape = box(m_farHaunchBody, 59, 37);
    addJointPair(m_body2Body, m_farHaunchBody, cpv(51, 19), cpv(5, 17), -130, -5);

    m_backLegBody = addBody("backLeg", 4, momentForBox(4, 59, 37), cpv(174, 49));
    m_backLegShape = box(m_backLegBody, 59, 37);
    addJointPair(m_haunchBody, m_backLegBody, cpv(48, 19), cpv(9, 13), -90, 0);

    m_farBackLegBody = addBody("farBackLeg", 4, momentForBox(4, 59, 37), cpv(164, 51));
    m_farBackLegShape = box(m_farBackLegBody, 59, 37);
    addJointPair(m_farHaunchBody, m_farBackLegBody, cpv(43, 20), cpv(9, 13), -90, 0);

    m_backFootBody = addBody("backFoot", 4, momentForBox(4, 33, 18), cpv(207, 52));
    m_backFootShape = box(m_backFootBody, 33, 18);
    addJointPair(m_backLegBody, m_backFootBody, cpv(40, 12), cpv(7, 9), -20, 0);

    m_farBackFootBody = addBody("farBackFoot", 4, momentForBox(4, 33, 18), cpv(192, 55));
    m_farBackFootShape = box(m_farBackFootBody, 33, 18);
    addJointPair(m_farBackLegBody, m_farBackFootBody, cpv(35, 13), cpv(7, 9), -20, 0);

    std::vector<cpShape*> order = { m_farShoulderShape, m_farFrontLegShape, m_farFrontFootShape,
        m_farHaunchShape, m_farBackLegShape, m_farBackFootShape, m_headShape };
    if (m_jawShape)
        order.push_back(m_jawShape);
    for (cpShape* shape : { m_body1Shape, m_body2Shape, m_shoulderShape, m_frontLegShape, m_frontFootShape,
             m_haunchShape, m_tailShape, m_backLegShape, m_backFootShape })
        order.push_back(shape);
    setDrawOrder(std::move(order));
    shiftBodies(position);
    return true;
}

void Dog::addSpritesToLayer(Layer* layer)
{
    auto part = [layer](const char* file) {
        Ref<Sprite> sprite = Sprite::spriteWithFile(file);
        sprite->setAnchorPoint(CGPointMake(0, 0));
        layer->addChild(sprite);
        return sprite;
    };
    auto head = [layer] {
        Ref<Sprite> sprite = Dog::headSprite();
        sprite->setAnchorPoint(CGPointMake(0, 0));
        layer->addChild(sprite);
        return sprite;
    };
    Ref<Sprite> farHaunch = part("DogHaunch.png"), farBackLeg = part("DogBackLeg.png"),
                farBackFoot = part("DogBackFoot.png");
    Ref<Sprite> farShoulder = part("DogFrontShoulder.png"), farFrontLeg = part("DogFrontLeg.png"),
                farFrontFoot = part("DogFrontFoot.png");
    // The trunk hides the cut edge at the back of a custom face; the drawn head has its own
    // neck and lies over the trunk, under the jaw it opens.
    Ref<Sprite> headSprite = m_jawBody ? nullptr : head();
    Ref<Sprite> body2 = part("DogBody2.png"), body1 = part("DogBody1.png");
    Ref<Sprite> jaw;
    if (m_jawBody) {
        headSprite = head();
        jaw = part("DogJaw.png");
    }
    Ref<Sprite> shoulder = part("DogFrontShoulder.png"), frontLeg = part("DogFrontLeg.png"),
                frontFoot = part("DogFrontFoot.png");
    Ref<Sprite> tail = part("DogTail.png");
    Ref<Sprite> haunch = part("DogHaunch.png"), backLeg = part("DogBackLeg.png"),
                backFoot = part("DogBackFoot.png");

    bindSprite(farShoulder, m_farShoulderBody);
    bindSprite(farFrontLeg, m_farFrontLegBody);
    bindSprite(farFrontFoot, m_farFrontFootBody);
    bindSprite(farHaunch, m_farHaunchBody);
    bindSprite(farBackLeg, m_farBackLegBody);
    bindSprite(farBackFoot, m_farBackFootBody);
    bindSprite(headSprite, m_headBody);
    if (jaw)
        bindSprite(jaw, m_jawBody);
    bindSprite(body1, m_body1Body);
    bindSprite(body2, m_body2Body);
    bindSprite(shoulder, m_shoulderBody);
    bindSprite(frontLeg, m_frontLegBody);
    bindSprite(frontFoot, m_frontFootBody);
    bindSprite(haunch, m_haunchBody);
    bindSprite(tail, m_tailBody);
    bindSprite(backLeg, m_backLegBody);
    bindSprite(backFoot, m_backFootBody);
    updateSprites();
}
