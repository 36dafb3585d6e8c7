#pragma once
// The fixed-function state of OpenGL ES 1.1 that WebGL lacks: three matrix stacks and the current
// colour. Plain arithmetic with no GL of its own, so it is tested on the desktop as well.

#include <array>
#include <vector>

class GLES1State {
public:
    using Matrix = std::array<float, 16>; // column-major, as GL keeps them

    // ES 1.1 guarantees 16 model-view and 2 projection entries; pushing past the top or popping
    // the last one is an error there and leaves the stack alone here too.
    static constexpr std::size_t kModelViewDepth = 16;
    static constexpr std::size_t kOtherDepth = 2;

    static GLES1State& shared();

    GLES1State();

    // GL_MODELVIEW, GL_PROJECTION or GL_TEXTURE; anything else is ignored.
    void matrixMode(unsigned mode);
    unsigned mode() const { return m_mode; }

    void loadIdentity();
    void load(const float* m);
    void multiply(const float* m);
    bool push();
    bool pop();
    void translate(float x, float y, float z);
    void scale(float x, float y, float z);
    void rotate(float degrees, float x, float y, float z);
    void ortho(float l, float r, float b, float t, float n, float f);
    void frustum(float l, float r, float b, float t, float n, float f);

    // The top of the named stack (GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX, GL_TEXTURE_MATRIX).
    void matrix(unsigned pname, float* out) const;
    // Projection times model-view: what a vertex is multiplied by.
    void modelViewProjection(float* out) const;

    void setColor(float r, float g, float b, float a) { m_color = { r, g, b, a }; }
    const float* color() const { return m_color.data(); }

    static Matrix identity();
    static Matrix product(const Matrix& a, const Matrix& b);

    // Lines wider than a pixel, which WebGL does not draw, as triangles: each segment of a
    // GL_LINES (0x0001), GL_LINE_LOOP (0x0002) or GL_LINE_STRIP (0x0003) list of clip-space
    // vertices (x, y, z, w) becomes a quad widthPixels wide on a viewport of the size given,
    // returned as six clip-space vertices. Segments with a vertex behind the eye are left out.
    static std::vector<float> wideLineTriangles(unsigned mode, const float* clip, std::size_t count,
        float viewportWidth, float viewportHeight, float widthPixels);

private:
    std::vector<Matrix>& stack();

    unsigned m_mode;
    std::vector<Matrix> m_modelView, m_projection, m_texture;
    std::array<float, 4> m_color = { 1, 1, 1, 1 };
};
