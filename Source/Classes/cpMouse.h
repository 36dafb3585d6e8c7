#pragma once
// The touch mouse: a small body that follows the finger through the physics space and pins
// whatever movable body it is over with a pivot joint, so limbs can be dragged and flung.
// Written as plain records and functions in the physics library's style.

#include <chipmunk/chipmunk.h>

struct cpMouse {
    cpBody* body; // owned: mass 100, follows the finger, never integrates itself
    cpShape* shape; // owned: radius 5
    cpConstraint* joint1; // owned: pivot to the grabbed body, or null
    cpConstraint* joint2; // owned: unused second slot, always null
    cpSpace* space; // not owned
    cpBody* grabbedBody; // the body held, or null
    cpVect moved; // finger movement since the last physics step
};

cpMouse* cpMouseNew(cpSpace* space);
cpMouse* cpMouseInit(cpMouse* mouse, cpSpace* space);
void cpMouseMove(cpMouse* mouse, cpVect point);
// Lets go, then picks up the movable body under the mouse, if any. Only mode 0 exists.
void cpMouseGrab(cpMouse* mouse, int mode);
void cpMouseRelease(cpMouse* mouse);
void cpMouseDestroy(cpMouse* mouse);
// Null is allowed.
void cpMouseFree(cpMouse* mouse);
