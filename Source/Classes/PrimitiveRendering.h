#pragma once
// Physics shapes drawn as white outlines (the wireframe display options).

struct cpShape;

// Leaves the current colour white.
void drawShape(cpShape* shape);
