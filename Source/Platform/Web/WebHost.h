#pragma once
// The host in a web browser: a WebGL canvas filling the page, touch and pointer events, device
// motion, Web Audio, local storage. The page (index.html and bonzelar-page.js) owns the canvas,
// the "Tap to play" screen and the resource download; it calls the bz_* functions below.
//
// The browser runs the frame loop: run() starts it and returns, and the host and the program
// live for as long as the page does.

#include "Platform/Host.h"
#include "Platform/Web/WebInput.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class WebPhotoLibrary;
class WebStore;

class WebHost final : public Host {
public:
    WebHost();
    ~WebHost() override;

    static WebHost* shared() { return s_shared; }

    const char* name() const override { return "web"; }
    void setListener(HostListener* listener) override { m_listener = listener; }
    HostListener* listener() const { return m_listener; }

    bool createSurface(int widthPoints, int heightPoints, int colorBits, int depthBits) override;
    bool hasSurface() const override { return m_context != 0; }
    bool makeCurrent() override;
    bool isCurrent() const override;
    // The browser presents when the frame's task ends.
    bool swapBuffers() override { return true; }
    int surfacePixelWidth() const override { return m_view.width; }
    int surfacePixelHeight() const override { return m_view.height; }
    float contentScale() const override { return m_view.pixelsPerPoint(m_pointsWidth); }
    void surfaceViewport(int& x, int& y, int& width, int& height) const override;
    bool surfaceHasMargins() const override
    {
        return m_view.width != m_canvasWidth || m_view.height != m_canvasHeight;
    }
    std::vector<std::uint8_t> readPixels(int& width, int& height) override;
    bool writePNG(
        const std::string& path, const std::vector<std::uint8_t>& rgba, int width, int height) override;

    void setDisplayLink(std::function<void()> onFrame, int frameInterval) override;
    int run() override;
    void requestTermination() override;

    bool gettimeofday(HostTimeValue& out) override;
    double absoluteTime() override;
    void setAccelerometerInterval(double seconds) override { m_sampleInterval = seconds; }

    bool decodeImageFile(const std::string& path, int maxSide, HostImage& out) override;
    bool decodeImageData(const std::uint8_t* data, std::size_t size, int maxSide, HostImage& out) override;
    bool encodePNG(const HostImage& image, std::vector<std::uint8_t>& out) override;
    // PNG or JPEG (turned upright by its EXIF orientation); false with the reason.
    static bool decodePicture(
        const std::uint8_t* data, std::size_t size, int maxSide, HostImage& out, std::string& error);
    bool measureText(const HostTextRequest& request, float& width, float& height) override;
    bool renderText(const HostTextRequest& request, HostTextBitmap& out) override;

    std::string resourcePath(const std::string& fileName) override;
    std::string dataDirectory() override { return "/data"; }
    KeyValueStore& store() override;

    bool currentAudioRoute(std::string& route) override;
    void initSystemSounds() override;
    SystemSoundID createSystemSound(const std::string& path) override;
    void disposeSystemSound(SystemSoundID id) override;
    void playSystemSound(SystemSoundID id) override;
    void setSystemSoundCompletion(SystemSoundID id, std::function<void()> completion) override;

    bool openURL(const std::string& url) override;
    PhotoLibrary* photoLibrary() override;

    // --- From the page ------------------------------------------------------------------------
    void frame();
    void canvasResized(int width, int height);
    // milliseconds: the event's time stamp, on the clock of performance.now().
    void pointer(int phase, std::int64_t id, float canvasX, float canvasY, double milliseconds);
    void motion(double ax, double ay, double az);
    void orientationChanged(int screenAngle);
    void key(int code, bool down, bool repeat);
    void visibilityChanged(bool visible);
    void pageHidden();
    void soundEnded(SystemSoundID id);

    int frames() const { return m_frames; }
    // Milliseconds of each display-link call since the last take (at most an hour's worth).
    std::vector<double> takeFrameWork();

private:
    void deliverVirtualSamples(double now);

    static WebHost* s_shared;

    HostListener* m_listener = nullptr;
    int m_context = 0; // EMSCRIPTEN_WEBGL_CONTEXT_HANDLE
    int m_pointsWidth = 320, m_pointsHeight = 480;
    int m_canvasWidth = 0, m_canvasHeight = 0;
    WebViewPlacement m_view;

    std::function<void()> m_displayLink;
    int m_frameInterval = 1;
    int m_refreshes = 0;
    int m_frames = 0;
    static constexpr std::size_t kMaxFrameWork = 60 * 3600;
    std::vector<double> m_frameWork;
    bool m_loopStarted = false;
    bool m_terminated = false;
    bool m_active = true;

    TapCounter m_taps;
    MotionConverter m_motion;
    bool m_hadMotion = false; // a real sensor spoke: the keys no longer tilt
    double m_sampleInterval = 1.0 / 60.0;
    double m_lastVirtualSample = -1;
    bool m_keys[5] = {}; // left, right, up, down, shake
    std::unique_ptr<class VirtualAccelerometer> m_virtual;

    std::unique_ptr<WebStore> m_store;
    std::unique_ptr<WebPhotoLibrary> m_photos;
    std::map<SystemSoundID, std::function<void()>> m_completions;
    double m_clockOrigin = 0;
};
