#include "Classes/Configuration.h"
#include "Classes/DeviceOrientation.h"
#include "Classes/Game.h"
#include "Classes/PainMeter.h"
#include "Engine/Director.h"
#include "Engine/IntervalAction.h"

#include <GLES/gl.h>

namespace {
constexpr int kBackgroundZ = 0;
constexpr int kGameLayerZ = 1;
constexpr int kPainMeterZ = 2;
constexpr int kOptionsInfoZ = 3;

struct OrientationRow {
    float bannerRotation; // radians
    float meterRotation; // degrees
    CGPoint meterPosition;
};
// Indexed by orientation 1 to 4; the meter and banner read upright for the player.
const OrientationRow kOrientationRows[5] = {
    { 0, 0, { 17, 20 } },
    { 0, 0, { 17, 20 } },
    { 3.14159265f, 180, { 303, 460 } },
    { 3.14159265f / 2, 90, { 20, 383 } },
    { -3.14159265f / 2, -90, { 300, 97 } },
};
} // namespace

Ref<OptionsInfoSprite> OptionsInfoSprite::node()
{
    Ref<OptionsInfoSprite> sprite = make<OptionsInfoSprite>();
    sprite->initWithFile("OptionsInfo.png");
    return sprite;
}

void OptionsInfoSprite::draw()
{
    // Faded out, it stays in the scene but leaves every pixel as it was.
    if (opacity() == 0)
        return;
    // This picture blends by its own alpha rather than as premultiplied colour.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    Sprite::draw();
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
}

Ref<GameScene> GameScene::node() { return make<GameScene>(); }

GameScene::GameScene()
{
    m_currentOrientation = 1;
    const CGSize win = Director::sharedDirector()->winSize();
    Configuration* config = Configuration::current();

    Ref<Sprite> background = Sprite::spriteWithFile(config->backgroundImage());
    background->setPosition(CGPointMake(win.width * 0.5f, win.height * 0.5f));
    addChild(background, kBackgroundZ);
    // An opaque picture over the whole view makes both the clear and blending it redundant.
    if (Texture2D* texture = background->texture(); texture && texture->isOpaque()) {
        background->setOpaque(true);
        const CGSize size = background->contentSize();
        m_coversView = size.width >= win.width && size.height >= win.height;
    }

    m_gameLayer = GameLayer::node();
    addChild(m_gameLayer, kGameLayerZ);

    m_painMeter = PainMeterLayer::node();
    m_gameLayer->setPainMeter(m_painMeter);

    if (config->numberOfRuns() > 3) {
        addPainMeter(0);
    } else {
        m_optionsInfoSprite = OptionsInfoSprite::node();
        m_optionsInfoSprite->setPosition(CGPointMake(win.width * 0.5f, 20));
        m_optionsInfoSprite->setOpacity(0);
        addChild(m_optionsInfoSprite, kOptionsInfoZ);
        m_optionsInfoSprite->runAction(FadeIn::actionWithDuration(1.5f));
        schedule(MW_SELECTOR(GameScene, optionsInfo_FadeOut), 6.0f);
    }

    m_portraitAdViewPosition = CGPointMake(160, 25);
    m_portraitUpsideDownAdViewPosition = CGPointMake(160, 455);
    m_landscapeLeftAdViewPosition = CGPointMake(295, 240);
    m_landscapeRightAdViewPosition = CGPointMake(25, 240);

    m_adView = make<AdView>(this);
    m_adView->hide();
    schedule(MW_SELECTOR(GameScene, showAdTimer_Tick), 10.0f);
}

GameScene::~GameScene()
{
    // The banner may outlive the scene in the view tree; it must not call back into it.
    m_adView->setDelegate(nullptr);
    m_adView->removeFromSuperview();
    // A scene released without leaving the screen (the director went first) must not stay
    // registered for turns.
    if (m_orientationObserver)
        DeviceOrientation::removeObserver(m_orientationObserver);
    // A meter that never went on screen still holds its decay timer, which holds the meter.
    if (m_painMeter && !m_painMeter->parent())
        m_painMeter->cleanup();
}

void GameScene::optionsInfo_FadeOut(float)
{
    unschedule(MW_SELECTOR(GameScene, optionsInfo_FadeOut));
    if (m_optionsInfoSprite)
        m_optionsInfoSprite->runAction(FadeOut::actionWithDuration(0.5f));
    schedule(MW_SELECTOR(GameScene, addPainMeter), 0.5f);
}

void GameScene::addPainMeter(float)
{
    unschedule(MW_SELECTOR(GameScene, addPainMeter));
    if (!Configuration::current()->showPainMeter() || m_painMeter->parent())
        return;
    repositionPainMeterWithAnimation(false);
    m_painMeter->setScale(0);
    addChild(m_painMeter, kPainMeterZ);
    m_painMeter->runAction(ScaleTo::actionWithDuration(0.3f, 1.0f));
}

void GameScene::repositionPainMeterWithAnimation(bool animated)
{
    if (!Configuration::current()->showPainMeter())
        return;
    const OrientationRow& row = kOrientationRows[m_currentOrientation];
    if (animated) {
        m_painMeter->runAction(
            Sequence::actions({ RotateTo::actionWithDuration(0.3f, row.meterRotation).get(),
                MoveTo::actionWithDuration(0.15f, row.meterPosition).get() }));
    } else {
        m_painMeter->setRotation(row.meterRotation);
        m_painMeter->setPosition(row.meterPosition);
    }
}

void GameScene::device_DidRotate(int orientation)
{
    if (orientation >= 1 && orientation <= 4)
        m_currentOrientation = orientation;
    repositionPainMeterWithAnimation(true);
    repositionAdView();
}

void GameScene::repositionAdView()
{
    const bool hidden = m_adView->isHidden();
    const CGPoint centres[5] = { m_portraitAdViewPosition, m_portraitAdViewPosition,
        m_portraitUpsideDownAdViewPosition, m_landscapeLeftAdViewPosition, m_landscapeRightAdViewPosition };
    const float rotation = kOrientationRows[m_currentOrientation].bannerRotation;
    m_adView->setTransform(
        rotation == 0 ? CGAffineTransformIdentity : CGAffineTransformMakeRotation(rotation));
    m_adView->setCenter(centres[m_currentOrientation]);
    m_adView->setHidden(hidden);
}

void GameScene::showAdTimer_Tick(float)
{
    unschedule(MW_SELECTOR(GameScene, showAdTimer_Tick));
    if (Director::sharedDirector()->runningScene() == this)
        m_adView->refreshAd();
    else
        m_adView->hide();
    schedule(MW_SELECTOR(GameScene, showAdTimer_Tick), 120.0f);
}

void GameScene::adDidLoad(AdView*)
{
    if (Director::sharedDirector()->runningScene() == this) {
        m_adView->show();
        schedule(MW_SELECTOR(GameScene, hideAdTimer_Tick), 10.0f);
    } else {
        m_adView->hide();
    }
}

void GameScene::hideAdTimer_Tick(float)
{
    unschedule(MW_SELECTOR(GameScene, hideAdTimer_Tick));
    m_adView->hide();
}

void GameScene::onEnter()
{
    Scene::onEnter();
    m_orientationObserver
        = DeviceOrientation::addObserver([this](int orientation) { device_DidRotate(orientation); });
    if (EAGLView* rendering = view())
        rendering->addSubview(m_adView.get());
}

void GameScene::onExit()
{
    DeviceOrientation::removeObserver(m_orientationObserver);
    m_orientationObserver = 0;
    m_adView->removeFromSuperview();
    Scene::onExit();
}
