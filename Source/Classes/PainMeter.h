#pragma once
// Pain: every contact of the figure with a ball turns its speed into points. The run's total is
// process-wide (the score); the on-screen meter shows the hardest recent hit, decaying.

#include "Engine/Layer.h"

#include <chipmunk/chipmunk.h>

#include <vector>

class LabelAtlas;
class Sprite;

inline constexpr int kPainLevelLow = 101;
inline constexpr int kPainLevelMedium = 102;
inline constexpr int kPainLevelHigh = 103;

inline constexpr int kPainBlockNoneTag = 980;
inline constexpr int kPainBlockLowTag = 981;
inline constexpr int kPainBlockMediumTag = 982;
inline constexpr int kPainBlockHighTag = 983;

// The physics pre-solve handler for figure (316) against ball (808) shapes; the user data is
// the GameLayer. Keeps every contact.
cpBool collision_Ragdoll_Ball(cpArbiter* arbiter, cpSpace* space, cpDataPointer data);

class PainMeter {
public:
    // The run's score: the total in thousands of points.
    static int totalPain();
    // Raw points since the process started.
    static long long totalPainPoints();
    // Records the run's score and play time as a high score; nothing below 1000 points or
    // before the first meter was made.
    static void logPainScore();
    static void resetForTesting();
};

class PainMeterLayer : public Layer {
public:
    static constexpr int kBlockCount = 15;
    static constexpr int kMaxHit = 1200;

    static Ref<PainMeterLayer> node();
    static Ref<Sprite> painNoneSprite();
    static Ref<Sprite> painLowSprite();
    static Ref<Sprite> painMediumSprite();
    static Ref<Sprite> painHighSprite();

    PainMeterLayer();
    const char* className() const override { return "PainMeterLayer"; }

    void addPain(int points);
    void painReduce(float elapsed);
    // Swaps lit and dark blocks where the count changed and refreshes the score text.
    void update();
    void onEnter() override;
    int currentPainBlockIndex() const;
    int currentPainLevel() const;
    int pain() const { return m_pain; }

    LabelAtlas* label() const { return m_label.get(); }
    const std::vector<Ref<Sprite>>& activeBlockSprites() const { return m_activeBlockSprites; }

private:
    void updateLabel();
    std::vector<Ref<Sprite>> m_noPainBlockSprites;
    std::vector<Ref<Sprite>> m_fullPainBlockSprites;
    std::vector<Ref<Sprite>> m_activeBlockSprites;
    Ref<LabelAtlas> m_label;
    int m_labelValue = -1; // the total the label shows; -1 before the first
    int m_pain = 0;
};
