#pragma once
// The ten most painful runs, kept in the settings store under "HighScores", and the page
// "Most Painful Sessions" that lists them.
#include "Classes/Options.h"
#include "Platform/KeyValueStore.h"

#include <string>
#include <vector>

class HighScoreKeeper {
public:
    static constexpr std::size_t kMaxEntries = 10;

    // The stored array of {"Score", "PlayTime", "Date"} entries, highest first; null when
    // nothing has been stored.
    static KeyValueStore::Object highScores();
    // Records a run; a score of 0 or less is never kept. Dated by the host's wall clock.
    static void logScore(int score, double playTime);
    // -1 when a scored higher than b, 1 when lower, 0 when equal. The context is unused.
    static int scoreSort(const KeyValueStore::Object& a, const KeyValueStore::Object& b, void* context);
};

class HighScoresScene : public OptionsScene {
public:
    static Ref<HighScoresScene> node();
    const char* className() const override { return "HighScoresScene"; }

protected:
    HighScoresScene();
};

class HighScoresLayer : public OptionsLayer {
public:
    static Ref<HighScoresLayer> node();
    const char* className() const override { return "HighScoresLayer"; }

    // "2010-03-05   3 min      42": date, minutes (at least 1), score (at most 999999).
    static std::string lineText(const KeyValueStore::Object& entry);
    const std::vector<Ref<MenuItemFont>>& entryItems() const { return m_entryItems; }

protected:
    HighScoresLayer();
    std::vector<Ref<MenuItemFont>> m_entryItems;
};
