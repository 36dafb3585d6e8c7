#include "Classes/cpMouse.h"

#include <cmath>
#include <cstdlib>

namespace {

// Keeps 20% of the previous velocity and takes 30% of the finger's speed over the last step;
// the float roundings match the game's tuning.
float mouseVelocityComponent(float v, float moved, cpFloat dt)
{
    const float kept = static_cast<float>(v * static_cast<double>(0.2f));
    const float fingerSpeed = static_cast<float>(moved * (1.0 / dt));
    float result = static_cast<float>(kept + static_cast<float>(fingerSpeed * static_cast<double>(0.3f)));
    if (!std::isfinite(result))
        result = 0; // a zero or broken time step must not hand the physics a NaN
    if (std::abs(static_cast<long long>(result)) > 400)
        result = result > 0 ? 400.0f : -400.0f;
    return result;
}

void mouseUpdateVelocity(cpBody* body, cpVect, cpFloat, cpFloat dt)
{
    cpMouse* mouse = static_cast<cpMouse*>(cpBodyGetUserData(body));
    const cpVect v = cpBodyGetVelocity(body);
    cpBodySetVelocity(body,
        cpv(mouseVelocityComponent(static_cast<float>(v.x), static_cast<float>(mouse->moved.x), dt),
            mouseVelocityComponent(static_cast<float>(v.y), static_cast<float>(mouse->moved.y), dt)));
    mouse->moved = cpvzero;
}

// The mouse is moved by hand; the library must not integrate it.
void mouseUpdatePosition(cpBody*, cpFloat) { }

void mouseOver(cpShape* candidate, void* data)
{
    cpMouse* mouse = static_cast<cpMouse*>(data);
    cpBody* body = cpShapeGetBody(candidate);
    // Balls sit on static bodies and cannot be grabbed.
    if (cpBodyGetType(body) == CP_BODY_TYPE_STATIC || body == mouse->body)
        return;
    const cpBB a = cpShapeGetBB(mouse->shape);
    const cpBB b = cpShapeGetBB(candidate);
    const bool overlap = a.l <= b.r && b.l <= a.r && a.b <= b.t && b.b <= a.t;
    if (!overlap)
        return;
    mouse->grabbedBody = body;
    cpShapeFilter filter = cpShapeGetFilter(mouse->shape);
    filter.group = cpShapeGetFilter(candidate).group;
    cpShapeSetFilter(mouse->shape, filter);
}

} // namespace

cpMouse* cpMouseNew(cpSpace* space)
{
    cpMouse* mouse = static_cast<cpMouse*>(std::malloc(sizeof(cpMouse)));
    return mouse ? cpMouseInit(mouse, space) : nullptr;
}

cpMouse* cpMouseInit(cpMouse* mouse, cpSpace* space)
{
    mouse->space = space;
    mouse->grabbedBody = nullptr;
    mouse->moved = cpvzero;
    mouse->body = cpBodyNew(100.0, cpMomentForCircle(100.0, 0.0, 5.0, cpvzero));
    cpBodySetVelocityUpdateFunc(mouse->body, mouseUpdateVelocity);
    cpBodySetPositionUpdateFunc(mouse->body, mouseUpdatePosition);
    cpBodySetUserData(mouse->body, mouse);
    mouse->shape = cpCircleShapeNew(mouse->body, 5.0, cpvzero);
    mouse->joint1 = nullptr;
    mouse->joint2 = nullptr;
    cpSpaceAddBody(space, mouse->body);
    cpSpaceAddShape(space, mouse->shape);
    return mouse;
}

void cpMouseMove(cpMouse* mouse, cpVect point)
{
    const cpVect position = cpBodyGetPosition(mouse->body);
    mouse->moved = cpvadd(mouse->moved, cpvsub(point, position));
    cpBodySetPosition(mouse->body, point);
}

void cpMouseGrab(cpMouse* mouse, int)
{
    cpMouseRelease(mouse);
    mouse->grabbedBody = nullptr;
    cpShapeCacheBB(mouse->shape);
    cpSpaceBBQuery(mouse->space, cpShapeGetBB(mouse->shape), CP_SHAPE_FILTER_ALL, mouseOver, mouse);
    if (!mouse->grabbedBody)
        return;
    const cpVect d = cpvsub(cpBodyGetPosition(mouse->body), cpBodyGetPosition(mouse->grabbedBody));
    mouse->joint1 = cpPivotJointNew2(mouse->body, mouse->grabbedBody, cpvzero, d);
    cpSpaceAddConstraint(mouse->space, mouse->joint1);
}

void cpMouseRelease(cpMouse* mouse)
{
    if (!mouse->joint1)
        return;
    cpSpaceRemoveConstraint(mouse->space, mouse->joint1);
    cpConstraintFree(mouse->joint1);
    if (mouse->joint2) {
        cpSpaceRemoveConstraint(mouse->space, mouse->joint2);
        cpConstraintFree(mouse->joint2);
    }
    mouse->joint1 = nullptr;
    mouse->joint2 = nullptr;
    mouse->grabbedBody = nullptr;
    cpShapeFilter filter = cpShapeGetFilter(mouse->shape);
    filter.group = CP_NO_GROUP;
    cpShapeSetFilter(mouse->shape, filter);
}

void cpMouseDestroy(cpMouse* mouse)
{
    cpMouseRelease(mouse);
    cpSpaceRemoveShape(mouse->space, mouse->shape);
    cpSpaceRemoveBody(mouse->space, mouse->body);
    cpShapeFree(mouse->shape);
    cpBodyFree(mouse->body);
}

void cpMouseFree(cpMouse* mouse)
{
    if (!mouse)
        return;
    cpMouseDestroy(mouse);
    std::free(mouse);
}
