#pragma once
// A narwhal lying on its side, with a tusk that a shake turns into a light saber: the tusk
// picture extends or retracts, a switch sound plays and the tusk's shape enters or leaves the
// space. While lit, fast swings swoosh and hits on balls clash and throw sparks. Until the saber
// is first lit, two spoken hints play, 5 and 9 seconds after the figure was made.

#include "Classes/Ragdoll.h"
#include "Engine/PointParticleSystem.h"
#include "Engine/Sprite.h"

class Configuration;
class Sound;

// The tusk picture with its 19-frame extend and retract animations.
class SaberTuskSprite : public Sprite {
public:
    static Ref<SaberTuskSprite> node();
    const char* className() const override { return "SaberTuskSprite"; }
    bool init();

    void extendSaber();
    void retractSaber();

    Animation* saberExtendAnimation() const { return m_saberExtendAnimation.get(); }
    void setSaberExtendAnimation(Animation* animation) { m_saberExtendAnimation = animation; }
    Animation* saberRetractAnimation() const { return m_saberRetractAnimation.get(); }
    void setSaberRetractAnimation(Animation* animation) { m_saberRetractAnimation = animation; }

private:
    void runSaberAnimation(Animation* animation);

    Ref<Animation> m_saberExtendAnimation;
    Ref<Animation> m_saberRetractAnimation;
};

// Sparks where the saber hits a ball: a half-second burst that removes itself.
class SaberParticles : public PointParticleSystem {
public:
    // A burst needs a place: logs and gives nothing.
    static Ref<SaberParticles> node();
    // nullptr when the particle pool cannot be had.
    static Ref<SaberParticles> nodeWithPosition(CGPoint position);
    // While fewer than 20 bursts are alive.
    static bool canCreate();
    static int totalInstances() { return s_totalInstances; }

    ~SaberParticles() override;
    const char* className() const override { return "SaberParticles"; }
    bool initWithPosition(CGPoint position);

    static constexpr int kMaxInstances = 20;

private:
    SaberParticles() = default;

    static int s_totalInstances;
    bool m_counted = false;
};

class Narwhal : public Ragdoll {
public:
    static const RagdollClass& ragdollClass();
    static CGSize size() { return CGSizeMake(220, 220); }
    // The whole body picture: the narwhal has no face to replace.
    static Ref<Sprite> headSprite();

    Narwhal() = default;
    const char* className() const override { return "Narwhal"; }

    bool initWithSpace(cpSpace* space, CGPoint position, GameLayer* gameLayer) override;
    void loadSounds() override;
    void addSpritesToLayer(Layer* layer) override;
    void step() override;
    void draw() override;
    void collisionnOnSelfShape(
        cpShape* ownShape, cpShape* foreignShape, float velocity, CGPoint position) override;
    void performSpecial() override;
    void changeSaberState();

    bool saberState() const { return m_saberState; }
    bool directions1Played() const { return m_directions1Played; }
    bool directions2Played() const { return m_directions2Played; }
    cpShape* tuskShape() const { return m_tuskShape; }
    cpBody* tuskBody() const { return m_tuskBody; }
    SaberTuskSprite* tuskSprite() const { return m_tuskSprite.get(); }
    Sound* saberOnSound() const { return m_saberOn.get(); }
    Sound* saberOffSound() const { return m_saberOff.get(); }
    const std::vector<Ref<Sound>>& swooshSounds() const { return m_swooshSounds; }
    const std::vector<Ref<Sound>>& clashSounds() const { return m_clashSounds; }

private:
    // The tusk's shape follows the saber, also when a switch comes in the middle of a step.
    void syncTuskShape();
    static void syncTuskShapePostStep(cpSpace* space, void* key, void* data);

    Configuration* m_config = nullptr; // the process-wide settings; not retained
    bool m_directions1Played = false;
    bool m_directions2Played = false;
    Ref<Sound> m_directions1Sound;
    Ref<Sound> m_saberOn;
    Ref<Sound> m_saberOff;
    Ref<Sound> m_directions2Sound;
    std::vector<Ref<Sound>> m_swooshSounds;
    std::vector<Ref<Sound>> m_clashSounds;
    float m_prevSaberAngularVelocity = 9999;
    double m_prevSwooshSoundTime = 0;
    double m_prevClashSoundTime = 0;
    double m_initTime = 0;
    bool m_saberState = false;
    bool m_tuskShapeInSpace = false;
    cpBody *m_bodyBody = nullptr, *m_tuskBody = nullptr, *m_jawBody = nullptr, *m_upperTailBody = nullptr,
           *m_midTailBody = nullptr, *m_tailFinBody = nullptr, *m_flipperBody = nullptr;
    // All freed by the base, the tusk's shape too, whether it is in the space or not.
    cpShape *m_tuskShape = nullptr, *m_bodyShape = nullptr, *m_jawShape = nullptr,
            *m_upperTailShape = nullptr, *m_midTailShape = nullptr, *m_tailFinShape = nullptr,
            *m_flipperShape = nullptr;
    Ref<SaberTuskSprite> m_tuskSprite; // also a child of the layer
    Sprite *m_bodySprite = nullptr, *m_jawSprite = nullptr, *m_upperTailSprite = nullptr,
           *m_midTailSprite = nullptr, *m_tailFinSprite = nullptr,
           *m_flipperSprite = nullptr; // owned by the layer
};
