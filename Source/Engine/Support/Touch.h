#pragma once
// The platform touch: one object per finger for the finger's whole life, so sets of touches
// can be compared by identity from began to ended.

#include "Engine/Support/Geometry.h"
#include "Engine/Support/Ref.h"

#include <initializer_list>
#include <utility>
#include <vector>

class EAGLView;
class View;

enum class TouchPhase { Began, Moved, Stationary, Ended, Cancelled };

class Touch : public Object {
public:
    Touch() = default;
    const char* className() const override { return "Touch"; }

    // View points, origin top left.
    CGPoint locationInView() const { return m_locationInView; }
    CGPoint previousLocationInView() const { return m_previousLocationInView; }
    int tapCount() const { return m_tapCount; }
    TouchPhase phase() const { return m_phase; }
    double timestamp() const { return m_timestamp; }
    EAGLView* view() const { return m_view; }
    // The platform view the finger landed on, or null when it belongs to the engine's touch
    // dispatcher. Set by the rendering view when the finger goes down.
    View* hitView() const { return m_hitView; }
    void setHitView(View* view) { m_hitView = view; }

    // Moves the touch: the old location becomes the previous one.
    void update(TouchPhase phase, CGPoint location, int tapCount, double timestamp);
    // Starts the touch at a location (previous location = location).
    void begin(CGPoint location, int tapCount, double timestamp, EAGLView* view);

private:
    CGPoint m_locationInView;
    CGPoint m_previousLocationInView;
    int m_tapCount = 1;
    TouchPhase m_phase = TouchPhase::Began;
    double m_timestamp = 0;
    EAGLView* m_view = nullptr; // the view owns its touches
    View* m_hitView = nullptr; // kept alive by the rendering view while the finger is down
};

// A set of touches compared by identity, kept in insertion order so dispatch is repeatable.
class TouchSet {
public:
    TouchSet() = default;
    TouchSet(std::initializer_list<Touch*> touches);

    bool contains(const Touch* touch) const;
    // Adds the touch unless it is already there.
    void insert(Touch* touch);
    void erase(const Touch* touch);
    void clear() { m_touches.clear(); }
    std::size_t size() const { return m_touches.size(); }
    bool empty() const { return m_touches.empty(); }
    // Any member (the first), or null.
    Touch* anyObject() const { return m_touches.empty() ? nullptr : m_touches.front().get(); }

    auto begin() const { return m_touches.begin(); }
    auto end() const { return m_touches.end(); }

private:
    std::vector<Ref<Touch>> m_touches;
};

// What goes with each touch delivery: every finger currently down and the event time.
class TouchEvent : public Object {
public:
    TouchEvent(TouchSet allTouches, double timestamp)
        : m_allTouches(std::move(allTouches))
        , m_timestamp(timestamp)
    {
    }
    const char* className() const override { return "TouchEvent"; }
    const TouchSet& allTouches() const { return m_allTouches; }
    // The fingers down on that platform view (null: those of the touch dispatcher).
    TouchSet touchesForView(const View* view) const
    {
        TouchSet out;
        for (const Ref<Touch>& t : m_allTouches)
            if (t->hitView() == view)
                out.insert(t.get());
        return out;
    }
    double timestamp() const { return m_timestamp; }
    // Refills an event nobody else holds, keeping its storage.
    void reset(double timestamp)
    {
        m_allTouches.clear();
        m_timestamp = timestamp;
    }
    TouchSet& mutableAllTouches() { return m_allTouches; }

private:
    TouchSet m_allTouches;
    double m_timestamp = 0;
};
