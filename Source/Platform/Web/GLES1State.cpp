#include "Platform/Web/GLES1State.h"

#include <cmath>
#include <cstring>

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
