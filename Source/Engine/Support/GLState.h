#pragma once
// The GL state between draws, tracked so that a frame of sprites does not switch it per sprite.
//
// Every node draw that is not a picture quad starts from the engine's resting state (client
// arrays off, texturing off, blending on with (ONE, ONE_MINUS_SRC_ALPHA), colour white): the
// node tree restores it before such a draw. Picture quads leave textured drawing on, so a run of
// them pays for the switch once. State changed behind the tracker's back must be reported with
// invalidate().

#include <GLES/gl.h>

namespace GLState {

// Puts GL in the resting state (no calls if it is there already).
void enterResting();
// Vertex and texture-coordinate arrays and texturing on.
void enterTextured();
void bindTexture(GLuint name);
void color(GLubyte r, GLubyte g, GLubyte b, GLubyte a);
void blending(bool on);
// After a draw that started from the resting state: it put the arrays and texturing back,
// but may have left any colour, binding or array pointers.
void afterRestingDraw();
// Someone pointed the vertex or texture-coordinate array elsewhere.
void pointersChanged();
// Forgets what it knew; the next requests set everything again. Whoever sets arrays, texturing,
// colour, the bound texture or blending directly calls this.
void invalidate();

// One textured quad of four (x, y, s, t) vertices, drawn as a triangle strip from a buffer
// shared by all quads, so the array pointers are set once for a run of quads.
struct QuadVertex {
    GLfloat x, y, s, t;
};
void drawQuad(const QuadVertex (&quad)[4]);

} // namespace GLState
