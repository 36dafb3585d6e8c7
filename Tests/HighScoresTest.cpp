// High scores, the About pages and the physics page's headings, as a player meets them; and
// end to end, a run with the meter switched on through the lite page lands on the score page.
#include "Classes/HighScores.h"
#include "Classes/About.h"
#include "Classes/Configuration.h"
#include "Classes/Game.h"
#include "Classes/GeneralOptions.h"
#include "Classes/MainBundle.h"
#include "Classes/PainMeter.h"
#include "Engine/AlertView.h"
#include "Engine/Director.h"
#include "Engine/Slider.h"
#include "Engine/Support/EAGLView.h"
#include "Platform/TextRasterizer.h"
#include "Support/FakeHost.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Real text measures and resources, blank pictures, and every web address noted.
class PageHost : public FakeHost {
public:
    bool measureText(const HostTextRequest& request, float& width, float& height) override
    {
        std::string error;
        return TextRasterizer::shared().measure(request, width, height, error);
    }
    bool renderText(const HostTextRequest& request, HostTextBitmap& out) override
    {
        std::string error;
        return TextRasterizer::shared().render(request, out, error);
    }
    bool decodeImageFile(const std::string&, int, HostImage& out) override
    {
        out.width = out.height = 60;
        out.hasAlpha = true;
        out.rgba.assign(60 * 60 * 4, 0);
        return true;
    }
    std::string resourcePath(const std::string& fileName) override
    {
        const fs::path path = fs::path(BONZELAR_TEST_RESOURCES) / fileName;
        return fs::exists(path) ? path.string() : std::string();
    }
    bool openURL(const std::string& url) override
    {
        urls.push_back(url);
        return true;
    }
    double currentDate() override { return date; }

    std::vector<std::string> urls;
    double date = 0;
};

class HighScoresTest : public testing::Test {
protected:
    void SetUp() override
    {
        resetEngineForTest();
        PainMeter::resetForTesting();
        MainBundle::reload();
        Configuration::resetForTesting(&host.store());
        Director::useDisplayLinkDirector();
        Director::sharedDirector()->attachInWindow(WindowInfo {});
    }
    void TearDown() override
    {
        resetEngineForTest();
        Configuration::resetForTesting(nullptr);
        PainMeter::resetForTesting();
    }
    template <class LayerClass, class SceneClass> LayerClass* open(Ref<SceneClass> scene)
    {
        m_scene = scene;
        Director* director = Director::sharedDirector();
        if (director->runningScene())
            director->replaceScene(scene.get());
        else
            director->runWithScene(scene.get());
        host.frame();
        host.frame();
        return dynamic_cast<LayerClass*>(scene->children().back().get());
    }
    static std::vector<int> scores()
    {
        std::vector<int> out;
        for (const nlohmann::json& entry : HighScoreKeeper::highScores())
            out.push_back(entry["Score"].get<int>());
        return out;
    }
    // Local noon, so the date reads the same in every time zone.
    static double localNoon(int year, int month, int day)
    {
        std::tm tm {};
        tm.tm_year = year - 1900;
        tm.tm_mon = month - 1;
        tm.tm_mday = day;
        tm.tm_hour = 12;
        tm.tm_isdst = -1;
        return static_cast<double>(std::mktime(&tm));
    }

    PageHost host;
    Ref<Scene> m_scene;
};

MenuItemLabel* itemWithText(Node* node, const std::string& text)
{
    if (auto* item = dynamic_cast<MenuItemLabel*>(node); item && item->string() == text)
        return item;
    for (const Ref<Node>& child : node->children())
        if (MenuItemLabel* found = itemWithText(child.get(), text))
            return found;
    return nullptr;
}

} // namespace

TEST_F(HighScoresTest, TheTenHighestAreKeptHighestFirstAndNoZeroEver)
{
    HighScoreKeeper::logScore(0, 100);
    EXPECT_TRUE(HighScoreKeeper::highScores().is_null());

    host.date = 1267790400;
    for (int score : { 40, 10, 100, 70, 20, 90, 30, 60, 80, 50 })
        HighScoreKeeper::logScore(score, score * 2.5);
    const std::vector<int> ten { 100, 90, 80, 70, 60, 50, 40, 30, 20, 10 };
    EXPECT_EQ(scores(), ten);
    const nlohmann::json first = HighScoreKeeper::highScores()[0];
    EXPECT_DOUBLE_EQ(first["PlayTime"].get<double>(), 250);
    EXPECT_DOUBLE_EQ(first["Date"].get<double>(), 1267790400);

    HighScoreKeeper::logScore(9, 1);
    EXPECT_EQ(scores(), ten);
    HighScoreKeeper::logScore(10, 1);
    EXPECT_EQ(scores(), ten);
    HighScoreKeeper::logScore(55, 1);
    EXPECT_EQ(scores(), (std::vector<int> { 100, 90, 80, 70, 60, 55, 50, 40, 30, 20 }));

    EXPECT_EQ(HighScoreKeeper::scoreSort({ { "Score", 5 } }, { { "Score", 3 } }, nullptr), -1);
    EXPECT_EQ(HighScoreKeeper::scoreSort({ { "Score", 3 } }, { { "Score", 5 } }, nullptr), 1);
    EXPECT_EQ(HighScoreKeeper::scoreSort({ { "Score", 3 } }, { { "Score", 3 } }, nullptr), 0);
}

TEST_F(HighScoresTest, LinesShowDateWholeMinutesAndACappedScore)
{
    const double march5 = localNoon(2010, 3, 5);
    EXPECT_EQ(HighScoresLayer::lineText({ { "Score", 42 }, { "PlayTime", 180.0 }, { "Date", march5 } }),
        "2010-03-05   3 min      42");
    auto line = [&](int score, double seconds) {
        return HighScoresLayer::lineText({ { "Score", score }, { "PlayTime", seconds }, { "Date", march5 } });
    };
    EXPECT_EQ(line(1, 45), "2010-03-05   1 min       1");
    EXPECT_EQ(line(1, 3599), "2010-03-05  59 min       1");
    EXPECT_EQ(line(1, 6000), "2010-03-05  100 min       1");
    EXPECT_EQ(line(1234567, 60), "2010-03-05   1 min  999999");
    // A damaged entry still makes a line.
    EXPECT_EQ(HighScoresLayer::lineText({ { "Score", "many" } }).substr(10), "   1 min       0");
}

TEST_F(HighScoresTest, ThePageListsTheScoresFromTheTopAndWarnsWhileTheMeterIsOff)
{
    host.date = localNoon(2010, 3, 5);
    HighScoreKeeper::logScore(42, 180);
    HighScoreKeeper::logScore(7, 30);
    Configuration::current()->setShowPainMeter(false);
    auto* layer = open<HighScoresLayer>(HighScoresScene::node());
    ASSERT_TRUE(layer);
    ASSERT_EQ(layer->entryItems().size(), 2u);
    MenuItemFont* top = layer->entryItems()[0].get();
    EXPECT_EQ(top->string(), "2010-03-05   3 min      42");
    EXPECT_FALSE(top->isEnabled());
    EXPECT_EQ(top->color(), (Color3B { 255, 255, 255 }));
    EXPECT_FLOAT_EQ(top->position().y, 92);
    EXPECT_FLOAT_EQ(layer->entryItems()[1]->position().y, 92 - (top->contentSize().height - 1));
    EXPECT_GT(top->contentSize().height, 10);
    EXPECT_EQ(MenuItemFont::fontName(), "Courier New");
    EXPECT_EQ(MenuItemFont::fontSize(), 17);
    // Courier New is drawn with a metric twin, so the columns line up.
    EXPECT_NE(TextRasterizer::shared().fontFileFor("Courier New").find("Mono"), std::string::npos);

    AlertView* alert = AlertView::alertIn(layer);
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "Pain Meter Not On");
    EXPECT_EQ(alert->message(),
        "Pain scores are only tracked when the Pain Meter is turned on under Display Options. New high "
        "scores "
        "will not be tracked while it is turned off.");
    EXPECT_EQ(alert->buttonTitles(), (std::vector<std::string> { "OK" }));

    Configuration::current()->setShowPainMeter(true);
    auto* quiet = open<HighScoresLayer>(HighScoresScene::node());
    EXPECT_FALSE(AlertView::alertIn(quiet));
}

TEST_F(HighScoresTest, ThePainScoreIsTheThousandsWithThePlayTimeFromTheFirstMeter)
{
    PainMeter::logPainScore();
    EXPECT_TRUE(HighScoreKeeper::highScores().is_null());

    Ref<PainMeterLayer> meter = PainMeterLayer::node();
    meter->addPain(999);
    PainMeter::logPainScore();
    EXPECT_TRUE(HighScoreKeeper::highScores().is_null()) << "below 1000 points nothing counts";
    for (int i = 0; i < 3; ++i)
        meter->addPain(5000);
    host.advance(125);
    PainMeter::logPainScore();
    ASSERT_EQ(scores(), (std::vector<int> { 4 }));
    EXPECT_NEAR(HighScoreKeeper::highScores()[0]["PlayTime"].get<double>(), 125, 1e-6);
    meter->cleanup();
}

TEST_F(HighScoresTest, TheAboutPageShowsNameVersionAndOnlyTheMakerReacts)
{
    Configuration::current()->setVersion("1.10");
    auto* layer = open<AboutLayer>(AboutScene::node());
    ASSERT_TRUE(layer);
    MenuItemLabel* name = itemWithText(layer, "Bonzelar");
    MenuItemLabel* version = itemWithText(layer, "version: 1.10");
    MenuItemLabel* credit = itemWithText(layer, "Powered by the Marrow engine");
    MenuItemLabel* maker = itemWithText(layer, "Quillmark Software, Inc.");
    ASSERT_TRUE(name && version && credit && maker);
    for (MenuItemLabel* line : { name, version, credit }) {
        EXPECT_FALSE(line->isEnabled()) << line->string();
        EXPECT_EQ(line->color(), (Color3B { 255, 255, 255 })) << line->string();
        line->activate();
    }
    EXPECT_TRUE(host.urls.empty());
    EXPECT_TRUE(maker->isEnabled());
    maker->activate();
    EXPECT_EQ(host.urls, (std::vector<std::string> { AboutLayer::kQuillmarkURL }));

    EXPECT_FLOAT_EQ(name->position().y, 90);
    EXPECT_FLOAT_EQ(maker->position().y, 45);
    EXPECT_FLOAT_EQ(credit->position().y, -95);
    EXPECT_EQ(MenuItemFont::fontSize(), 20);
}

TEST_F(HighScoresTest, TheLitePageSwitchGoesAndComesBack)
{
    Configuration::current()->setShowPainMeter(false);
    auto* layer = open<AboutLiteLayer>(AboutLiteScene::node());
    ASSERT_TRUE(layer);
    MenuItemLabel* toggle = itemWithText(layer, "Show Pain Meter: Off");
    ASSERT_TRUE(toggle);
    toggle->activate();
    EXPECT_TRUE(Configuration::current()->showPainMeter());
    EXPECT_EQ(toggle->string(), "Show Pain Meter: On");
    toggle->activate();
    EXPECT_FALSE(Configuration::current()->showPainMeter());
    EXPECT_EQ(toggle->string(), "Show Pain Meter: Off");

    itemWithText(layer, "Get Full Version - Only $0.99")->activate();
    EXPECT_EQ(host.urls, (std::vector<std::string> { AboutLiteLayer::kFullVersionURL }));
    // No heading and no stock background: the page's own picture and the menu.
    EXPECT_EQ(layer->children().size(), 2u);
}

TEST_F(HighScoresTest, AHeadingTapLeavesItsSliderAloneButTheMarginBelowStillGrips)
{
    Ref<PhysicsOptionsScene> scene = PhysicsOptionsScene::node();
    auto* layer = open<PhysicsOptionsLayer>(scene);
    ASSERT_TRUE(layer);
    for (int i = 0; i < 30 && !layer->gravitySlider(); ++i)
        host.frame();
    Slider* gravity = layer->gravitySlider();
    ASSERT_TRUE(gravity);
    gravity->setValue(100);
    EAGLView* view = Director::sharedDirector()->openGLView();
    auto tap = [&](float x, float y, std::int64_t finger) {
        view->handleHostTouches(HostTouchPhase::Began, { { finger, x, y, 1 } }, 0);
        view->handleHostTouches(HostTouchPhase::Ended, { { finger, x, y, 1 } }, 0);
    };
    // The slider's frame starts at y 223; "Gravity Strength" reaches down to just above it.
    tap(160, 219, 1);
    EXPECT_FLOAT_EQ(gravity->value(), 100);
    // Below the track's left end nothing else lies: the wide grip stays.
    tap(45 + 11, 223 + 35 + 2, 2);
    EXPECT_FLOAT_EQ(gravity->value(), 0);
}

// --- End to end ----------------------------------------------------------------------------------

namespace {

nlohmann::json runHeadless(const fs::path& dir, const std::string& script, int frames)
{
    std::ofstream(dir / "script.txt") << script << "dump " << (dir / "dump.json").string() << "\n";
    const std::string command = std::string(BONZELAR_HEADLESS_EXE) + " --seed 5 --data-dir '"
        + (dir / "data").string() + "' --frames " + std::to_string(frames) + " --script '"
        + (dir / "script.txt").string() + "' > '" + (dir / "out").string() + "' 2>&1";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::ifstream in(dir / "dump.json");
    return in ? nlohmann::json::parse(in, nullptr, false) : nlohmann::json();
}

const nlohmann::json* nodeWithText(const nlohmann::json& node, const std::string& prefix)
{
    if (node.is_object() && node.value("text", "").rfind(prefix, 0) == 0)
        return &node;
    if (node.is_object() || node.is_array())
        for (const auto& child : node)
            if (const nlohmann::json* found = nodeWithText(child, prefix))
                return found;
    return nullptr;
}

} // namespace

TEST(HighScoresPlayTest, AMeteredRunIsListedAfterItEnds)
{
    const fs::path dir = fs::path(testing::TempDir()) / ("scores-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);

    const nlohmann::json lite = runHeadless(dir, "page AboutLiteScene\nwait 1\n", 80);
    ASSERT_EQ(lite["scene"], "AboutLiteScene");
    const nlohmann::json* toggle = nodeWithText(lite["nodes"], "Show Pain Meter: Off");
    const nlohmann::json* back = nodeWithText(lite["nodes"], "Return to Game");
    ASSERT_TRUE(toggle && back);
    auto tap = [](const nlohmann::json& item) {
        return "tap " + std::to_string(item["tapPoint"][0].get<float>()) + " "
            + std::to_string(item["tapPoint"][1].get<float>()) + "\nwait 1\n";
    };
    // Switched on, back to the game, a while of falling through the balls, then the end.
    const nlohmann::json played
        = runHeadless(dir, "page AboutLiteScene\nwait 1\n" + tap(*toggle) + tap(*back) + "wait 40\n", 3000);
    ASSERT_EQ(played["scene"], "GameScene");
    ASSERT_GT(played["game"]["totalPain"].get<int>(), 0);

    const nlohmann::json page = runHeadless(dir, "page HighScoresScene\nwait 1\n", 80);
    ASSERT_EQ(page["scene"], "HighScoresScene");
    ASSERT_EQ(page["settings"]["HighScores"].size(), 1u);
    const nlohmann::json& entry = page["settings"]["HighScores"][0];
    // Counted to the end of the run, past the dump above.
    EXPECT_GE(entry["Score"].get<int>(), played["game"]["totalPain"].get<int>());
    EXPECT_NEAR(entry["PlayTime"].get<double>(), 50, 1);
    char tail[16];
    std::snprintf(tail, sizeof tail, "%6d", entry["Score"].get<int>());
    const nlohmann::json* line = nodeWithText(page["nodes"], "2009-");
    ASSERT_TRUE(line) << page["nodes"].dump();
    EXPECT_NE(line->value("text", "").find(std::string(" min  ") + tail), std::string::npos) << line->dump();
    EXPECT_NE(line->value("text", "").find("  1 min  "), std::string::npos);
    // Every launch switches the meter off again, so the page warns.
    EXPECT_NE(page["nodes"].dump().find("Pain Meter Not On"), std::string::npos);
    fs::remove_all(dir);
}
