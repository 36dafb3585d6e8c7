#include "Classes/HighScores.h"

#include "Classes/Configuration.h"
#include "Engine/AlertView.h"
#include "Engine/Menu.h"
#include "Platform/Host.h"
#include "Platform/KeyValueStore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

MW_OPTIONS_PAGE(HighScoresScene);

namespace {

constexpr const char* kHighScoresKey = "HighScores";
constexpr int kMaxShownScore = 999999;

// A damaged or foreign entry reads as zeros rather than throwing out of the page.
double numberIn(const KeyValueStore::Object& entry, const char* key)
{
    if (!entry.is_object())
        return 0;
    const auto it = entry.find(key);
    if (it == entry.end() || !it->is_number())
        return 0;
    const double value = it->get<double>();
    return std::isfinite(value) ? value : 0;
}

int scoreOf(const KeyValueStore::Object& entry)
{
    const double score = numberIn(entry, "Score");
    return static_cast<int>(std::clamp(score, -2147483648.0, 2147483647.0));
}

std::string dateText(double secondsSince1970)
{
    const auto seconds = static_cast<std::time_t>(std::clamp(secondsSince1970, 0.0, 253402300799.0));
    std::tm local {};
    char text[32] = "";
    if (localtime_r(&seconds, &local))
        std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

} // namespace

// --- HighScoreKeeper ----------------------------------------------------------------------------

KeyValueStore::Object HighScoreKeeper::highScores()
{
    return Host::current().store().objectForKey(kHighScoresKey);
}

int HighScoreKeeper::scoreSort(const KeyValueStore::Object& a, const KeyValueStore::Object& b, void*)
{
    const int sa = scoreOf(a);
    const int sb = scoreOf(b);
    return sa > sb ? -1 : sa < sb ? 1 : 0;
}

void HighScoreKeeper::logScore(int score, double playTime)
{
    if (score <= 0)
        return;
    const KeyValueStore::Object stored = highScores();
    KeyValueStore::Object scores = stored.is_array() ? stored : KeyValueStore::Object::array();
    scores.push_back(
        { { "Score", score }, { "PlayTime", playTime }, { "Date", Host::current().currentDate() } });
    std::stable_sort(
        scores.begin(), scores.end(), [](const KeyValueStore::Object& a, const KeyValueStore::Object& b) {
            return scoreSort(a, b, nullptr) < 0;
        });
    while (scores.size() > kMaxEntries)
        scores.erase(scores.end() - 1);
    Host::current().store().setObject(kHighScoresKey, std::move(scores));
}

// --- The page -----------------------------------------------------------------------------------

Ref<HighScoresScene> HighScoresScene::node() { return Ref<HighScoresScene>(new HighScoresScene); }

HighScoresScene::HighScoresScene()
{
    initWithTitle("Most Painful Sessions");
    addChild(HighScoresLayer::node().get(), 1);
}

Ref<HighScoresLayer> HighScoresLayer::node() { return Ref<HighScoresLayer>(new HighScoresLayer); }

std::string HighScoresLayer::lineText(const KeyValueStore::Object& entry)
{
    const int score = std::min(scoreOf(entry), kMaxShownScore);
    // Bounded before the conversion: a stored absurdity must not overflow the int.
    const double minutes = std::clamp(std::trunc(numberIn(entry, "PlayTime") / 60.0), 1.0, 99999999.0);
    char text[96];
    std::snprintf(text, sizeof text, "%s  %2d min  %6d", dateText(numberIn(entry, "Date")).c_str(),
        static_cast<int>(minutes), score);
    return text;
}

HighScoresLayer::HighScoresLayer()
{
    initWithTitle("Most Painful Sessions");
    Ref<MenuItemFont> back = backMenuItem();
    Ref<MenuItemFont> done = returnToGameMenuItem();
    Ref<Menu> menu = Menu::menuWithItems({ back.get(), done.get() });

    // Stays in force for later pages until one sets its own.
    MenuItemFont::setFontName("Courier New");
    MenuItemFont::setFontSize(17);
    const KeyValueStore::Object scores = HighScoreKeeper::highScores();
    if (scores.is_array()) {
        for (const KeyValueStore::Object& entry : scores) {
            Ref<MenuItemFont> item = MenuItemFont::itemFromString(
                lineText(entry), this, MenuItem::Callback(&OptionsLayer::dummy_Tapped, "dummy_Tapped:"));
            item->setIsEnabled(false);
            // Disabled only so it does not react; it must not look greyed out.
            item->setColor({ 255, 255, 255 });
            menu->addChild(item.get());
            m_entryItems.push_back(item);
        }
    }
    menu->alignItemsVertically();
    addChild(menu.get());
    layOutPageMenu(menu.get(), back.get(), done.get());

    float y = 92;
    for (const Ref<MenuItemFont>& item : m_entryItems) {
        item->setPosition(CGPointMake(item->position().x, y));
        y -= item->contentSize().height - 1;
    }

    if (!Configuration::current()->showPainMeter())
        AlertView::alertWithTitle("Pain Meter Not On",
            "Pain scores are only tracked when the Pain Meter is turned on under Display Options. New high "
            "scores will not be tracked while it is turned off.",
            { "OK" })
            ->show(this);
}
