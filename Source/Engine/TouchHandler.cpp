#include "Engine/TouchHandler.h"

#include "Engine/Support/Exception.h"

bool StandardTouchDelegate::onTouchesBegan(const TouchSet&, TouchEvent*) { return false; }
bool StandardTouchDelegate::onTouchesMoved(const TouchSet&, TouchEvent*) { return false; }
bool StandardTouchDelegate::onTouchesEnded(const TouchSet&, TouchEvent*) { return false; }
bool StandardTouchDelegate::onTouchesCancelled(const TouchSet&, TouchEvent*) { return false; }

void TargetedTouchDelegate::onTouchMoved(Touch*, TouchEvent*) { }
void TargetedTouchDelegate::onTouchEnded(Touch*, TouchEvent*) { }
void TargetedTouchDelegate::onTouchCancelled(Touch*, TouchEvent*) { }

// --- TouchHandler ----------------------------------------------------------------------------

TouchHandler::TouchHandler(Object* delegate, int priority)
    : m_delegate(delegate)
    , m_priority(priority)
{
    MW_ASSERT(delegate != nullptr, "Touch delegate may not be nil");
}

bool TouchHandler::touchesBegan(TouchSet&, TouchEvent*)
{
    MW_ASSERT(false, "override");
    return false;
}
bool TouchHandler::touchesMoved(TouchSet&, TouchEvent*)
{
    MW_ASSERT(false, "override");
    return false;
}
bool TouchHandler::touchesEnded(TouchSet&, TouchEvent*)
{
    MW_ASSERT(false, "override");
    return false;
}
bool TouchHandler::touchesCancelled(TouchSet&, TouchEvent*)
{
    MW_ASSERT(false, "override");
    return false;
}

bool TouchHandler::handle(TouchEventKind kind, TouchSet& touches, TouchEvent* event)
{
    switch (kind) {
    case TouchEventKind::Began:
        return touchesBegan(touches, event);
    case TouchEventKind::Moved:
        return touchesMoved(touches, event);
    case TouchEventKind::Ended:
        return touchesEnded(touches, event);
    case TouchEventKind::Cancelled:
        return touchesCancelled(touches, event);
    }
    return false;
}

// --- StandardTouchHandler ----------------------------------------------------------------------

StandardTouchHandler::StandardTouchHandler(Object* delegate, int priority)
    : TouchHandler(delegate, priority)
    , m_standard(dynamic_cast<StandardTouchDelegate*>(delegate))
{
}

Ref<StandardTouchHandler> StandardTouchHandler::handlerWithDelegate(Object* delegate, int priority)
{
    return make<StandardTouchHandler>(delegate, priority);
}

bool StandardTouchHandler::touchesBegan(TouchSet& touches, TouchEvent* event)
{
    return m_standard && m_standard->onTouchesBegan(touches, event);
}
bool StandardTouchHandler::touchesMoved(TouchSet& touches, TouchEvent* event)
{
    return m_standard && m_standard->onTouchesMoved(touches, event);
}
bool StandardTouchHandler::touchesEnded(TouchSet& touches, TouchEvent* event)
{
    return m_standard && m_standard->onTouchesEnded(touches, event);
}
bool StandardTouchHandler::touchesCancelled(TouchSet& touches, TouchEvent* event)
{
    return m_standard && m_standard->onTouchesCancelled(touches, event);
}

// --- TargetedTouchHandler ----------------------------------------------------------------------

TargetedTouchHandler::TargetedTouchHandler(Object* delegate, int priority, bool swallowsTouches)
    : TouchHandler(delegate, priority)
    , m_targeted(dynamic_cast<TargetedTouchDelegate*>(delegate))
    , m_swallowsTouches(swallowsTouches)
{
    MW_ASSERT(m_targeted != nullptr, "Touch delegate must implement onTouchBegan");
}

Ref<TargetedTouchHandler> TargetedTouchHandler::handlerWithDelegate(
    Object* delegate, int priority, bool swallowsTouches)
{
    return make<TargetedTouchHandler>(delegate, priority, swallowsTouches);
}

bool TargetedTouchHandler::touchesBegan(TouchSet& touches, TouchEvent* event)
{
    const TouchSet snapshot = touches;
    for (const Ref<Touch>& touch : snapshot)
        if (m_targeted->onTouchBegan(touch.get(), event)) {
            m_claimedTouches.insert(touch.get());
            if (m_swallowsTouches)
                touches.erase(touch.get());
        }
    return false;
}

void TargetedTouchHandler::forwardClaimed(TouchEventKind kind, TouchSet& touches, TouchEvent* event)
{
    const TouchSet snapshot = touches;
    for (const Ref<Touch>& touch : snapshot) {
        if (!m_claimedTouches.contains(touch.get()))
            continue;
        switch (kind) {
        case TouchEventKind::Moved:
            m_targeted->onTouchMoved(touch.get(), event);
            break;
        case TouchEventKind::Ended:
            m_targeted->onTouchEnded(touch.get(), event);
            m_claimedTouches.erase(touch.get());
            break;
        case TouchEventKind::Cancelled:
            m_targeted->onTouchCancelled(touch.get(), event);
            m_claimedTouches.erase(touch.get());
            break;
        case TouchEventKind::Began:
            break;
        }
        if (m_swallowsTouches)
            touches.erase(touch.get());
    }
}

bool TargetedTouchHandler::touchesMoved(TouchSet& touches, TouchEvent* event)
{
    forwardClaimed(TouchEventKind::Moved, touches, event);
    return false;
}
bool TargetedTouchHandler::touchesEnded(TouchSet& touches, TouchEvent* event)
{
    forwardClaimed(TouchEventKind::Ended, touches, event);
    return false;
}
bool TargetedTouchHandler::touchesCancelled(TouchSet& touches, TouchEvent* event)
{
    forwardClaimed(TouchEventKind::Cancelled, touches, event);
    return false;
}
