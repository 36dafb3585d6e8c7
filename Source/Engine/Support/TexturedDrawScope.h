#pragma once
// The GL state of one textured, tinted draw: client arrays, texturing, colour and blend are set
// on entry and put back to the engine's resting state on exit, as every drawing routine must.

#include "Engine/Support/Color.h"

#include <GLES/gl.h>

class TexturedDrawScope {
public:
    TexturedDrawScope(Color3B color, GLubyte opacity, BlendFunc blend)
        : m_customBlend(blend != kBlendFuncDefault)
    {
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnable(GL_TEXTURE_2D);
        glColor4ub(color.r, color.g, color.b, opacity);
        if (m_customBlend)
            glBlendFunc(blend.src, blend.dst);
    }
    ~TexturedDrawScope()
    {
        if (m_customBlend)
            glBlendFunc(kBlendFuncDefault.src, kBlendFuncDefault.dst);
        glColor4ub(255, 255, 255, 255);
        glDisable(GL_TEXTURE_2D);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
    }
    TexturedDrawScope(const TexturedDrawScope&) = delete;
    TexturedDrawScope& operator=(const TexturedDrawScope&) = delete;

private:
    bool m_customBlend;
};
