#pragma once
// Actions that act once, when started, and are done at once.
//
// Callback actions retain the object whose method they call, so it lives at least until the
// action is released.

#include "Engine/IntervalAction.h"
#include "Engine/Support/Selector.h"

class InstantAction : public FiniteTimeAction {
public:
    static Ref<InstantAction> action();
    InstantAction()
        : FiniteTimeAction(0)
    {
    }
    const char* className() const override { return "InstantAction"; }

    Ref<Action> copy() const override;
    bool isDone() const override { return true; }
    void step(float dt) override;
    // The work is done in start().
    void update(float t) override;
};

class Show : public InstantAction {
public:
    static Ref<Show> action();
    const char* className() const override { return "Show"; }

    Ref<Action> copy() const override;
    void start() override;
    Ref<FiniteTimeAction> reverse() const override;
};

class Hide : public InstantAction {
public:
    static Ref<Hide> action();
    const char* className() const override { return "Hide"; }

    Ref<Action> copy() const override;
    void start() override;
    Ref<FiniteTimeAction> reverse() const override;
};

// Calls a method of an object without arguments. A null object or selector calls nothing.
class CallFunc : public InstantAction {
public:
    static Ref<CallFunc> actionWithTarget(Object* target, Selector<> selector);
    CallFunc(Object* target, Selector<> selector);
    const char* className() const override { return "CallFunc"; }

    Object* targetCallback() const { return m_targetCallback.get(); }
    const Selector<>& selector() const { return m_selector; }

    Ref<Action> copy() const override;
    void start() override;
    // A copy: calling again is its own undo.
    Ref<FiniteTimeAction> reverse() const override;

protected:
    explicit CallFunc(Object* target)
        : m_targetCallback(target)
    {
    }
    virtual void execute();

    Ref<Object> m_targetCallback; // retained for the action's life

private:
    Selector<> m_selector;
};

// Calls a method with the node being acted on.
class CallFuncN : public CallFunc {
public:
    static Ref<CallFuncN> actionWithTarget(Object* target, Selector<Node*> selector);
    CallFuncN(Object* target, Selector<Node*> selector);
    const char* className() const override { return "CallFuncN"; }

    const Selector<Node*>& selectorN() const { return m_selectorN; }

    Ref<Action> copy() const override;

protected:
    explicit CallFuncN(Object* target)
        : CallFunc(target)
    {
    }
    void execute() override;

private:
    Selector<Node*> m_selectorN;
};

// Calls a method with the node being acted on and an untyped pointer that is not owned.
class CallFuncND : public CallFuncN {
public:
    static Ref<CallFuncND> actionWithTarget(Object* target, Selector<Node*, void*> selector, void* data);
    CallFuncND(Object* target, Selector<Node*, void*> selector, void* data);
    const char* className() const override { return "CallFuncND"; }

    const Selector<Node*, void*>& selectorND() const { return m_selectorND; }
    void* data() const { return m_data; }

    Ref<Action> copy() const override;

protected:
    void execute() override;

private:
    Selector<Node*, void*> m_selectorND;
    void* m_data;
};
