// OpenGL ES 1.1, as much of it as the engine and the wireframes use, on WebGL 1.
//
// Browsers only offer the shader pipeline, so the fixed-function state (matrix stacks, current
// colour, client arrays, texture environment, point sprites) lives here and one small shader
// program draws with it. Calls whose meaning is the same in both versions (textures, blending,
// scissor, clearing, read-back) are not defined here: they resolve to the browser's WebGL
// bindings directly. Our definitions reach WebGL through the emscripten_gl* aliases, which exist
// so that a program can define the plain names itself.

#include "Platform/Web/GLES1State.h"

#include <GLES/gl.h>
#include <GLES/glext.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

extern "C" {
// The WebGL bindings under their second names (ES 2 signatures).
void emscripten_glDrawArrays(GLenum, GLint, GLsizei);
void emscripten_glDrawElements(GLenum, GLsizei, GLenum, const void*);
void emscripten_glEnable(GLenum);
void emscripten_glDisable(GLenum);
GLboolean emscripten_glIsEnabled(GLenum);
void emscripten_glGetIntegerv(GLenum, GLint*);
void emscripten_glGetFloatv(GLenum, GLfloat*);
void emscripten_glBindBuffer(GLenum, GLuint);
void emscripten_glBindTexture(GLenum, GLuint);
void emscripten_glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*);
void emscripten_glDeleteTextures(GLsizei, const GLuint*);
void emscripten_glGenBuffers(GLsizei, GLuint*);
void emscripten_glBufferData(GLenum, GLsizeiptr, const void*, GLenum);
GLuint emscripten_glCreateShader(GLenum);
void emscripten_glShaderSource(GLuint, GLsizei, const char* const*, const GLint*);
void emscripten_glCompileShader(GLuint);
GLuint emscripten_glCreateProgram();
void emscripten_glAttachShader(GLuint, GLuint);
void emscripten_glBindAttribLocation(GLuint, GLuint, const char*);
void emscripten_glLinkProgram(GLuint);
void emscripten_glGetProgramiv(GLuint, GLenum, GLint*);
void emscripten_glGetShaderInfoLog(GLuint, GLsizei, GLsizei*, char*);
void emscripten_glUseProgram(GLuint);
GLint emscripten_glGetUniformLocation(GLuint, const char*);
void emscripten_glUniformMatrix4fv(GLint, GLsizei, GLboolean, const GLfloat*);
void emscripten_glUniform1i(GLint, GLint);
void emscripten_glUniform1f(GLint, GLfloat);
void emscripten_glEnableVertexAttribArray(GLuint);
void emscripten_glDisableVertexAttribArray(GLuint);
void emscripten_glVertexAttribPointer(GLuint, GLint, GLenum, GLboolean, GLsizei, const void*);
void emscripten_glVertexAttrib4f(GLuint, GLfloat, GLfloat, GLfloat, GLfloat);
void emscripten_glVertexAttrib1f(GLuint, GLfloat);
void emscripten_glGenFramebuffers(GLsizei, GLuint*);
void emscripten_glDeleteFramebuffers(GLsizei, const GLuint*);
void emscripten_glBindFramebuffer(GLenum, GLuint);
void emscripten_glFramebufferTexture2D(GLenum, GLenum, GLenum, GLuint, GLint);
void emscripten_glFramebufferRenderbuffer(GLenum, GLenum, GLenum, GLuint);
GLenum emscripten_glCheckFramebufferStatus(GLenum);
void emscripten_glGenRenderbuffers(GLsizei, GLuint*);
void emscripten_glDeleteRenderbuffers(GLsizei, const GLuint*);
void emscripten_glBindRenderbuffer(GLenum, GLuint);
void emscripten_glRenderbufferStorage(GLenum, GLenum, GLsizei, GLsizei);
}

namespace {

constexpr GLenum kVertexShader = 0x8B31, kFragmentShader = 0x8B30, kLinkStatus = 0x8B82;
constexpr GLenum kElementArrayBuffer = 0x8893, kStreamDraw = 0x88E0;
constexpr GLenum kDepthComponent16 = 0x81A5;

enum Attribute : GLuint { kPosition, kColor, kTexCoord, kPointSize, kAttributeCount };

const char* const kVertexSource = R"(
attribute vec4 a_position;
attribute vec4 a_color;
attribute vec2 a_texCoord;
attribute float a_pointSize;
uniform mat4 u_mvp;
varying vec4 v_color;
varying vec2 v_texCoord;
void main() {
    gl_Position = u_mvp * a_position;
    v_color = a_color;
    v_texCoord = a_texCoord;
    gl_PointSize = a_pointSize;
}
)";

// u_mode: 0 untextured, 1 modulate, 2 modulate an alpha-only texture, 3 replace, 4 replace with
// an alpha-only texture. WebGL samples an ALPHA texture as (0, 0, 0, a), where ES 1 keeps the
// fragment's colour, hence the separate modes.
const char* const kFragmentSource = R"(
precision mediump float;
uniform sampler2D u_texture;
uniform int u_mode;
uniform bool u_pointCoord;
varying vec4 v_color;
varying vec2 v_texCoord;
void main() {
    if (u_mode == 0) { gl_FragColor = v_color; return; }
    vec4 t = texture2D(u_texture, u_pointCoord ? gl_PointCoord : v_texCoord);
    if (u_mode == 1) gl_FragColor = v_color * t;
    else if (u_mode == 2) gl_FragColor = vec4(v_color.rgb, v_color.a * t.a);
    else if (u_mode == 3) gl_FragColor = t;
    else gl_FragColor = vec4(v_color.rgb, t.a);
}
)";

struct ClientArray {
    bool enabled = false;
    GLint size = 4;
    GLenum type = GL_FLOAT;
    GLsizei stride = 0;
    const void* pointer = nullptr;
    GLuint buffer = 0; // the array buffer bound when the pointer was given; 0 = client memory
};

struct Renderer {
    bool ready = false;
    GLuint program = 0;
    GLint mvp = -1, texture = -1, mode = -1, pointCoord = -1;
    GLuint streams[kAttributeCount] = {};
    GLuint indices = 0;
};

GLES1State s_state;
Renderer s_renderer;
ClientArray s_arrays[kAttributeCount];
GLuint s_boundArrayBuffer = 0;
GLuint s_boundTexture = 0;
std::map<GLuint, GLenum> s_textureFormats;
bool s_texturing = false, s_pointSprites = false, s_coordReplace = false;
GLenum s_envMode = GL_MODULATE;
GLfloat s_pointSize = 1;
GLfloat s_lineWidth = 1;

GLuint compile(GLenum kind, const char* source)
{
    const GLuint shader = emscripten_glCreateShader(kind);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    return shader;
}

bool prepare()
{
    Renderer& r = s_renderer;
    if (r.ready)
        return true;
    r.program = emscripten_glCreateProgram();
    emscripten_glAttachShader(r.program, compile(kVertexShader, kVertexSource));
    emscripten_glAttachShader(r.program, compile(kFragmentShader, kFragmentSource));
    emscripten_glBindAttribLocation(r.program, kPosition, "a_position");
    emscripten_glBindAttribLocation(r.program, kColor, "a_color");
    emscripten_glBindAttribLocation(r.program, kTexCoord, "a_texCoord");
    emscripten_glBindAttribLocation(r.program, kPointSize, "a_pointSize");
    emscripten_glLinkProgram(r.program);
    GLint linked = 0;
    emscripten_glGetProgramiv(r.program, kLinkStatus, &linked);
    if (!linked)
        return false;
    r.mvp = emscripten_glGetUniformLocation(r.program, "u_mvp");
    r.texture = emscripten_glGetUniformLocation(r.program, "u_texture");
    r.mode = emscripten_glGetUniformLocation(r.program, "u_mode");
    r.pointCoord = emscripten_glGetUniformLocation(r.program, "u_pointCoord");
    emscripten_glGenBuffers(kAttributeCount, r.streams);
    emscripten_glGenBuffers(1, &r.indices);
    emscripten_glUseProgram(r.program);
    emscripten_glUniform1i(r.texture, 0);
    r.ready = true;
    return true;
}

GLsizei typeSize(GLenum type)
{
    switch (type) {
    case GL_UNSIGNED_BYTE:
    case GL_BYTE:
        return 1;
    case GL_UNSIGNED_SHORT:
    case GL_SHORT:
        return 2;
    default:
        return 4;
    }
}

// Points one attribute at its data: a buffer the program filled, or a copy of the client
// memory for vertices [first, first + count).
void bindArray(Attribute slot, GLint first, GLsizei count)
{
    const ClientArray& a = s_arrays[slot];
    const GLboolean normalized = a.type == GL_UNSIGNED_BYTE || a.type == GL_BYTE ? GL_TRUE : GL_FALSE;
    if (a.buffer != 0) {
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, a.buffer);
        emscripten_glVertexAttribPointer(slot, a.size, a.type, normalized, a.stride, a.pointer);
        return;
    }
    const GLsizei stride = a.stride ? a.stride : a.size * typeSize(a.type);
    const auto* bytes
        = static_cast<const std::uint8_t*>(a.pointer) + std::size_t(first) * std::size_t(stride);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, s_renderer.streams[slot]);
    emscripten_glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(count) * stride, bytes, kStreamDraw);
    emscripten_glVertexAttribPointer(slot, a.size, a.type, normalized, stride, nullptr);
}

// Sets up everything but the vertex range; false when nothing can be drawn.
bool beginDraw(GLenum mode)
{
    if (!s_arrays[kPosition].enabled || !prepare())
        return false;
    emscripten_glUseProgram(s_renderer.program);
    GLfloat mvp[16];
    s_state.modelViewProjection(mvp);
    emscripten_glUniformMatrix4fv(s_renderer.mvp, 1, GL_FALSE, mvp);

    const bool textured = s_texturing && s_boundTexture != 0;
    const bool alphaOnly = textured && s_textureFormats[s_boundTexture] == GL_ALPHA;
    int fragmentMode = 0;
    if (textured)
        fragmentMode = s_envMode == GL_REPLACE ? (alphaOnly ? 4 : 3) : (alphaOnly ? 2 : 1);
    emscripten_glUniform1i(s_renderer.mode, fragmentMode);
    emscripten_glUniform1i(s_renderer.pointCoord, mode == GL_POINTS && s_pointSprites && s_coordReplace);

    const GLfloat* c = s_state.color();
    emscripten_glVertexAttrib4f(kColor, c[0], c[1], c[2], c[3]);
    emscripten_glVertexAttrib4f(kTexCoord, 0, 0, 0, 1);
    emscripten_glVertexAttrib1f(kPointSize, s_pointSize);
    return true;
}

void drawWithArrays(GLint first, GLsizei count, const std::function<void()>& draw)
{
    for (GLuint slot = 0; slot < kAttributeCount; ++slot) {
        if (s_arrays[slot].enabled) {
            emscripten_glEnableVertexAttribArray(slot);
            bindArray(Attribute(slot), first, count);
        } else {
            emscripten_glDisableVertexAttribArray(slot);
        }
    }
    draw();
    // Leave the binding the program chose, as ES 1 would never have changed it.
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, s_boundArrayBuffer);
}

bool isFixedFunctionCap(GLenum cap)
{
    switch (cap) {
    case GL_TEXTURE_2D:
    case GL_POINT_SPRITE_OES:
    case GL_ALPHA_TEST:
    case GL_LIGHTING:
    case GL_FOG:
    case GL_LINE_SMOOTH:
    case GL_POINT_SMOOTH:
    case GL_MULTISAMPLE:
    case GL_COLOR_MATERIAL:
    case GL_NORMALIZE:
    case GL_RESCALE_NORMAL:
        return true;
    default:
        return false;
    }
}

ClientArray* clientArray(GLenum array)
{
    switch (array) {
    case GL_VERTEX_ARRAY:
        return &s_arrays[kPosition];
    case GL_COLOR_ARRAY:
        return &s_arrays[kColor];
    case GL_TEXTURE_COORD_ARRAY:
        return &s_arrays[kTexCoord];
    case GL_POINT_SIZE_ARRAY_OES:
        return &s_arrays[kPointSize];
    default:
        return nullptr;
    }
}

void setPointer(Attribute slot, GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    ClientArray& a = s_arrays[slot];
    a.size = size;
    a.type = type;
    a.stride = stride;
    a.pointer = pointer;
    a.buffer = s_boundArrayBuffer;
}

// Lines wider than a pixel, from client memory with the current colour (the menu's highlight
// frame): browsers draw 1-pixel lines only, so they become triangles. False leaves the draw to
// the ordinary path.
bool drawWideLines(GLenum mode, GLint first, GLsizei count)
{
    if (s_lineWidth <= 1.5f || (mode != GL_LINES && mode != GL_LINE_LOOP && mode != GL_LINE_STRIP))
        return false;
    const ClientArray& a = s_arrays[kPosition];
    if (a.buffer != 0 || a.type != GL_FLOAT || a.size < 2)
        return false;
    for (GLuint slot = kColor; slot < kAttributeCount; ++slot)
        if (s_arrays[slot].enabled)
            return false;
    GLfloat mvp[16];
    s_state.modelViewProjection(mvp);
    const GLsizei stride = a.stride ? a.stride : a.size * GLsizei(sizeof(GLfloat));
    std::vector<float> clip(std::size_t(count) * 4);
    for (GLsizei i = 0; i < count; ++i) {
        GLfloat v[4] = { 0, 0, 0, 1 };
        std::memcpy(v,
            static_cast<const std::uint8_t*>(a.pointer) + std::size_t(first + i) * std::size_t(stride),
            std::size_t(a.size) * sizeof(GLfloat));
        for (int row = 0; row < 4; ++row)
            clip[std::size_t(i) * 4 + row]
                = mvp[row] * v[0] + mvp[4 + row] * v[1] + mvp[8 + row] * v[2] + mvp[12 + row] * v[3];
    }
    GLint viewport[4] = {};
    emscripten_glGetIntegerv(GL_VIEWPORT, viewport);
    const std::vector<float> triangles = GLES1State::wideLineTriangles(
        mode, clip.data(), std::size_t(count), float(viewport[2]), float(viewport[3]), s_lineWidth);
    if (triangles.empty())
        return true;
    const GLES1State::Matrix identity = GLES1State::identity();
    emscripten_glUniformMatrix4fv(s_renderer.mvp, 1, GL_FALSE, identity.data());
    for (GLuint slot = kColor; slot < kAttributeCount; ++slot)
        emscripten_glDisableVertexAttribArray(slot);
    emscripten_glEnableVertexAttribArray(kPosition);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, s_renderer.streams[kPosition]);
    emscripten_glBufferData(
        GL_ARRAY_BUFFER, GLsizeiptr(triangles.size() * sizeof(float)), triangles.data(), kStreamDraw);
    emscripten_glVertexAttribPointer(kPosition, 4, GL_FLOAT, GL_FALSE, 0, nullptr);
    emscripten_glDrawArrays(GL_TRIANGLES, 0, GLsizei(triangles.size() / 4));
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, s_boundArrayBuffer);
    return true;
}

} // namespace

GLES1State& GLES1State::shared() { return s_state; }

extern "C" {

// --- Matrices -----------------------------------------------------------------------------------
void glMatrixMode(GLenum mode) { s_state.matrixMode(mode); }
void glLoadIdentity() { s_state.loadIdentity(); }
void glPushMatrix() { s_state.push(); }
void glPopMatrix() { s_state.pop(); }
void glLoadMatrixf(const GLfloat* m) { s_state.load(m); }
void glMultMatrixf(const GLfloat* m) { s_state.multiply(m); }
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { s_state.translate(x, y, z); }
void glScalef(GLfloat x, GLfloat y, GLfloat z) { s_state.scale(x, y, z); }
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) { s_state.rotate(angle, x, y, z); }
void glOrthof(GLfloat l, GLfloat r, GLfloat b, GLfloat t, GLfloat n, GLfloat f)
{
    s_state.ortho(l, r, b, t, n, f);
}
void glFrustumf(GLfloat l, GLfloat r, GLfloat b, GLfloat t, GLfloat n, GLfloat f)
{
    s_state.frustum(l, r, b, t, n, f);
}

// --- Current values and state -------------------------------------------------------------------
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { s_state.setColor(r, g, b, a); }
void glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a)
{
    s_state.setColor(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f);
}
void glPointSize(GLfloat size) { s_pointSize = size; }
void glLineWidth(GLfloat width) { s_lineWidth = width; }

void glEnable(GLenum cap)
{
    if (cap == GL_TEXTURE_2D)
        s_texturing = true;
    else if (cap == GL_POINT_SPRITE_OES)
        s_pointSprites = true;
    else if (!isFixedFunctionCap(cap))
        emscripten_glEnable(cap);
}

void glDisable(GLenum cap)
{
    if (cap == GL_TEXTURE_2D)
        s_texturing = false;
    else if (cap == GL_POINT_SPRITE_OES)
        s_pointSprites = false;
    else if (!isFixedFunctionCap(cap))
        emscripten_glDisable(cap);
}

GLboolean glIsEnabled(GLenum cap)
{
    if (cap == GL_TEXTURE_2D)
        return s_texturing;
    if (cap == GL_POINT_SPRITE_OES)
        return s_pointSprites;
    if (const ClientArray* a = clientArray(cap))
        return a->enabled;
    return isFixedFunctionCap(cap) ? GL_FALSE : emscripten_glIsEnabled(cap);
}

void glHint(GLenum target, GLenum mode)
{
    // WebGL knows none of the fixed-function hints, and rejects them with an error.
    (void)target;
    (void)mode;
}

void glShadeModel(GLenum) { }
void glAlphaFunc(GLenum, GLfloat) { }

void glTexEnvi(GLenum target, GLenum pname, GLint param)
{
    if (target == GL_TEXTURE_ENV && pname == GL_TEXTURE_ENV_MODE)
        s_envMode = GLenum(param);
    else if (target == GL_POINT_SPRITE_OES && pname == GL_COORD_REPLACE_OES)
        s_coordReplace = param != 0;
}
void glTexEnvf(GLenum target, GLenum pname, GLfloat param) { glTexEnvi(target, pname, GLint(param)); }

void glGetIntegerv(GLenum pname, GLint* params)
{
    if (pname == GL_MATRIX_MODE)
        *params = GLint(s_state.mode());
    else if (pname == GL_TEXTURE_BINDING_2D)
        *params = GLint(s_boundTexture);
    else if (pname == GL_ARRAY_BUFFER_BINDING)
        *params = GLint(s_boundArrayBuffer);
    else
        emscripten_glGetIntegerv(pname, params);
}

void glGetFloatv(GLenum pname, GLfloat* params)
{
    if (pname == GL_MODELVIEW_MATRIX || pname == GL_PROJECTION_MATRIX || pname == GL_TEXTURE_MATRIX)
        s_state.matrix(pname, params);
    else if (pname == GL_CURRENT_COLOR)
        std::memcpy(params, s_state.color(), 4 * sizeof(GLfloat));
    else
        emscripten_glGetFloatv(pname, params);
}

// --- Textures (tracked only as far as the shader needs to know) -----------------------------------
void glBindTexture(GLenum target, GLuint texture)
{
    if (target == GL_TEXTURE_2D)
        s_boundTexture = texture;
    emscripten_glBindTexture(target, texture);
}

void glTexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height,
    GLint border, GLenum format, GLenum type, const void* pixels)
{
    if (target == GL_TEXTURE_2D && level == 0)
        s_textureFormats[s_boundTexture] = format;
    emscripten_glTexImage2D(target, level, internalformat, width, height, border, format, type, pixels);
}

void glDeleteTextures(GLsizei n, const GLuint* textures)
{
    for (GLsizei i = 0; i < n; ++i) {
        s_textureFormats.erase(textures[i]);
        if (textures[i] == s_boundTexture)
            s_boundTexture = 0;
    }
    emscripten_glDeleteTextures(n, textures);
}

// --- Client arrays -------------------------------------------------------------------------------
void glBindBuffer(GLenum target, GLuint buffer)
{
    if (target == GL_ARRAY_BUFFER)
        s_boundArrayBuffer = buffer;
    emscripten_glBindBuffer(target, buffer);
}

void glEnableClientState(GLenum array)
{
    if (ClientArray* a = clientArray(array))
        a->enabled = true;
}
void glDisableClientState(GLenum array)
{
    if (ClientArray* a = clientArray(array))
        a->enabled = false;
}
void glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    setPointer(kPosition, size, type, stride, pointer);
}
void glColorPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    setPointer(kColor, size, type, stride, pointer);
}
void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    setPointer(kTexCoord, size, type, stride, pointer);
}
void glPointSizePointerOES(GLenum type, GLsizei stride, const void* pointer)
{
    setPointer(kPointSize, 1, type, stride, pointer);
}
void glClientActiveTexture(GLenum) { }

void glDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    if (count <= 0 || !beginDraw(mode) || drawWideLines(mode, first, count))
        return;
    // Client memory is copied from `first` on, so the copy starts at vertex 0.
    const bool anyClient = std::any_of(std::begin(s_arrays), std::end(s_arrays),
        [](const ClientArray& a) { return a.enabled && a.buffer == 0; });
    const bool anyBuffer = std::any_of(std::begin(s_arrays), std::end(s_arrays),
        [](const ClientArray& a) { return a.enabled && a.buffer != 0; });
    if (anyClient && anyBuffer) {
        // Mixed sources keep one numbering: copy client memory from vertex 0.
        drawWithArrays(0, first + count, [&] { emscripten_glDrawArrays(mode, first, count); });
        return;
    }
    if (anyClient)
        drawWithArrays(first, count, [&] { emscripten_glDrawArrays(mode, 0, count); });
    else
        drawWithArrays(first, count, [&] { emscripten_glDrawArrays(mode, first, count); });
}

void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices)
{
    if (count <= 0 || !beginDraw(mode))
        return;
    // The engine hands indices in client memory; the vertex range they reach is what to copy.
    const GLsizei indexSize = type == GL_UNSIGNED_BYTE ? 1 : 2;
    GLsizei vertices = 0;
    for (GLsizei i = 0; i < count; ++i) {
        const GLsizei index = indexSize == 1 ? static_cast<const GLubyte*>(indices)[i]
                                             : static_cast<const GLushort*>(indices)[i];
        vertices = std::max(vertices, index + 1);
    }
    drawWithArrays(0, vertices, [&] {
        emscripten_glBindBuffer(kElementArrayBuffer, s_renderer.indices);
        emscripten_glBufferData(kElementArrayBuffer, GLsizeiptr(count) * indexSize, indices, kStreamDraw);
        emscripten_glDrawElements(mode, count, type, nullptr);
    });
}

// --- Framebuffer objects: the OES names of what WebGL has in its core ---------------------------
void glGenFramebuffersOES(GLsizei n, GLuint* ids) { emscripten_glGenFramebuffers(n, ids); }
void glDeleteFramebuffersOES(GLsizei n, const GLuint* ids) { emscripten_glDeleteFramebuffers(n, ids); }
void glBindFramebufferOES(GLenum target, GLuint id) { emscripten_glBindFramebuffer(target, id); }
void glFramebufferTexture2DOES(
    GLenum target, GLenum attachment, GLenum textarget, GLuint texture, GLint level)
{
    emscripten_glFramebufferTexture2D(target, attachment, textarget, texture, level);
}
void glFramebufferRenderbufferOES(
    GLenum target, GLenum attachment, GLenum renderbuffertarget, GLuint renderbuffer)
{
    emscripten_glFramebufferRenderbuffer(target, attachment, renderbuffertarget, renderbuffer);
}
GLenum glCheckFramebufferStatusOES(GLenum target) { return emscripten_glCheckFramebufferStatus(target); }
void glGenRenderbuffersOES(GLsizei n, GLuint* ids) { emscripten_glGenRenderbuffers(n, ids); }
void glDeleteRenderbuffersOES(GLsizei n, const GLuint* ids) { emscripten_glDeleteRenderbuffers(n, ids); }
void glBindRenderbufferOES(GLenum target, GLuint id) { emscripten_glBindRenderbuffer(target, id); }
void glRenderbufferStorageOES(GLenum target, GLenum internalformat, GLsizei width, GLsizei height)
{
    // WebGL 1 has 16-bit depth only.
    if (internalformat == GL_DEPTH_COMPONENT24_OES)
        internalformat = kDepthComponent16;
    emscripten_glRenderbufferStorage(target, internalformat, width, height);
}

} // extern "C"
