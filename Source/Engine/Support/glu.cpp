#include "Engine/Support/glu.h"

#include <cmath>

void gluPerspective(GLfloat fovy, GLfloat aspect, GLfloat zNear, GLfloat zFar)
{
    const GLfloat ymax = zNear * std::tan(fovy * 3.14159265358979323846f / 360.0f);
    const GLfloat ymin = -ymax;
    glFrustumf(ymin * aspect, ymax * aspect, ymin, ymax, zNear, zFar);
}

namespace {
void normalize(GLfloat v[3])
{
    const GLfloat len = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (len == 0)
        return;
    v[0] /= len;
    v[1] /= len;
    v[2] /= len;
}

void cross(const GLfloat a[3], const GLfloat b[3], GLfloat out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}
} // namespace

void gluLookAt(GLfloat eyeX, GLfloat eyeY, GLfloat eyeZ, GLfloat centerX, GLfloat centerY, GLfloat centerZ,
    GLfloat upX, GLfloat upY, GLfloat upZ)
{
    GLfloat forward[3] = { centerX - eyeX, centerY - eyeY, centerZ - eyeZ };
    const GLfloat up[3] = { upX, upY, upZ };
    normalize(forward);
    GLfloat side[3];
    cross(forward, up, side);
    normalize(side);
    GLfloat trueUp[3];
    cross(side, forward, trueUp);

    // Column-major: rows of the rotation are side, up and -forward.
    // clang-format off
    const GLfloat m[16] = {
        side[0], trueUp[0], -forward[0], 0,
        side[1], trueUp[1], -forward[1], 0,
        side[2], trueUp[2], -forward[2], 0,
        0,       0,         0,           1,
    };
    // clang-format on
    glMultMatrixf(m);
    glTranslatef(-eyeX, -eyeY, -eyeZ);
}
