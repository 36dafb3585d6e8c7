#pragma once
// A particle system drawn as textured point sprites: one vertex buffer upload and one draw
// call per frame for all live particles. Point sprites cannot turn, and their size is limited.

#include "Engine/ParticleSystem.h"

#include <GLES/gl.h>

#include <vector>

struct PointSprite {
    float x, y;
    float r, g, b, a;
    float size; // pixels
};
static_assert(sizeof(PointSprite) == 28, "the vertex buffer is laid out as 28-byte vertices");

// Largest start size, in points.
inline constexpr float kPointParticleMaxSize = 64;

class PointParticleSystem : public ParticleSystem {
public:
    // nullptr, after "Particle system: not enough memory", when the pool cannot be allocated.
    static Ref<PointParticleSystem> particleWithTotalParticles(int numberOfParticles);
    ~PointParticleSystem() override;
    const char* className() const override { return "PointParticleSystem"; }

    bool initWithTotalParticles(int numberOfParticles) override;

    void draw() override;

    // Above 64 is refused.
    void setStartSize(float size) override;
    // Anything but 0 is refused.
    void setStartSpin(float spin) override;
    void setStartSpinVar(float var) override;
    void setEndSpin(float spin) override;
    void setEndSpinVar(float var) override;

    const std::vector<PointSprite>& vertices() const { return m_vertices; }
    GLuint verticesID() const { return m_verticesID; }

protected:
    PointParticleSystem() = default;

    void updateParticle(int index, const Particle& particle, CGPoint position) override;
    void postStep() override;

    std::vector<PointSprite> m_vertices;
    GLuint m_verticesID = 0;
    // Sizes are in points; GL wants pixels.
    float m_pixelScale = 1;
};
