#pragma once
// The desktop host: one SDL2 window on the player's screen.
//
// The 320 x 480 point view is shown at the largest whole scale that fits the screen. The mouse
// is one finger, a touch screen gives real fingers; the arrow keys tilt a virtual phone unless a
// game controller with a motion sensor is there. F11 or Alt+Enter toggles fullscreen, F12 saves
// a screenshot under the Pictures folder.

#include "Platform/FolderPhotoLibrary.h"
#include "Platform/SdlHost.h"
#include "Platform/VirtualAccelerometer.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

union SDL_Event;
struct _SDL_GameController;
class SystemSounds;

class DesktopHost : public SdlHost {
public:
    DesktopHost();
    ~DesktopHost() override;

    const char* name() const override { return "desktop"; }

    // Starts SDL's video on a real display. Without one (SDL would fall back to its windowless
    // drivers) it prints one line saying so and how to run headless, and returns false.
    bool openDisplay();

    // Pumps events and runs the display link once per display refresh until the window closes
    // or termination is asked for; the listener then hears hostWillTerminate.
    int run() override;
    void requestTermination() override { m_quit = true; }
    bool swapBuffers() override;

    bool gettimeofday(HostTimeValue& out) override;
    double absoluteTime() override;

    void setAccelerometerInterval(double seconds) override;
    bool currentAudioRoute(std::string& route) override;
    bool openURL(const std::string& url) override;

    // Played through SDL_mixer (SystemSound.h); without an audio device they are dropped.
    void initSystemSounds() override;
    SystemSoundID createSystemSound(const std::string& path) override;
    void disposeSystemSound(SystemSoundID id) override;
    void playSystemSound(SystemSoundID id) override;
    void setSystemSoundCompletion(SystemSoundID id, std::function<void()> completion) override;

    // The user's Pictures folder, thumbnails made on a worker thread, files dropped on the window.
    PhotoLibrary* photoLibrary() override;

    // Xft.dpi in an X resource database text, 0 when absent or unreadable.
    static double dpiFromResources(const std::string& resources);
    // The desktop's scale from Xft.dpi or, failing that, the monitor's physical DPI (0: unknown).
    static double uiScaleForDPI(double xftDpi, double monitorDpi);
    // The first window: whole steps of the desktop scale, the largest that fits the usable area.
    static void windowSizeFor(int widthPoints, int heightPoints, int usableWidth, int usableHeight,
        double uiScale, int& width, int& height);

    // $XDG_DATA_HOME/bonzelar, or ~/.local/share/bonzelar.
    static std::string defaultDataDirectory();
    // The user's Pictures folder (xdg-user-dir PICTURES, or ~/Pictures).
    static std::string picturesDirectory();

protected:
    bool startVideo(std::string& why) override;
    void chooseWindow(
        int widthPoints, int heightPoints, int& width, int& height, std::uint32_t& flags) override;
    void configureSwapInterval() override;
    void windowOpened() override;

private:
    void handleEvent(const SDL_Event& event);
    void handleWindowEvent(const SDL_Event& event);
    void handleKey(const SDL_Event& event);
    void sendTouch(int phase, std::int64_t id, float windowX, float windowY, int tapCount);
    void cancelTouches();
    void sendSecondaryDrag(int phase, float windowX, float windowY);
    void setActive(bool active);
    void toggleFullscreen();
    void saveScreenshotToPictures();

    void openController(int deviceIndex);
    void closeController();
    void deliverSamples(double now);
    double secondsUntilNextSample(double now) const;

    double refreshRate() const;
    void waitForEvents(double seconds);
    void noteRouteChange();
    void reapChildren();

    bool m_quit = false;
    bool m_active = true; // focused and shown: the game runs
    bool m_focused = true;
    bool m_shown = true; // false while minimised or hidden
    bool m_fullscreen = false;
    bool m_screenshotPending = false;
    bool m_audioStarted = false;
    bool m_audioTried = false;
    std::string m_route;

    // Frame pacing: the swap waits for the display while vsync works; otherwise the clock does.
    bool m_vsync = false;
    bool m_adaptiveVsync = false;
    bool m_vsyncPaces = false;
    int m_fastFrames = 0;
    double m_lastFrameStart = -1;
    double m_nextFrame = 0;

    // Touches. The mouse is finger 0; real fingers get ids from 1 in the order they land.
    bool m_mouseDown = false;
    int m_mouseTaps = 1;
    std::map<std::int64_t, std::int64_t> m_fingers; // SDL finger id -> our id
    std::map<std::int64_t, int> m_fingerTaps; // our id -> tap count
    std::int64_t m_nextFinger = 1;
    double m_lastFingerTapTime = -1;
    float m_lastFingerTapX = 0, m_lastFingerTapY = 0;
    int m_lastFingerTapCount = 0;

    // Accelerometer.
    VirtualAccelerometer m_virtual;
    _SDL_GameController* m_controller = nullptr;
    bool m_controllerHasSample = false;
    double m_controllerSample[3] = { 0, 0, 0 }; // g, portrait device axes
    double m_sampleInterval = 1.0 / 60.0;
    double m_nextSample = 0;
    double m_lastSample = -1;

    std::unique_ptr<FolderPhotoLibrary> m_photos; // made on first use
    bool m_secondaryDown = false; // the right button is dragging

    std::vector<pid_t> m_children; // xdg-open processes still to reap
    std::unique_ptr<SystemSounds> m_sounds;
    std::int64_t m_clockOrigin = 0;
};
