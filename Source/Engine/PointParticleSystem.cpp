#include "Engine/PointParticleSystem.h"
#include "Platform/Log.h"

#include "Engine/Support/Exception.h"
#include "Platform/Host.h"

#include <GLES/glext.h>

#include <cstddef>
#include <cstdio>
#include <new>

Ref<PointParticleSystem> PointParticleSystem::particleWithTotalParticles(int numberOfParticles)
{
    Ref<PointParticleSystem> system(new PointParticleSystem);
    if (!system->initWithTotalParticles(numberOfParticles)) {
        // The step timer holds the system; drop it so the system can go.
        system->cleanup();
        return nullptr;
    }
    return system;
}

PointParticleSystem::~PointParticleSystem()
{
    if (m_verticesID)
        glDeleteBuffers(1, &m_verticesID);
}

bool PointParticleSystem::initWithTotalParticles(int numberOfParticles)
{
    if (!ParticleSystem::initWithTotalParticles(numberOfParticles))
        return false;
    try {
        m_vertices.assign(static_cast<std::size_t>(numberOfParticles), PointSprite {});
    } catch (const std::bad_alloc&) {
        logLine(LogLevel::Warning, "Particle system: not enough memory");
        return false;
    }
    if (Host* host = Host::currentOrNull())
        m_pixelScale = host->contentScale();

    glGenBuffers(1, &m_verticesID);
    glBindBuffer(GL_ARRAY_BUFFER, m_verticesID);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(sizeof(PointSprite) * m_vertices.size()),
        m_vertices.data(), GL_DYNAMIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return true;
}

void PointParticleSystem::updateParticle(int index, const Particle& particle, CGPoint position)
{
    PointSprite& v = m_vertices[static_cast<std::size_t>(index)];
    v.x = position.x;
    v.y = position.y;
    v.r = particle.color.r;
    v.g = particle.color.g;
    v.b = particle.color.b;
    v.a = particle.color.a;
    v.size = particle.size * m_pixelScale;
}

void PointParticleSystem::postStep()
{
    // The window may have been resized: the next step's point sizes follow the view's scale.
    if (Host* host = Host::currentOrNull())
        m_pixelScale = host->contentScale();
    glBindBuffer(GL_ARRAY_BUFFER, m_verticesID);
    glBufferData(GL_ARRAY_BUFFER,
        static_cast<GLsizeiptr>(sizeof(PointSprite) * static_cast<std::size_t>(m_particleCount)),
        m_vertices.data(), GL_DYNAMIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void PointParticleSystem::draw()
{
    if (m_particleIdx == 0)
        return;

    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, m_texture ? m_texture->name() : 0);
    glEnable(GL_POINT_SPRITE_OES);
    glTexEnvi(GL_POINT_SPRITE_OES, GL_COORD_REPLACE_OES, GL_TRUE);

    constexpr GLsizei stride = sizeof(PointSprite);
    glBindBuffer(GL_ARRAY_BUFFER, m_verticesID);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, stride, reinterpret_cast<const void*>(offsetof(PointSprite, x)));
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, stride, reinterpret_cast<const void*>(offsetof(PointSprite, r)));
    glEnableClientState(GL_POINT_SIZE_ARRAY_OES);
    glPointSizePointerOES(GL_FLOAT, stride, reinterpret_cast<const void*>(offsetof(PointSprite, size)));

    bool newBlend = false;
    if (m_blendAdditive) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        newBlend = true;
    } else if (m_blendFunc != kBlendFuncDefault) {
        glBlendFunc(m_blendFunc.src, m_blendFunc.dst);
        newBlend = true;
    }

    glDrawArrays(GL_POINTS, 0, m_particleIdx);

    if (newBlend)
        glBlendFunc(kBlendFuncDefault.src, kBlendFuncDefault.dst);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisableClientState(GL_POINT_SIZE_ARRAY_OES);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_POINT_SPRITE_OES);
}

void PointParticleSystem::setStartSize(float size)
{
    MW_ASSERT(size <= kPointParticleMaxSize, "PointParticleSystem doesn't support size > 64");
    ParticleSystem::setStartSize(size);
}

void PointParticleSystem::setStartSpin(float spin)
{
    MW_ASSERT(spin == 0, "PointParticleSystem doesn't support spinning");
    ParticleSystem::setStartSpin(spin);
}

void PointParticleSystem::setStartSpinVar(float var)
{
    MW_ASSERT(var == 0, "PointParticleSystem doesn't support spinning");
    ParticleSystem::setStartSpinVar(var);
}

void PointParticleSystem::setEndSpin(float spin)
{
    MW_ASSERT(spin == 0, "PointParticleSystem doesn't support spinning");
    ParticleSystem::setEndSpin(spin);
}

void PointParticleSystem::setEndSpinVar(float var)
{
    MW_ASSERT(var == 0, "PointParticleSystem doesn't support spinning");
    ParticleSystem::setEndSpinVar(var);
}
