#pragma once
// A node's look-at camera, created on first request. Only transitions move it.

#include "Engine/Support/Ref.h"

class Camera : public Object {
public:
    Camera();
    const char* className() const override { return "Camera"; }

    // The eye distance of the default 3-D projection: display height / 1.1566.
    static float getZEye();

    // Back to the default view; not dirty afterwards.
    void restore();
    // Replaces the model-view matrix with the camera's view when dirty.
    void locate();

    void setEyeX(float x, float y, float z);
    void setCenterX(float x, float y, float z);
    void setUpX(float x, float y, float z);
    void eyeX(float* x, float* y, float* z) const;
    void centerX(float* x, float* y, float* z) const;
    void upX(float* x, float* y, float* z) const;
    bool dirty() const { return m_dirty; }
    void setDirty(bool dirty) { m_dirty = dirty; }

private:
    float m_eyeX = 0, m_eyeY = 0, m_eyeZ = 0;
    float m_centerX = 0, m_centerY = 0, m_centerZ = 0;
    float m_upX = 0, m_upY = 1, m_upZ = 0;
    bool m_dirty = false;
};
