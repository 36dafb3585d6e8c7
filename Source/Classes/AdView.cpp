#include "Classes/AdView.h"

#include "Platform/Host.h"

AdView::AdView(AdViewDelegate* delegate)
    : View(CGRectMake(0, 0, 320, 50))
    , m_delegate(delegate)
{
}

AdView::~AdView() { dropAdMobView(); }

// Of the form the network asked for; the house source does not look at it.
std::string AdView::publisherId() const { return "a14b2c3d4e5f607"; }

void AdView::addAdMobView()
{
    m_adMobView = AdMobView::requestAdWithDelegate(this);
    ++m_requests;
    m_lastRequestTime = Host::current().absoluteTime();
    m_adMobView->setFrame(CGRectMake(0, 0, 320, 48));
    addSubview(m_adMobView.get());
}

void AdView::dropAdMobView()
{
    if (!m_adMobView)
        return;
    m_adMobView->cancel();
    m_adMobView->removeFromSuperview();
    m_adMobView = nullptr;
}

void AdView::refreshAd()
{
    if (m_adsFailed)
        return;
    dropAdMobView();
    addAdMobView();
}

void AdView::didReceiveAd(AdMobView* adView)
{
    // An answer for an advert already replaced is not this banner's.
    if (adView != m_adMobView.get())
        return;
    if (m_delegate)
        m_delegate->adDidLoad(this);
}

void AdView::didFailToReceiveAd(AdMobView* adView)
{
    if (adView != m_adMobView.get())
        return;
    dropAdMobView();
    m_adsFailed = true;
}

void AdView::show()
{
    // A fade under way ends here, so every showing starts from transparent: an animation of
    // no length replaces it, where a plain change would leave it running.
    View::animate(0, [this] {
        if (alpha() == 0)
            setAlpha(1);
        setAlpha(0);
    });
    setHidden(false);
    m_lastAnimation = "AdShow";
    View::animate(kFadeDuration, [this] { setAlpha(1); });
}

void AdView::hide()
{
    if (isHidden() || alpha() == 0)
        return;
    m_lastAnimation = "AdHide";
    View::animate(kFadeDuration, [this] { setAlpha(0); });
}
