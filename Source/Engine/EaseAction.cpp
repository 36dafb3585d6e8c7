#include "Engine/EaseAction.h"

#include "Engine/Support/Exception.h"

#include <cmath>

namespace {

IntervalAction* checked(IntervalAction* action)
{
    MW_ASSERT(action != nullptr, "Ease: arguments must be non-nil");
    return action;
}

template <class T> Ref<Action> tagged(Ref<T> copy, const Action& from)
{
    copy->setTag(from.tag());
    return copy;
}

// Only interval actions can be eased; a reverse that gives anything else cannot be wrapped.
Ref<IntervalAction> reversedInner(const IntervalAction* inner)
{
    Ref<IntervalAction> reversed = ref_cast<IntervalAction>(inner->reverse());
    MW_ASSERT(reversed, "Ease: arguments must be non-nil");
    return reversed;
}

} // namespace

// --- EaseAction -----------------------------------------------------------------------------

Ref<EaseAction> EaseAction::actionWithAction(IntervalAction* action) { return make<EaseAction>(action); }

EaseAction::EaseAction(IntervalAction* action)
    : IntervalAction(checked(action)->duration())
    , m_other(action)
{
}

Ref<Action> EaseAction::copy() const
{
    return tagged(make<EaseAction>(copyAction(m_other.get()).get()), *this);
}

void EaseAction::start()
{
    IntervalAction::start();
    m_other->startWithTarget(m_target);
}

void EaseAction::stop()
{
    // The inner action may act on stop (an Animate restores its frame).
    m_other->stop();
    IntervalAction::stop();
}

void EaseAction::update(float t) { m_other->update(t); }

Ref<FiniteTimeAction> EaseAction::reverse() const
{
    return make<EaseAction>(reversedInner(m_other.get()).get());
}

// --- EaseRateAction -------------------------------------------------------------------------

Ref<EaseRateAction> EaseRateAction::actionWithAction(IntervalAction* action, float rate)
{
    return make<EaseRateAction>(action, rate);
}

EaseRateAction::EaseRateAction(IntervalAction* action, float rate)
    : EaseAction(action)
    , m_rate(rate)
{
}

Ref<Action> EaseRateAction::copy() const
{
    return tagged(make<EaseRateAction>(copyAction(m_other.get()).get(), m_rate), *this);
}

Ref<FiniteTimeAction> EaseRateAction::reverse() const
{
    return make<EaseRateAction>(reversedInner(m_other.get()).get(), 1 / m_rate);
}

// --- EaseOut --------------------------------------------------------------------------------

Ref<EaseOut> EaseOut::actionWithAction(IntervalAction* action, float rate)
{
    return make<EaseOut>(action, rate);
}

Ref<Action> EaseOut::copy() const
{
    return tagged(make<EaseOut>(copyAction(m_other.get()).get(), m_rate), *this);
}

void EaseOut::update(float t) { m_other->update(std::pow(t, 1 / m_rate)); }

Ref<FiniteTimeAction> EaseOut::reverse() const
{
    return make<EaseOut>(reversedInner(m_other.get()).get(), 1 / m_rate);
}
