#include "Support/FakeHost.h"

#include "Engine/ActionManager.h"
#include "Engine/Director.h"
#include "Engine/Scheduler.h"
#include "Engine/Support/Accelerometer.h"
#include "Engine/TouchDispatcher.h"
#include "Engine/View.h"

#include <GLES/gl.h>
#include <SDL.h>

#include <cmath>
#include <cstdio>

FakeHost::FakeHost()
    : FakeHost(Options {})
{
}

FakeHost::FakeHost(Options options)
    : m_options(options)
{
    m_previous = Host::currentOrNull();
    Host::setCurrent(this);
}

FakeHost::~FakeHost()
{
    if (m_context)
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(m_context));
    if (m_window) {
        SDL_DestroyWindow(m_window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    Host::setCurrent(m_previous);
}

void FakeHost::setTime(std::int64_t seconds, std::int32_t microseconds)
{
    m_now.tv_sec = seconds;
    m_now.tv_usec = microseconds;
}

void FakeHost::advance(double seconds)
{
    const std::int64_t total = m_now.tv_sec * 1000000 + m_now.tv_usec + std::llround(seconds * 1e6);
    m_now.tv_sec = total / 1000000;
    m_now.tv_usec = static_cast<std::int32_t>(total % 1000000);
}

void FakeHost::frame(double seconds)
{
    advance(seconds);
    if (m_displayLink) {
        auto callback = m_displayLink; // the frame may replace the link
        callback();
    }
}

void FakeHost::setDisplayLink(std::function<void()> onFrame, int frameInterval)
{
    m_displayLink = std::move(onFrame);
    m_frameInterval = frameInterval;
    ++m_displayLinkChanges;
}

bool FakeHost::gettimeofday(HostTimeValue& out)
{
    if (m_clockFails)
        return false;
    out = m_now;
    return true;
}

bool FakeHost::createSurface(int widthPoints, int heightPoints, int colorBits, int depthBits)
{
    if (m_failSurface)
        return false;
    m_widthPoints = widthPoints;
    m_heightPoints = heightPoints;
    if (m_options.realSurface) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            std::printf("FakeHost: %s\n", SDL_GetError());
            return false;
        }
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, colorBits == 32 ? 8 : 5);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, colorBits == 32 ? 8 : 6);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, colorBits == 32 ? 8 : 5);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
        m_window = SDL_CreateWindow("FakeHost", 0, 0, surfacePixelWidth(), surfacePixelHeight(),
            SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!m_window) {
            std::printf("FakeHost: %s\n", SDL_GetError());
            return false;
        }
        m_context = SDL_GL_CreateContext(m_window);
        if (!m_context) {
            std::printf("FakeHost: %s\n", SDL_GetError());
            return false;
        }
    }
    m_hasSurface = true;
    return true;
}

bool FakeHost::makeCurrent()
{
    if (!m_hasSurface)
        return false;
    if (m_window)
        return SDL_GL_MakeCurrent(m_window, static_cast<SDL_GLContext>(m_context)) == 0;
    return true;
}

bool FakeHost::isCurrent() const
{
    if (m_window)
        return SDL_GL_GetCurrentContext() == m_context;
    return m_hasSurface;
}

bool FakeHost::swapBuffers()
{
    ++m_swapCount;
    // Not presented: tests read the back buffer after the frame has drawn it.
    return m_hasSurface;
}

std::vector<std::uint8_t> FakeHost::readPixels(int& width, int& height)
{
    width = surfacePixelWidth();
    height = surfacePixelHeight();
    std::vector<std::uint8_t> bottomUp(static_cast<std::size_t>(width) * height * 4);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<std::uint8_t> out(bottomUp.size());
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        std::copy_n(
            bottomUp.data() + static_cast<std::size_t>(height - 1 - y) * row, row, out.data() + y * row);
    return out;
}

void resetEngineForTest()
{
    View::finishAllAnimations();
    Director::purgeSharedDirector();
    ActionManager::purgeSharedManager();
    Scheduler::purgeSharedScheduler();
    TouchDispatcher::sharedDispatcher()->removeAllDelegates();
    TouchDispatcher::sharedDispatcher()->setDispatchEvents(true);
    Accelerometer::sharedAccelerometer()->setDelegate(nullptr);
}
