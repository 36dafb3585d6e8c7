#include "Classes/Configuration.h"
#include "Classes/MainBundle.h"
#include "Platform/KeyValueStore.h"
#include "Support/FakeHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

// The fake host with what the settings object asks for: resources and a settable route.
class SettingsHost final : public FakeHost {
public:
    std::string resourcePath(const std::string& fileName) override
    {
        const auto path = std::filesystem::path(resourceDirectory) / fileName;
        return std::filesystem::exists(path) ? path.string() : std::string();
    }
    bool currentAudioRoute(std::string& out) override
    {
        ++routeQueries;
        out = route;
        return routeReadable;
    }

    std::string resourceDirectory = BONZELAR_TEST_RESOURCES;
    std::string route = "Speaker";
    bool routeReadable = true;
    int routeQueries = 0;
};

class ConfigurationTest : public testing::Test {
protected:
    void SetUp() override { Configuration::resetForTesting(nullptr); }
    void TearDown() override { Configuration::resetForTesting(nullptr); }
    // A store as an earlier release left it.
    void installedAt(const std::string& version, bool withFace)
    {
        store().setBool("DefaultsConfigured", true);
        store().setString("version", version);
        store().setString("ragdollClass", std::string("Dog"));
        store().setString("backgroundImage", std::string("Background7.png"));
        store().setString("ballImage", std::string("Ball4.png"));
        store().setBool("showPainMeter", true);
        store().setBool("playSoundFx", false);
        if (withFace)
            store().setData("customFaceImage", KeyValueStore::Bytes { 0x89, 'P', 'N', 'G' });
    }
    void expectLooks(const char* ragdoll, const char* background, const char* ball)
    {
        Configuration* c = Configuration::current();
        EXPECT_EQ(c->ragdollClass(), ragdoll);
        EXPECT_EQ(c->backgroundImage(), background);
        EXPECT_EQ(c->ballImage(), ball);
    }
    KeyValueStore& store() { return host.store(); }

    SettingsHost host;
};

} // namespace

TEST_F(ConfigurationTest, FirstLaunchStoresEveryDefaultAndIsAlreadyUpToDate)
{
    Configuration* c = Configuration::current();
    EXPECT_TRUE(c->firstRun());
    EXPECT_EQ(c->version(), MainBundle::infoValue("CFBundleVersion"));
    EXPECT_EQ(c->version(), "1.10");
    EXPECT_EQ(c->numberOfRuns(), 0);
    EXPECT_EQ(c->gravity(), 150.0f);
    EXPECT_EQ(c->damping(), 1.0f);
    EXPECT_EQ(c->numberOfBalls(), 20);
    EXPECT_EQ(c->backgroundImage(), "Background3.png");
    EXPECT_EQ(c->ballImage(), "Ball1.png");
    EXPECT_EQ(c->ragdollClass(), "Nerd");
    EXPECT_FALSE(c->customFaceImage().has_value());
    EXPECT_TRUE(c->useAccelerometer());
    EXPECT_FALSE(c->drawPersonAsWireframe());
    EXPECT_FALSE(c->drawBallsAsWireframe());
    EXPECT_FALSE(c->showPainMeter());
    EXPECT_TRUE(c->playSoundFx());
    EXPECT_TRUE(store().boolForKey("DefaultsConfigured"));

    // Every value really is in the store under its own key (nil face: no entry at all).
    std::vector<std::string> expected;
    for (const std::string& key : Configuration::keys())
        if (key != "customFaceImage")
            expected.push_back(key);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(store().keys(), expected);
}

TEST_F(ConfigurationTest, LaterLaunchesKeepTheStoredSettings)
{
    Configuration::current()->setGravity(42.5f);
    Configuration::current()->setRagdollClass("Narwhal");
    Configuration::current()->setCustomFaceImage(KeyValueStore::Bytes { 1, 2, 3 });

    Configuration::resetForTesting(nullptr);
    Configuration* c = Configuration::current();
    EXPECT_FALSE(c->firstRun());
    EXPECT_EQ(c->gravity(), 42.5f);
    EXPECT_EQ(c->ragdollClass(), "Narwhal");
    EXPECT_EQ(c->customFaceImage(), (KeyValueStore::Bytes { 1, 2, 3 }));
    EXPECT_EQ(Configuration::current(), c);

    c->setCustomFaceImage(std::nullopt);
    EXPECT_FALSE(store().hasValue("customFaceImage"));
}

TEST_F(ConfigurationTest, UpgradeFrom101WithoutAFaceRestoresTheStockLook)
{
    installedAt("1.01", false);
    Configuration* c = Configuration::current();
    EXPECT_FALSE(c->firstRun());
    expectLooks("Nerd", "Background3.png", "Ball1.png");
    EXPECT_FALSE(c->showPainMeter());
    EXPECT_TRUE(c->playSoundFx());
    EXPECT_EQ(c->version(), "1.10");
}

TEST_F(ConfigurationTest, UpgradeFrom107WithAFaceKeepsTheChosenLook)
{
    installedAt("1.07", true);
    Configuration* c = Configuration::current();
    expectLooks("Dog", "Background7.png", "Ball4.png");
    EXPECT_TRUE(c->customFaceImage().has_value());
    // The sound switch is only forced on by the step from 1.06.
    EXPECT_FALSE(c->playSoundFx());
    EXPECT_TRUE(c->showPainMeter());
    EXPECT_EQ(c->version(), "1.10");
}

TEST_F(ConfigurationTest, UpgradeFrom106TurnsSoundEffectsOn)
{
    installedAt("1.06", true);
    EXPECT_TRUE(Configuration::current()->playSoundFx());
    EXPECT_EQ(Configuration::current()->version(), "1.10");
}

TEST_F(ConfigurationTest, UpgradeFrom100WithAFaceOnlyResetsTheFigure)
{
    installedAt("1.00", true);
    Configuration* c = Configuration::current();
    expectLooks("Nerd", "Background7.png", "Ball4.png");
    EXPECT_FALSE(c->showPainMeter());
    EXPECT_TRUE(c->playSoundFx());
    EXPECT_EQ(c->version(), "1.10");
}

TEST_F(ConfigurationTest, UnknownOrMissingVersionsPassThroughUnchanged)
{
    installedAt("2.00", false);
    expectLooks("Dog", "Background7.png", "Ball4.png");
    EXPECT_EQ(Configuration::current()->version(), "2.00");
    EXPECT_FALSE(Configuration::current()->playSoundFx());

    Configuration::resetForTesting(nullptr);
    store().removeValue("version");
    expectLooks("Dog", "Background7.png", "Ball4.png");
    EXPECT_FALSE(store().hasValue("version"));
}

TEST_F(ConfigurationTest, AccelerometerSettingLivesUnderTheMisspeltKey)
{
    Configuration* c = Configuration::current();
    c->setUseAccelerometer(false);
    EXPECT_FALSE(store().boolForKey("useAcceleromter"));
    EXPECT_TRUE(store().hasValue("useAcceleromter"));
    EXPECT_FALSE(store().hasValue("useAccelerometer"));

    // Written behind Configuration's back: seen from the next start on.
    store().setBool("useAccelerometer", true);
    Configuration::resetForTesting(nullptr);
    EXPECT_FALSE(Configuration::current()->useAccelerometer());
    store().setBool("useAcceleromter", true);
    Configuration::resetForTesting(nullptr);
    EXPECT_TRUE(Configuration::current()->useAccelerometer());
}

TEST_F(ConfigurationTest, OnlyTheExactHeadphoneRouteCounts)
{
    for (const char* route : { "Headphones", "HeadphonesBT", "headphone", "Speaker", "", "Headphone " }) {
        Configuration::resetForTesting(nullptr);
        host.route = route;
        EXPECT_FALSE(Configuration::current()->headphonesAttached()) << '"' << route << '"';
    }
    Configuration::resetForTesting(nullptr);
    host.route = "Headphone";
    EXPECT_TRUE(Configuration::current()->headphonesAttached());
}

TEST_F(ConfigurationTest, TheRouteIsAskedOnceThenFollowedThroughTheListener)
{
    Configuration* c = Configuration::current();
    host.routeReadable = false;
    EXPECT_FALSE(c->headphonesAttached());
    EXPECT_FALSE(c->headphonesAttached());
    EXPECT_EQ(host.routeQueries, 2) << "a failed read must be retried";

    host.routeReadable = true;
    host.route = "Headphone";
    EXPECT_TRUE(c->headphonesAttached());
    host.route = "Speaker";
    EXPECT_TRUE(c->headphonesAttached());
    EXPECT_EQ(host.routeQueries, 3);

    Configuration::audioRoute_Changed("Speaker");
    EXPECT_FALSE(c->headphonesAttached());
    Configuration::audioRoute_Changed("Headphone");
    EXPECT_TRUE(c->headphonesAttached());
    EXPECT_EQ(host.routeQueries, 3);
}

TEST_F(ConfigurationTest, AMissingBundleInfoIsReportedAndUpgradesStillRun)
{
    host.resourceDirectory = "/nonexistent";
    installedAt("1.09", false);
    testing::internal::CaptureStderr();
    Configuration* c = Configuration::current();
    const std::string console = testing::internal::GetCapturedStderr();
    EXPECT_NE(console.find("Info.json"), std::string::npos);
    // The chain still carries the store to the last version it knows.
    EXPECT_EQ(c->version(), "1.10");
    expectLooks("Nerd", "Background3.png", "Ball1.png");
}

TEST_F(ConfigurationTest, PhysicsSettingsReadBackWithinWhatThePagesCanSet)
{
    Configuration* c = Configuration::current();
    struct Case {
        KeyValueStore::Value gravity, damping;
        std::int64_t balls;
        float wantGravity, wantDamping;
        int wantBalls;
    };
    using V = KeyValueStore::Value;
    const Case cases[] = {
        { V(std::in_place_index<2>, 1e9), V(std::in_place_index<2>, 1e30), 100000, 800, 1, 80 },
        { V(std::in_place_index<2>, 1e20), V(std::in_place_index<2>, 0.0), 2147483647, 800, 0.1f, 80 },
        { V(std::in_place_index<2>, -5.0), V(std::in_place_index<2>, -1.0), -3, 0, 0.1f, 0 },
        { V(std::in_place_index<2>, NAN), V(std::in_place_index<2>, INFINITY), 7, 150, 1, 7 },
        { V(std::in_place_index<3>, "heavy"), V(std::in_place_index<0>, true), 9, 150, 1, 9 },
        { V(std::in_place_index<1>, 300), V(std::in_place_index<2>, 0.5), 80, 300, 0.5f, 80 },
    };
    for (const Case& k : cases) {
        store().setValue("gravity", k.gravity);
        store().setValue("damping", k.damping);
        store().setInteger("numberOfBalls", k.balls);
        EXPECT_EQ(c->gravity(), k.wantGravity);
        EXPECT_EQ(c->damping(), k.wantDamping);
        EXPECT_EQ(c->numberOfBalls(), k.wantBalls);
    }
    store().removeValue("gravity");
    store().removeValue("damping");
    EXPECT_EQ(c->gravity(), 150);
    EXPECT_EQ(c->damping(), 1);
}
