#include "Engine/Support/Touch.h"

#include <algorithm>

void Touch::begin(CGPoint location, int tapCount, double timestamp, EAGLView* view)
{
    m_phase = TouchPhase::Began;
    m_locationInView = m_previousLocationInView = location;
    m_tapCount = tapCount;
    m_timestamp = timestamp;
    m_view = view;
}

void Touch::update(TouchPhase phase, CGPoint location, int tapCount, double timestamp)
{
    m_phase = phase;
    m_previousLocationInView = m_locationInView;
    m_locationInView = location;
    m_tapCount = tapCount;
    m_timestamp = timestamp;
}

TouchSet::TouchSet(std::initializer_list<Touch*> touches)
{
    for (Touch* t : touches)
        insert(t);
}

bool TouchSet::contains(const Touch* touch) const
{
    return std::find_if(m_touches.begin(), m_touches.end(), [touch](const Ref<Touch>& t) {
        return t.get() == touch;
    }) != m_touches.end();
}

void TouchSet::insert(Touch* touch)
{
    if (touch && !contains(touch))
        m_touches.emplace_back(touch);
}

void TouchSet::erase(const Touch* touch)
{
    auto it = std::find_if(
        m_touches.begin(), m_touches.end(), [touch](const Ref<Touch>& t) { return t.get() == touch; });
    if (it != m_touches.end())
        m_touches.erase(it);
}
