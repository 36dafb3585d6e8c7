#include "Engine/ParticleSystem.h"
#include "Platform/Log.h"

#include "Engine/Support/Exception.h"
#include "Engine/Support/PointExtension.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

// Uniform in [-1, 1): random() gives 0 .. 2^31 - 1.
float randomMinus1To1() { return static_cast<float>(::random()) / 1073741824.0f - 1.0f; }

const Selector<float>& stepSelector()
{
    static const Selector<float> selector(&ParticleSystem::step, "step:");
    return selector;
}

} // namespace

Ref<ParticleSystem> ParticleSystem::node()
{
    raiseException("Particle.init", "Particle.init shall not be called. Use initWithTotalParticles instead.");
}

bool ParticleSystem::initWithTotalParticles(int numberOfParticles)
{
    // A negative count would ask for an absurd pool; it fails like one that does not fit.
    try {
        if (numberOfParticles < 0)
            throw std::bad_alloc();
        m_particles.assign(static_cast<std::size_t>(numberOfParticles), Particle {});
    } catch (const std::bad_alloc&) {
        logLine(LogLevel::Warning, "Particle system: not enough memory");
        m_particles.clear();
        m_totalParticles = 0;
        return false;
    }
    m_totalParticles = numberOfParticles;
    m_particleCount = 0;
    m_active = true;
    m_blendAdditive = false;
    m_blendFunc = kBlendFuncDefault;
    m_positionType = kPositionTypeFree;
    m_autoRemoveOnFinish = false;
    schedule(stepSelector(), 0);
    return true;
}

void ParticleSystem::setTotalParticles(int total)
{
    m_totalParticles = std::clamp(total, 0, static_cast<int>(m_particles.size()));
    m_particleCount = std::min(m_particleCount, m_totalParticles);
}

void ParticleSystem::setTexture(Texture2D* texture)
{
    m_texture = texture;
    if (texture && !texture->hasPremultipliedAlpha())
        m_blendFunc = kBlendFuncStraightAlpha;
}

bool ParticleSystem::addParticle()
{
    if (isFull())
        return false;
    initParticle(&m_particles[static_cast<std::size_t>(m_particleCount)]);
    ++m_particleCount;
    return true;
}

void ParticleSystem::initParticle(Particle* particle)
{
    // The draws below come in a fixed order, so a seeded generator replays a system exactly.
    particle->pos.x = std::trunc(m_centerOfGravity.x + m_posVar.x * randomMinus1To1());
    particle->pos.y = std::trunc(m_centerOfGravity.y + m_posVar.y * randomMinus1To1());

    const float a = degreesToRadians(m_angle + m_angleVar * randomMinus1To1());
    const float s = m_speed + m_speedVar * randomMinus1To1();
    particle->dir = CGPointMake(std::cos(a) * s, std::sin(a) * s);

    particle->radialAccel = m_radialAccel + m_radialAccelVar * randomMinus1To1();
    particle->tangentialAccel = m_tangentialAccel + m_tangentialAccelVar * randomMinus1To1();

    particle->life = m_life + m_lifeVar * randomMinus1To1();
    // A particle without life is removed before it is ever moved; its rates stay finite.
    const float perSecond = particle->life > 0 ? 1 / particle->life : 0;

    Color4F start;
    start.r = m_startColor.r + m_startColorVar.r * randomMinus1To1();
    start.g = m_startColor.g + m_startColorVar.g * randomMinus1To1();
    start.b = m_startColor.b + m_startColorVar.b * randomMinus1To1();
    start.a = m_startColor.a + m_startColorVar.a * randomMinus1To1();
    Color4F end;
    end.r = m_endColor.r + m_endColorVar.r * randomMinus1To1();
    end.g = m_endColor.g + m_endColorVar.g * randomMinus1To1();
    end.b = m_endColor.b + m_endColorVar.b * randomMinus1To1();
    end.a = m_endColor.a + m_endColorVar.a * randomMinus1To1();
    particle->color = start;
    particle->deltaColor.r = (end.r - start.r) * perSecond;
    particle->deltaColor.g = (end.g - start.g) * perSecond;
    particle->deltaColor.b = (end.b - start.b) * perSecond;
    particle->deltaColor.a = (end.a - start.a) * perSecond;

    particle->size = m_startSize + m_startSizeVar * randomMinus1To1();
    if (m_endSize == kParticleStartSizeEqualToEndSize) {
        particle->deltaSize = 0;
    } else {
        const float endSize = m_endSize + m_endSizeVar * randomMinus1To1();
        particle->deltaSize = (endSize - particle->size) * perSecond;
    }

    particle->rotation = m_startSpin + m_startSpinVar * randomMinus1To1();
    const float endSpin = m_endSpin + m_endSpinVar * randomMinus1To1();
    particle->deltaRotation = (endSpin - particle->rotation) * perSecond;

    particle->startPos = m_position;
}

void ParticleSystem::stopSystem()
{
    m_active = false;
    m_elapsed = m_duration;
    m_emitCounter = 0;
}

void ParticleSystem::resetSystem()
{
    m_active = true;
    m_elapsed = 0;
    for (int i = 0; i < m_particleCount; ++i)
        m_particles[static_cast<std::size_t>(i)].life = 0;
}

void ParticleSystem::step(float dt)
{
    // Removing ourselves from the parent below may drop the last other reference.
    Ref<ParticleSystem> self(this);

    if (m_active && m_emissionRate != 0) {
        const float rate = 1.0f / m_emissionRate;
        m_emitCounter += dt;
        while (m_particleCount < m_totalParticles && m_emitCounter > rate) {
            addParticle();
            m_emitCounter -= rate;
        }
        m_elapsed += dt;
        if (m_duration != kParticleDurationInfinity && m_duration < m_elapsed)
            stopSystem();
    }

    m_particleIdx = 0;
    const CGPoint nodePosition = m_position;
    while (m_particleIdx < m_particleCount) {
        Particle& p = m_particles[static_cast<std::size_t>(m_particleIdx)];
        if (p.life > 0) {
            const CGPoint unit = (p.pos.x != 0 || p.pos.y != 0) ? ccpNormalize(p.pos) : CGPointZero;
            const CGPoint radial = ccpMult(unit, p.radialAccel);
            const CGPoint tangential = ccpMult(CGPointMake(-unit.y, unit.x), p.tangentialAccel);
            const CGPoint accel = ccpAdd(ccpAdd(radial, tangential), m_gravity);
            p.dir = ccpAdd(p.dir, ccpMult(accel, dt));
            p.pos = ccpAdd(p.pos, ccpMult(p.dir, dt));

            p.color.r += p.deltaColor.r * dt;
            p.color.g += p.deltaColor.g * dt;
            p.color.b += p.deltaColor.b * dt;
            p.color.a += p.deltaColor.a * dt;
            p.size = std::max(0.0f, p.size + p.deltaSize * dt);
            p.life -= dt;

            // Free particles are drawn where they were emitted, not where the node is now.
            const CGPoint drawn = m_positionType == kPositionTypeFree
                ? ccpSub(p.pos, ccpSub(nodePosition, p.startPos))
                : p.pos;
            updateParticle(m_particleIdx, p, drawn);
            ++m_particleIdx;
        } else {
            // Keep the live particles packed at the front: the last one takes this slot.
            if (m_particleIdx != m_particleCount - 1)
                p = m_particles[static_cast<std::size_t>(m_particleCount - 1)];
            --m_particleCount;
            if (m_particleCount == 0 && m_autoRemoveOnFinish) {
                unschedule(stepSelector());
                if (Node* parent = m_parent)
                    parent->removeChild(this, true);
                return;
            }
        }
    }
    postStep();
}

void ParticleSystem::updateParticle(int, const Particle&, CGPoint) { }

void ParticleSystem::postStep() { }

void ParticleSystem::dumpProperties(PropertySink& out) const
{
    Node::dumpProperties(out);
    out.set("particleCount", m_particleCount);
    out.set("totalParticles", m_totalParticles);
    out.set("active", m_active);
    out.set("elapsed", m_elapsed);
    out.set("positionType", m_positionType);
}
