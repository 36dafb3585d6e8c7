#include "Platform/SdlHost.h"
#include "Platform/Log.h"

#include "Platform/ImageCodec.h"
#include "Platform/ResourceLocator.h"
#include "Platform/SqliteStore.h"
#include "Platform/TextRasterizer.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

// The host reads pixels back and places the letterboxed view. Those few GL entry points are
// fetched through SDL, so GL headers stay with the engine.
struct SdlHost::GL {
    using Viewport = void (*)(int, int, int, int);
    using ReadPixels = void (*)(int, int, int, int, unsigned, unsigned, void*);
    using PixelStorei = void (*)(unsigned, int);
    using Finish = void (*)();
    static constexpr unsigned kRGBA = 0x1908;
    static constexpr unsigned kUnsignedByte = 0x1401;
    static constexpr unsigned kPackAlignment = 0x0D05;

    Viewport viewport = nullptr;
    ReadPixels readPixels = nullptr;
    PixelStorei pixelStorei = nullptr;
    Finish finish = nullptr;

    bool load()
    {
        viewport = reinterpret_cast<Viewport>(SDL_GL_GetProcAddress("glViewport"));
        readPixels = reinterpret_cast<ReadPixels>(SDL_GL_GetProcAddress("glReadPixels"));
        pixelStorei = reinterpret_cast<PixelStorei>(SDL_GL_GetProcAddress("glPixelStorei"));
        finish = reinterpret_cast<Finish>(SDL_GL_GetProcAddress("glFinish"));
        return viewport && readPixels && pixelStorei && finish;
    }
};

SdlHost::SdlHost() = default;

SdlHost::~SdlHost()
{
    m_store.reset();
    closeWindow();
    if (m_videoStarted)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlHost::createSurface(int widthPoints, int heightPoints, int colorBits, int depthBits)
{
    if (m_context)
        return true;
    if (widthPoints <= 0 || heightPoints <= 0 || (colorBits != 16 && colorBits != 32)
        || (depthBits != 0 && depthBits != 16 && depthBits != 24)) {
        logLine(LogLevel::Error, "Host: cannot make a %d x %d surface with %d colour and %d depth bits",
            widthPoints, heightPoints, colorBits, depthBits);
        return false;
    }
    std::string why;
    if (!m_videoStarted) {
        if (!startVideo(why)) {
            logLine(LogLevel::Error, "Host: no video: %s", why.c_str());
            return false;
        }
        m_videoStarted = true;
    }
    m_pointsWidth = widthPoints;
    m_pointsHeight = heightPoints;
    int width = 0, height = 0;
    std::uint32_t flags = 0;
    chooseWindow(widthPoints, heightPoints, width, height, flags);
    if (!openWindow(width, height, flags, colorBits, depthBits, why)) {
        logLine(LogLevel::Error, "Host: cannot create the GL ES 1.1 surface: %s", why.c_str());
        return false;
    }
    return true;
}

bool SdlHost::openWindow(
    int width, int height, std::uint32_t flags, int colorBits, int depthBits, std::string& why)
{
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    const bool deep = colorBits == 32;
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, deep ? 8 : 5);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, deep ? 8 : 6);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, deep ? 8 : 5);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, deep ? 8 : 0);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);

    m_window = SDL_CreateWindow(windowTitle(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
        SDL_WINDOW_OPENGL | flags);
    if (!m_window) {
        why = SDL_GetError();
        return false;
    }
    m_context = SDL_GL_CreateContext(m_window);
    if (!m_context) {
        why = SDL_GetError();
        closeWindow();
        return false;
    }
    m_gl = std::make_unique<GL>();
    if (SDL_GL_MakeCurrent(m_window, m_context) != 0 || !m_gl->load()) {
        why = "the context has no usable GL entry points";
        closeWindow();
        return false;
    }
    configureSwapInterval();
    updateDrawableSize();
    applyViewport();
    windowOpened();
    return true;
}

void SdlHost::closeWindow()
{
    if (m_context) {
        SDL_GL_DeleteContext(m_context);
        m_context = nullptr;
    }
    if (m_window) {
        SDL_DestroyWindow(m_window);
        m_window = nullptr;
    }
    m_gl.reset();
}

bool SdlHost::makeCurrent() { return m_context && SDL_GL_MakeCurrent(m_window, m_context) == 0; }

bool SdlHost::isCurrent() const { return m_context && SDL_GL_GetCurrentContext() == m_context; }

bool SdlHost::swapBuffers()
{
    if (!m_window || !m_context)
        return false;
    SDL_GL_SwapWindow(m_window);
    return true;
}

float SdlHost::contentScale() const
{
    return m_viewWidth > 0 ? float(m_viewWidth) / float(m_pointsWidth) : 1.0f;
}

void SdlHost::surfaceViewport(int& x, int& y, int& width, int& height) const
{
    x = m_viewX;
    y = m_viewY;
    width = m_viewWidth;
    height = m_viewHeight;
}

void SdlHost::updateDrawableSize()
{
    if (!m_window)
        return;
    SDL_GL_GetDrawableSize(m_window, &m_drawableWidth, &m_drawableHeight);
    const double fit
        = std::min(double(m_drawableWidth) / m_pointsWidth, double(m_drawableHeight) / m_pointsHeight);
    m_viewWidth = std::max(1, int(std::lround(m_pointsWidth * fit)));
    m_viewHeight = std::max(1, int(std::lround(m_pointsHeight * fit)));
    m_viewX = std::max(0, (m_drawableWidth - m_viewWidth) / 2);
    m_viewY = std::max(0, (m_drawableHeight - m_viewHeight) / 2);
}

void SdlHost::applyViewport()
{
    if (m_gl && isCurrent())
        m_gl->viewport(m_viewX, m_viewY, m_viewWidth, m_viewHeight);
}

void SdlHost::windowToView(float windowX, float windowY, float& x, float& y) const
{
    int windowWidth = 1, windowHeight = 1;
    if (m_window)
        SDL_GetWindowSize(m_window, &windowWidth, &windowHeight);
    // HiDPI: window coordinates and drawable pixels differ by the display's scale.
    const float px = windowX * float(m_drawableWidth) / float(std::max(1, windowWidth));
    const float py = windowY * float(m_drawableHeight) / float(std::max(1, windowHeight));
    const float top = float(m_drawableHeight - m_viewY - m_viewHeight);
    const float scale = contentScale();
    x = (px - float(m_viewX)) / scale;
    y = (py - top) / scale;
}

std::vector<std::uint8_t> SdlHost::readPixels(int& width, int& height)
{
    width = height = 0;
    if (!m_gl || !makeCurrent())
        return {};
    const int w = m_viewWidth, h = m_viewHeight;
    std::vector<std::uint8_t> bottomUp(std::size_t(w) * std::size_t(h) * 4);
    m_gl->pixelStorei(GL::kPackAlignment, 1);
    m_gl->readPixels(m_viewX, m_viewY, w, h, GL::kRGBA, GL::kUnsignedByte, bottomUp.data());
    // GL rows start at the bottom; pictures start at the top.
    std::vector<std::uint8_t> rgba(bottomUp.size());
    const std::size_t stride = std::size_t(w) * 4;
    for (int row = 0; row < h; ++row)
        std::copy_n(bottomUp.data() + std::size_t(h - 1 - row) * stride, stride,
            rgba.data() + std::size_t(row) * stride);
    width = w;
    height = h;
    return rgba;
}

bool SdlHost::writePNG(const std::string& path, const std::vector<std::uint8_t>& rgba, int width, int height)
{
    if (width <= 0 || height <= 0 || rgba.size() < std::size_t(width) * std::size_t(height) * 4) {
        logLine(LogLevel::Warning, "Host: no picture to write to %s", path.c_str());
        return false;
    }
    std::string error;
    if (!ImageCodec::writePNGFile(path, rgba.data(), width, height, true, error)) {
        logLine(LogLevel::Warning, "Host: %s", error.c_str());
        return false;
    }
    return true;
}

bool SdlHost::saveScreenshot(const std::string& path, std::string& error)
{
    if (!hasSurface()) {
        error = "there is no GL surface to read";
        return false;
    }
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba = readPixels(width, height);
    if (rgba.empty()) {
        error = "cannot read the GL surface";
        return false;
    }
    for (std::size_t i = 3; i < rgba.size(); i += 4)
        rgba[i] = 255;
    return ImageCodec::writePNGFile(path, rgba.data(), width, height, false, error);
}

void SdlHost::setDisplayLink(std::function<void()> onFrame, int frameInterval)
{
    m_displayLink = std::move(onFrame);
    m_frameInterval = std::clamp(frameInterval, 1, 60);
}

void SdlHost::finishDrawing()
{
    if (m_gl && isCurrent())
        m_gl->finish();
}

void SdlHost::fireDisplayLink()
{
    // The callback may stop or replace the link (the director ending); keep this one alive.
    std::function<void()> link = m_displayLink;
    if (link)
        link();
}

bool SdlHost::decodeImageFile(const std::string& path, int maxSide, HostImage& out)
{
    std::string error;
    if (ImageCodec::decodeFile(path, maxSide, out, error))
        return true;
    logLine(LogLevel::Warning, "Image: %s", error.c_str());
    return false;
}

bool SdlHost::decodeImageData(const std::uint8_t* data, std::size_t size, int maxSide, HostImage& out)
{
    std::string error;
    if (ImageCodec::decode(data, size, maxSide, out, error))
        return true;
    logLine(LogLevel::Warning, "Image: %s", error.c_str());
    return false;
}

bool SdlHost::encodePNG(const HostImage& image, std::vector<std::uint8_t>& out)
{
    std::string error;
    if (image.rgba.size()
        < std::size_t(std::max(0, image.width)) * std::size_t(std::max(0, image.height)) * 4) {
        logLine(LogLevel::Warning, "Image: picture data is shorter than its size");
        return false;
    }
    if (ImageCodec::encodePNG(image.rgba.data(), image.width, image.height, image.hasAlpha, out, error))
        return true;
    logLine(LogLevel::Warning, "Image: %s", error.c_str());
    return false;
}

bool SdlHost::measureText(const HostTextRequest& request, float& width, float& height)
{
    std::string error;
    if (TextRasterizer::shared().measure(request, width, height, error))
        return true;
    logLine(LogLevel::Warning, "Text: %s", error.c_str());
    return false;
}

bool SdlHost::renderText(const HostTextRequest& request, HostTextBitmap& out)
{
    std::string error;
    if (TextRasterizer::shared().render(request, out, error))
        return true;
    logLine(LogLevel::Warning, "Text: %s", error.c_str());
    return false;
}

bool SdlHost::isOpenableURL(const std::string& url, std::string& why)
{
    if (url.empty() || url.size() > 4096) {
        why = "empty or overlong address";
        return false;
    }
    for (const char c : url) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F) {
            why = "address contains spaces or control characters";
            return false;
        }
    }
    std::string lower = url.substr(0, 8);
    std::transform(
        lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    const bool web = lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0;
    const bool mail = lower.rfind("mailto:", 0) == 0;
    if (!web && !mail) {
        why = "only http, https and mailto addresses are opened";
        return false;
    }
    return true;
}

std::string SdlHost::resourcePath(const std::string& fileName) { return ResourceLocator::pathFor(fileName); }

KeyValueStore& SdlHost::store()
{
    if (!m_store)
        m_store = std::make_unique<SqliteStore>(m_dataDirectory);
    return *m_store;
}
