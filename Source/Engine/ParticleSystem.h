#pragma once
// Emitter parameters, the particle pool and the emission and ageing rules. Subclasses decide
// how the live particles reach the screen.
//
// Every "var" parameter is the half-range of a uniform random variation: a parameter p with
// variation v yields p + v * r, r uniform in [-1, 1) from the C library's random().

#include "Engine/Node.h"
#include "Engine/Support/Color.h"
#include "Engine/Support/Texture2D.h"

#include <vector>

enum {
    // Particles stay where they were emitted when the node moves.
    kPositionTypeFree = 0,
    // Particles move with the node.
    kPositionTypeGrouped = 1,
};

// Emission forever.
inline constexpr float kParticleDurationInfinity = -1;
// An end size that keeps the start size.
inline constexpr float kParticleStartSizeEqualToEndSize = -1;

struct Particle {
    CGPoint pos; // relative to the emission centre, in node space
    CGPoint startPos; // the node's position at emission
    CGPoint dir; // velocity, points/s
    float radialAccel;
    float tangentialAccel;
    Color4F color;
    Color4F deltaColor; // per second
    float size;
    float deltaSize; // per second
    float rotation;
    float deltaRotation; // per second
    float life; // seconds left
};
static_assert(sizeof(Particle) == 84, "the pool is laid out as 84-byte records");

class ParticleSystem : public Node {
public:
    // A particle system needs its pool size: raises "Particle.init".
    static Ref<ParticleSystem> node();
    const char* className() const override { return "ParticleSystem"; }

    // False, after "Particle system: not enough memory", when the pool cannot be allocated.
    // Schedules step: the system runs from the frame after it enters the running scene.
    virtual bool initWithTotalParticles(int numberOfParticles);

    // False when the pool is full.
    bool addParticle();
    void initParticle(Particle* particle);
    // Stops emitting; live particles finish their lives.
    void stopSystem();
    // Emits again from an empty pool.
    void resetSystem();
    bool isFull() const { return m_particleCount == m_totalParticles; }

    // Emission, then ageing and moving of every live particle (scheduled every frame).
    virtual void step(float dt);

    Texture2D* texture() const { return m_texture.get(); }
    // A texture with straight alpha switches the blend function to (GL_SRC_ALPHA,
    // GL_ONE_MINUS_SRC_ALPHA).
    void setTexture(Texture2D* texture);

    // --- parameters ---
    int id() const { return m_id; }
    void setId(int id) { m_id = id; }
    bool active() const { return m_active; }
    float duration() const { return m_duration; }
    void setDuration(float duration) { m_duration = duration; }
    float elapsed() const { return m_elapsed; }
    CGPoint gravity() const { return m_gravity; }
    void setGravity(CGPoint gravity) { m_gravity = gravity; }
    CGPoint centerOfGravity() const { return m_centerOfGravity; }
    void setCenterOfGravity(CGPoint center) { m_centerOfGravity = center; }
    CGPoint posVar() const { return m_posVar; }
    void setPosVar(CGPoint var) { m_posVar = var; }
    float angle() const { return m_angle; }
    void setAngle(float angle) { m_angle = angle; }
    float angleVar() const { return m_angleVar; }
    void setAngleVar(float var) { m_angleVar = var; }
    float speed() const { return m_speed; }
    void setSpeed(float speed) { m_speed = speed; }
    float speedVar() const { return m_speedVar; }
    void setSpeedVar(float var) { m_speedVar = var; }
    float tangentialAccel() const { return m_tangentialAccel; }
    void setTangentialAccel(float accel) { m_tangentialAccel = accel; }
    float tangentialAccelVar() const { return m_tangentialAccelVar; }
    void setTangentialAccelVar(float var) { m_tangentialAccelVar = var; }
    float radialAccel() const { return m_radialAccel; }
    void setRadialAccel(float accel) { m_radialAccel = accel; }
    float radialAccelVar() const { return m_radialAccelVar; }
    void setRadialAccelVar(float var) { m_radialAccelVar = var; }
    float startSize() const { return m_startSize; }
    virtual void setStartSize(float size) { m_startSize = size; }
    float startSizeVar() const { return m_startSizeVar; }
    void setStartSizeVar(float var) { m_startSizeVar = var; }
    float endSize() const { return m_endSize; }
    void setEndSize(float size) { m_endSize = size; }
    float endSizeVar() const { return m_endSizeVar; }
    void setEndSizeVar(float var) { m_endSizeVar = var; }
    float life() const { return m_life; }
    void setLife(float life) { m_life = life; }
    float lifeVar() const { return m_lifeVar; }
    void setLifeVar(float var) { m_lifeVar = var; }
    Color4F startColor() const { return m_startColor; }
    void setStartColor(Color4F color) { m_startColor = color; }
    Color4F startColorVar() const { return m_startColorVar; }
    void setStartColorVar(Color4F var) { m_startColorVar = var; }
    Color4F endColor() const { return m_endColor; }
    void setEndColor(Color4F color) { m_endColor = color; }
    Color4F endColorVar() const { return m_endColorVar; }
    void setEndColorVar(Color4F var) { m_endColorVar = var; }
    float startSpin() const { return m_startSpin; }
    virtual void setStartSpin(float spin) { m_startSpin = spin; }
    float startSpinVar() const { return m_startSpinVar; }
    virtual void setStartSpinVar(float var) { m_startSpinVar = var; }
    float endSpin() const { return m_endSpin; }
    virtual void setEndSpin(float spin) { m_endSpin = spin; }
    float endSpinVar() const { return m_endSpinVar; }
    virtual void setEndSpinVar(float var) { m_endSpinVar = var; }
    float emissionRate() const { return m_emissionRate; }
    void setEmissionRate(float rate) { m_emissionRate = rate; }
    int totalParticles() const { return m_totalParticles; }
    // Kept within the pool allocated at creation; live particles beyond it are dropped.
    void setTotalParticles(int total);
    int particleCount() const { return m_particleCount; }
    bool blendAdditive() const { return m_blendAdditive; }
    void setBlendAdditive(bool additive) { m_blendAdditive = additive; }
    bool colorModulate() const { return m_colorModulate; }
    void setColorModulate(bool modulate) { m_colorModulate = modulate; }
    BlendFunc blendFunc() const { return m_blendFunc; }
    void setBlendFunc(BlendFunc blendFunc) { m_blendFunc = blendFunc; }
    int positionType() const { return m_positionType; }
    void setPositionType(int type) { m_positionType = type; }
    bool autoRemoveOnFinish() const { return m_autoRemoveOnFinish; }
    void setAutoRemoveOnFinish(bool remove) { m_autoRemoveOnFinish = remove; }
    // After a step: how many particles there are to draw.
    int particleIdx() const { return m_particleIdx; }

    const Particle* particles() const { return m_particles.data(); }

    // Adds particleCount, totalParticles, active, elapsed and positionType.
    void dumpProperties(PropertySink& out) const override;

protected:
    ParticleSystem() = default;

    // Where a step leaves live particle `index`; `position` is where it is drawn in node space.
    virtual void updateParticle(int index, const Particle& particle, CGPoint position);
    // After the step has moved every live particle.
    virtual void postStep();

    int m_id = 0;
    bool m_active = false;
    float m_duration = 0;
    float m_elapsed = 0;
    CGPoint m_gravity;
    CGPoint m_centerOfGravity;
    CGPoint m_posVar;
    float m_angle = 0, m_angleVar = 0;
    float m_speed = 0, m_speedVar = 0;
    float m_tangentialAccel = 0, m_tangentialAccelVar = 0;
    float m_radialAccel = 0, m_radialAccelVar = 0;
    float m_startSize = 0, m_startSizeVar = 0;
    float m_endSize = 0, m_endSizeVar = 0;
    float m_life = 0, m_lifeVar = 0;
    Color4F m_startColor, m_startColorVar, m_endColor, m_endColorVar;
    float m_startSpin = 0, m_startSpinVar = 0, m_endSpin = 0, m_endSpinVar = 0;
    std::vector<Particle> m_particles; // allocated once, at creation
    int m_totalParticles = 0;
    int m_particleCount = 0;
    bool m_blendAdditive = false;
    bool m_colorModulate = false;
    float m_emissionRate = 0;
    float m_emitCounter = 0;
    Ref<Texture2D> m_texture;
    BlendFunc m_blendFunc = kBlendFuncDefault;
    int m_positionType = kPositionTypeFree;
    bool m_autoRemoveOnFinish = false;
    int m_particleIdx = 0;
};
