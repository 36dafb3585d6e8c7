#include "Engine/Slider.h"

#include "Engine/Director.h"
#include "Engine/MenuItem.h"
#include "Engine/TouchDispatcher.h"

#include <GLES/gl.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Controls sit over the GL surface, so they see touches before any menu.
constexpr int kSliderTouchPriority = INT_MIN;
// A finger is wider than the track: touches this far outside still take the slider, unless
// they fall on another control.
constexpr float kTouchSlop = 8;
constexpr float kTrackHeight = 4;

// Whether a shown menu item under root lies under the touch: the slider's margin must not
// take touches meant for, or aimed at, another control (a heading just above the track).
bool menuItemUnder(Node* root, const Touch* touch)
{
    if (!root || !root->visible())
        return false;
    if (dynamic_cast<MenuItem*>(root)) {
        const CGPoint p = root->convertTouchToNodeSpace(touch);
        const CGSize s = root->contentSize();
        if (CGRectContainsPoint(CGRectMake(0, 0, s.width, s.height), p))
            return true;
    }
    for (const Ref<Node>& child : root->children())
        if (menuItemUnder(child.get(), touch))
            return true;
    return false;
}

void fillRect(float x0, float y0, float x1, float y1)
{
    const GLfloat v[8] = { x0, y0, x1, y0, x0, y1, x1, y1 };
    glVertexPointer(2, GL_FLOAT, 0, v);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void fillDisc(float cx, float cy, float r)
{
    constexpr int kSegments = 24;
    GLfloat v[2 * (kSegments + 2)];
    v[0] = cx;
    v[1] = cy;
    for (int i = 0; i <= kSegments; ++i) {
        const float a = 6.2831855f * static_cast<float>(i) / kSegments;
        v[2 + 2 * i] = cx + std::cos(a) * r;
        v[3 + 2 * i] = cy + std::sin(a) * r;
    }
    glVertexPointer(2, GL_FLOAT, 0, v);
    glDrawArrays(GL_TRIANGLE_FAN, 0, kSegments + 2);
}

} // namespace

Ref<Slider> Slider::sliderWithFrame(CGRect frame)
{
    Ref<Slider> slider(new Slider);
    slider->setFrame(frame);
    return slider;
}

Slider::Slider()
{
    setAnchorPoint({ 0, 0 });
    m_isTouchEnabled = true;
}

void Slider::setFrame(CGRect frame)
{
    m_frame = frame;
    const float height = Director::sharedDirector()->winSize().height;
    setContentSize(frame.size);
    setPosition(CGPointMake(frame.origin.x, height - frame.origin.y - frame.size.height));
}

void Slider::setMinimumValue(float value)
{
    m_minimumValue = value;
    m_maximumValue = std::max(m_maximumValue, value);
    setValue(m_value);
}

void Slider::setMaximumValue(float value)
{
    m_maximumValue = value;
    m_minimumValue = std::min(m_minimumValue, value);
    setValue(m_value);
}

void Slider::setValue(float value)
{
    // NaN would stick: every later comparison fails.
    if (std::isnan(value))
        value = m_minimumValue;
    m_value = std::clamp(value, m_minimumValue, m_maximumValue);
}

void Slider::addTarget(Object* target, Callback action)
{
    MW_ASSERT(
        !target || !action || action.accepts(target), "Selector target must be of the selector's class");
    m_target = target;
    m_action = action;
}

void Slider::slideTo(float value)
{
    setValue(value);
    report();
}

void Slider::report()
{
    if (m_target && m_action)
        m_action(m_target, this);
}

float Slider::valueAt(float x) const
{
    const float travel = m_contentSize.width - 2 * kThumbRadius;
    if (travel <= 0)
        return m_minimumValue;
    const float t = std::clamp((x - kThumbRadius) / travel, 0.0f, 1.0f);
    return m_minimumValue + t * (m_maximumValue - m_minimumValue);
}

std::vector<Slider*> Slider::slidersIn(Node* root)
{
    std::vector<Slider*> found;
    if (!root)
        return found;
    if (auto* slider = dynamic_cast<Slider*>(root))
        found.push_back(slider);
    for (const Ref<Node>& child : root->children()) {
        std::vector<Slider*> below = slidersIn(child.get());
        found.insert(found.end(), below.begin(), below.end());
    }
    return found;
}

void Slider::registerWithTouchDispatcher()
{
    TouchDispatcher::sharedDispatcher()->addTargetedDelegate(this, kSliderTouchPriority, true);
}

void Slider::onExit()
{
    m_tracking = false;
    Layer::onExit();
}

bool Slider::onTouchBegan(Touch* touch, TouchEvent*)
{
    if (!m_visible || m_tracking)
        return false;
    const CGPoint p = convertTouchToNodeSpace(touch);
    if (p.x < -kTouchSlop || p.x > m_contentSize.width + kTouchSlop || p.y < -kTouchSlop
        || p.y > m_contentSize.height + kTouchSlop)
        return false;
    const bool inFrame = p.x >= 0 && p.x <= m_contentSize.width && p.y >= 0 && p.y <= m_contentSize.height;
    if (!inFrame && menuItemUnder(Director::sharedDirector()->runningScene(), touch))
        return false;
    m_tracking = true;
    m_changedWhileTracking = false;
    onTouchMoved(touch, nullptr);
    return true;
}

void Slider::onTouchMoved(Touch* touch, TouchEvent*)
{
    if (!m_tracking)
        return;
    const float value = valueAt(convertTouchToNodeSpace(touch).x);
    if (value == m_value)
        return;
    m_value = value;
    m_changedWhileTracking = true;
    if (m_continuous)
        report();
}

void Slider::onTouchEnded(Touch* touch, TouchEvent*)
{
    if (!m_tracking)
        return;
    onTouchMoved(touch, nullptr);
    m_tracking = false;
    if (!m_continuous && m_changedWhileTracking)
        report();
}

void Slider::onTouchCancelled(Touch*, TouchEvent*)
{
    m_tracking = false;
    if (!m_continuous && m_changedWhileTracking)
        report();
}

void Slider::draw()
{
    const float w = m_contentSize.width;
    const float midY = m_contentSize.height / 2;
    const float range = m_maximumValue - m_minimumValue;
    const float t = range > 0 ? (m_value - m_minimumValue) / range : 0;
    const float thumbX = kThumbRadius + t * std::max(0.0f, w - 2 * kThumbRadius);

    glEnableClientState(GL_VERTEX_ARRAY);
    glColor4ub(90, 90, 90, 255);
    fillRect(kThumbRadius, midY - kTrackHeight / 2, w - kThumbRadius, midY + kTrackHeight / 2);
    glColor4ub(40, 110, 230, 255);
    fillRect(kThumbRadius, midY - kTrackHeight / 2, thumbX, midY + kTrackHeight / 2);
    glColor4ub(60, 60, 60, 255);
    fillDisc(thumbX, midY, kThumbRadius + 1);
    glColor4ub(m_tracking ? 210 : 245, m_tracking ? 210 : 245, m_tracking ? 210 : 245, 255);
    fillDisc(thumbX, midY, kThumbRadius);
    glDisableClientState(GL_VERTEX_ARRAY);
    glColor4ub(255, 255, 255, 255);
}

void Slider::dumpProperties(PropertySink& out) const
{
    Layer::dumpProperties(out);
    out.set("value", m_value);
    out.set("minimumValue", m_minimumValue);
    out.set("maximumValue", m_maximumValue);
    out.setNumbers("frame", { m_frame.origin.x, m_frame.origin.y, m_frame.size.width, m_frame.size.height });
}
