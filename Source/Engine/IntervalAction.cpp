#include "Engine/IntervalAction.h"

#include "Engine/Node.h"
#include "Engine/Sprite.h"
#include "Engine/Support/Color.h"
#include "Engine/Support/Exception.h"
#include "Engine/Support/PointExtension.h"

#include <algorithm>
#include <cmath>

namespace {

// Zero would make t = elapsed / duration a division by zero.
constexpr float kMinimumDuration = 1e-8f;

template <class T> Ref<Action> tagged(Ref<T> copy, const Action& from)
{
    copy->setTag(from.tag());
    return copy;
}

[[noreturn]] void raiseNoReverse()
{
    raiseException("ReverseActionNotImplemented", "Reverse Action not implemented");
}

// Whole bytes, wrapping like the byte store does; going through a signed integer keeps
// values outside 0..255 (eased t below 0) defined.
GLubyte opacityByte(float value) { return static_cast<GLubyte>(static_cast<long>(value)); }

RGBAProtocol* rgbaTarget(Node* target) { return dynamic_cast<RGBAProtocol*>(target); }

float checkedSum(FiniteTimeAction* one, FiniteTimeAction* two)
{
    MW_ASSERT(one != nullptr, "Sequence: argument one must be non-nil");
    MW_ASSERT(two != nullptr, "Sequence: argument two must be non-nil");
    return one->duration() + two->duration();
}

float checkedLonger(FiniteTimeAction* one, FiniteTimeAction* two)
{
    MW_ASSERT(one != nullptr, "Spawn: argument one must be non-nil");
    MW_ASSERT(two != nullptr, "Spawn: argument two must be non-nil");
    return std::max(one->duration(), two->duration());
}

float checkedRepeatDuration(FiniteTimeAction* action, unsigned times)
{
    MW_ASSERT(action != nullptr, "Argument action must be non-nil");
    return action->duration() * static_cast<float>(times);
}

float checkedAnimationDuration(Animation* animation)
{
    MW_ASSERT(animation != nullptr, "Animate: argument Animation must be non-nil");
    return static_cast<float>(animation->frames().size()) * animation->delay();
}

} // namespace

// --- FiniteTimeAction -----------------------------------------------------------------------

Ref<Action> FiniteTimeAction::copy() const { return tagged(make<FiniteTimeAction>(m_duration), *this); }

Ref<FiniteTimeAction> FiniteTimeAction::reverse() const { return nullptr; }

// --- IntervalAction -------------------------------------------------------------------------

Ref<IntervalAction> IntervalAction::action()
{
    raiseException("IntervalActionInit", "Init not supported. Use InitWithDuration");
}

Ref<IntervalAction> IntervalAction::actionWithDuration(float duration)
{
    return make<IntervalAction>(duration);
}

IntervalAction::IntervalAction(float duration)
    : FiniteTimeAction(duration == 0 ? kMinimumDuration : duration)
{
}

void IntervalAction::setDuration(float duration) { m_duration = duration == 0 ? kMinimumDuration : duration; }

Ref<Action> IntervalAction::copy() const { return tagged(make<IntervalAction>(m_duration), *this); }

void IntervalAction::start()
{
    FiniteTimeAction::start();
    m_elapsed = 0;
    m_firstTick = true;
}

void IntervalAction::step(float dt)
{
    // The frame in which the action started is not counted, so the first tick shows t = 0.
    if (m_firstTick) {
        m_firstTick = false;
        m_elapsed = 0;
    } else {
        m_elapsed += dt;
    }
    update(std::min(1.0f, m_elapsed / m_duration));
}

bool IntervalAction::isDone() const { return m_elapsed >= m_duration; }

Ref<FiniteTimeAction> IntervalAction::reverse() const { raiseNoReverse(); }

// --- Sequence -------------------------------------------------------------------------------

Ref<Sequence> Sequence::actionOne(FiniteTimeAction* one, FiniteTimeAction* two)
{
    return make<Sequence>(one, two);
}

Ref<FiniteTimeAction> Sequence::actions(std::initializer_list<FiniteTimeAction*> list)
{
    MW_ASSERT(list.size() > 0 && *list.begin() != nullptr, "Sequence: argument one must be non-nil");
    Ref<FiniteTimeAction> result = *list.begin();
    for (auto it = list.begin() + 1; it != list.end(); ++it)
        result = actionOne(result.get(), *it);
    return result;
}

Sequence::Sequence(FiniteTimeAction* one, FiniteTimeAction* two)
    : IntervalAction(checkedSum(one, two))
    , m_actions { Ref<FiniteTimeAction>(one), Ref<FiniteTimeAction>(two) }
{
}

Ref<Action> Sequence::copy() const
{
    return tagged(
        make<Sequence>(copyAction(m_actions[0].get()).get(), copyAction(m_actions[1].get()).get()), *this);
}

void Sequence::start()
{
    IntervalAction::start();
    m_actions[0]->setTarget(m_target);
    m_actions[1]->setTarget(m_target);
    m_split = m_actions[0]->duration() / m_duration;
    m_last = -1;
}

void Sequence::update(float t)
{
    int found;
    float local;
    if (t >= m_split) {
        found = 1;
        local = m_split == 1 ? 1 : (t - m_split) / (1 - m_split);
    } else {
        found = 0;
        local = m_split != 0 ? t / m_split : 1;
    }
    if (found == 1 && m_last == -1) {
        // The first action was stepped over entirely: it still runs, all at once.
        m_actions[0]->start();
        m_actions[0]->update(1);
        m_actions[0]->stop();
    }
    if (found != m_last) {
        if (m_last != -1) {
            m_actions[static_cast<std::size_t>(m_last)]->update(1);
            m_actions[static_cast<std::size_t>(m_last)]->stop();
        }
        m_actions[static_cast<std::size_t>(found)]->start();
    }
    m_actions[static_cast<std::size_t>(found)]->update(local);
    m_last = found;
}

Ref<FiniteTimeAction> Sequence::reverse() const
{
    return actionOne(m_actions[1]->reverse().get(), m_actions[0]->reverse().get());
}

// --- Spawn ----------------------------------------------------------------------------------

Ref<Spawn> Spawn::actionOne(FiniteTimeAction* one, FiniteTimeAction* two) { return make<Spawn>(one, two); }

Ref<FiniteTimeAction> Spawn::actions(std::initializer_list<FiniteTimeAction*> list)
{
    MW_ASSERT(list.size() > 0 && *list.begin() != nullptr, "Spawn: argument one must be non-nil");
    Ref<FiniteTimeAction> result = *list.begin();
    for (auto it = list.begin() + 1; it != list.end(); ++it)
        result = actionOne(result.get(), *it);
    return result;
}

Spawn::Spawn(FiniteTimeAction* one, FiniteTimeAction* two)
    : IntervalAction(checkedLonger(one, two))
    , m_one(one)
    , m_two(two)
{
    const float d1 = one->duration();
    const float d2 = two->duration();
    if (d1 > d2)
        m_two = Sequence::actionOne(two, DelayTime::actionWithDuration(d1 - d2).get());
    else if (d2 > d1)
        m_one = Sequence::actionOne(one, DelayTime::actionWithDuration(d2 - d1).get());
}

Ref<Action> Spawn::copy() const
{
    return tagged(make<Spawn>(copyAction(m_one.get()).get(), copyAction(m_two.get()).get()), *this);
}

void Spawn::start()
{
    IntervalAction::start();
    m_one->startWithTarget(m_target);
    m_two->startWithTarget(m_target);
}

void Spawn::stop()
{
    m_one->stop();
    m_two->stop();
    IntervalAction::stop();
}

void Spawn::update(float t)
{
    m_one->update(t);
    m_two->update(t);
}

Ref<FiniteTimeAction> Spawn::reverse() const
{
    return actionOne(m_one->reverse().get(), m_two->reverse().get());
}

// --- Repeat ---------------------------------------------------------------------------------

Ref<Repeat> Repeat::actionWithAction(FiniteTimeAction* action, unsigned times)
{
    return make<Repeat>(action, times);
}

Repeat::Repeat(FiniteTimeAction* action, unsigned times)
    : IntervalAction(checkedRepeatDuration(action, times))
    , m_times(times)
    , m_other(action)
{
}

Ref<Action> Repeat::copy() const
{
    return tagged(make<Repeat>(copyAction(m_other.get()).get(), m_times), *this);
}

void Repeat::start()
{
    IntervalAction::start();
    m_total = 0;
    // Zero repetitions must not run the inner action even once (instant ones act in start).
    if (m_times > 0)
        m_other->startWithTarget(m_target);
}

void Repeat::stop()
{
    if (m_times > 0)
        m_other->stop();
    IntervalAction::stop();
}

void Repeat::update(float t)
{
    if (m_times == 0)
        return;
    const float r = t * static_cast<float>(m_times);
    // A long frame can step over several repetitions; each one is finished and restarted,
    // so none is lost (the last one ends below, at t = 1). A frame landing exactly on a
    // boundary starts the next run rather than showing the finished one at its beginning.
    bool restarted = false;
    while (r >= static_cast<float>(m_total + 1) && m_total + 1 < m_times) {
        m_other->update(1);
        ++m_total;
        m_other->stop();
        m_other->start();
        m_other->update(0);
        restarted = true;
    }
    if (t == 1) {
        if (m_total < m_times)
            ++m_total;
        m_other->update(1);
    } else {
        const float local = std::min(std::fmod(r, 1.0f), 1.0f);
        if (!restarted || local > 0)
            m_other->update(local);
    }
}

bool Repeat::isDone() const { return m_total >= m_times; }

Ref<FiniteTimeAction> Repeat::reverse() const { return actionWithAction(m_other->reverse().get(), m_times); }

// --- RotateTo / RotateBy --------------------------------------------------------------------

Ref<RotateTo> RotateTo::actionWithDuration(float duration, float angle)
{
    return make<RotateTo>(duration, angle);
}

RotateTo::RotateTo(float duration, float angle)
    : IntervalAction(duration)
    , m_dstAngle(angle)
{
}

Ref<Action> RotateTo::copy() const { return tagged(make<RotateTo>(m_duration, m_dstAngle), *this); }

void RotateTo::start()
{
    IntervalAction::start();
    m_startAngle = m_target->rotation();
    // The shortest turn, also when either angle lies beyond a full turn.
    m_angle = std::fmod(m_dstAngle - m_startAngle, 360.0f);
    if (m_angle > 180)
        m_angle -= 360;
    if (m_angle < -180)
        m_angle += 360;
}

void RotateTo::update(float t) { m_target->setRotation(m_startAngle + t * m_angle); }

Ref<RotateBy> RotateBy::actionWithDuration(float duration, float angle)
{
    return make<RotateBy>(duration, angle);
}

RotateBy::RotateBy(float duration, float angle)
    : IntervalAction(duration)
    , m_angle(angle)
{
}

Ref<Action> RotateBy::copy() const { return tagged(make<RotateBy>(m_duration, m_angle), *this); }

void RotateBy::start()
{
    IntervalAction::start();
    m_startAngle = m_target->rotation();
}

void RotateBy::update(float t) { m_target->setRotation(m_startAngle + t * m_angle); }

Ref<FiniteTimeAction> RotateBy::reverse() const { return actionWithDuration(m_duration, -m_angle); }

// --- MoveTo / MoveBy ------------------------------------------------------------------------

Ref<MoveTo> MoveTo::actionWithDuration(float duration, CGPoint position)
{
    return make<MoveTo>(duration, position);
}

MoveTo::MoveTo(float duration, CGPoint position)
    : IntervalAction(duration)
    , m_endPosition(position)
{
}

Ref<Action> MoveTo::copy() const { return tagged(make<MoveTo>(m_duration, m_endPosition), *this); }

void MoveTo::start()
{
    IntervalAction::start();
    m_startPosition = m_target->position();
    m_delta = ccpSub(m_endPosition, m_startPosition);
}

void MoveTo::update(float t) { m_target->setPosition(ccpAdd(m_startPosition, ccpMult(m_delta, t))); }

Ref<MoveBy> MoveBy::actionWithDuration(float duration, CGPoint delta)
{
    return make<MoveBy>(duration, delta);
}

MoveBy::MoveBy(float duration, CGPoint delta)
    : MoveTo(duration, CGPoint {})
{
    m_delta = delta;
}

Ref<Action> MoveBy::copy() const { return tagged(make<MoveBy>(m_duration, m_delta), *this); }

void MoveBy::start()
{
    // Not MoveTo::start: the offset is given, not computed.
    IntervalAction::start();
    m_startPosition = m_target->position();
    m_endPosition = ccpAdd(m_startPosition, m_delta);
}

Ref<FiniteTimeAction> MoveBy::reverse() const { return actionWithDuration(m_duration, ccpNeg(m_delta)); }

// --- ScaleTo / ScaleBy ----------------------------------------------------------------------

Ref<ScaleTo> ScaleTo::actionWithDuration(float duration, float scale)
{
    return make<ScaleTo>(duration, scale, scale);
}

Ref<ScaleTo> ScaleTo::actionWithDuration(float duration, float scaleX, float scaleY)
{
    return make<ScaleTo>(duration, scaleX, scaleY);
}

ScaleTo::ScaleTo(float duration, float scaleX, float scaleY)
    : IntervalAction(duration)
    , m_scaleX(scaleX)
    , m_scaleY(scaleY)
    , m_endScaleX(scaleX)
    , m_endScaleY(scaleY)
{
}

Ref<Action> ScaleTo::copy() const { return tagged(make<ScaleTo>(m_duration, m_scaleX, m_scaleY), *this); }

void ScaleTo::start()
{
    IntervalAction::start();
    m_startScaleX = m_target->scaleX();
    m_startScaleY = m_target->scaleY();
    m_endScaleX = m_scaleX;
    m_endScaleY = m_scaleY;
    m_deltaX = m_endScaleX - m_startScaleX;
    m_deltaY = m_endScaleY - m_startScaleY;
}

void ScaleTo::update(float t)
{
    m_target->setScaleX(m_startScaleX + t * m_deltaX);
    m_target->setScaleY(m_startScaleY + t * m_deltaY);
}

Ref<ScaleBy> ScaleBy::actionWithDuration(float duration, float scale)
{
    return make<ScaleBy>(duration, scale, scale);
}

Ref<ScaleBy> ScaleBy::actionWithDuration(float duration, float scaleX, float scaleY)
{
    return make<ScaleBy>(duration, scaleX, scaleY);
}

ScaleBy::ScaleBy(float duration, float scaleX, float scaleY)
    : ScaleTo(duration, scaleX, scaleY)
{
}

Ref<Action> ScaleBy::copy() const { return tagged(make<ScaleBy>(m_duration, m_scaleX, m_scaleY), *this); }

void ScaleBy::start()
{
    ScaleTo::start();
    m_endScaleX = m_startScaleX * m_scaleX;
    m_endScaleY = m_startScaleY * m_scaleY;
    m_deltaX = m_endScaleX - m_startScaleX;
    m_deltaY = m_endScaleY - m_startScaleY;
}

Ref<FiniteTimeAction> ScaleBy::reverse() const
{
    return actionWithDuration(m_duration, 1 / m_scaleX, 1 / m_scaleY);
}

// --- Fades ----------------------------------------------------------------------------------

Ref<FadeIn> FadeIn::actionWithDuration(float duration) { return make<FadeIn>(duration); }

Ref<Action> FadeIn::copy() const { return tagged(make<FadeIn>(m_duration), *this); }

void FadeIn::update(float t)
{
    if (RGBAProtocol* rgba = rgbaTarget(m_target))
        rgba->setOpacity(opacityByte(t * 255));
}

Ref<FiniteTimeAction> FadeIn::reverse() const { return FadeOut::actionWithDuration(m_duration); }

Ref<FadeOut> FadeOut::actionWithDuration(float duration) { return make<FadeOut>(duration); }

Ref<Action> FadeOut::copy() const { return tagged(make<FadeOut>(m_duration), *this); }

void FadeOut::update(float t)
{
    if (RGBAProtocol* rgba = rgbaTarget(m_target))
        rgba->setOpacity(opacityByte((1 - t) * 255));
}

Ref<FiniteTimeAction> FadeOut::reverse() const { return FadeIn::actionWithDuration(m_duration); }

Ref<FadeTo> FadeTo::actionWithDuration(float duration, GLubyte opacity)
{
    return make<FadeTo>(duration, opacity);
}

FadeTo::FadeTo(float duration, GLubyte opacity)
    : IntervalAction(duration)
    , m_toOpacity(opacity)
{
}

Ref<Action> FadeTo::copy() const { return tagged(make<FadeTo>(m_duration, m_toOpacity), *this); }

void FadeTo::start()
{
    IntervalAction::start();
    if (RGBAProtocol* rgba = rgbaTarget(m_target))
        m_fromOpacity = rgba->opacity();
}

void FadeTo::update(float t)
{
    if (RGBAProtocol* rgba = rgbaTarget(m_target))
        rgba->setOpacity(opacityByte(m_fromOpacity + (static_cast<float>(m_toOpacity) - m_fromOpacity) * t));
}

// --- DelayTime ------------------------------------------------------------------------------

Ref<DelayTime> DelayTime::actionWithDuration(float duration) { return make<DelayTime>(duration); }

Ref<Action> DelayTime::copy() const { return tagged(make<DelayTime>(m_duration), *this); }

void DelayTime::update(float) { }

Ref<FiniteTimeAction> DelayTime::reverse() const { return actionWithDuration(m_duration); }

// --- Animate --------------------------------------------------------------------------------

Ref<Animate> Animate::actionWithAnimation(Animation* animation) { return make<Animate>(animation, true); }

Ref<Animate> Animate::actionWithAnimation(Animation* animation, bool restoreOriginalFrame)
{
    return make<Animate>(animation, restoreOriginalFrame);
}

Animate::Animate(Animation* animation, bool restoreOriginalFrame)
    : IntervalAction(checkedAnimationDuration(animation))
    , m_animation(animation)
    , m_restoreOriginalFrame(restoreOriginalFrame)
{
}

Ref<Action> Animate::copy() const
{
    // The copy keeps the flag: a copy that restored a frame the original leaves would not
    // be the same action.
    return tagged(make<Animate>(m_animation.get(), m_restoreOriginalFrame), *this);
}

void Animate::start()
{
    IntervalAction::start();
    Sprite* sprite = dynamic_cast<Sprite*>(m_target);
    m_origFrame = sprite ? sprite->displayFrame() : nullptr;
}

void Animate::stop()
{
    if (m_restoreOriginalFrame)
        if (Sprite* sprite = dynamic_cast<Sprite*>(m_target))
            sprite->setDisplayFrame(m_origFrame.get());
    IntervalAction::stop();
}

void Animate::update(float t)
{
    Sprite* sprite = dynamic_cast<Sprite*>(m_target);
    const std::vector<Ref<Texture2D>>& frames = m_animation->frames();
    // An animation without frames has nothing to show.
    if (!sprite || frames.empty())
        return;
    const unsigned count = static_cast<unsigned>(frames.size());
    unsigned index = 0;
    if (t > 0) {
        const float slice = 1.0f / static_cast<float>(count);
        index = static_cast<unsigned>(t / slice);
    }
    if (index >= count)
        index = count - 1;
    Texture2D* frame = frames[index].get();
    if (!sprite->isFrameDisplayed(frame))
        sprite->setDisplayFrame(frame);
}

// --- RepeatForever --------------------------------------------------------------------------

Ref<RepeatForever> RepeatForever::actionWithAction(IntervalAction* action)
{
    return make<RepeatForever>(action);
}

RepeatForever::RepeatForever(IntervalAction* action)
    : m_other(action)
{
    MW_ASSERT(action != nullptr, "Argument action must be non-nil");
}

Ref<Action> RepeatForever::copy() const
{
    return tagged(make<RepeatForever>(copyAction(m_other.get()).get()), *this);
}

void RepeatForever::start()
{
    Action::start();
    m_other->startWithTarget(m_target);
}

void RepeatForever::stop()
{
    m_other->stop();
    Action::stop();
}

void RepeatForever::step(float dt)
{
    m_other->step(dt);
    // What ran past the inner action's end is dropped, not carried into the next run.
    if (m_other->isDone())
        m_other->start();
}

Ref<RepeatForever> RepeatForever::reverse() const
{
    Ref<FiniteTimeAction> reversed = m_other->reverse();
    auto* interval = dynamic_cast<IntervalAction*>(reversed.get());
    if (!interval)
        raiseNoReverse();
    return actionWithAction(interval);
}

// --- Speed ----------------------------------------------------------------------------------

Ref<Speed> Speed::actionWithAction(Action* action, float speed) { return make<Speed>(action, speed); }

Speed::Speed(Action* action, float speed)
    : m_other(action)
    , m_speed(speed)
{
    MW_ASSERT(action != nullptr, "Argument action must be non-nil");
}

Ref<Action> Speed::copy() const { return tagged(make<Speed>(m_other->copy().get(), m_speed), *this); }

void Speed::start()
{
    Action::start();
    m_other->startWithTarget(m_target);
}

void Speed::stop()
{
    m_other->stop();
    Action::stop();
}

void Speed::step(float dt) { m_other->step(dt * m_speed); }

bool Speed::isDone() const { return m_other->isDone(); }

Ref<Speed> Speed::reverse() const
{
    Ref<Action> reversed;
    if (auto* finite = dynamic_cast<FiniteTimeAction*>(m_other.get()))
        reversed = finite->reverse();
    else if (auto* forever = dynamic_cast<RepeatForever*>(m_other.get()))
        reversed = forever->reverse();
    else if (auto* speed = dynamic_cast<Speed*>(m_other.get()))
        reversed = speed->reverse();
    if (!reversed)
        raiseNoReverse();
    return actionWithAction(reversed.get(), m_speed);
}
