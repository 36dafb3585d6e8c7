#include "Classes/HouseAdNetwork.h"

#include "Engine/Image.h"
#include "Engine/Scheduler.h"
#include "Platform/Host.h"

namespace {

std::vector<HouseAd>& adverts()
{
    static auto* ads = new std::vector<HouseAd> {
        { "HouseAd1.png", "https://quillmark.example/bonzelar/narwhal" },
        { "HouseAd2.png", "https://quillmark.example/bonzelar/faces" },
        { "HouseAd3.png", "https://quillmark.example/bonzelar/balls" },
        { "HouseAd4.png", "https://quillmark.example/bonzelar/tilt" },
    };
    return *ads;
}

// Shared by every banner of the run, so each request shows the next advert.
std::size_t s_nextAdvert = 0;

} // namespace

const std::vector<HouseAd>& AdMobView::houseAds() { return adverts(); }

void AdMobView::setHouseAdsForTesting(std::vector<HouseAd> ads)
{
    adverts() = std::move(ads);
    s_nextAdvert = 0;
}

Ref<AdMobView> AdMobView::requestAdWithDelegate(AdMobDelegate* delegate)
{
    Ref<AdMobView> view = make<AdMobView>(delegate);
    view->m_answerTimer = Timer::timerWithTarget(
        view.get(), Selector<float>(&AdMobView::answer, "answer:"), kAnswerDelay, Timer::TargetHold::Borrow);
    Scheduler::sharedScheduler()->scheduleTimer(view->m_answerTimer.get());
    return view;
}

AdMobView::AdMobView(AdMobDelegate* delegate)
    : ImageView(nullptr)
    , m_delegate(delegate)
{
    // An advert is a link: it takes the touches that land on it.
    m_userInteractionEnabled = true;
}

AdMobView::~AdMobView() { cancel(); }

void AdMobView::cancel()
{
    m_delegate = nullptr;
    if (!m_answerTimer)
        return;
    m_answerTimer->invalidate();
    if (Scheduler* scheduler = Scheduler::existingScheduler())
        scheduler->unscheduleTimer(m_answerTimer.get());
    m_answerTimer = nullptr;
}

bool AdMobView::isWaiting() const { return m_answerTimer != nullptr; }

void AdMobView::answer(float)
{
    // Taken first: the delegate may drop this view while it hears the answer.
    Ref<AdMobView> self(this);
    AdMobDelegate* delegate = m_delegate;
    cancel();
    if (!delegate)
        return;
    setBackgroundColor(delegate->adBackgroundColor());
    const std::vector<HouseAd>& ads = adverts();
    for (std::size_t tried = 0; tried < ads.size(); ++tried) {
        const HouseAd& ad = ads[s_nextAdvert++ % ads.size()];
        if (Ref<Image> picture = Image::imageNamed(ad.imageName)) {
            setImage(picture.get());
            m_advert = ad;
            delegate->didReceiveAd(this);
            return;
        }
    }
    delegate->didFailToReceiveAd(this);
}

void AdMobView::touchesEnded(const TouchSet& touches, TouchEvent*)
{
    Touch* touch = touches.anyObject();
    if (!m_advert || m_advert->url.empty() || !touch)
        return;
    // Only a finger lifted on the advert follows it.
    if (pointInside(locationOfTouch(touch)))
        Host::current().openURL(m_advert->url);
}
