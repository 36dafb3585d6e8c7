#pragma once
// MW_GL_CHECK(call) reports a GL error right after the call in debug builds; in release
// builds it is the bare call.

#include "Platform/Log.h"
#include <GLES/gl.h>

#include <cstdio>

namespace mw::detail {
inline void checkGLError(const char* call, const char* file, int line)
{
    for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError())
        logLine(LogLevel::Warning, "OpenGL error 0x%04X in %s (%s:%d)", error, call, file, line);
}
} // namespace mw::detail

// MW_GL_CHECK_PENDING(where) reports errors left by unchecked calls since the last check.
#ifdef NDEBUG
#define MW_GL_CHECK(call) (call)
#define MW_GL_CHECK_PENDING(where) ((void)0)
#else
#define MW_GL_CHECK_PENDING(where) ::mw::detail::checkGLError(where, __FILE__, __LINE__)
#define MW_GL_CHECK(call)                                                                                    \
    do {                                                                                                     \
        call;                                                                                                \
        ::mw::detail::checkGLError(#call, __FILE__, __LINE__);                                               \
    } while (0)
#endif
