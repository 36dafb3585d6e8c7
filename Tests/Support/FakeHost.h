#pragma once
// A Host for unit tests: a settable clock, a recorded display link and, on request, a real
// GL ES 1.1 surface from SDL's offscreen driver.
//
// Without a real surface, createSurface still succeeds and GL calls go to the GL dispatcher's
// no-op entry points (no context is current), so director logic runs without a display.

#include "Engine/Support/Exception.h"
#include "Platform/Host.h"
#include "Platform/MemoryStore.h"

#include <functional>
#include <string>
#include <vector>

struct SDL_Window;

class FakeHost : public Host {
public:
    struct Options {
        bool realSurface = false;
        int scale = 1; // pixels per point
    };
    FakeHost();
    explicit FakeHost(Options options);
    ~FakeHost() override;

    // Installs itself as Host::current() for its lifetime.
    const char* name() const override { return "fake"; }

    // --- clock ---
    void setTime(std::int64_t seconds, std::int32_t microseconds);
    void advance(double seconds);
    void setClockFails(bool fails) { m_clockFails = fails; }

    // --- display link ---
    bool hasDisplayLink() const { return static_cast<bool>(m_displayLink); }
    int frameInterval() const { return m_frameInterval; }
    int displayLinkChanges() const { return m_displayLinkChanges; }
    // Advances the clock and runs the display link once, if set.
    void frame(double seconds = 1.0 / 60.0);

    int swapCount() const { return m_swapCount; }
    int statusBarOrientation() const { return m_statusBarOrientation; }
    double accelerometerInterval() const { return m_accelerometerInterval; }
    void failSurfaceCreation(bool fail) { m_failSurface = fail; }

    void setListener(HostListener* listener) override { m_listener = listener; }
    bool createSurface(int widthPoints, int heightPoints, int colorBits, int depthBits) override;
    bool hasSurface() const override { return m_hasSurface; }
    bool makeCurrent() override;
    bool isCurrent() const override;
    bool swapBuffers() override;
    int surfacePixelWidth() const override { return m_widthPoints * m_options.scale; }
    int surfacePixelHeight() const override { return m_heightPoints * m_options.scale; }
    float contentScale() const override { return static_cast<float>(m_options.scale); }
    std::vector<std::uint8_t> readPixels(int& width, int& height) override;
    bool writePNG(const std::string&, const std::vector<std::uint8_t>&, int, int) override { return false; }
    void setDisplayLink(std::function<void()> onFrame, int frameInterval) override;
    int run() override { return 0; }
    void requestTermination() override { }
    bool gettimeofday(HostTimeValue& out) override;
    double absoluteTime() override { return static_cast<double>(m_now.tv_sec) + m_now.tv_usec / 1e6; }
    void setAccelerometerInterval(double seconds) override { m_accelerometerInterval = seconds; }
    void setStatusBarOrientation(int orientation) override { m_statusBarOrientation = orientation; }
    bool decodeImageFile(const std::string&, int, HostImage&) override { return false; }
    bool decodeImageData(const std::uint8_t*, std::size_t, int, HostImage&) override { return false; }
    bool encodePNG(const HostImage&, std::vector<std::uint8_t>&) override { return false; }
    bool measureText(const HostTextRequest&, float&, float&) override { return false; }
    bool renderText(const HostTextRequest&, HostTextBitmap&) override { return false; }
    std::string resourcePath(const std::string&) override { return ""; }
    std::string dataDirectory() override { return "/tmp"; }
    KeyValueStore& store() override { return m_store; }
    bool currentAudioRoute(std::string& route) override
    {
        route = "Speaker";
        return true;
    }
    bool openURL(const std::string&) override { return false; }

private:
    Options m_options;
    HostListener* m_listener = nullptr;
    HostTimeValue m_now { 1000, 0 };
    bool m_clockFails = false;
    std::function<void()> m_displayLink;
    int m_frameInterval = 0;
    int m_displayLinkChanges = 0;
    int m_swapCount = 0;
    int m_statusBarOrientation = 0;
    double m_accelerometerInterval = 0;
    bool m_failSurface = false;
    bool m_hasSurface = false;
    int m_widthPoints = 0, m_heightPoints = 0;
    SDL_Window* m_window = nullptr;
    void* m_context = nullptr;
    MemoryStore m_store;
    Host* m_previous = nullptr;
};

// Drops every engine singleton's state so each test starts from a fresh engine.
void resetEngineForTest();

// "name: reason" of the engine exception the call raises, or "" when it raises none.
template <class F> std::string raisedBy(F&& call)
{
    try {
        call();
    } catch (const Exception& e) {
        return e.name() + ": " + e.reason();
    }
    return "";
}
