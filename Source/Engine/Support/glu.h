#pragma once
// Our own perspective and look-at helpers: GL ES 1.1 has no GLU.

#include <GLES/gl.h>

void gluPerspective(GLfloat fovy, GLfloat aspect, GLfloat zNear, GLfloat zFar);
void gluLookAt(GLfloat eyeX, GLfloat eyeY, GLfloat eyeZ, GLfloat centerX, GLfloat centerY, GLfloat centerZ,
    GLfloat upX, GLfloat upY, GLfloat upZ);
