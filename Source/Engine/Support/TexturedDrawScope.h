#pragma once
// The GL state of one textured, tinted draw. Textured drawing stays on afterwards (the node
// tree restores the resting state before any other kind of draw); only a blend function of
// the node's own is put back at once.

#include "Engine/Support/Color.h"
#include "Engine/Support/GLState.h"

#include <GLES/gl.h>

class TexturedDrawScope {
public:
    TexturedDrawScope(Color3B color, GLubyte opacity, BlendFunc blend, bool opaque = false)
        : m_customBlend(blend != kBlendFuncDefault)
    {
        GLState::enterTextured();
        GLState::blending(!opaque);
        GLState::color(color.r, color.g, color.b, opacity);
        if (m_customBlend)
            glBlendFunc(blend.src, blend.dst);
    }
    ~TexturedDrawScope()
    {
        if (m_customBlend)
            glBlendFunc(kBlendFuncDefault.src, kBlendFuncDefault.dst);
    }
    TexturedDrawScope(const TexturedDrawScope&) = delete;
    TexturedDrawScope& operator=(const TexturedDrawScope&) = delete;

private:
    bool m_customBlend;
};
