#pragma once
// What the desktop and the headless host share: one SDL window with an OpenGL ES 1.1 context,
// pixel read-back, pictures, text, resources, the data directory and the settings store.
//
// The view is always 320 x 480 points. In a window of another shape it is letterboxed: the
// largest 2:3 area that fits, centred, at the exact scale; the rest stays black.

#include "Platform/Host.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct SDL_Window;

class SdlHost : public Host {
public:
    SdlHost();
    ~SdlHost() override;
    SdlHost(const SdlHost&) = delete;
    SdlHost& operator=(const SdlHost&) = delete;

    void setListener(HostListener* listener) override { m_listener = listener; }
    HostListener* listener() const { return m_listener; }

    bool createSurface(int widthPoints, int heightPoints, int colorBits, int depthBits) override;
    bool hasSurface() const override { return m_context != nullptr; }
    bool makeCurrent() override;
    bool isCurrent() const override;
    bool swapBuffers() override;
    int surfacePixelWidth() const override { return m_viewWidth; }
    int surfacePixelHeight() const override { return m_viewHeight; }
    float contentScale() const override;
    float pictureScale() const override { return m_pictureScale > 0 ? m_pictureScale : contentScale(); }
    void surfaceViewport(int& x, int& y, int& width, int& height) const override;
    bool surfaceHasMargins() const override
    {
        return m_viewWidth != m_drawableWidth || m_viewHeight != m_drawableHeight;
    }
    std::vector<std::uint8_t> readPixels(int& width, int& height) override;
    bool writePNG(
        const std::string& path, const std::vector<std::uint8_t>& rgba, int width, int height) override;

    void setDisplayLink(std::function<void()> onFrame, int frameInterval) override;
    bool hasDisplayLink() const { return static_cast<bool>(m_displayLink); }
    int frameInterval() const { return m_frameInterval; }

    bool decodeImageFile(const std::string& path, int maxSide, HostImage& out) override;
    bool decodeImageData(const std::uint8_t* data, std::size_t size, int maxSide, HostImage& out) override;
    bool encodePNG(const HostImage& image, std::vector<std::uint8_t>& out) override;
    bool measureText(const HostTextRequest& request, float& width, float& height) override;
    bool renderText(const HostTextRequest& request, HostTextBitmap& out) override;

    std::string resourcePath(const std::string& fileName) override;
    std::string dataDirectory() override { return m_dataDirectory; }
    KeyValueStore& store() override;

    // The view as last drawn, opaque (the GL alpha channel is not what the screen shows).
    bool saveScreenshot(const std::string& path, std::string& error);

    // Only web and mail addresses go to the browser: anything else (a file, a "-option",
    // control characters) could make the opener do something other than show a page.
    static bool isOpenableURL(const std::string& url, std::string& why);

protected:
    // Sets the hints and starts SDL's video; called once, before the window is made.
    virtual bool startVideo(std::string& why) = 0;
    // Window size in screen coordinates and extra SDL window flags for a view of this size.
    virtual void chooseWindow(
        int widthPoints, int heightPoints, int& width, int& height, std::uint32_t& flags)
        = 0;
    // Swap interval to ask for once the context exists.
    virtual void configureSwapInterval() = 0;
    virtual const char* windowTitle() const { return "Bonzelar"; }
    // The window and its context exist and are current.
    virtual void windowOpened() { }
    // Makes the window and context; a subclass may retry with other settings.
    bool openWindow(
        int width, int height, std::uint32_t flags, int colorBits, int depthBits, std::string& why);
    void closeWindow();

    // Re-reads the drawable size and places the view in it; sets the GL viewport when the
    // placement changed.
    void updateDrawableSize();
    void applyViewport();
    // Window coordinates (SDL's, origin top left) to view points.
    void windowToView(float windowX, float windowY, float& x, float& y) const;
    // Waits until the GL has drawn everything it was given.
    void finishDrawing();
    // Runs the display link once; safe against the callback replacing itself.
    void fireDisplayLink();

    void setDataDirectory(std::string dir) { m_dataDirectory = std::move(dir); }
    // 0 follows the view's scale.
    void setPictureScale(float scale) { m_pictureScale = scale; }

    SDL_Window* m_window = nullptr;
    void* m_context = nullptr; // SDL_GLContext
    HostListener* m_listener = nullptr;
    bool m_videoStarted = false;
    int m_pointsWidth = 320, m_pointsHeight = 480;
    int m_drawableWidth = 0, m_drawableHeight = 0;
    // The view inside the drawable, GL convention (from the bottom left).
    int m_viewX = 0, m_viewY = 0, m_viewWidth = 0, m_viewHeight = 0;

private:
    struct GL;

    std::function<void()> m_displayLink;
    int m_frameInterval = 1;
    float m_pictureScale = 0;
    std::string m_dataDirectory;
    std::unique_ptr<KeyValueStore> m_store;
    std::unique_ptr<GL> m_gl;
};
