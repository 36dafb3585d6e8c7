#include "Engine/TouchDispatcher.h"

#include "Engine/Support/Exception.h"

#include <algorithm>

TouchDispatcher* TouchDispatcher::sharedDispatcher()
{
    // Never freed: views and layers keep plain pointers to it for the whole run.
    static TouchDispatcher* s_shared = [] {
        auto* d = new TouchDispatcher();
        d->retain();
        d->m_touchHandlers.reserve(8);
        return d;
    }();
    return s_shared;
}

void TouchDispatcher::addHandler(Ref<TouchHandler> handler)
{
    std::size_t lower = 0;
    for (const Ref<TouchHandler>& h : m_touchHandlers) {
        if (h->priority() < handler->priority())
            ++lower;
        if (h->delegate() == handler->delegate())
            raiseException(kInvalidArgumentException, "Delegate already added to touch dispatcher.");
    }
    m_touchHandlers.insert(m_touchHandlers.begin() + static_cast<std::ptrdiff_t>(lower), std::move(handler));
}

void TouchDispatcher::addStandardDelegate(Object* delegate, int priority)
{
    addHandler(StandardTouchHandler::handlerWithDelegate(delegate, priority));
}

void TouchDispatcher::addTargetedDelegate(Object* delegate, int priority, bool swallowsTouches)
{
    addHandler(TargetedTouchHandler::handlerWithDelegate(delegate, priority, swallowsTouches));
}

void TouchDispatcher::removeDelegate(Object* delegate)
{
    if (!delegate)
        return;
    auto it = std::find_if(m_touchHandlers.begin(), m_touchHandlers.end(),
        [delegate](const Ref<TouchHandler>& h) { return h->delegate() == delegate; });
    if (it == m_touchHandlers.end())
        return;
    // Removal can release the delegate, whose destructor may come back here.
    Ref<TouchHandler> removed = *it;
    m_touchHandlers.erase(it);
}

void TouchDispatcher::removeAllDelegates()
{
    std::vector<Ref<TouchHandler>> removed = std::move(m_touchHandlers);
    m_touchHandlers.clear();
}

void TouchDispatcher::setPriority(int priority, Object* delegate)
{
    if (!delegate)
        raiseException(kInvalidArgumentException, "Got nil touch delegate");
    auto it = std::find_if(m_touchHandlers.begin(), m_touchHandlers.end(),
        [delegate](const Ref<TouchHandler>& h) { return h->delegate() == delegate; });
    if (it == m_touchHandlers.end())
        raiseException(kInvalidArgumentException, "Touch delegate not found");
    if ((*it)->priority() == priority)
        return;
    Ref<TouchHandler> handler = *it;
    m_touchHandlers.erase(it);
    handler->setPriority(priority);
    addHandler(std::move(handler));
}

void TouchDispatcher::dispatch(TouchEventKind kind, const TouchSet& touches, TouchEvent* event)
{
    if (!m_dispatchEvents)
        return;
    // Handlers may register or remove delegates while we walk; the copy also keeps removed
    // handlers (and their delegates) alive until the event is done.
    std::vector<Ref<TouchHandler>> nestedHandlers;
    TouchSet nestedRemaining;
    const bool nested = m_dispatching;
    std::vector<Ref<TouchHandler>>& handlers = nested ? nestedHandlers : m_walking;
    TouchSet& remaining = nested ? nestedRemaining : m_remaining;
    handlers.assign(m_touchHandlers.begin(), m_touchHandlers.end());
    remaining.clear();
    for (const Ref<Touch>& touch : touches)
        remaining.insert(touch.get());
    struct Done {
        TouchDispatcher& d;
        bool nested;
        std::vector<Ref<TouchHandler>>& handlers;
        TouchSet& remaining;
        ~Done()
        {
            d.m_dispatching = nested;
            // Nothing may stay alive only because the last event walked past it.
            handlers.clear();
            remaining.clear();
        }
    } done { *this, nested, handlers, remaining };
    m_dispatching = true;
    for (const Ref<TouchHandler>& handler : handlers)
        if (handler->handle(kind, remaining, event))
            break;
}

void TouchDispatcher::touchesBegan(const TouchSet& touches, TouchEvent* event)
{
    dispatch(TouchEventKind::Began, touches, event);
}
void TouchDispatcher::touchesMoved(const TouchSet& touches, TouchEvent* event)
{
    dispatch(TouchEventKind::Moved, touches, event);
}
void TouchDispatcher::touchesEnded(const TouchSet& touches, TouchEvent* event)
{
    dispatch(TouchEventKind::Ended, touches, event);
}
void TouchDispatcher::touchesCancelled(const TouchSet& touches, TouchEvent* event)
{
    dispatch(TouchEventKind::Cancelled, touches, event);
}
