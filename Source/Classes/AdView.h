#pragma once
// The banner over the play screen: a 320 x 50 platform view that asks the advert source for an
// advert when the play scene says so and fades in and out as it is told. After the source
// reports a failure this banner never asks again.
#include "Classes/HouseAdNetwork.h"

#include <string>

class AdView;

class AdViewDelegate {
public:
    virtual ~AdViewDelegate() = default;
    // An advert has arrived and is in the banner.
    virtual void adDidLoad(AdView* adView) = 0;
};

class AdView : public View, public AdMobDelegate {
public:
    static constexpr float kFadeDuration = 0.5f;

    // Framed at (0, 0, 320, 50); nothing is requested yet.
    explicit AdView(AdViewDelegate* delegate);
    ~AdView() override;
    const char* className() const override { return "AdView"; }

    // Asks for a new advert, replacing the current one; nothing once the source has failed.
    void refreshAd();
    // Fades in from alpha 0 over kFadeDuration ("AdShow").
    void show();
    // Fades out ("AdHide"), unless hidden or already transparent. The hidden flag stays clear.
    void hide();

    AdViewDelegate* delegate() const { return m_delegate; }
    void setDelegate(AdViewDelegate* delegate) { m_delegate = delegate; }
    AdMobView* adMobView() const { return m_adMobView.get(); }
    bool adsFailed() const { return m_adsFailed; }
    // The name of the last fade started ("AdShow", "AdHide"); "" before any.
    const std::string& lastAnimation() const { return m_lastAnimation; }
    // Adverts asked for over the banner's life, and when the last was (host absolute time).
    int requests() const { return m_requests; }
    double lastRequestTime() const { return m_lastRequestTime; }

    std::string publisherId() const override;
    bool useTestAd() const override { return false; }
    Color4F adBackgroundColor() const override { return { 0, 0, 0, 1 }; }
    void didReceiveAd(AdMobView* adView) override;
    void didFailToReceiveAd(AdMobView* adView) override;

private:
    void addAdMobView();
    void dropAdMobView();

    AdViewDelegate* m_delegate; // not retained: the scene owns the banner
    Ref<AdMobView> m_adMobView;
    bool m_adsFailed = false;
    std::string m_lastAnimation;
    int m_requests = 0;
    double m_lastRequestTime = -1;
};
