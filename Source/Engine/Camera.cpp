#include "Engine/Camera.h"

#include "Engine/Director.h"
#include "Engine/Support/glu.h"

#include <GLES/gl.h>

Camera::Camera() { restore(); }

float Camera::getZEye() { return Director::sharedDirector()->displaySize().height / 1.1566f; }

void Camera::restore()
{
    const CGSize s = Director::sharedDirector()->displaySize();
    m_eyeX = s.width / 2;
    m_eyeY = s.height / 2;
    m_eyeZ = getZEye();
    m_centerX = s.width / 2;
    m_centerY = s.height / 2;
    m_centerZ = 0;
    m_upX = 0;
    m_upY = 1;
    m_upZ = 0;
    m_dirty = false;
}

void Camera::locate()
{
    if (!m_dirty)
        return;
    glLoadIdentity();
    const int orientation = Director::sharedDirector()->deviceOrientation();
    switch (orientation) {
    case kDeviceOrientationLandscapeLeft:
        glRotatef(-90, 0, 0, 1);
        break;
    case kDeviceOrientationLandscapeRight:
        glRotatef(90, 0, 0, 1);
        break;
    case kDeviceOrientationPortraitUpsideDown:
        glRotatef(-180, 0, 0, 1);
        break;
    default:
        break;
    }
    gluLookAt(m_eyeX, m_eyeY, m_eyeZ, m_centerX, m_centerY, m_centerZ, m_upX, m_upY, m_upZ);
    // The 320 x 480 screen's centre offset between the two landscape frames.
    if (orientation == kDeviceOrientationLandscapeLeft || orientation == kDeviceOrientationLandscapeRight)
        glTranslatef(-80, 80, 0);
}

void Camera::setEyeX(float x, float y, float z)
{
    m_eyeX = x;
    m_eyeY = y;
    m_eyeZ = z;
    m_dirty = true;
}

void Camera::setCenterX(float x, float y, float z)
{
    m_centerX = x;
    m_centerY = y;
    m_centerZ = z;
    m_dirty = true;
}

void Camera::setUpX(float x, float y, float z)
{
    m_upX = x;
    m_upY = y;
    m_upZ = z;
    m_dirty = true;
}

void Camera::eyeX(float* x, float* y, float* z) const
{
    *x = m_eyeX;
    *y = m_eyeY;
    *z = m_eyeZ;
}

void Camera::centerX(float* x, float* y, float* z) const
{
    *x = m_centerX;
    *y = m_centerY;
    *z = m_centerZ;
}

void Camera::upX(float* x, float* y, float* z) const
{
    *x = m_upX;
    *y = m_upY;
    *z = m_upZ;
}
