#pragma once
// The banner over the play screen. Until an advert source exists it keeps its state (shown or
// hidden, rotation, centre) so the scene's timers drive it exactly as they would a real one.

#include "Engine/Support/Geometry.h"
#include "Engine/Support/Ref.h"

class AdView;

class AdViewDelegate {
public:
    virtual ~AdViewDelegate() = default;
    virtual void adDidLoad(AdView* adView) = 0;
};

class AdView : public Object {
public:
    explicit AdView(AdViewDelegate* delegate)
        : m_delegate(delegate)
    {
    }
    const char* className() const override { return "AdView"; }

    // Asks for a new advert; adDidLoad follows when one arrives. No source yet: none arrives.
    void refreshAd() { ++m_requests; }
    void show() { m_hidden = false; }
    void hide() { m_hidden = true; }
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden) { m_hidden = hidden; }
    float rotation() const { return m_rotation; }
    void setRotation(float radians) { m_rotation = radians; }
    CGPoint center() const { return m_center; }
    void setCenter(CGPoint center) { m_center = center; }
    bool inView() const { return m_inView; }
    void setInView(bool inView) { m_inView = inView; }
    int requests() const { return m_requests; }
    AdViewDelegate* delegate() const { return m_delegate; }

private:
    AdViewDelegate* m_delegate; // not retained: the scene owns the banner
    bool m_hidden = false;
    bool m_inView = false;
    float m_rotation = 0;
    CGPoint m_center;
    int m_requests = 0;
};
