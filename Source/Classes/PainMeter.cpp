#include "Classes/PainMeter.h"

#include "Classes/Game.h"
#include "Classes/HighScores.h"
#include "Classes/Ragdoll.h"
#include "Engine/LabelAtlas.h"
#include "Engine/Sprite.h"
#include "Platform/Host.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
long long s_totalPain = 0;
double s_startTime = 0;
bool s_started = false;
} // namespace

cpBool collision_Ragdoll_Ball(cpArbiter* arbiter, cpSpace*, cpDataPointer data)
{
    CP_ARBITER_GET_SHAPES(arbiter, ragdollShape, ballShape);
    auto* layer = static_cast<GameLayer*>(data);
    const cpVect v = cpBodyGetVelocity(cpShapeGetBody(ragdollShape));
    const float speed = std::max(std::fabs(static_cast<float>(v.x)), std::fabs(static_cast<float>(v.y)));
    // Clamped before the conversion so that an absurd speed cannot overflow the integer.
    const int points = speed >= PainMeterLayer::kMaxHit ? PainMeterLayer::kMaxHit : static_cast<int>(speed);
    if (PainMeterLayer* meter = layer->painMeter())
        meter->addPain(points);
    if (Ragdoll* ragdoll = layer->ragdoll()) {
        const cpContactPointSet contacts = cpArbiterGetContactPointSet(arbiter);
        const cpVect p = contacts.count > 0 ? contacts.points[0].pointA : cpvzero;
        ragdoll->collisionnOnSelfShape(
            ragdollShape, ballShape, speed, CGPointMake(static_cast<float>(p.x), static_cast<float>(p.y)));
    }
    return cpTrue;
}

int PainMeter::totalPain() { return static_cast<int>(static_cast<double>(s_totalPain) / 1000.0); }

long long PainMeter::totalPainPoints() { return s_totalPain; }

void PainMeter::logPainScore()
{
    const int score = totalPain();
    if (score == 0 || !s_started)
        return;
    HighScoreKeeper::logScore(score, Host::current().absoluteTime() - s_startTime);
}

void PainMeter::resetForTesting()
{
    s_totalPain = 0;
    s_started = false;
    s_startTime = 0;
}

Ref<PainMeterLayer> PainMeterLayer::node() { return make<PainMeterLayer>(); }

namespace {
Ref<Sprite> blockSprite(const char* file, int tag)
{
    Ref<Sprite> sprite = Sprite::spriteWithFile(file);
    sprite->setTag(tag);
    return sprite;
}
} // namespace

Ref<Sprite> PainMeterLayer::painNoneSprite() { return blockSprite("Pain-None.png", kPainBlockNoneTag); }
Ref<Sprite> PainMeterLayer::painLowSprite() { return blockSprite("Pain-Low.png", kPainBlockLowTag); }
Ref<Sprite> PainMeterLayer::painMediumSprite() { return blockSprite("Pain-Medium.png", kPainBlockMediumTag); }
Ref<Sprite> PainMeterLayer::painHighSprite() { return blockSprite("Pain-High.png", kPainBlockHighTag); }

PainMeterLayer::PainMeterLayer()
{
    setIsTouchEnabled(true);
    setAnchorPoint(CGPointMake(0, 0));
    if (!s_started) {
        s_startTime = Host::current().absoluteTime();
        s_started = true;
    }
    for (int i = 0; i < kBlockCount; ++i) {
        Ref<Sprite> dark = painNoneSprite();
        const float w = dark->contentSize().width;
        dark->setPosition(CGPointMake(i * 2 + i * w, 0));
        m_noPainBlockSprites.push_back(dark);
        m_activeBlockSprites.push_back(dark);
        addChild(dark);
        Ref<Sprite> lit = i <= 5 ? painLowSprite() : i <= 10 ? painMediumSprite() : painHighSprite();
        lit->setPosition(dark->position());
        m_fullPainBlockSprites.push_back(lit);
    }
    m_label = LabelAtlas::labelAtlasWithString("", "fps_images.png", 16, 24, '.');
    m_label->setPosition(CGPointMake(180, -11));
    addChild(m_label);
    schedule(MW_SELECTOR(PainMeterLayer, painReduce), 0.5f);
}

void PainMeterLayer::addPain(int points)
{
    points = std::min(points, kMaxHit);
    s_totalPain += points;
    if (points >= m_pain)
        m_pain = points;
}

void PainMeterLayer::painReduce(float) { m_pain = static_cast<int>(m_pain * 0.95); }

int PainMeterLayer::currentPainBlockIndex() const
{
    return static_cast<int>(
        static_cast<float>(m_pain) / static_cast<float>(kMaxHit) * static_cast<float>(kBlockCount));
}

int PainMeterLayer::currentPainLevel() const
{
    const int k = currentPainBlockIndex();
    return k < 6 ? kPainLevelLow : k < 11 ? kPainLevelMedium : kPainLevelHigh;
}

void PainMeterLayer::update()
{
    const int lit = currentPainBlockIndex();
    for (int i = kBlockCount - 1; i >= 0; --i) {
        Sprite* current = m_activeBlockSprites[static_cast<size_t>(i)].get();
        const bool isDark = current->tag() == kPainBlockNoneTag;
        Sprite* replacement = nullptr;
        if (i < lit && isDark)
            replacement = m_fullPainBlockSprites[static_cast<size_t>(i)].get();
        else if (i >= lit && !isDark)
            replacement = m_noPainBlockSprites[static_cast<size_t>(i)].get();
        if (!replacement)
            continue;
        removeChild(current, true);
        m_activeBlockSprites[static_cast<size_t>(i)] = replacement;
        addChild(replacement);
    }
    updateLabel();
}

void PainMeterLayer::updateLabel()
{
    // Off screen nobody reads it; on screen it changes only with the total.
    const int shown = std::min(PainMeter::totalPain(), 999999);
    if (!isRunning() || shown == m_labelValue)
        return;
    m_labelValue = shown;
    char text[16];
    std::snprintf(text, sizeof text, "%7d", shown);
    m_label->setString(text);
}

void PainMeterLayer::onEnter()
{
    Layer::onEnter();
    updateLabel();
}
