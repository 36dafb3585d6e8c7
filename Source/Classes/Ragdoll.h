#pragma once
// The jointed figure that falls through the ball field, and what all figures share: choosing
// the figure from the settings, keeping it on screen, the collision sound gate, shake detection.
//
// Ownership: a figure owns its bodies, shapes and joints and frees them (joints, then shapes,
// then bodies) when it goes; the space must not step after that. Sprites belong to the layer
// they are added to; the figure keeps plain pointers to them.

#include "Classes/Queue.h"
#include "Engine/Support/Accelerometer.h"
#include "Engine/Support/Geometry.h"
#include "Engine/Support/Ref.h"

#include <chipmunk/chipmunk.h>

#include <string>
#include <vector>

class GameLayer;
class Layer;
class Sprite;
struct HostImage;

inline constexpr cpCollisionType kRagdollCollisionType = 316;
inline constexpr cpGroup kRagdollGroup = 316;

class Ragdoll;

// What the figure classes offer before an instance exists.
struct RagdollClass {
    const char* name;
    CGSize (*size)();
    Ref<Ragdoll> (*alloc)();
    Ref<Sprite> (*headSprite)(); // null for figures without a replaceable head
    const char* headCropperMatteImage; // resource names, or null
    const char* headCropperAlphaMaskImage;
};

class Ragdoll : public Object {
public:
    // The built-in figures by class name (RagdollClasses.cpp); null for an unknown name.
    static const RagdollClass* classNamed(const std::string& name);
    static const std::vector<const RagdollClass*>& allClasses();
    // The class named by the "ragdollClass" setting, or null when there is none by that name.
    static const RagdollClass* classFromConfig();
    static Ref<Ragdoll> allocFromConfig();
    // The head picture, or the custom face when the settings hold one that decodes.
    static Ref<Sprite> headSpriteFromConfig(const char* defaultFile);
    // Whether the settings hold custom face data; figures fit their neck and head to it.
    static bool hasCustomFace();

    Ragdoll() = default;
    ~Ragdoll() override;
    const char* className() const override { return "Ragdoll"; }

    // Builds the figure into the space with its local frame moved to `position`.
    virtual bool initWithSpace(cpSpace* space, CGPoint position, GameLayer* gameLayer);
    virtual void loadSounds() { }
    virtual void addSpritesToLayer(Layer* layer);
    virtual void removeSpritesFromLayer(Layer* layer);
    void keepVisibleOnLayer(Layer* layer);
    virtual void updateSprites();
    // Called once per physics step after the sprites are updated.
    virtual void step() { }
    // Wireframe outlines of every shape.
    virtual void draw();
    virtual void collisionnOnSelfShape(
        cpShape* ownShape, cpShape* foreignShape, float velocity, CGPoint position);
    void accelerometer(Accelerometer* accelerometer, const Acceleration& acceleration);
    virtual void performSpecial() { }
    virtual void playSound(int painLevel) { (void)painLevel; }

    CGPoint position() const;
    CGPoint direction() const;
    cpBody* mainBody() const { return m_mainBody; }
    void setMainBody(cpBody* body) { m_mainBody = body; }
    GameLayer* gameLayer() const { return m_gameLayer; }
    void setGameLayer(GameLayer* layer) { m_gameLayer = layer; }
    std::vector<Ref<Object>>& lowPainSounds() { return m_lowPainSounds; }
    std::vector<Ref<Object>>& mediumPainSounds() { return m_mediumPainSounds; }
    std::vector<Ref<Object>>& highPainSounds() { return m_highPainSounds; }

    // Every body with its part name, in creation order (dumps, tests, benchmarks).
    struct Part {
        const char* name;
        cpBody* body;
    };
    const std::vector<Part>& parts() const { return m_parts; }
    cpBody* bodyNamed(const std::string& name) const;
    const std::vector<Ref<PointerWrapper>>& joints() const { return m_joints; }
    const std::vector<cpShape*>& shapes() const { return m_shapes; }
    struct SpriteBinding {
        Sprite* sprite; // owned by the layer
        cpBody* body;
    };
    // The sprites in update order, each with the body it follows.
    const std::vector<SpriteBinding>& sprites() const { return m_sprites; }

    bool hadRecentCollisionWith(const cpShape* shape) const;
    void trackCollisionWith(cpShape* shape);
    const ShapeQueue* shapesCollidedWith() const { return m_shapesCollidedWith.get(); }

    // The shake detector's state is shared by all figures for the life of the process.
    static void resetShakeDetectorForTesting();

protected:
    // Building blocks for the figures' tables. Positions are in the figure's local frame.
    cpBody* addBody(const char* name, cpFloat mass, cpFloat moment, cpVect localPosition);
    // Vertices clockwise from the lower-left corner, in the body's frame.
    cpShape* addPolygon(cpBody* body, std::initializer_list<cpVect> vertices);
    // The same, freed with the figure, but left for the figure to add to the space.
    cpShape* makePolygon(cpBody* body, std::initializer_list<cpVect> vertices);
    cpShape* addCircle(cpBody* body, cpFloat radius);
    // A body whose one shape and moment are the box (0,0)-(width,height) of its picture.
    cpBody* addBoxPart(
        const char* name, cpFloat mass, cpFloat width, cpFloat height, cpVect localPosition, cpShape** shape);
    // A pivot at the two local anchors plus a limit on b's angle relative to a (degrees).
    void addJointPair(
        cpBody* a, cpBody* b, cpVect anchorA, cpVect anchorB, float minDegrees, float maxDegrees);
    // Any other joint: added to the space and freed with the figure.
    cpConstraint* addJoint(cpConstraint* joint);
    cpConstraint* addRotaryLimit(cpBody* a, cpBody* b, float minDegrees, float maxDegrees);
    // Moves every body by the position argument once the figure is built.
    void shiftBodies(CGPoint offset);
    // Sprites follow bodies in the order they are bound; removal uses the same order.
    void bindSprite(Sprite* sprite, cpBody* body);
    // Wireframe drawing order.
    void setDrawOrder(std::vector<cpShape*> order) { m_drawOrder = std::move(order); }

    static cpFloat momentForBox(cpFloat mass, cpFloat width, cpFloat height);
    static float degreesToRadiansSingle(float degrees);

    cpSpace* m_space = nullptr;
    cpBody* m_mainBody = nullptr;
    GameLayer* m_gameLayer = nullptr; // not retained: the layer owns the figure
    std::vector<Ref<Object>> m_lowPainSounds, m_mediumPainSounds, m_highPainSounds;
    double m_prevSoundTime = 0;
    Ref<ShapeQueue> m_shapesCollidedWith;
    std::vector<Ref<PointerWrapper>> m_joints;

private:
    std::vector<Part> m_parts;
    std::vector<cpShape*> m_shapes;
    std::vector<cpShape*> m_drawOrder;
    std::vector<SpriteBinding> m_sprites;
};
