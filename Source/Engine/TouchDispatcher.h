#pragma once
// Hands the rendering view's touches to registered delegates in ascending priority.
//
// Each event works on a copy of the handler list, so delegates may register or unregister
// (themselves included) while touches are dispatched; such changes apply from the next event.

#include "Engine/Support/EAGLView.h"
#include "Engine/TouchHandler.h"

#include <vector>

class TouchDispatcher : public Object, public EAGLTouchDelegate {
public:
    // Created on first use and kept for the rest of the run.
    static TouchDispatcher* sharedDispatcher();

    TouchDispatcher() = default;
    const char* className() const override { return "TouchDispatcher"; }

    void addStandardDelegate(Object* delegate, int priority);
    void addTargetedDelegate(Object* delegate, int priority, bool swallowsTouches);
    void removeDelegate(Object* delegate);
    void removeAllDelegates();
    void setPriority(int priority, Object* delegate);

    bool dispatchEvents() const { return m_dispatchEvents; }
    void setDispatchEvents(bool dispatch) { m_dispatchEvents = dispatch; }

    void touchesBegan(const TouchSet& touches, TouchEvent* event) override;
    void touchesMoved(const TouchSet& touches, TouchEvent* event) override;
    void touchesEnded(const TouchSet& touches, TouchEvent* event) override;
    void touchesCancelled(const TouchSet& touches, TouchEvent* event) override;

    const std::vector<Ref<TouchHandler>>& touchHandlers() const { return m_touchHandlers; }

private:
    void addHandler(Ref<TouchHandler> handler);
    void dispatch(TouchEventKind kind, const TouchSet& touches, TouchEvent* event);

    std::vector<Ref<TouchHandler>> m_touchHandlers;
    // The snapshot a dispatch walks and the touches still unclaimed, kept for the next one; a
    // dispatch from inside another makes its own.
    std::vector<Ref<TouchHandler>> m_walking;
    TouchSet m_remaining;
    bool m_dispatching = false;
    bool m_dispatchEvents = true;
};
