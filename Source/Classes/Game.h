#pragma once
// The play: GameScene stacks the background, the play layer and (when on) the pain meter;
// GameLayer owns the physics space, the figure, the ball field and the touch mouse.

#include "Classes/AdView.h"
#include "Engine/KeyHandler.h"
#include "Engine/Layer.h"
#include "Engine/Scene.h"
#include "Engine/Sprite.h"

#include <chipmunk/chipmunk.h>

#include <vector>

class Ball;
class PainMeterLayer;
class Ragdoll;
struct cpMouse;

class GameLayer : public Layer, public KeyHandler {
public:
    static Ref<GameLayer> node();
    GameLayer();
    ~GameLayer() override;
    const char* className() const override { return "GameLayer"; }

    // Scheduled every frame.
    void step(float dt);
    void draw() override;
    void populateActiveAreaWithBalls();

    bool onTouchesBegan(const TouchSet& touches, TouchEvent* event) override;
    bool onTouchesMoved(const TouchSet& touches, TouchEvent* event) override;
    bool onTouchesEnded(const TouchSet& touches, TouchEvent* event) override;
    bool onTouchesCancelled(const TouchSet& touches, TouchEvent* event) override;
    void accelerometer(Accelerometer* accelerometer, const Acceleration& acceleration) override;

    PainMeterLayer* painMeter() const { return m_painMeter.get(); }
    void setPainMeter(PainMeterLayer* meter);
    float gravity() const { return m_gravity; }
    void setGravity(float gravity) { m_gravity = gravity; }
    float damping() const { return m_damping; }
    void setDamping(float damping) { m_damping = damping; }
    int numberOfBalls() const { return m_numberOfBalls; }
    void setNumberOfBalls(int n) { m_numberOfBalls = n; }
    bool useAccelerometer() const { return m_useAccelerometer; }
    void setUseAccelerometer(bool on) { m_useAccelerometer = on; }
    bool drawPersonAsWireframe() const { return m_drawPersonAsWireframe; }
    void setDrawPersonAsWireframe(bool on) { m_drawPersonAsWireframe = on; }
    bool drawBallsAsWireframe() const { return m_drawBallsAsWireframe; }
    void setDrawBallsAsWireframe(bool on) { m_drawBallsAsWireframe = on; }
    cpSpace* space() const { return m_space; }
    Ragdoll* ragdoll() const { return m_ragdoll.get(); }
    cpMouse* mouse() const { return m_mouse; }
    void setMouse(cpMouse* mouse) { m_mouse = mouse; }
    const std::vector<Ref<Ball>>& balls() const { return m_balls; }
    CGRect initialPlayerArea() const { return m_initialPlayerArea; }
    CGPoint initialPlayerPosition() const { return m_initialPlayerPosition; }
    // How many double taps asked for the options.
    int optionsRequests() const { return m_optionsRequests; }

    // The filter state of the tilt, shared by every play layer of the process.
    static CGPoint tiltFilter();
    static void resetTiltFilterForTesting();

    // Longest frame time the physics is stepped with; a longer stall is taken as this much.
    static constexpr float kMaxStep = 0.1f;

private:
    void openOptions();
    // Escape opens the options, as a double tap does.
    bool onKey(HostKey key) override;
    void touchBegan(Touch* touch);

    Ref<PainMeterLayer> m_painMeter;
    float m_gravity = 0;
    float m_damping = 1;
    int m_numberOfBalls = 0;
    bool m_useAccelerometer = true;
    bool m_drawPersonAsWireframe = false;
    bool m_drawBallsAsWireframe = false;
    cpSpace* m_space = nullptr; // owned
    Ref<Ragdoll> m_ragdoll;
    cpMouse* m_mouse = nullptr; // owned while a finger is down
    std::vector<Ref<Ball>> m_balls;
    std::vector<Ref<Ball>> m_keptBalls, m_droppedBalls; // scratch for the ball field
    std::vector<Ref<Ball>> m_spareBalls; // dropped, kept for reuse
    bool m_initialBallsGenerated = false;
    CGPoint m_initialPlayerPosition;
    CGRect m_initialPlayerArea;
    int m_optionsRequests = 0;
};

// The hint "Double-tap anywhere for options", blended by its own alpha.
class OptionsInfoSprite : public Sprite {
public:
    static Ref<OptionsInfoSprite> node();
    const char* className() const override { return "OptionsInfoSprite"; }
    void draw() override;
};

class GameScene : public Scene, public AdViewDelegate {
public:
    static Ref<GameScene> node();
    GameScene();
    ~GameScene() override;
    const char* className() const override { return "GameScene"; }

    void onEnter() override;
    void onExit() override;
    bool coversView() const override { return m_coversView; }

    void optionsInfo_FadeOut(float elapsed);
    void addPainMeter(float elapsed);
    void showAdTimer_Tick(float elapsed);
    void hideAdTimer_Tick(float elapsed);
    void adDidLoad(AdView* adView) override;
    void device_DidRotate(int orientation);
    void repositionPainMeterWithAnimation(bool animated);
    void repositionAdView();

    GameLayer* gameLayer() const { return m_gameLayer.get(); }
    PainMeterLayer* painMeter() const { return m_painMeter.get(); }
    Sprite* optionsInfoSprite() const { return m_optionsInfoSprite.get(); }
    AdView* adView() const { return m_adView.get(); }
    int currentOrientation() const { return m_currentOrientation; }

private:
    Ref<GameLayer> m_gameLayer;
    Ref<Sprite> m_optionsInfoSprite;
    Ref<PainMeterLayer> m_painMeter;
    Ref<AdView> m_adView;
    int m_orientationObserver = 0;
    CGPoint m_portraitAdViewPosition;
    CGPoint m_portraitUpsideDownAdViewPosition;
    CGPoint m_landscapeLeftAdViewPosition;
    CGPoint m_landscapeRightAdViewPosition;
    int m_currentOrientation = 1;
    bool m_coversView = false;
};
