#pragma once
// The run loop: owns the rendering view and the scene stack, and runs one frame per display
// refresh (tick the scheduler with the measured frame time, switch scenes, draw).

#include "Engine/Scene.h"
#include "Engine/Support/EAGLView.h"
#include "Platform/Host.h"

#include <functional>
#include <string>
#include <vector>

enum {
    kPixelFormatRGB565 = 0,
    kPixelFormatRGBA8888 = 1,
};
enum {
    kDepthBufferNone = 0,
    kDepthBuffer16 = 1,
    kDepthBuffer24 = 2,
};
enum {
    kDeviceOrientationPortrait = 1,
    kDeviceOrientationPortraitUpsideDown = 2,
    kDeviceOrientationLandscapeLeft = 3,
    kDeviceOrientationLandscapeRight = 4,
};

class Director : public Object {
public:
    static Director* sharedDirector();
    // Must come before any other use of the director.
    static void useDisplayLinkDirector();
    // Releases the instance (application termination); the next sharedDirector() makes a new one.
    // The running scene exits first.
    static void purgeSharedDirector();
    // The shared instance if one exists, without creating it.
    static Director* existingDirector();

    // The frame-rate counter is a LabelAtlas over "fps_images.png"; hooks, when set, replace it
    // (tests count the text without drawing).
    using FPSLabelFactory = std::function<Ref<Node>()>;
    using FPSLabelTextSetter = std::function<void(Node* label, const std::string& text)>;
    static void setFPSLabelHooks(FPSLabelFactory factory, FPSLabelTextSetter setText);
    // Called just before and just after each frame's scheduler tick (the benchmark times the
    // game step with it).
    using TickProbe = void (*)(bool ticked);
    static void setTickProbe(TickProbe probe);

    Director();
    ~Director() override;
    const char* className() const override { return "Director"; }

    // --- set-up ---
    void setPixelFormat(int format);
    int pixelFormat() const { return m_pixelFormat; }
    void setDepthBufferFormat(int format);
    int depthBufferFormat() const { return m_depthBufferFormat; }
    bool attachInWindow(const WindowInfo& window);
    bool attachInView(const WindowInfo& view);
    bool attachInView(const WindowInfo& view, CGRect frame);
    bool detach();
    bool isOpenGLAttached() const;

    void setDeviceOrientation(int orientation);
    int deviceOrientation() const { return m_deviceOrientation; }
    bool landscape() const { return m_deviceOrientation == kDeviceOrientationLandscapeLeft; }
    void setLandscape(bool landscape);

    virtual void setAnimationInterval(double seconds);
    double animationInterval() const { return m_animationInterval; }
    void setDisplayFPS(bool display) { m_displayFPS = display; }
    bool displayFPS() const { return m_displayFPS; }
    void setNextDeltaTimeZero(bool zero) { m_nextDeltaTimeZero = zero; }
    bool nextDeltaTimeZero() const { return m_nextDeltaTimeZero; }
    EAGLView* openGLView() const { return m_openGLView.get(); }
    Scene* runningScene() const { return m_runningScene.get(); }
    // The scene the next frame switches to; null if none.
    Scene* nextScene() const { return m_nextScene.get(); }
    bool isPaused() const { return m_isPaused; }
    // The last frame time measured.
    float dt() const { return m_dt; }
    float frameRate() const { return m_frameRate; }
    const std::vector<Ref<Scene>>& scenesStack() const { return m_scenesStack; }

    // --- GL state ---
    void setAlphaBlending(bool on);
    void setDepthTest(bool on);
    void setTexture2D(bool on);
    void setDefaultProjection();
    void set2Dprojection();
    void set3Dprojection();

    // --- sizes and coordinates (points) ---
    // Width and height swapped in the landscape orientations.
    CGSize winSize() const;
    // The view's frame size, never swapped; the phone screen before a view exists.
    CGSize displaySize() const;
    // View coordinates (origin top left) to scene coordinates (origin bottom left).
    CGPoint convertCoordinate(CGPoint point) const;

    // --- scenes ---
    void runWithScene(Scene* scene);
    void pushScene(Scene* scene);
    void replaceScene(Scene* scene);
    void popScene();
    void end();

    // --- run state ---
    virtual void startAnimation();
    virtual void stopAnimation();
    void pause();
    void resume();
    // One frame.
    void mainLoop();
    // Whether the scene is on the scene stack (running, or pushed under the running one).
    bool isOnStack(const Scene* scene) const;
    // Offers a key to the running scene (KeyHandler.h); none while scenes change or paused.
    bool dispatchKey(HostKey key);

protected:
    void calculateDeltaTime();
    void setNextScene();
    void applyLandscape();
    void showFPS();
    void drawViews();
    void initGLDefaultValues();
    void readClockOrRaise();
    // Exits the running scene and lets go of every scene.
    void leaveScenes();

    Ref<EAGLView> m_openGLView;
    bool m_animationTimer = false; // the host's frame callback stands in for a repeating timer
    double m_animationInterval = 1.0 / 60.0;
    double m_oldAnimationInterval = 1.0 / 60.0;
    int m_pixelFormat = kPixelFormatRGB565;
    int m_depthBufferFormat = kDepthBufferNone;
    int m_deviceOrientation = kDeviceOrientationPortrait;
    bool m_displayFPS = false;
    int m_frames = 0;
    float m_accumDt = 0;
    float m_frameRate = 0;
    Ref<Node> m_FPSLabel;
    bool m_isPaused = false;
    Ref<Scene> m_runningScene;
    // Retained, so a replacement that is itself replaced within the frame dies cleanly.
    Ref<Scene> m_nextScene;
    std::vector<Ref<Scene>> m_scenesStack;
    HostTimeValue m_lastUpdate;
    float m_dt = 0;
    bool m_nextDeltaTimeZero = false;
};

// Driven by the host's display-refresh callback.
class DisplayLinkDirector : public Director {
public:
    DisplayLinkDirector() = default;
    ~DisplayLinkDirector() override { stopAnimation(); }
    const char* className() const override { return "DisplayLinkDirector"; }

    void startAnimation() override;
    void stopAnimation() override;
    void preMainLoop() { mainLoop(); }
    // Refreshes per frame for the current animation interval: 1, 2 or 3.
    int frameInterval() const;

private:
    bool m_displayLink = false;
};
