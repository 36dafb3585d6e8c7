#include "Classes/cpMouse.h"

#include <gtest/gtest.h>

namespace {

struct World {
    cpSpace* space = cpSpaceNew();
    ~World()
    {
        for (cpShape* s : shapes) {
            cpSpaceRemoveShape(space, s);
            cpShapeFree(s);
        }
        for (cpBody* b : bodies) {
            if (cpBodyGetType(b) != CP_BODY_TYPE_STATIC)
                cpSpaceRemoveBody(space, b);
            cpBodyFree(b);
        }
        cpSpaceFree(space);
    }
    cpBody* box(cpVect pos, double w, double h, int group = 316)
    {
        cpBody* b = cpSpaceAddBody(space, cpBodyNew(1, cpMomentForBox(1, w, h)));
        cpBodySetPosition(b, pos);
        cpShape* s = cpSpaceAddShape(space, cpBoxShapeNew(b, w, h, 0));
        cpShapeSetFilter(s, cpShapeFilterNew(group, CP_ALL_CATEGORIES, CP_ALL_CATEGORIES));
        bodies.push_back(b);
        shapes.push_back(s);
        return b;
    }
    cpBody* ball(cpVect pos, double r)
    {
        cpBody* b = cpBodyNewStatic();
        cpBodySetPosition(b, pos);
        cpShape* s = cpSpaceAddShape(space, cpCircleShapeNew(b, r, cpvzero));
        bodies.push_back(b);
        shapes.push_back(s);
        return b;
    }
    std::vector<cpBody*> bodies;
    std::vector<cpShape*> shapes;
};

} // namespace

TEST(cpMouse, VelocityTakesThirtyPercentOfFingerSpeedAndDecays)
{
    World w;
    cpSpaceSetGravity(w.space, cpvzero);
    cpMouse* m = cpMouseNew(w.space);
    EXPECT_DOUBLE_EQ(cpBodyGetMoment(m->body), 1250.0);
    cpMouseMove(m, cpv(0, 0));
    m->moved = cpvzero;

    cpMouseMove(m, cpv(10, 0));
    cpSpaceStep(w.space, 1.0 / 60.0);
    EXPECT_NEAR(cpBodyGetVelocity(m->body).x, 180.0, 0.01);
    EXPECT_EQ(m->moved.x, 0);
    // The body stays where the finger put it: its position function never integrates.
    EXPECT_DOUBLE_EQ(cpBodyGetPosition(m->body).x, 10.0);

    cpSpaceStep(w.space, 1.0 / 60.0); // finger at rest
    EXPECT_NEAR(cpBodyGetVelocity(m->body).x, 36.0, 0.01);

    cpMouseMove(m, cpv(-90, 200)); // a flick: capped per axis
    cpSpaceStep(w.space, 1.0 / 60.0);
    EXPECT_DOUBLE_EQ(cpBodyGetVelocity(m->body).x, -400.0);
    EXPECT_DOUBLE_EQ(cpBodyGetVelocity(m->body).y, 400.0);
    cpMouseFree(m);
}

TEST(cpMouse, GrabsALimbButNeverABall)
{
    World w;
    cpBody* limb = w.box(cpv(100, 100), 20, 40);
    w.ball(cpv(300, 300), 30);

    cpMouse* m = cpMouseNew(w.space);
    cpMouseMove(m, cpv(300, 300));
    cpMouseGrab(m, 0);
    EXPECT_EQ(m->grabbedBody, nullptr);
    EXPECT_EQ(m->joint1, nullptr);

    cpMouseMove(m, cpv(105, 110));
    cpMouseGrab(m, 0);
    ASSERT_EQ(m->grabbedBody, limb);
    ASSERT_NE(m->joint1, nullptr);
    EXPECT_EQ(cpShapeGetFilter(m->shape).group, 316u);
    // The anchor on the limb is the world offset from the limb to the finger.
    const cpVect anchor = cpPivotJointGetAnchorB(m->joint1);
    EXPECT_DOUBLE_EQ(anchor.x, 5.0);
    EXPECT_DOUBLE_EQ(anchor.y, 10.0);

    cpMouseRelease(m);
    EXPECT_EQ(m->grabbedBody, nullptr);
    EXPECT_EQ(cpShapeGetFilter(m->shape).group, CP_NO_GROUP);
    cpMouseRelease(m); // nothing held: harmless

    cpMouseGrab(m, 0);
    cpMouseFree(m); // frees a held joint too, and leaves only the limb in the space
    int bodies = 0, constraints = 0;
    cpSpaceEachBody(
        w.space, [](cpBody*, void* n) { ++*static_cast<int*>(n); }, &bodies);
    cpSpaceEachConstraint(
        w.space, [](cpConstraint*, void* n) { ++*static_cast<int*>(n); }, &constraints);
    EXPECT_EQ(bodies, 1);
    EXPECT_EQ(constraints, 0);
    cpMouseFree(nullptr);
}

TEST(cpMouse, DraggingMovesTheHeldLimbTowardTheFinger)
{
    World w;
    cpSpaceSetGravity(w.space, cpvzero);
    cpBody* limb = w.box(cpv(0, 0), 10, 10);
    cpMouse* m = cpMouseNew(w.space);
    cpMouseMove(m, cpv(0, 0));
    m->moved = cpvzero;
    cpMouseGrab(m, 0);
    ASSERT_EQ(m->grabbedBody, limb);
    for (int i = 0; i < 60; ++i) {
        cpMouseMove(m, cpv(i + 1.0, 0));
        cpSpaceStep(w.space, 1.0 / 60.0);
    }
    EXPECT_GT(cpBodyGetPosition(limb).x, 40.0);
    cpMouseFree(m);
}
