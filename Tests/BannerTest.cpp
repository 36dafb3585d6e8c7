// The banner: its fades, the house advert source's answers and failure, and the play scene's
// timers that ask for adverts and show each for ten seconds.
#include "Classes/AdView.h"
#include "Classes/Configuration.h"
#include "Classes/Game.h"
#include "Engine/Director.h"
#include "Engine/Image.h"
#include "Support/FakeHost.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Real pictures from the resources, every web address noted.
class BannerHost : public FakeHost {
public:
    std::string resourcePath(const std::string& fileName) override
    {
        const fs::path path = fs::path(BONZELAR_TEST_RESOURCES) / fileName;
        return fs::exists(path) ? path.string() : std::string();
    }
    bool decodeImageFile(const std::string& path, int, HostImage& out) override
    {
        // Sizes matter here, not pixels.
        if (!fs::exists(path))
            return false;
        const bool advert = path.find("HouseAd") != std::string::npos;
        out.width = advert ? 320 : 60;
        out.height = advert ? 48 : 60;
        out.hasAlpha = true;
        out.rgba.assign(static_cast<std::size_t>(out.width * out.height * 4), 255);
        return true;
    }
    bool openURL(const std::string& url) override
    {
        urls.push_back(url);
        return true;
    }
    std::vector<std::string> urls;
};

class Loads : public AdViewDelegate {
public:
    void adDidLoad(AdView*) override { ++count; }
    int count = 0;
};

class BannerTest : public testing::Test {
protected:
    void SetUp() override
    {
        resetEngineForTest();
        Configuration::resetForTesting(&host.store());
        Director::useDisplayLinkDirector();
        Director::sharedDirector()->attachInWindow(WindowInfo {});
        // Frames tick the scheduler and the view animations only while a scene runs.
        Director::sharedDirector()->runWithScene(Scene::node().get());
        host.frame();
        AdMobView::setHouseAdsForTesting(
            { { "HouseAd1.png", "https://quillmark.example/a" }, { "HouseAd2.png", "" } });
    }
    void TearDown() override
    {
        View::finishAllAnimations();
        resetEngineForTest();
        Configuration::resetForTesting(nullptr);
        AdMobView::setHouseAdsForTesting({});
    }
    void run(double seconds, double step = 1.0 / 60)
    {
        for (double t = 0; t < seconds - 1e-9; t += step)
            host.frame(step);
    }
    BannerHost host;
};

} // namespace

TEST_F(BannerTest, ShowFadesInFromNothingAndHideFadesOutOnlyWhatIsSeen)
{
    Loads loads;
    Ref<AdView> banner = make<AdView>(&loads);
    EXPECT_EQ(banner->frame(), CGRectMake(0, 0, 320, 50));
    EXPECT_EQ(banner->requests(), 0);

    // Already fully visible: it still starts again from transparent.
    banner->show();
    EXPECT_FLOAT_EQ(banner->alpha(), 1);
    EXPECT_FLOAT_EQ(banner->presentationAlpha(), 0);
    EXPECT_EQ(banner->lastAnimation(), "AdShow");
    run(0.25);
    EXPECT_GT(banner->presentationAlpha(), 0.2f);
    EXPECT_LT(banner->presentationAlpha(), 0.8f);
    run(0.3);
    EXPECT_FLOAT_EQ(banner->presentationAlpha(), 1);

    banner->hide();
    EXPECT_EQ(banner->lastAnimation(), "AdHide");
    run(0.25);
    // Half faded out: showing again still starts from nothing.
    banner->show();
    EXPECT_FLOAT_EQ(banner->presentationAlpha(), 0);
    run(0.55);
    EXPECT_FLOAT_EQ(banner->presentationAlpha(), 1);
    banner->hide();
    run(0.55);
    EXPECT_FLOAT_EQ(banner->presentationAlpha(), 0);
    EXPECT_FALSE(banner->isHidden());

    // Nothing to fade: no animation starts.
    banner->setHidden(true);
    banner->setAlpha(1);
    banner->hide();
    EXPECT_FALSE(banner->isAnimating());
    banner->setHidden(false);
    banner->setAlpha(0);
    banner->hide();
    EXPECT_FALSE(banner->isAnimating());
}

TEST_F(BannerTest, AdvertsComeAMomentAfterTheRequestInTurnAndATapFollowsTheLink)
{
    Loads loads;
    Ref<AdView> banner = make<AdView>(&loads);
    banner->refreshAd();
    Ref<AdMobView> first(banner->adMobView());
    ASSERT_TRUE(first);
    EXPECT_EQ(first->frame(), CGRectMake(0, 0, 320, 48));
    EXPECT_EQ(first->superview(), static_cast<View*>(banner.get()));
    // A request replaced before its answer is never heard of.
    banner->refreshAd();
    EXPECT_FALSE(first->superview());
    run(0.4);
    EXPECT_EQ(loads.count, 0);
    run(0.2);
    EXPECT_EQ(loads.count, 1);
    ASSERT_TRUE(banner->adMobView()->advert());
    EXPECT_EQ(banner->adMobView()->advert()->imageName, "HouseAd1.png");
    EXPECT_EQ(banner->adMobView()->backgroundColor(), (std::optional<Color4F> { Color4F { 0, 0, 0, 1 } }));

    banner->refreshAd();
    run(0.6);
    EXPECT_EQ(loads.count, 2);
    EXPECT_EQ(banner->adMobView()->advert()->imageName, "HouseAd2.png");
    EXPECT_EQ(banner->requests(), 3);
}

TEST_F(BannerTest, AFailedBannerNeverAsksAgain)
{
    AdMobView::setHouseAdsForTesting({ { "NoSuchAdvert.png", "" } });
    Loads loads;
    Ref<AdView> banner = make<AdView>(&loads);
    banner->refreshAd();
    run(0.6);
    EXPECT_TRUE(banner->adsFailed());
    EXPECT_FALSE(banner->adMobView());
    EXPECT_TRUE(banner->subviews().empty());
    banner->refreshAd();
    EXPECT_EQ(banner->requests(), 1);
    EXPECT_FALSE(banner->adMobView());
    EXPECT_EQ(loads.count, 0);
}

TEST_F(BannerTest, APlaySceneAsksAfterTenSecondsShowsTenAndAsksAgainTwoMinutesOn)
{
    Director* director = Director::sharedDirector();
    director->replaceScene(GameScene::node().get());
    host.frame();
    host.frame();
    // Held here, so the scene is still about when the last answer comes.
    Ref<GameScene> game(dynamic_cast<GameScene*>(director->runningScene()));
    ASSERT_TRUE(game);
    Ref<AdView> banner(game->adView());
    EXPECT_EQ(banner->superview(), static_cast<View*>(director->openGLView()));
    EXPECT_EQ(banner->center(), CGPointMake(160, 25));

    run(9.8, 0.05);
    EXPECT_EQ(banner->requests(), 0);
    run(0.9, 0.05);
    EXPECT_EQ(banner->requests(), 1);
    EXPECT_EQ(banner->lastAnimation(), "AdShow");
    run(0.5, 0.05);
    EXPECT_FLOAT_EQ(banner->presentationAlpha(), 1);
    run(9.7, 0.05);
    EXPECT_EQ(banner->lastAnimation(), "AdHide");
    run(0.6, 0.05);
    EXPECT_FLOAT_EQ(banner->presentationAlpha(), 0);
    EXPECT_FALSE(banner->isHidden());

    // Turned for a landscape player and back, keeping what it showed.
    game->device_DidRotate(3);
    EXPECT_EQ(banner->center(), CGPointMake(295, 240));
    EXPECT_NEAR(banner->transform().b, 1, 1e-6);
    game->device_DidRotate(1);
    EXPECT_EQ(banner->transform(), CGAffineTransformIdentity);

    run(108.2, 0.05);
    EXPECT_EQ(banner->requests(), 1);
    run(0.4, 0.05);
    EXPECT_EQ(banner->requests(), 2);

    // The answer finds another scene on screen: the banner stays away, and out of the view.
    director->replaceScene(Scene::node().get());
    run(0.6, 0.05);
    EXPECT_EQ(banner->lastAnimation(), "AdHide");
    EXPECT_FLOAT_EQ(banner->presentationAlpha(), 0);
    EXPECT_FALSE(banner->superview());
}
