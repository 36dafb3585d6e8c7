#pragma once
// MW_GL_CHECK(call) reports a GL error right after the call in debug builds; in release
// builds it is the bare call.

#include "Engine/Support/Log.h"
#include <GLES/gl.h>

#include <cstdio>

namespace mw::detail {
inline void checkGLError(const char* call, const char* file, int line)
{
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError())
        logLine(LogLevel::Warning, "OpenGL error 0x%04X in %s (%s:%d)", error, call, file, line);
}
} // namespace mw::detail

#ifdef NDEBUG
#define MW_GL_CHECK(call) (call)
#else
#define MW_GL_CHECK(call)                                                                                    \
    do {                                                                                                     \
        call;                                                                                                \
        ::mw::detail::checkGLError(#call, __FILE__, __LINE__);                                               \
    } while (0)
#endif
