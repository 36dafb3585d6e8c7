#pragma once
// Actions that move a node's camera (Node::camera, created on first use).

#include "Engine/IntervalAction.h"

// Remembers the target camera's view at start, for the kinds that move relative to it.
class CameraAction : public IntervalAction {
public:
    explicit CameraAction(float duration)
        : IntervalAction(duration)
    {
    }
    const char* className() const override { return "CameraAction"; }

    Ref<Action> copy() const override;
    void start() override;
    Ref<FiniteTimeAction> reverse() const override;

protected:
    float m_centerXOrig = 0, m_centerYOrig = 0, m_centerZOrig = 0;
    float m_eyeXOrig = 0, m_eyeYOrig = 0, m_eyeZOrig = 0;
    float m_upXOrig = 0, m_upYOrig = 0, m_upZOrig = 0;
};

// Swings the eye over a sphere round the camera centre. The radius is in units of the default
// eye distance (Camera::getZEye), the angles in degrees: z from the view axis, x round it.
// A NaN radius or start angle means "where the camera is now".
class OrbitCamera : public CameraAction {
public:
    static Ref<OrbitCamera> actionWithDuration(float duration, float radius, float deltaRadius, float angleZ,
        float deltaAngleZ, float angleX, float deltaAngleX);
    OrbitCamera(float duration, float radius, float deltaRadius, float angleZ, float deltaAngleZ,
        float angleX, float deltaAngleX);
    const char* className() const override { return "OrbitCamera"; }

    // The target camera's eye relative to its centre: radius in eye-distance units, zenith and
    // azimuth in radians.
    void sphericalRadius(float* radius, float* zenith, float* azimuth) const;

    float radius() const { return m_radius; }
    float deltaRadius() const { return m_deltaRadius; }
    float angleZ() const { return m_angleZ; }
    float deltaAngleZ() const { return m_deltaAngleZ; }
    float angleX() const { return m_angleX; }
    float deltaAngleX() const { return m_deltaAngleX; }

    Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;
    // The same orbit run backwards; needs explicit start values (NaN ones cannot be reversed).
    Ref<FiniteTimeAction> reverse() const override;

private:
    float m_radius, m_deltaRadius;
    float m_angleZ, m_deltaAngleZ;
    float m_angleX, m_deltaAngleX;
    float m_radZ = 0, m_radDeltaZ;
    float m_radX = 0, m_radDeltaX;
};
