#pragma once
// Base of everything that changes a node over time. The ActionManager owns running actions;
// an action only points back at its target.

#include "Engine/Support/Ref.h"

#include <string>

class Node;

inline constexpr int kActionTagInvalid = -1;

class Action : public Object {
public:
    static Ref<Action> action();
    Action() = default;

    const char* className() const override { return "Action"; }
    std::string description() const override;

    // A new, not started action with the same parameters. Subclasses copy their parts.
    virtual Ref<Action> copy() const;

    // Sets the target and calls start(). The manager uses this; subclasses override start().
    void startWithTarget(Node* target);
    // Reads start values from the target.
    virtual void start();
    virtual void stop();
    virtual bool isDone() const;
    // dt in seconds since the last step.
    virtual void step(float dt);
    // t from 0 to 1.
    virtual void update(float t);

    Node* target() const { return m_target; }
    void setTarget(Node* target) { m_target = target; }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

protected:
    Node* m_target = nullptr; // not retained: the manager's record keeps the target alive
    int m_tag = kActionTagInvalid;
};
