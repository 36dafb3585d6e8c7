#pragma once
// Touch delegates and the handlers the dispatcher keeps for them.
//
// A delegate is an Object implementing one of the two protocols. Standard delegates get whole
// touch sets and return true to stop dispatching; targeted delegates claim single touches in
// onTouchBegan and then receive only the touches they claimed.

#include "Engine/Support/Ref.h"
#include "Engine/Support/Touch.h"

class StandardTouchDelegate {
public:
    virtual ~StandardTouchDelegate() = default;
    // Each returns true when it handled the touches; the defaults handle nothing.
    virtual bool onTouchesBegan(const TouchSet& touches, TouchEvent* event);
    virtual bool onTouchesMoved(const TouchSet& touches, TouchEvent* event);
    virtual bool onTouchesEnded(const TouchSet& touches, TouchEvent* event);
    virtual bool onTouchesCancelled(const TouchSet& touches, TouchEvent* event);
};

class TargetedTouchDelegate {
public:
    virtual ~TargetedTouchDelegate() = default;
    // Returns true to claim the touch.
    virtual bool onTouchBegan(Touch* touch, TouchEvent* event) = 0;
    virtual void onTouchMoved(Touch* touch, TouchEvent* event);
    virtual void onTouchEnded(Touch* touch, TouchEvent* event);
    virtual void onTouchCancelled(Touch* touch, TouchEvent* event);
};

enum class TouchEventKind { Began, Moved, Ended, Cancelled };

class TouchHandler : public Object {
public:
    TouchHandler(Object* delegate, int priority);
    const char* className() const override { return "TouchHandler"; }

    Object* delegate() const { return m_delegate.get(); }
    void setDelegate(Object* delegate) { m_delegate = delegate; }
    int priority() const { return m_priority; }
    void setPriority(int priority) { m_priority = priority; }

    // `touches` is shared by all handlers of one event; swallowing removes from it.
    // Returns true to stop the dispatch.
    virtual bool touchesBegan(TouchSet& touches, TouchEvent* event);
    virtual bool touchesMoved(TouchSet& touches, TouchEvent* event);
    virtual bool touchesEnded(TouchSet& touches, TouchEvent* event);
    virtual bool touchesCancelled(TouchSet& touches, TouchEvent* event);

    bool handle(TouchEventKind kind, TouchSet& touches, TouchEvent* event);

protected:
    Ref<Object> m_delegate; // retained while registered
    int m_priority = 0;
};

class StandardTouchHandler : public TouchHandler {
public:
    StandardTouchHandler(Object* delegate, int priority);
    static Ref<StandardTouchHandler> handlerWithDelegate(Object* delegate, int priority);
    const char* className() const override { return "StandardTouchHandler"; }

    bool touchesBegan(TouchSet& touches, TouchEvent* event) override;
    bool touchesMoved(TouchSet& touches, TouchEvent* event) override;
    bool touchesEnded(TouchSet& touches, TouchEvent* event) override;
    bool touchesCancelled(TouchSet& touches, TouchEvent* event) override;

private:
    StandardTouchDelegate* m_standard; // the delegate's protocol side, or null
};

class TargetedTouchHandler : public TouchHandler {
public:
    TargetedTouchHandler(Object* delegate, int priority, bool swallowsTouches);
    static Ref<TargetedTouchHandler> handlerWithDelegate(
        Object* delegate, int priority, bool swallowsTouches);
    const char* className() const override { return "TargetedTouchHandler"; }

    bool swallowsTouches() const { return m_swallowsTouches; }
    void setSwallowsTouches(bool swallows) { m_swallowsTouches = swallows; }
    const TouchSet& claimedTouches() const { return m_claimedTouches; }

    bool touchesBegan(TouchSet& touches, TouchEvent* event) override;
    bool touchesMoved(TouchSet& touches, TouchEvent* event) override;
    bool touchesEnded(TouchSet& touches, TouchEvent* event) override;
    bool touchesCancelled(TouchSet& touches, TouchEvent* event) override;

private:
    void forwardClaimed(TouchEventKind kind, TouchSet& touches, TouchEvent* event);

    TargetedTouchDelegate* m_targeted;
    bool m_swallowsTouches = false;
    TouchSet m_claimedTouches;
};
