#pragma once
// Transition scenes: a temporary scene the director runs while it animates the running scene
// out and a new one in, then replaces itself by the new scene.
//
// Ownership: the transition retains both scenes; the director retains the transition. No
// touch reaches any layer from the transition's creation until it hands over to the new scene.

#include "Engine/Scene.h"

class FiniteTimeAction;
class IntervalAction;

enum {
    kOrientationLeftOver = 0,
    kOrientationRightOver = 1,
    kOrientationUpOver = 0,
    kOrientationDownOver = 1,
};

class TransitionScene : public Scene {
public:
    // Raises "TransitionWithInvalidScene" when scene is the running scene.
    static Ref<TransitionScene> transitionWithDuration(float duration, Scene* scene);
    ~TransitionScene() override;
    const char* className() const override { return "TransitionScene"; }
    bool isTransition() const override { return true; }

    void initWithDuration(float duration, Scene* scene);

    Scene* inScene() const { return m_inScene.get(); }
    Scene* outScene() const { return m_outScene.get(); }
    float duration() const { return m_duration; }
    bool inSceneOnTop() const { return m_inSceneOnTop; }
    // 0 before the animation starts, 1 once it has finished.
    float progress() const;

    // Draws the two scenes, the one on top last.
    void draw() override;
    void onEnter() override;
    void onExit() override;
    void onEnterTransitionDidFinish() override;

    // The end of the animation: both scenes are put back as they were, and the incoming one
    // replaces the transition from the next tick.
    void finish();
    void hideOutShowIn();
    void setNewScene(float dt);

    // Adds "transition": duration, progress, inScene, outScene, inSceneOnTop.
    void dumpProperties(PropertySink& out) const override;

protected:
    // The fields of "transition".
    virtual void transitionProperties(PropertySink& out) const;
    TransitionScene() = default;
    virtual void sceneOrder();
    // Runs the action that drives the incoming scene; its time is the transition's progress.
    void runOnInScene(FiniteTimeAction* action);

    Ref<Scene> m_inScene;
    Ref<Scene> m_outScene; // the director's running scene at creation; may be null
    float m_duration = 0;
    bool m_inSceneOnTop = true;

private:
    void releaseTouches();

    bool m_holdsTouches = false;
    bool m_finished = false;
};

class OrientedTransitionScene : public TransitionScene {
public:
    static Ref<OrientedTransitionScene> transitionWithDuration(float duration, Scene* scene, int orientation);
    const char* className() const override { return "OrientedTransitionScene"; }

    void initWithDuration(float duration, Scene* scene, int orientation);
    int orientation() const { return m_orientation; }

protected:
    // Adds the orientation.
    void transitionProperties(PropertySink& out) const override;

    OrientedTransitionScene() = default;
    int m_orientation = kOrientationLeftOver;
};

// A card turning about the vertical axis in perspective: the old page turns edge-on during the
// first half, the new one turns face-on during the second.
class FlipXTransition : public OrientedTransitionScene {
public:
    static Ref<FlipXTransition> transitionWithDuration(float duration, Scene* scene, int orientation);
    const char* className() const override { return "FlipXTransition"; }

    void onEnter() override;

protected:
    FlipXTransition() = default;
};

// The new scene slides in from the left under the old one; both move together.
class SlideInLTransition : public TransitionScene {
public:
    static Ref<SlideInLTransition> transitionWithDuration(float duration, Scene* scene);
    const char* className() const override { return "SlideInLTransition"; }

    void onEnter() override;
    virtual void initScenes();
    // One move of the slide; built once for each scene.
    virtual Ref<IntervalAction> action();

protected:
    SlideInLTransition() = default;
    void sceneOrder() override;
    // One screen width less half a point.
    static float travel();
};

// The new scene slides in from the right over the old one.
class SlideInRTransition : public SlideInLTransition {
public:
    static Ref<SlideInRTransition> transitionWithDuration(float duration, Scene* scene);
    const char* className() const override { return "SlideInRTransition"; }

    void initScenes() override;
    Ref<IntervalAction> action() override;

protected:
    SlideInRTransition() = default;
    void sceneOrder() override;
};
