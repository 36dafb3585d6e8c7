#pragma once
// Actions that take time: a duration is mapped to t from 0 to 1 and the target's property
// is set from t. Also the wrappers that drive other actions (RepeatForever, Speed).
//
// Ownership: composite actions retain their parts; every action only points at its target
// (the action manager's record keeps the target alive).

#include "Engine/Action.h"
#include "Engine/Support/Geometry.h"

#include <GLES/gl.h>

#include <array>
#include <initializer_list>

class Animation;
class Texture2D;

// An action that ends after a known time. reverse() gives the action that undoes it.
class FiniteTimeAction : public Action {
public:
    explicit FiniteTimeAction(float duration = 0)
        : m_duration(duration)
    {
    }
    Ref<Action> copy() const override;
    const char* className() const override { return "FiniteTimeAction"; }

    float duration() const { return m_duration; }
    virtual void setDuration(float duration) { m_duration = duration; }
    // nullptr here; kinds that can be undone override it.
    virtual Ref<FiniteTimeAction> reverse() const;

protected:
    float m_duration;
};

// A fresh, not started copy with the static type of its source.
template <class T> Ref<T> copyAction(const T* action) { return ref_cast<T>(action->copy()); }

class IntervalAction : public FiniteTimeAction {
public:
    // Refused with "IntervalActionInit": an interval action needs its duration.
    static Ref<IntervalAction> action();
    static Ref<IntervalAction> actionWithDuration(float duration);
    // A duration of 0 becomes 1e-8 s, so t never divides by zero.
    explicit IntervalAction(float duration);
    const char* className() const override { return "IntervalAction"; }

    void setDuration(float duration) override;
    float elapsed() const { return m_elapsed; }
    bool isFirstTick() const { return m_firstTick; }

    Ref<Action> copy() const override;
    void start() override;
    void step(float dt) override;
    bool isDone() const override;
    // Raises "ReverseActionNotImplemented" unless the kind overrides it.
    Ref<FiniteTimeAction> reverse() const override;

protected:
    float m_elapsed = 0;
    bool m_firstTick = true;
};

// Two actions one after the other; longer runs are nested pairs from the left.
class Sequence : public IntervalAction {
public:
    static Ref<Sequence> actionOne(FiniteTimeAction* one, FiniteTimeAction* two);
    // ((a, b), c), ...; a single action is returned as it is.
    static Ref<FiniteTimeAction> actions(std::initializer_list<FiniteTimeAction*> list);
    Sequence(FiniteTimeAction* one, FiniteTimeAction* two);
    const char* className() const override { return "Sequence"; }

    const std::array<Ref<FiniteTimeAction>, 2>& actions() const { return m_actions; }
    float split() const { return m_split; }

    Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;
    Ref<FiniteTimeAction> reverse() const override;

private:
    std::array<Ref<FiniteTimeAction>, 2> m_actions;
    float m_split = 0;
    int m_last = -1;
};

// Two actions at the same time; the shorter one is padded with a delay.
class Spawn : public IntervalAction {
public:
    static Ref<Spawn> actionOne(FiniteTimeAction* one, FiniteTimeAction* two);
    static Ref<FiniteTimeAction> actions(std::initializer_list<FiniteTimeAction*> list);
    Spawn(FiniteTimeAction* one, FiniteTimeAction* two);
    const char* className() const override { return "Spawn"; }

    FiniteTimeAction* one() const { return m_one.get(); }
    FiniteTimeAction* two() const { return m_two.get(); }

    Ref<Action> copy() const override;
    void start() override;
    void stop() override;
    void update(float t) override;
    Ref<FiniteTimeAction> reverse() const override;

private:
    Ref<FiniteTimeAction> m_one;
    Ref<FiniteTimeAction> m_two;
};

class Repeat : public IntervalAction {
public:
    static Ref<Repeat> actionWithAction(FiniteTimeAction* action, unsigned times);
    Repeat(FiniteTimeAction* action, unsigned times);
    const char* className() const override { return "Repeat"; }

    FiniteTimeAction* other() const { return m_other.get(); }
    unsigned times() const { return m_times; }
    // Repetitions finished so far.
    unsigned total() const { return m_total; }

    Ref<Action> copy() const override;
    void start() override;
    void stop() override;
    void update(float t) override;
    bool isDone() const override;
    Ref<FiniteTimeAction> reverse() const override;

private:
    unsigned m_times;
    unsigned m_total = 0;
    Ref<FiniteTimeAction> m_other;
};

// Turns the target to an absolute angle (degrees, clockwise) the short way round.
class RotateTo : public IntervalAction {
public:
    static Ref<RotateTo> actionWithDuration(float duration, float angle);
    RotateTo(float duration, float angle);
    const char* className() const override { return "RotateTo"; }

    // The destination as given, not the turn computed from it.
    float destinationAngle() const { return m_dstAngle; }
    // The turn of the current run, valid after start.
    float angle() const { return m_angle; }
    float startAngle() const { return m_startAngle; }

    Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;

private:
    // Kept apart from the turn so a restarted action still heads for the same angle.
    float m_dstAngle;
    float m_angle = 0;
    float m_startAngle = 0;
};

class RotateBy : public IntervalAction {
public:
    static Ref<RotateBy> actionWithDuration(float duration, float angle);
    RotateBy(float duration, float angle);
    const char* className() const override { return "RotateBy"; }

    float angle() const { return m_angle; }
    float startAngle() const { return m_startAngle; }

    Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;
    Ref<FiniteTimeAction> reverse() const override;

private:
    float m_angle;
    float m_startAngle = 0;
};

class MoveTo : public IntervalAction {
public:
    static Ref<MoveTo> actionWithDuration(float duration, CGPoint position);
    MoveTo(float duration, CGPoint position);
    const char* className() const override { return "MoveTo"; }

    CGPoint endPosition() const { return m_endPosition; }
    CGPoint startPosition() const { return m_startPosition; }
    CGPoint delta() const { return m_delta; }

    Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;

protected:
    CGPoint m_endPosition;
    CGPoint m_startPosition;
    CGPoint m_delta;
};

class MoveBy : public MoveTo {
public:
    static Ref<MoveBy> actionWithDuration(float duration, CGPoint delta);
    MoveBy(float duration, CGPoint delta);
    const char* className() const override { return "MoveBy"; }

    Ref<Action> copy() const override;
    void start() override;
    Ref<FiniteTimeAction> reverse() const override;
};

class ScaleTo : public IntervalAction {
public:
    static Ref<ScaleTo> actionWithDuration(float duration, float scale);
    static Ref<ScaleTo> actionWithDuration(float duration, float scaleX, float scaleY);
    ScaleTo(float duration, float scaleX, float scaleY);
    const char* className() const override { return "ScaleTo"; }

    float scaleX() const { return m_scaleX; }
    float scaleY() const { return m_scaleY; }

    Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;

protected:
    float m_scaleX, m_scaleY;
    float m_startScaleX = 1, m_startScaleY = 1;
    float m_endScaleX, m_endScaleY;
    float m_deltaX = 0, m_deltaY = 0;
};

// Multiplies the target's scale by the factors.
class ScaleBy : public ScaleTo {
public:
    static Ref<ScaleBy> actionWithDuration(float duration, float scale);
    static Ref<ScaleBy> actionWithDuration(float duration, float scaleX, float scaleY);
    ScaleBy(float duration, float scaleX, float scaleY);
    const char* className() const override { return "ScaleBy"; }

    Ref<Action> copy() const override;
    void start() override;
    Ref<FiniteTimeAction> reverse() const override;
};

// Fades act on any node with an opacity (RGBAProtocol); other targets are left alone.
class FadeIn : public IntervalAction {
public:
    static Ref<FadeIn> actionWithDuration(float duration);
    explicit FadeIn(float duration)
        : IntervalAction(duration)
    {
    }
    const char* className() const override { return "FadeIn"; }

    Ref<Action> copy() const override;
    void update(float t) override;
    Ref<FiniteTimeAction> reverse() const override;
};

class FadeOut : public IntervalAction {
public:
    static Ref<FadeOut> actionWithDuration(float duration);
    explicit FadeOut(float duration)
        : IntervalAction(duration)
    {
    }
    const char* className() const override { return "FadeOut"; }

    Ref<Action> copy() const override;
    void update(float t) override;
    Ref<FiniteTimeAction> reverse() const override;
};

class FadeTo : public IntervalAction {
public:
    static Ref<FadeTo> actionWithDuration(float duration, GLubyte opacity);
    FadeTo(float duration, GLubyte opacity);
    const char* className() const override { return "FadeTo"; }

    GLubyte toOpacity() const { return m_toOpacity; }
    GLubyte fromOpacity() const { return m_fromOpacity; }

    Ref<Action> copy() const override;
    void start() override;
    void update(float t) override;

private:
    GLubyte m_toOpacity;
    GLubyte m_fromOpacity = 255;
};

class DelayTime : public IntervalAction {
public:
    static Ref<DelayTime> actionWithDuration(float duration);
    explicit DelayTime(float duration)
        : IntervalAction(duration)
    {
    }
    const char* className() const override { return "DelayTime"; }

    Ref<Action> copy() const override;
    void update(float t) override;
    Ref<FiniteTimeAction> reverse() const override;
};

// Shows an animation's frames on a Sprite target, `delay` seconds apart.
class Animate : public IntervalAction {
public:
    // Restores the frame shown at start when stopped.
    static Ref<Animate> actionWithAnimation(Animation* animation);
    static Ref<Animate> actionWithAnimation(Animation* animation, bool restoreOriginalFrame);
    explicit Animate(Animation* animation, bool restoreOriginalFrame = true);
    const char* className() const override { return "Animate"; }

    Animation* animation() const { return m_animation.get(); }
    Texture2D* origFrame() const { return m_origFrame.get(); }
    bool restoreOriginalFrame() const { return m_restoreOriginalFrame; }

    Ref<Action> copy() const override;
    void start() override;
    void stop() override;
    void update(float t) override;

private:
    Ref<Animation> m_animation;
    Ref<Texture2D> m_origFrame; // retained so it can be shown again after the run
    bool m_restoreOriginalFrame;
};

// Runs an interval action again each time it finishes, until removed.
class RepeatForever : public Action {
public:
    static Ref<RepeatForever> actionWithAction(IntervalAction* action);
    explicit RepeatForever(IntervalAction* action);
    const char* className() const override { return "RepeatForever"; }

    IntervalAction* other() const { return m_other.get(); }

    Ref<Action> copy() const override;
    void start() override;
    void stop() override;
    void step(float dt) override;
    bool isDone() const override { return false; }
    Ref<RepeatForever> reverse() const;

private:
    Ref<IntervalAction> m_other;
};

// Runs another action with its time scaled by `speed`.
class Speed : public Action {
public:
    static Ref<Speed> actionWithAction(Action* action, float speed);
    Speed(Action* action, float speed);
    const char* className() const override { return "Speed"; }

    Action* other() const { return m_other.get(); }
    float speed() const { return m_speed; }
    void setSpeed(float speed) { m_speed = speed; }

    Ref<Action> copy() const override;
    void start() override;
    void stop() override;
    void step(float dt) override;
    bool isDone() const override;
    // The inner action must be reversible (a finite action, RepeatForever or Speed).
    Ref<Speed> reverse() const;

private:
    Ref<Action> m_other;
    float m_speed;
};
