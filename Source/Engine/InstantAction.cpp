#include "Engine/InstantAction.h"

#include "Engine/Node.h"

namespace {

template <class T> Ref<Action> tagged(Ref<T> copy, const Action& from)
{
    copy->setTag(from.tag());
    return copy;
}

} // namespace

// --- InstantAction --------------------------------------------------------------------------

Ref<InstantAction> InstantAction::action() { return make<InstantAction>(); }

Ref<Action> InstantAction::copy() const { return tagged(make<InstantAction>(), *this); }

void InstantAction::step(float) { update(1); }

void InstantAction::update(float) { }

// --- Show / Hide ----------------------------------------------------------------------------

Ref<Show> Show::action() { return make<Show>(); }

Ref<Action> Show::copy() const { return tagged(make<Show>(), *this); }

void Show::start()
{
    InstantAction::start();
    m_target->setVisible(true);
}

Ref<FiniteTimeAction> Show::reverse() const { return Hide::action(); }

Ref<Hide> Hide::action() { return make<Hide>(); }

Ref<Action> Hide::copy() const { return tagged(make<Hide>(), *this); }

void Hide::start()
{
    InstantAction::start();
    m_target->setVisible(false);
}

Ref<FiniteTimeAction> Hide::reverse() const { return Show::action(); }

// --- CallFunc family ------------------------------------------------------------------------

Ref<CallFunc> CallFunc::actionWithTarget(Object* target, Selector<> selector)
{
    return make<CallFunc>(target, selector);
}

CallFunc::CallFunc(Object* target, Selector<> selector)
    : m_targetCallback(target)
    , m_selector(selector)
{
    MW_ASSERT(
        !target || !selector || selector.accepts(target), "Selector target must be of the selector's class");
}

Ref<Action> CallFunc::copy() const
{
    return tagged(make<CallFunc>(m_targetCallback.get(), m_selector), *this);
}

void CallFunc::start()
{
    InstantAction::start();
    // The callback may remove this action or release its target; both stay alive through
    // the call (the manager holds the action being stepped, and this action the object).
    Ref<Object> keep = m_targetCallback;
    execute();
}

void CallFunc::execute()
{
    if (m_targetCallback && m_selector)
        m_selector(m_targetCallback.get());
}

Ref<FiniteTimeAction> CallFunc::reverse() const { return ref_cast<FiniteTimeAction>(copy()); }

Ref<CallFuncN> CallFuncN::actionWithTarget(Object* target, Selector<Node*> selector)
{
    return make<CallFuncN>(target, selector);
}

CallFuncN::CallFuncN(Object* target, Selector<Node*> selector)
    : CallFunc(target)
    , m_selectorN(selector)
{
    MW_ASSERT(
        !target || !selector || selector.accepts(target), "Selector target must be of the selector's class");
}

Ref<Action> CallFuncN::copy() const
{
    return tagged(make<CallFuncN>(m_targetCallback.get(), m_selectorN), *this);
}

void CallFuncN::execute()
{
    if (m_targetCallback && m_selectorN)
        m_selectorN(m_targetCallback.get(), m_target);
}

Ref<CallFuncND> CallFuncND::actionWithTarget(Object* target, Selector<Node*, void*> selector, void* data)
{
    return make<CallFuncND>(target, selector, data);
}

CallFuncND::CallFuncND(Object* target, Selector<Node*, void*> selector, void* data)
    : CallFuncN(target)
    , m_selectorND(selector)
    , m_data(data)
{
    MW_ASSERT(
        !target || !selector || selector.accepts(target), "Selector target must be of the selector's class");
}

Ref<Action> CallFuncND::copy() const
{
    return tagged(make<CallFuncND>(m_targetCallback.get(), m_selectorND, m_data), *this);
}

void CallFuncND::execute()
{
    if (m_targetCallback && m_selectorND)
        m_selectorND(m_targetCallback.get(), m_target, m_data);
}
