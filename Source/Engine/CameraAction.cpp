#include "Engine/CameraAction.h"

#include "Engine/Camera.h"
#include "Engine/Node.h"
#include "Engine/Support/Exception.h"
#include "Engine/Support/PointExtension.h"

#include <cmath>

namespace {

template <class T> Ref<Action> tagged(Ref<T> copy, const Action& from)
{
    copy->setTag(from.tag());
    return copy;
}

} // namespace

// --- CameraAction ---------------------------------------------------------------------------

Ref<Action> CameraAction::copy() const { return tagged(make<CameraAction>(m_duration), *this); }

void CameraAction::start()
{
    IntervalAction::start();
    const Camera* camera = m_target->camera();
    camera->centerX(&m_centerXOrig, &m_centerYOrig, &m_centerZOrig);
    camera->eyeX(&m_eyeXOrig, &m_eyeYOrig, &m_eyeZOrig);
    camera->upX(&m_upXOrig, &m_upYOrig, &m_upZOrig);
}

// A camera action that does nothing over time undoes itself.
Ref<FiniteTimeAction> CameraAction::reverse() const { return ref_cast<FiniteTimeAction>(copy()); }

// --- OrbitCamera ----------------------------------------------------------------------------

Ref<OrbitCamera> OrbitCamera::actionWithDuration(float duration, float radius, float deltaRadius,
    float angleZ, float deltaAngleZ, float angleX, float deltaAngleX)
{
    return make<OrbitCamera>(duration, radius, deltaRadius, angleZ, deltaAngleZ, angleX, deltaAngleX);
}

OrbitCamera::OrbitCamera(float duration, float radius, float deltaRadius, float angleZ, float deltaAngleZ,
    float angleX, float deltaAngleX)
    : CameraAction(duration)
    , m_radius(radius)
    , m_deltaRadius(deltaRadius)
    , m_angleZ(angleZ)
    , m_deltaAngleZ(deltaAngleZ)
    , m_angleX(angleX)
    , m_deltaAngleX(deltaAngleX)
    , m_radDeltaZ(degreesToRadians(deltaAngleZ))
    , m_radDeltaX(degreesToRadians(deltaAngleX))
{
}

Ref<Action> OrbitCamera::copy() const
{
    return tagged(make<OrbitCamera>(
                      m_duration, m_radius, m_deltaRadius, m_angleZ, m_deltaAngleZ, m_angleX, m_deltaAngleX),
        *this);
}

void OrbitCamera::sphericalRadius(float* radius, float* zenith, float* azimuth) const
{
    float ex, ey, ez, cx, cy, cz;
    const Camera* camera = m_target->camera();
    camera->eyeX(&ex, &ey, &ez);
    camera->centerX(&cx, &cy, &cz);
    const float x = ex - cx, y = ey - cy, z = ez - cz;

    float r = std::sqrt(x * x + y * y + z * z);
    float s = std::sqrt(x * x + y * y);
    // An eye on the centre or on the view axis would divide by zero.
    if (s == 0)
        s = 1e-8f;
    if (r == 0)
        r = 1e-8f;

    *zenith = std::acos(z / r);
    *azimuth = x < 0 ? kPi - std::asin(y / s) : std::asin(y / s);
    *radius = r / Camera::getZEye();
}

void OrbitCamera::start()
{
    CameraAction::start();
    float r, zenith, azimuth;
    sphericalRadius(&r, &zenith, &azimuth);
    if (std::isnan(m_radius))
        m_radius = r;
    if (std::isnan(m_angleZ))
        m_angleZ = radiansToDegrees(zenith);
    if (std::isnan(m_angleX))
        m_angleX = radiansToDegrees(azimuth);
    m_radZ = degreesToRadians(m_angleZ);
    m_radX = degreesToRadians(m_angleX);
}

void OrbitCamera::update(float t)
{
    const float r = (m_radius + t * m_deltaRadius) * Camera::getZEye();
    const float za = m_radZ + t * m_radDeltaZ;
    const float xa = m_radX + t * m_radDeltaX;
    const float i = std::sin(za) * std::cos(xa) * r + m_centerXOrig;
    const float j = std::sin(za) * std::sin(xa) * r + m_centerYOrig;
    const float k = std::cos(za) * r + m_centerZOrig;
    m_target->camera()->setEyeX(i, j, k);
}

Ref<FiniteTimeAction> OrbitCamera::reverse() const
{
    MW_ASSERT(!std::isnan(m_radius) && !std::isnan(m_angleZ) && !std::isnan(m_angleX),
        "OrbitCamera: reverse needs explicit start values");
    return make<OrbitCamera>(m_duration, m_radius + m_deltaRadius, -m_deltaRadius, m_angleZ + m_deltaAngleZ,
        -m_deltaAngleZ, m_angleX + m_deltaAngleX, -m_deltaAngleX);
}
