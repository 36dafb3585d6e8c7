#include "Support/GLTestSurface.h"

#include "Engine/Support/GLState.h"
#include "Platform/ImageCodec.h"
#include "Platform/TextRasterizer.h"

#include <GLES/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

GLTestSurface::GLTestSurface(int widthPoints, int heightPoints, float scale)
    : m_widthPoints(widthPoints)
    , m_heightPoints(heightPoints)
    , m_scale(scale)
{
    m_previousHost = Host::currentOrNull();
    Host::setCurrent(this);

    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        if (!std::getenv("SDL_VIDEODRIVER"))
            SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            m_error = SDL_GetError();
            return;
        }
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    m_pixelWidth = static_cast<int>(static_cast<float>(widthPoints) * scale);
    m_pixelHeight = static_cast<int>(static_cast<float>(heightPoints) * scale);
    m_window
        = SDL_CreateWindow("test", 0, 0, m_pixelWidth, m_pixelHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!m_window) {
        m_error = SDL_GetError();
        return;
    }
    m_context = SDL_GL_CreateContext(m_window);
    if (!m_context) {
        m_error = SDL_GetError();
        return;
    }
    SDL_GL_MakeCurrent(m_window, m_context);
}

GLTestSurface::~GLTestSurface()
{
    if (m_context)
        SDL_GL_DeleteContext(m_context);
    if (m_window)
        SDL_DestroyWindow(m_window);
    if (Host::currentOrNull() == this)
        Host::setCurrent(m_previousHost);
}

bool GLTestSurface::makeCurrent() { return m_context && SDL_GL_MakeCurrent(m_window, m_context) == 0; }

bool GLTestSurface::isCurrent() const { return m_context && SDL_GL_GetCurrentContext() == m_context; }

void GLTestSurface::begin2D(float r, float g, float b)
{
    makeCurrent();
    // A fresh context, or state a test set by hand: the engine's tracker must not trust it.
    GLState::invalidate();
    glViewport(0, 0, m_pixelWidth, m_pixelHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0, static_cast<float>(m_widthPoints), 0, static_cast<float>(m_heightPoints), -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

RGBA8 GLTestSurface::pixel(int x, int y)
{
    std::uint8_t p[4] = { 0, 0, 0, 0 };
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return { p[0], p[1], p[2], p[3] };
}

RGBA8 GLTestSurface::pixelAtPoint(float x, float y)
{
    return pixel(static_cast<int>(x * m_scale), static_cast<int>(y * m_scale));
}

std::vector<std::uint8_t> GLTestSurface::readPixels(int& width, int& height)
{
    width = m_pixelWidth;
    height = m_pixelHeight;
    std::vector<std::uint8_t> bottomUp(static_cast<std::size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<std::uint8_t> topDown(bottomUp.size());
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        std::copy_n(bottomUp.data() + (height - 1 - y) * stride, stride, topDown.data() + y * stride);
    return topDown;
}

bool GLTestSurface::writePNG(
    const std::string& path, const std::vector<std::uint8_t>& rgba, int width, int height)
{
    std::string error;
    return ImageCodec::writePNGFile(path, rgba.data(), width, height, false, error);
}

bool GLTestSurface::savePNG(const std::string& path)
{
    int w = 0, h = 0;
    const std::vector<std::uint8_t> rgba = readPixels(w, h);
    return writePNG(path, rgba, w, h);
}

bool GLTestSurface::writeImage(const std::string& path, const HostImage& image)
{
    std::vector<std::uint8_t> png;
    if (!encodePNG(image, png))
        return false;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    return static_cast<bool>(out);
}

bool GLTestSurface::gettimeofday(HostTimeValue& out)
{
    out.tv_sec = static_cast<std::int64_t>(m_time);
    out.tv_usec = static_cast<std::int32_t>((m_time - static_cast<double>(out.tv_sec)) * 1e6);
    return true;
}

bool GLTestSurface::decodeImageFile(const std::string& path, int maxSide, HostImage& out)
{
    m_decodedFiles.push_back(path);
    std::string error;
    if (ImageCodec::decodeFile(path, maxSide, out, error))
        return true;
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
}

bool GLTestSurface::decodeImageData(const std::uint8_t* data, std::size_t size, int maxSide, HostImage& out)
{
    std::string error;
    return ImageCodec::decode(data, size, maxSide, out, error);
}

bool GLTestSurface::encodePNG(const HostImage& image, std::vector<std::uint8_t>& out)
{
    std::string error;
    return ImageCodec::encodePNG(image.rgba.data(), image.width, image.height, image.hasAlpha, out, error);
}

bool GLTestSurface::measureText(const HostTextRequest& request, float& width, float& height)
{
    std::string error;
    return TextRasterizer::shared().measure(request, width, height, error);
}

bool GLTestSurface::renderText(const HostTextRequest& request, HostTextBitmap& out)
{
    std::string error;
    return TextRasterizer::shared().render(request, out, error);
}

std::string GLTestSurface::resourcePath(const std::string& fileName)
{
    std::error_code ec;
    if (!fileName.empty() && fileName.front() == '/')
        return fs::is_regular_file(fileName, ec) ? fileName : std::string();
    if (m_resourceDir.empty())
        return {};
    const fs::path p = fs::path(m_resourceDir) / fileName;
    return fs::is_regular_file(p, ec) ? p.string() : std::string();
}

TempDir::TempDir()
{
    std::random_device rd;
    for (;;) {
        const fs::path p = fs::temp_directory_path() / ("bonzelar-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(p, ec)) {
            m_path = p.string();
            return;
        }
    }
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(m_path, ec);
}
