#pragma once
// The advert source behind the banner. It takes the ad network's calls, but its adverts are
// our own pictures from the resources, handed out in turn: nothing is fetched and nothing
// leaves the machine. The answer comes on the main thread a moment after the request, from
// the engine's scheduler, as the network's did.
#include "Engine/Support/Color.h"
#include "Engine/View.h"

#include <optional>
#include <string>
#include <vector>

class AdMobView;
class Timer;

// What the advert source asks of, and tells, the banner that requested an advert.
class AdMobDelegate {
public:
    virtual ~AdMobDelegate() = default;
    virtual std::string publisherId() const = 0;
    virtual bool useTestAd() const = 0;
    virtual Color4F adBackgroundColor() const = 0;
    virtual void didReceiveAd(AdMobView* adView) = 0;
    virtual void didFailToReceiveAd(AdMobView* adView) = 0;
};

struct HouseAd {
    std::string imageName; // a resource picture, 320 x 48 points
    std::string url; // opened by a tap; "" for none
};

class AdMobView : public ImageView {
public:
    // How long an answer takes.
    static constexpr float kAnswerDelay = 0.5f;

    // A view that will hold the next advert; the delegate hears of it after kAnswerDelay. The
    // delegate is not retained: whoever drops the view before the answer calls cancel().
    static Ref<AdMobView> requestAdWithDelegate(AdMobDelegate* delegate);
    // The adverts handed out in turn.
    static const std::vector<HouseAd>& houseAds();
    static void setHouseAdsForTesting(std::vector<HouseAd> ads);

    explicit AdMobView(AdMobDelegate* delegate);
    ~AdMobView() override;
    const char* className() const override { return "AdMobView"; }

    // No answer comes after this.
    void cancel();
    bool isWaiting() const;
    // The advert shown, once one arrived.
    const std::optional<HouseAd>& advert() const { return m_advert; }

    void touchesEnded(const TouchSet& touches, TouchEvent* event) override;

private:
    void answer(float elapsed);

    AdMobDelegate* m_delegate; // not retained
    Ref<Timer> m_answerTimer;
    std::optional<HouseAd> m_advert;
};
