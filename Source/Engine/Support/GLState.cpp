#include "Engine/Support/GLState.h"

#include <cstring>

namespace GLState {
namespace {

enum class Known { No, Off, On };

struct State {
    Known textured = Known::No;
    Known blend = Known::No;
    bool colorKnown = false;
    GLubyte rgba[4] = { 0, 0, 0, 0 };
    GLuint texture = 0;
    bool textureKnown = false;
    bool pointersOnStream = false;
};
State s_state;

// GL copies client arrays when a draw is made, so slots can be reused as soon as the quad is
// drawn; the ring only saves setting the pointers again.
constexpr int kStreamQuads = 256;
QuadVertex s_stream[kStreamQuads * 4];
int s_nextQuad = 0;

} // namespace

void invalidate() { s_state = State(); }

void afterRestingDraw()
{
    s_state.colorKnown = false;
    s_state.textureKnown = false;
    s_state.pointersOnStream = false;
}

void pointersChanged() { s_state.pointersOnStream = false; }

void enterResting()
{
    if (s_state.textured != Known::Off) {
        glDisable(GL_TEXTURE_2D);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
        s_state.textured = Known::Off;
    }
    blending(true);
    color(255, 255, 255, 255);
    // Resting draws set their own pointers and may bind anything.
    s_state.pointersOnStream = false;
    s_state.textureKnown = false;
}

void enterTextured()
{
    if (s_state.textured == Known::On)
        return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnable(GL_TEXTURE_2D);
    s_state.textured = Known::On;
}

void bindTexture(GLuint name)
{
    if (s_state.textureKnown && s_state.texture == name)
        return;
    glBindTexture(GL_TEXTURE_2D, name);
    s_state.texture = name;
    s_state.textureKnown = true;
}

void color(GLubyte r, GLubyte g, GLubyte b, GLubyte a)
{
    const GLubyte rgba[4] = { r, g, b, a };
    if (s_state.colorKnown && std::memcmp(rgba, s_state.rgba, 4) == 0)
        return;
    glColor4ub(r, g, b, a);
    std::memcpy(s_state.rgba, rgba, 4);
    s_state.colorKnown = true;
}

void blending(bool on)
{
    const Known want = on ? Known::On : Known::Off;
    if (s_state.blend == want)
        return;
    if (on)
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
    s_state.blend = want;
}

void drawQuad(const QuadVertex (&quad)[4])
{
    if (s_nextQuad == kStreamQuads)
        s_nextQuad = 0;
    QuadVertex* slot = s_stream + 4 * s_nextQuad;
    std::memcpy(slot, quad, sizeof quad);
    if (!s_state.pointersOnStream) {
        glVertexPointer(2, GL_FLOAT, sizeof(QuadVertex), &s_stream[0].x);
        glTexCoordPointer(2, GL_FLOAT, sizeof(QuadVertex), &s_stream[0].s);
        s_state.pointersOnStream = true;
    }
    glDrawArrays(GL_TRIANGLE_STRIP, 4 * s_nextQuad, 4);
    ++s_nextQuad;
}

} // namespace GLState
