#include "Counters.h"

#include <GLES/gl.h>
#include <GLES/glext.h>

#include <dlfcn.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>

// glibc's own allocator entry points, under the names it exports for interposers like this one.
extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void* __libc_memalign(std::size_t, std::size_t);
void __libc_free(void*);
}

namespace {

// Plain (no constructor) thread-locals: they must work inside malloc before anything runs.
thread_local bool t_counting = false;
thread_local int t_driverDepth = 0;
std::atomic<std::uint64_t> s_allocations { 0 };
std::atomic<std::uint64_t> s_glCalls { 0 };
std::atomic<std::uint64_t> s_glDraws { 0 };

inline void countAllocation()
{
    if (t_counting && t_driverDepth == 0)
        s_allocations.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

namespace Counters {

void setCounting(bool on) { t_counting = on; }
std::uint64_t allocations() { return s_allocations.load(); }
std::uint64_t glCalls() { return s_glCalls.load(); }
std::uint64_t glDraws() { return s_glDraws.load(); }
DriverScope::DriverScope() { ++t_driverDepth; }
DriverScope::~DriverScope() { --t_driverDepth; }

} // namespace Counters

// --- the allocator ---------------------------------------------------------------------------

#ifndef BENCH_NO_ALLOCATOR
extern "C" {

void* malloc(std::size_t size)
{
    countAllocation();
    return __libc_malloc(size);
}

void* calloc(std::size_t n, std::size_t size)
{
    countAllocation();
    return __libc_calloc(n, size);
}

void* realloc(void* p, std::size_t size)
{
    countAllocation();
    return __libc_realloc(p, size);
}

void free(void* p) { __libc_free(p); }

void* memalign(std::size_t alignment, std::size_t size)
{
    countAllocation();
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    countAllocation();
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, std::size_t alignment, std::size_t size)
{
    countAllocation();
    void* p = __libc_memalign(alignment, size);
    if (!p)
        return 12; // ENOMEM
    *out = p;
    return 0;
}

} // extern "C"
#endif

// --- GL ES entry points ----------------------------------------------------------------------

namespace {

// The library itself, not the next definition: with every entry point defined here, the
// linker may have dropped it from the program's needs.
template <typename F> F realGL(const char* name)
{
    static void* const library = dlopen("libGLESv1_CM.so.1", RTLD_NOW | RTLD_GLOBAL);
    void* p = library ? dlsym(library, name) : nullptr;
    if (!p)
        std::abort();
    return reinterpret_cast<F>(p);
}

} // namespace

// Each wrapper counts one call and marks the driver's work as not ours.
#define BENCH_GL(ret, name, params, args)                                                                    \
    extern "C" ret GL_APIENTRY name params                                                                   \
    {                                                                                                        \
        using Fn = ret(GL_APIENTRY*) params;                                                                 \
        static const Fn real = realGL<Fn>(#name);                                                            \
        s_glCalls.fetch_add(1, std::memory_order_relaxed);                                                   \
        const Counters::DriverScope scope;                                                                   \
        return real args;                                                                                    \
    }
#define BENCH_GL_DRAW(ret, name, params, args)                                                               \
    extern "C" ret GL_APIENTRY name params                                                                   \
    {                                                                                                        \
        using Fn = ret(GL_APIENTRY*) params;                                                                 \
        static const Fn real = realGL<Fn>(#name);                                                            \
        s_glCalls.fetch_add(1, std::memory_order_relaxed);                                                   \
        s_glDraws.fetch_add(1, std::memory_order_relaxed);                                                   \
        const Counters::DriverScope scope;                                                                   \
        return real args;                                                                                    \
    }

BENCH_GL_DRAW(void, glDrawArrays, (GLenum mode, GLint first, GLsizei count), (mode, first, count))
BENCH_GL_DRAW(void, glDrawElements, (GLenum mode, GLsizei count, GLenum type, const void* indices),
    (mode, count, type, indices))
BENCH_GL(void, glClear, (GLbitfield mask), (mask))
BENCH_GL(void, glClearColor, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a))
BENCH_GL(void, glClearDepthf, (GLfloat d), (d))
BENCH_GL(void, glEnable, (GLenum cap), (cap))
BENCH_GL(void, glDisable, (GLenum cap), (cap))
BENCH_GL(void, glEnableClientState, (GLenum array), (array))
BENCH_GL(void, glDisableClientState, (GLenum array), (array))
BENCH_GL(
    void, glVertexPointer, (GLint size, GLenum type, GLsizei stride, const void* p), (size, type, stride, p))
BENCH_GL(void, glTexCoordPointer, (GLint size, GLenum type, GLsizei stride, const void* p),
    (size, type, stride, p))
BENCH_GL(
    void, glColorPointer, (GLint size, GLenum type, GLsizei stride, const void* p), (size, type, stride, p))
BENCH_GL(void, glPointSizePointerOES, (GLenum type, GLsizei stride, const void* p), (type, stride, p))
BENCH_GL(void, glColor4ub, (GLubyte r, GLubyte g, GLubyte b, GLubyte a), (r, g, b, a))
BENCH_GL(void, glColor4f, (GLfloat r, GLfloat g, GLfloat b, GLfloat a), (r, g, b, a))
BENCH_GL(void, glBindTexture, (GLenum target, GLuint texture), (target, texture))
BENCH_GL(void, glBlendFunc, (GLenum s, GLenum d), (s, d))
BENCH_GL(void, glTranslatef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))
BENCH_GL(void, glRotatef, (GLfloat a, GLfloat x, GLfloat y, GLfloat z), (a, x, y, z))
BENCH_GL(void, glScalef, (GLfloat x, GLfloat y, GLfloat z), (x, y, z))
BENCH_GL(void, glPushMatrix, (void), ())
BENCH_GL(void, glPopMatrix, (void), ())
BENCH_GL(void, glLoadIdentity, (void), ())
BENCH_GL(void, glMatrixMode, (GLenum mode), (mode))
BENCH_GL(void, glMultMatrixf, (const GLfloat* m), (m))
BENCH_GL(void, glLoadMatrixf, (const GLfloat* m), (m))
BENCH_GL(
    void, glOrthof, (GLfloat l, GLfloat r, GLfloat b, GLfloat t, GLfloat n, GLfloat f), (l, r, b, t, n, f))
BENCH_GL(
    void, glFrustumf, (GLfloat l, GLfloat r, GLfloat b, GLfloat t, GLfloat n, GLfloat f), (l, r, b, t, n, f))
BENCH_GL(void, glViewport, (GLint x, GLint y, GLsizei w, GLsizei h), (x, y, w, h))
BENCH_GL(void, glScissor, (GLint x, GLint y, GLsizei w, GLsizei h), (x, y, w, h))
BENCH_GL(void, glTexParameteri, (GLenum target, GLenum pname, GLint param), (target, pname, param))
BENCH_GL(void, glTexEnvi, (GLenum target, GLenum pname, GLint param), (target, pname, param))
BENCH_GL(void, glTexImage2D,
    (GLenum target, GLint level, GLint internalformat, GLsizei w, GLsizei h, GLint border, GLenum format,
        GLenum type, const void* pixels),
    (target, level, internalformat, w, h, border, format, type, pixels))
BENCH_GL(void, glTexSubImage2D,
    (GLenum target, GLint level, GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type,
        const void* pixels),
    (target, level, x, y, w, h, format, type, pixels))
BENCH_GL(void, glGenTextures, (GLsizei n, GLuint* textures), (n, textures))
BENCH_GL(void, glDeleteTextures, (GLsizei n, const GLuint* textures), (n, textures))
BENCH_GL(void, glPixelStorei, (GLenum pname, GLint param), (pname, param))
BENCH_GL(void, glGetIntegerv, (GLenum pname, GLint* data), (pname, data))
BENCH_GL(void, glGetFloatv, (GLenum pname, GLfloat* data), (pname, data))
BENCH_GL(GLenum, glGetError, (void), ())
BENCH_GL(void, glHint, (GLenum target, GLenum mode), (target, mode))
BENCH_GL(void, glDepthFunc, (GLenum func), (func))
BENCH_GL(void, glBindBuffer, (GLenum target, GLuint buffer), (target, buffer))
BENCH_GL(void, glBufferData, (GLenum target, GLsizeiptr size, const void* data, GLenum usage),
    (target, size, data, usage))
BENCH_GL(void, glBufferSubData, (GLenum target, GLintptr offset, GLsizeiptr size, const void* data),
    (target, offset, size, data))
BENCH_GL(void, glGenBuffers, (GLsizei n, GLuint* buffers), (n, buffers))
BENCH_GL(void, glDeleteBuffers, (GLsizei n, const GLuint* buffers), (n, buffers))
BENCH_GL(void, glReadPixels,
    (GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, void* pixels),
    (x, y, w, h, format, type, pixels))
BENCH_GL(void, glLineWidth, (GLfloat w), (w))
BENCH_GL(void, glPointSize, (GLfloat s), (s))

// The end of the frame, not drawing: the bench waits for it in both loops alike, uncounted.
extern "C" void GL_APIENTRY glFinish(void)
{
    using Fn = void(GL_APIENTRY*)(void);
    static const Fn real = realGL<Fn>("glFinish");
    const Counters::DriverScope scope;
    real();
}
