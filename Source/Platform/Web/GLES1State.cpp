#include "Platform/Web/GLES1State.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace {
// The enum values of GL_MODELVIEW and friends; no GL header is needed for five numbers.
constexpr unsigned kModelView = 0x1700, kProjection = 0x1701, kTexture = 0x1702;
constexpr unsigned kModelViewMatrix = 0x0BA6, kProjectionMatrix = 0x0BA7, kTextureMatrix = 0x0BA8;
} // namespace

GLES1State::GLES1State()
    : m_mode(kModelView)
    , m_modelView { identity() }
    , m_projection { identity() }
    , m_texture { identity() }
{
}

GLES1State::Matrix GLES1State::identity()
{
    Matrix m {};
    m[0] = m[5] = m[10] = m[15] = 1;
    return m;
}

GLES1State::Matrix GLES1State::product(const Matrix& a, const Matrix& b)
{
    Matrix out {};
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a[std::size_t(k * 4 + row)] * b[std::size_t(column * 4 + k)];
            out[std::size_t(column * 4 + row)] = sum;
        }
    return out;
}

void GLES1State::matrixMode(unsigned mode)
{
    if (mode == kModelView || mode == kProjection || mode == kTexture)
        m_mode = mode;
}

std::vector<GLES1State::Matrix>& GLES1State::stack()
{
    return m_mode == kProjection ? m_projection : m_mode == kTexture ? m_texture : m_modelView;
}

void GLES1State::loadIdentity() { stack().back() = identity(); }

void GLES1State::load(const float* m) { std::memcpy(stack().back().data(), m, sizeof(Matrix)); }

void GLES1State::multiply(const float* m)
{
    Matrix b;
    std::memcpy(b.data(), m, sizeof b);
    stack().back() = product(stack().back(), b);
}

bool GLES1State::push()
{
    std::vector<Matrix>& s = stack();
    if (s.size() >= (m_mode == kModelView ? kModelViewDepth : kOtherDepth))
        return false;
    s.push_back(s.back());
    return true;
}

bool GLES1State::pop()
{
    std::vector<Matrix>& s = stack();
    if (s.size() <= 1)
        return false;
    s.pop_back();
    return true;
}

void GLES1State::translate(float x, float y, float z)
{
    Matrix m = identity();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    multiply(m.data());
}

void GLES1State::scale(float x, float y, float z)
{
    Matrix m = identity();
    m[0] = x;
    m[5] = y;
    m[10] = z;
    multiply(m.data());
}

void GLES1State::rotate(float degrees, float x, float y, float z)
{
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0)
        return;
    x /= length;
    y /= length;
    z /= length;
    const float radians = degrees * float(M_PI) / 180.0f;
    const float c = std::cos(radians), s = std::sin(radians), t = 1 - c;
    Matrix m = identity();
    m[0] = x * x * t + c;
    m[1] = y * x * t + z * s;
    m[2] = x * z * t - y * s;
    m[4] = x * y * t - z * s;
    m[5] = y * y * t + c;
    m[6] = y * z * t + x * s;
    m[8] = x * z * t + y * s;
    m[9] = y * z * t - x * s;
    m[10] = z * z * t + c;
    multiply(m.data());
}

void GLES1State::ortho(float l, float r, float b, float t, float n, float f)
{
    if (l == r || b == t || n == f)
        return; // GL_INVALID_VALUE in ES 1.1
    Matrix m = identity();
    m[0] = 2 / (r - l);
    m[5] = 2 / (t - b);
    m[10] = -2 / (f - n);
    m[12] = -(r + l) / (r - l);
    m[13] = -(t + b) / (t - b);
    m[14] = -(f + n) / (f - n);
    multiply(m.data());
}

void GLES1State::frustum(float l, float r, float b, float t, float n, float f)
{
    if (n <= 0 || f <= 0 || l == r || b == t || n == f)
        return; // GL_INVALID_VALUE in ES 1.1
    Matrix m {};
    m[0] = 2 * n / (r - l);
    m[5] = 2 * n / (t - b);
    m[8] = (r + l) / (r - l);
    m[9] = (t + b) / (t - b);
    m[10] = -(f + n) / (f - n);
    m[11] = -1;
    m[14] = -2 * f * n / (f - n);
    multiply(m.data());
}

void GLES1State::matrix(unsigned pname, float* out) const
{
    const Matrix& m = pname == kProjectionMatrix ? m_projection.back()
        : pname == kTextureMatrix                ? m_texture.back()
                                                 : m_modelView.back();
    (void)kModelViewMatrix;
    std::memcpy(out, m.data(), sizeof(Matrix));
}

void GLES1State::modelViewProjection(float* out) const
{
    const Matrix m = product(m_projection.back(), m_modelView.back());
    std::memcpy(out, m.data(), sizeof m);
}

std::vector<float> GLES1State::wideLineTriangles(unsigned mode, const float* clip, std::size_t count,
    float viewportWidth, float viewportHeight, float widthPixels)
{
    std::vector<float> out;
    if (!clip || count < 2 || viewportWidth <= 0 || viewportHeight <= 0)
        return out;
    std::vector<std::pair<std::size_t, std::size_t>> segments;
    if (mode == 0x0001)
        for (std::size_t i = 0; i + 1 < count; i += 2)
            segments.emplace_back(i, i + 1);
    else if (mode == 0x0002 || mode == 0x0003) {
        for (std::size_t i = 0; i + 1 < count; ++i)
            segments.emplace_back(i, i + 1);
        if (mode == 0x0002 && count > 2)
            segments.emplace_back(count - 1, 0);
    }
    out.reserve(segments.size() * 24);
    const float half = widthPixels * 0.5f;
    for (const auto& [a, b] : segments) {
        const float* p = clip + a * 4;
        const float* q = clip + b * 4;
        if (p[3] <= 0 || q[3] <= 0)
            continue;
        // The segment's direction in pixels, and its normal as an offset in each end's clip space.
        const float dx = (q[0] / q[3] - p[0] / p[3]) * viewportWidth * 0.5f;
        const float dy = (q[1] / q[3] - p[1] / p[3]) * viewportHeight * 0.5f;
        const float length = std::sqrt(dx * dx + dy * dy);
        if (length <= 0)
            continue;
        // Extended by half the width at both ends, so the corners of a frame close.
        const float ux = dx / length * half, uy = dy / length * half;
        const float nx = -uy, ny = ux;
        auto corner = [&](const float* v, float along, float side) {
            out.push_back(v[0] + (along * ux + side * nx) * 2 / viewportWidth * v[3]);
            out.push_back(v[1] + (along * uy + side * ny) * 2 / viewportHeight * v[3]);
            out.push_back(v[2]);
            out.push_back(v[3]);
        };
        corner(p, -1, -1);
        corner(p, -1, 1);
        corner(q, 1, 1);
        corner(p, -1, -1);
        corner(q, 1, 1);
        corner(q, 1, -1);
    }
    return out;
}
