#include "Platform/DesktopHost.h"

#include "Platform/Log.h"

#include "Platform/ImageCodec.h"
#include "Platform/ResourceLocator.h"
#include "Platform/SystemSound.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <filesystem>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr double kStandardGravity = 9.80665; // m/s^2 per g
// Two finger taps closer than this in time and space count as one double tap.
constexpr double kMultiTapSeconds = 0.35;
constexpr float kMultiTapPoints = 24;

constexpr const char* kNoDisplay = "Bonzelar: no display found (DISPLAY and WAYLAND_DISPLAY are unset or "
                                   "unreachable); to run without one, set SDL_VIDEODRIVER=offscreen";

// Unfocused, the game is paused and shows a still picture: a few frames a second keep it
// current (a resize, an alert) at almost no cost.
constexpr double kPausedFramePeriod = 0.25;

std::int64_t monotonicMicros()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return std::int64_t(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

std::string homeDirectory()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/tmp";
}

std::string lowercase(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// Runs a program without a shell and returns the first line it prints, "" on any failure.
std::string firstLineOf(const char* program, const char* argument)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    char* argv[] = { const_cast<char*>(program), const_cast<char*>(argument), nullptr };
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    std::string out;
    if (rc == 0) {
        char buffer[512];
        ssize_t n;
        while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0 && out.size() < 4096)
            out.append(buffer, std::size_t(n));
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            out.clear();
    }
    close(pipeFds[0]);
    const std::size_t newline = out.find('\n');
    if (newline != std::string::npos)
        out.resize(newline);
    return out;
}

} // namespace

DesktopHost::DesktopHost()
{
    // Before any subsystem starts: the settings read the audio route before the window exists.
    SDL_SetHint(SDL_HINT_APP_NAME, "Bonzelar");
    // BONZELAR_LOG=debug shows the host's reasoning (window size, scale, devices).
    LogLevel level = LogLevel::Info;
    if (const char* asked = std::getenv("BONZELAR_LOG"); asked && parseLogLevel(asked, level))
        setLogLevel(level);
    m_clockOrigin = monotonicMicros();
    setDataDirectory(defaultDataDirectory());
}

DesktopHost::~DesktopHost()
{
    m_sounds.reset(); // before the audio subsystem below goes
    closeController();
    if (m_audioStarted)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (m_videoStarted)
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER | SDL_INIT_SENSOR);
}

std::string DesktopHost::defaultDataDirectory()
{
    std::string base;
    // The XDG rules ignore relative paths.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
        base = xdg;
    else
        base = homeDirectory() + "/.local/share";
    const std::string dir = base + "/bonzelar";
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec)
        logLine(LogLevel::Warning, "Host: cannot create %s: %s", dir.c_str(), ec.message().c_str());
    return dir;
}

std::string DesktopHost::picturesDirectory()
{
    const std::string home = homeDirectory();
    std::string dir = firstLineOf("xdg-user-dir", "PICTURES");
    // xdg-user-dir answers the home folder itself when no Pictures folder is configured.
    if (dir.empty() || dir[0] != '/' || fs::path(dir).lexically_normal() == fs::path(home).lexically_normal())
        dir = home + "/Pictures";
    return dir;
}

// --- Video -------------------------------------------------------------------------------------

namespace {

bool waylandNamed()
{
    if (const char* value = std::getenv("WAYLAND_DISPLAY"); value && *value)
        return true;
    // Wayland's default socket, used when WAYLAND_DISPLAY is unset.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code ec;
    return runtime && *runtime && fs::exists(fs::path(runtime) / "wayland-0", ec);
}

bool displayNamed()
{
    const char* x11 = std::getenv("DISPLAY");
    return (x11 && *x11) || waylandNamed();
}

} // namespace

bool DesktopHost::openDisplay()
{
    if (m_videoStarted)
        return true;
    std::string why;
    if (!startVideo(why)) {
        logLine(LogLevel::Error, "%s", why.c_str());
        return false;
    }
    m_videoStarted = true;
    return true;
}

bool DesktopHost::startVideo(std::string& why)
{
    // Asked for by name, SDL's windowless drivers are the player's choice; otherwise SDL falls
    // back to them when no display answers, and the game would run unseen for ever.
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    const bool chosen = asked && *asked;
    if (!chosen && !displayNamed()) {
        why = kNoDisplay; // probing would only add the display libraries' own complaints
        return false;
    }
    if (!chosen && !waylandNamed())
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        why = chosen ? std::string("Bonzelar: no video: ") + SDL_GetError() : std::string(kNoDisplay);
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!chosen && driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
        why = kNoDisplay;
        return false;
    }
    // Pads are optional; the arrow keys stand in when there are none.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER | SDL_INIT_SENSOR) == 0) {
        for (const std::string& db :
            { ResourceLocator::pathFor("gamecontrollerdb.txt"), dataDirectory() + "/gamecontrollerdb.txt" }) {
            std::error_code ec;
            if (!db.empty() && fs::is_regular_file(db, ec))
                SDL_GameControllerAddMappingsFromFile(db.c_str());
        }
    } else {
        logLine(LogLevel::Warning, "Host: no game controllers: %s", SDL_GetError());
    }
    std::string route;
    currentAudioRoute(route); // starts audio, so plugging headphones in is heard of
    return true;
}

namespace {

// Xft.dpi from the X server's resource database: the scale the desktop itself uses for text.
// Xlib is loaded only to read it, so the game needs no X development files to build.
double xftDPI()
{
    void* x11 = dlopen("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);
    if (!x11)
        return 0;
    using Open = void* (*)(const char*);
    using Resources = char* (*)(void*);
    using Close = int (*)(void*);
    auto open = reinterpret_cast<Open>(dlsym(x11, "XOpenDisplay"));
    auto resources = reinterpret_cast<Resources>(dlsym(x11, "XResourceManagerString"));
    auto close = reinterpret_cast<Close>(dlsym(x11, "XCloseDisplay"));
    double dpi = 0;
    if (open && resources && close) {
        if (void* display = open(nullptr)) {
            if (const char* text = resources(display))
                dpi = DesktopHost::dpiFromResources(text);
            close(display);
        }
    }
    dlclose(x11);
    return dpi;
}

} // namespace

double DesktopHost::dpiFromResources(const std::string& resources)
{
    std::size_t start = 0;
    while (start < resources.size()) {
        std::size_t end = resources.find('\n', start);
        if (end == std::string::npos)
            end = resources.size();
        const std::string line = resources.substr(start, end - start);
        start = end + 1;
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::string name = line.substr(0, colon);
        name.erase(std::remove_if(name.begin(), name.end(), [](unsigned char c) { return std::isspace(c); }),
            name.end());
        if (name != "Xft.dpi")
            continue;
        char* after = nullptr;
        const std::string value = line.substr(colon + 1);
        const double dpi = std::strtod(value.c_str(), &after);
        if (after != value.c_str() && std::isfinite(dpi) && dpi >= 48 && dpi <= 960)
            return dpi;
    }
    return 0;
}

double DesktopHost::uiScaleForDPI(double xftDpi, double monitorDpi)
{
    // The desktop's own setting is taken as it is; a monitor's physical size is a rougher guide
    // (a 24 inch 1080p screen is 92 dpi), so only whole steps of it count.
    if (xftDpi > 0)
        return std::max(1.0, xftDpi / 96.0);
    if (monitorDpi > 0 && std::isfinite(monitorDpi))
        return std::max(1.0, std::round(monitorDpi / 96.0));
    return 1;
}

void DesktopHost::windowSizeFor(int widthPoints, int heightPoints, int usableWidth, int usableHeight,
    double uiScale, int& width, int& height)
{
    // Whole steps of the desktop's scale, the largest that fits; a screen too small for one
    // step gets the largest view that fits.
    const double step = std::max(1.0, uiScale);
    const double fit = std::min(double(usableWidth) / widthPoints, double(usableHeight) / heightPoints);
    const double steps = std::floor(fit / step + 1e-9);
    const double scale = steps >= 1 ? steps * step : std::max(0.25, fit);
    width = std::max(1, int(std::floor(widthPoints * scale + 1e-6)));
    height = std::max(1, int(std::floor(heightPoints * scale + 1e-6)));
}

void DesktopHost::chooseWindow(
    int widthPoints, int heightPoints, int& width, int& height, std::uint32_t& flags)
{
    SDL_Rect usable { 0, 0, widthPoints, heightPoints };
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0)
        SDL_GetDisplayBounds(0, &usable);
    SDL_Rect whole = usable;
    SDL_GetDisplayBounds(0, &whole);

    // SDL2 scales windows by the desktop's DPI on Wayland itself; on X11 it leaves that to us.
    const char* driver = SDL_GetCurrentVideoDriver();
    double uiScale = 1;
    if (driver && std::strcmp(driver, "x11") == 0) {
        float diagonal = 0, horizontal = 0, vertical = 0;
        const double monitor = SDL_GetDisplayDPI(0, &diagonal, &horizontal, &vertical) == 0 ? horizontal : 0;
        uiScale = uiScaleForDPI(xftDPI(), monitor);
    }
    windowSizeFor(widthPoints, heightPoints, usable.w, usable.h, uiScale, width, height);
    flags = SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE;

    // Pictures and text are made once, for the largest view this screen shows (maximised or
    // fullscreen): smaller windows then draw them reduced, never enlarged.
    const double largest = std::min(double(whole.w) / widthPoints, double(whole.h) / heightPoints);
    setPictureScale(float(std::clamp(std::ceil(largest - 0.05), 1.0, 4.0)));
    logLine(LogLevel::Debug, "Window: %d x %d on a %d x %d screen (desktop scale %.2f, pictures at %gx)",
        width, height, whole.w, whole.h, uiScale, double(pictureScale()));
}

void DesktopHost::configureSwapInterval()
{
    m_adaptiveVsync = SDL_GL_SetSwapInterval(-1) == 0;
    m_vsync = m_adaptiveVsync || SDL_GL_SetSwapInterval(1) == 0;
    m_vsyncPaces = m_vsync;
}

void DesktopHost::windowOpened()
{
    // Smaller than this the menus cannot be read.
    SDL_SetWindowMinimumSize(m_window, m_pointsWidth / 2, m_pointsHeight / 2);
    // Task switchers and docks show the window's own icon; without one they show a blank.
    const std::string icon = ResourceLocator::pathFor("Icon-128.png");
    HostImage image;
    std::string error;
    if (icon.empty() || !ImageCodec::decodeFile(icon, 512, image, error))
        return;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        image.rgba.data(), image.width, image.height, 32, image.width * 4, SDL_PIXELFORMAT_RGBA32);
    if (surface) {
        SDL_SetWindowIcon(m_window, surface); // SDL copies the pixels
        SDL_FreeSurface(surface);
    }
}

double DesktopHost::refreshRate() const
{
    SDL_DisplayMode mode {};
    if (m_window && SDL_GetWindowDisplayMode(m_window, &mode) == 0 && mode.refresh_rate > 0)
        return mode.refresh_rate;
    return 60.0;
}

bool DesktopHost::swapBuffers()
{
    // The back buffer is undefined after the swap, so the screenshot is taken just before.
    if (m_screenshotPending) {
        m_screenshotPending = false;
        saveScreenshotToPictures();
    }
    return SdlHost::swapBuffers();
}

void DesktopHost::toggleFullscreen()
{
    if (!m_window)
        return;
    const bool wanted = !m_fullscreen;
    if (SDL_SetWindowFullscreen(m_window, wanted ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
        logLine(LogLevel::Warning, "Host: cannot switch fullscreen: %s", SDL_GetError());
        return;
    }
    m_fullscreen = wanted;
    updateDrawableSize();
    applyViewport();
}

void DesktopHost::saveScreenshotToPictures()
{
    const std::string dir = picturesDirectory();
    std::error_code ec;
    fs::create_directories(dir, ec);
    char stamp[64];
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    std::strftime(stamp, sizeof stamp, "Bonzelar %Y-%m-%d %H.%M.%S", &local);
    std::string path = dir + "/" + stamp + ".png";
    for (int n = 2; fs::exists(path, ec) && n < 100; ++n)
        path = dir + "/" + stamp + " (" + std::to_string(n) + ").png";
    std::string error;
    if (saveScreenshot(path, error))
        logLine(LogLevel::Info, "Screenshot saved to %s", path.c_str());
    else
        logLine(LogLevel::Warning, "Host: screenshot not saved: %s", error.c_str());
}

// --- Run loop ------------------------------------------------------------------------------------

int DesktopHost::run()
{
    if (!openDisplay())
        return 1;
    m_nextSample = absoluteTime();
    m_nextFrame = m_nextSample;
    while (!m_quit) {
        SDL_Event event;
        while (!m_quit && SDL_PollEvent(&event))
            handleEvent(event);
        if (m_quit)
            break;
        reapChildren();
        if (!m_shown) {
            // Minimised or hidden: nothing is drawn or sampled until the window comes back. The
            // timeout only reaps finished browser processes.
            SDL_WaitEventTimeout(nullptr, 1000);
            continue;
        }
        double now = absoluteTime();
        if (m_active)
            deliverSamples(now);
        if (!hasDisplayLink() || !hasSurface()) {
            waitForEvents(m_active ? std::min(0.01, secondsUntilNextSample(now)) : kPausedFramePeriod);
            continue;
        }
        // Vsync paces a frame every refresh; longer intervals (the paused quarter second) are
        // counted by the clock, so the loop sleeps in the event wait instead of in the swap.
        const double period = m_active ? frameInterval() / refreshRate() : kPausedFramePeriod;
        const bool clockPaces = !m_vsyncPaces || frameInterval() > 1 || !m_active;
        if (clockPaces) {
            if (now < m_nextFrame) {
                waitForEvents(
                    m_active ? std::min(m_nextFrame - now, secondsUntilNextSample(now)) : m_nextFrame - now);
                continue;
            }
            m_nextFrame = (m_nextFrame + period < now) ? now + period : m_nextFrame + period;
        }
        makeCurrent();
        applyViewport();
        fireDisplayLink();
        if (!clockPaces) {
            // Some drivers accept a swap interval and never wait; then the clock paces frames.
            if (m_lastFrameStart >= 0 && now - m_lastFrameStart < period * 0.5)
                ++m_fastFrames;
            else
                m_fastFrames = 0;
            if (m_fastFrames >= 10) {
                m_vsyncPaces = false;
                m_nextFrame = now + period;
            }
            m_lastFrameStart = now;
        } else {
            m_lastFrameStart = -1;
        }
    }
    cancelTouches();
    if (m_listener)
        m_listener->hostWillTerminate();
    return 0;
}

void DesktopHost::waitForEvents(double seconds)
{
    // Never spin: even with nothing to do, the loop sleeps until an event or the next deadline.
    const int ms = std::clamp(int(std::ceil(seconds * 1000.0)), 1, 250);
    SDL_WaitEventTimeout(nullptr, ms);
}

void DesktopHost::handleEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT:
        m_quit = true;
        break;
    case SDL_WINDOWEVENT:
        handleWindowEvent(event);
        break;
    case SDL_KEYDOWN:
        handleKey(event);
        break;
    case SDL_MOUSEWHEEL:
        if (event.wheel.which != SDL_TOUCH_MOUSEID && m_listener) {
            int mx = 0, my = 0;
            SDL_GetMouseState(&mx, &my);
            float vx = 0, vy = 0;
            windowToView(float(mx), float(my), vx, vy);
            const float notches
                = float(event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y);
            if (notches != 0)
                m_listener->hostWheel(vx, vy, notches);
        }
        break;
    case SDL_DROPFILE:
        if (event.drop.file) {
            if (PhotoLibrary* photos = photoLibrary())
                static_cast<FolderPhotoLibrary*>(photos)->fileDropped(event.drop.file);
            SDL_free(event.drop.file);
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.which != SDL_TOUCH_MOUSEID && event.button.button == SDL_BUTTON_RIGHT
            && !m_secondaryDown) {
            m_secondaryDown = true;
            sendSecondaryDrag(int(HostTouchPhase::Began), float(event.button.x), float(event.button.y));
            break;
        }
        if (event.button.which == SDL_TOUCH_MOUSEID || event.button.button != SDL_BUTTON_LEFT || m_mouseDown)
            break;
        m_mouseDown = true;
        m_mouseTaps = std::max<int>(1, event.button.clicks);
        sendTouch(int(HostTouchPhase::Began), 0, float(event.button.x), float(event.button.y), m_mouseTaps);
        break;
    case SDL_MOUSEMOTION:
        if (event.motion.which != SDL_TOUCH_MOUSEID && m_secondaryDown)
            sendSecondaryDrag(int(HostTouchPhase::Moved), float(event.motion.x), float(event.motion.y));
        if (event.motion.which == SDL_TOUCH_MOUSEID || !m_mouseDown)
            break;
        sendTouch(int(HostTouchPhase::Moved), 0, float(event.motion.x), float(event.motion.y), m_mouseTaps);
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.which != SDL_TOUCH_MOUSEID && event.button.button == SDL_BUTTON_RIGHT
            && m_secondaryDown) {
            m_secondaryDown = false;
            sendSecondaryDrag(int(HostTouchPhase::Ended), float(event.button.x), float(event.button.y));
            break;
        }
        if (event.button.which == SDL_TOUCH_MOUSEID || event.button.button != SDL_BUTTON_LEFT || !m_mouseDown)
            break;
        m_mouseDown = false;
        sendTouch(int(HostTouchPhase::Ended), 0, float(event.button.x), float(event.button.y),
            std::max<int>(1, event.button.clicks));
        break;
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP: {
        int windowWidth = 1, windowHeight = 1;
        if (m_window)
            SDL_GetWindowSize(m_window, &windowWidth, &windowHeight);
        const float wx = event.tfinger.x * float(windowWidth), wy = event.tfinger.y * float(windowHeight);
        const std::int64_t sdlId = std::int64_t(event.tfinger.fingerId);
        if (event.type == SDL_FINGERDOWN) {
            if (m_fingers.count(sdlId))
                break;
            const std::int64_t id = m_nextFinger++;
            m_fingers[sdlId] = id;
            float vx = 0, vy = 0;
            windowToView(wx, wy, vx, vy);
            const double now = absoluteTime();
            const bool again = m_lastFingerTapTime >= 0 && now - m_lastFingerTapTime < kMultiTapSeconds
                && std::fabs(vx - m_lastFingerTapX) < kMultiTapPoints
                && std::fabs(vy - m_lastFingerTapY) < kMultiTapPoints;
            m_fingerTaps[id] = again ? m_lastFingerTapCount + 1 : 1;
            sendTouch(int(HostTouchPhase::Began), id, wx, wy, m_fingerTaps[id]);
            break;
        }
        auto found = m_fingers.find(sdlId);
        if (found == m_fingers.end())
            break;
        const std::int64_t id = found->second;
        if (event.type == SDL_FINGERMOTION) {
            sendTouch(int(HostTouchPhase::Moved), id, wx, wy, m_fingerTaps[id]);
            break;
        }
        const int taps = m_fingerTaps[id];
        sendTouch(int(HostTouchPhase::Ended), id, wx, wy, taps);
        windowToView(wx, wy, m_lastFingerTapX, m_lastFingerTapY);
        m_lastFingerTapTime = absoluteTime();
        m_lastFingerTapCount = taps;
        m_fingerTaps.erase(id);
        m_fingers.erase(found);
        break;
    }
    case SDL_CONTROLLERDEVICEADDED:
        if (!m_controller)
            openController(event.cdevice.which);
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        if (m_controller
            && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(m_controller)) == event.cdevice.which)
            closeController();
        break;
    case SDL_CONTROLLERSENSORUPDATE:
        if (event.csensor.sensor == SDL_SENSOR_ACCEL && m_controller
            && SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(m_controller)) == event.csensor.which) {
            // SDL reports the push that holds the pad up (+y at rest, in m/s^2); the phone
            // reports where gravity pulls (-1 g on y when upright).
            for (int i = 0; i < 3; ++i)
                m_controllerSample[i] = -double(event.csensor.data[i]) / kStandardGravity;
            m_controllerHasSample = true;
        }
        break;
    case SDL_AUDIODEVICEADDED:
    case SDL_AUDIODEVICEREMOVED:
        if (!event.adevice.iscapture)
            noteRouteChange();
        break;
    default:
        if (m_sounds)
            m_sounds->handleEvent(event);
        break;
    }
}

void DesktopHost::handleWindowEvent(const SDL_Event& event)
{
    switch (event.window.event) {
    case SDL_WINDOWEVENT_FOCUS_LOST:
        m_focused = false;
        setActive(false);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        m_focused = true;
        setActive(m_shown);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN:
        m_shown = false;
        setActive(false);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_EXPOSED:
        m_shown = true;
        setActive(m_focused);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESIZED:
        updateDrawableSize();
        if (isCurrent())
            applyViewport();
        break;
    case SDL_WINDOWEVENT_CLOSE:
        m_quit = true;
        break;
    default:
        break;
    }
}

namespace {

bool programKey(SDL_Keycode key, HostKey& out)
{
    switch (key) {
    case SDLK_UP:
        out = HostKey::Up;
        return true;
    case SDLK_DOWN:
        out = HostKey::Down;
        return true;
    case SDLK_LEFT:
        out = HostKey::Left;
        return true;
    case SDLK_RIGHT:
        out = HostKey::Right;
        return true;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
        out = HostKey::Enter;
        return true;
    case SDLK_SPACE:
        out = HostKey::Space;
        return true;
    case SDLK_ESCAPE:
    case SDLK_AC_BACK:
        out = HostKey::Escape;
        return true;
    case SDLK_BACKSPACE:
        out = HostKey::Backspace;
        return true;
    default:
        return false;
    }
}

} // namespace

void DesktopHost::handleKey(const SDL_Event& event)
{
    const SDL_Keycode key = event.key.keysym.sym;
    const bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
    const bool ctrl = (event.key.keysym.mod & KMOD_CTRL) != 0;
    if (ctrl && key == SDLK_q) {
        m_quit = true; // the same way out as closing the window
        return;
    }
    if (key == SDLK_F11 || (alt && (key == SDLK_RETURN || key == SDLK_KP_ENTER))) {
        if (!event.key.repeat)
            toggleFullscreen();
        return;
    }
    HostKey mapped {};
    if (!ctrl && !alt && programKey(key, mapped) && m_listener) {
        // Held arrows keep moving a menu's highlight; other keys act once per press.
        const bool arrow = mapped == HostKey::Up || mapped == HostKey::Down || mapped == HostKey::Left
            || mapped == HostKey::Right;
        if ((!event.key.repeat || arrow) && m_listener->hostKey(mapped))
            return;
    }
    if (event.key.repeat)
        return;
    if (key == SDLK_F12) {
        m_screenshotPending = true;
    } else if (key == SDLK_SPACE) {
        m_virtual.shake();
    } else if (key >= SDLK_1 && key <= SDLK_4) {
        const int orientation = int(key - SDLK_1) + 1;
        if (orientation != m_virtual.orientation()) {
            m_virtual.setOrientation(orientation);
            if (m_listener)
                m_listener->hostOrientationChanged(orientation);
        }
    }
}

void DesktopHost::sendTouch(int phase, std::int64_t id, float windowX, float windowY, int tapCount)
{
    if (!m_listener)
        return;
    HostTouchPoint point;
    point.id = id;
    windowToView(windowX, windowY, point.x, point.y);
    point.tapCount = std::max(1, tapCount);
    m_listener->hostTouches(HostTouchPhase(phase), { point }, absoluteTime());
}

void DesktopHost::sendSecondaryDrag(int phase, float windowX, float windowY)
{
    if (!m_listener)
        return;
    float x = 0, y = 0;
    windowToView(windowX, windowY, x, y);
    m_listener->hostSecondaryDrag(HostTouchPhase(phase), x, y);
}

PhotoLibrary* DesktopHost::photoLibrary()
{
    if (!m_photos)
        m_photos = std::make_unique<FolderPhotoLibrary>(picturesDirectory(), true);
    return m_photos.get();
}

void DesktopHost::cancelTouches()
{
    std::vector<HostTouchPoint> cancelled;
    if (m_mouseDown) {
        HostTouchPoint point;
        point.id = 0;
        cancelled.push_back(point);
        m_mouseDown = false;
    }
    for (const auto& [sdlId, id] : m_fingers) {
        HostTouchPoint point;
        point.id = id;
        cancelled.push_back(point);
    }
    m_fingers.clear();
    m_fingerTaps.clear();
    if (!cancelled.empty() && m_listener)
        m_listener->hostTouches(HostTouchPhase::Cancelled, cancelled, absoluteTime());
}

void DesktopHost::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    if (!m_listener)
        return;
    if (active) {
        m_listener->hostDidBecomeActive();
    } else {
        // The phone cancels the touches of an app that goes inactive; fingers never come back.
        cancelTouches();
        m_listener->hostWillResignActive();
    }
}

// --- Accelerometer -----------------------------------------------------------------------------

void DesktopHost::setAccelerometerInterval(double seconds)
{
    m_sampleInterval = (std::isfinite(seconds) && seconds > 0) ? std::clamp(seconds, 0.01, 1.0) : 1.0 / 60.0;
}

void DesktopHost::openController(int deviceIndex)
{
    if (!SDL_IsGameController(deviceIndex))
        return;
    SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex);
    if (!pad)
        return;
    if (!SDL_GameControllerHasSensor(pad, SDL_SENSOR_ACCEL)
        || SDL_GameControllerSetSensorEnabled(pad, SDL_SENSOR_ACCEL, SDL_TRUE) != 0) {
        SDL_GameControllerClose(pad); // no motion sensor: the keys stay in charge
        return;
    }
    m_controller = pad;
    m_controllerHasSample = false;
    logLine(LogLevel::Info, "Tilt: using the motion sensor of %s",
        SDL_GameControllerName(pad) ? SDL_GameControllerName(pad) : "a controller");
}

void DesktopHost::closeController()
{
    if (m_controller)
        SDL_GameControllerClose(m_controller);
    m_controller = nullptr;
    m_controllerHasSample = false;
}

double DesktopHost::secondsUntilNextSample(double now) const { return std::max(0.0, m_nextSample - now); }

void DesktopHost::deliverSamples(double now)
{
    if (now < m_nextSample)
        return;
    const double elapsed = m_lastSample >= 0 ? now - m_lastSample : m_sampleInterval;
    m_lastSample = now;
    // After a stall, carry on from now rather than firing a burst of stale samples.
    m_nextSample
        = (m_nextSample + m_sampleInterval < now) ? now + m_sampleInterval : m_nextSample + m_sampleInterval;

    const Uint8* keys = SDL_GetKeyboardState(nullptr);
    m_virtual.setKeys(
        keys[SDL_SCANCODE_LEFT], keys[SDL_SCANCODE_RIGHT], keys[SDL_SCANCODE_UP], keys[SDL_SCANCODE_DOWN]);
    m_virtual.advance(elapsed);

    double x, y, z;
    if (m_controller && m_controllerHasSample) {
        x = m_controllerSample[0];
        y = m_controllerSample[1];
        z = m_controllerSample[2];
        m_virtual.orient(x, y, z);
    } else {
        m_virtual.sample(x, y, z);
    }
    if (m_listener)
        m_listener->hostAcceleration(x, y, z, now);
}

// --- Clock, audio route, web ---------------------------------------------------------------------

bool DesktopHost::gettimeofday(HostTimeValue& out)
{
    const std::int64_t micros = monotonicMicros();
    out.tv_sec = micros / 1000000;
    out.tv_usec = std::int32_t(micros % 1000000);
    return true;
}

double DesktopHost::absoluteTime() { return double(monotonicMicros() - m_clockOrigin) / 1e6; }

namespace {

// ALSA reports every device it fails to open on standard error, eight lines on a machine with
// no sound card. Its messages go to the debug level instead; SDL loads the same library, so the
// handler set here is the one its audio driver hears.
extern "C" void alsaMessage(
    const char* file, int line, const char* function, int error, const char* format, ...)
{
    (void)file;
    (void)line;
    (void)function;
    (void)error;
    if (!logLevelEnabled(LogLevel::Debug))
        return;
    va_list args;
    va_start(args, format);
    logLineV(LogLevel::Debug, format, args);
    va_end(args);
}

void quietALSA()
{
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    // Kept loaded for the rest of the run: the handler must outlive every ALSA call.
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_GLOBAL);
    if (!alsa)
        return;
    if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
        set(alsaMessage);
}

} // namespace

bool DesktopHost::currentAudioRoute(std::string& route)
{
    // Tried once: without a sound server every attempt would wait on it again.
    if (!m_audioTried) {
        m_audioTried = true;
        quietALSA();
        m_audioStarted = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    }
    std::string device;
    if (m_audioStarted) {
        char* name = nullptr;
        SDL_AudioSpec spec {};
        if (SDL_GetDefaultAudioInfo(&name, &spec, 0) == 0 && name) {
            device = name;
            SDL_free(name);
        } else if (SDL_GetNumAudioDevices(0) > 0 && SDL_GetAudioDeviceName(0, 0)) {
            device = SDL_GetAudioDeviceName(0, 0);
        }
    }
    const std::string lower = lowercase(device);
    const bool headphones = lower.find("headphone") != std::string::npos
        || lower.find("headset") != std::string::npos || lower.find("earphone") != std::string::npos;
    route = headphones ? "Headphone" : "Speaker";
    if (m_route.empty())
        m_route = route;
    return true;
}

void DesktopHost::noteRouteChange()
{
    const std::string before = m_route;
    std::string now;
    currentAudioRoute(now);
    m_route = now;
    if (!before.empty() && now != before && m_listener)
        m_listener->hostAudioRouteChanged(now);
}

bool DesktopHost::openURL(const std::string& url)
{
    std::string why;
    if (!isOpenableURL(url, why)) {
        logLine(LogLevel::Warning, "Host: not opening %s: %s", url.c_str(), why.c_str());
        return false;
    }
    // Straight to the program: the address never passes through a shell.
    char* argv[] = { const_cast<char*>("xdg-open"), const_cast<char*>(url.c_str()), nullptr };
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ);
    if (rc != 0) {
        logLine(LogLevel::Warning, "Host: cannot start xdg-open: %s", std::strerror(rc));
        return false;
    }
    m_children.push_back(pid);
    return true;
}

void DesktopHost::reapChildren()
{
    m_children.erase(std::remove_if(m_children.begin(), m_children.end(),
                         [](pid_t pid) {
                             int status = 0;
                             return waitpid(pid, &status, WNOHANG) != 0;
                         }),
        m_children.end());
}

// --- System sounds -------------------------------------------------------------------------------

void DesktopHost::initSystemSounds()
{
    if (!m_sounds)
        m_sounds = std::make_unique<SystemSounds>();
    m_sounds->open();
}

Host::SystemSoundID DesktopHost::createSystemSound(const std::string& path)
{
    initSystemSounds();
    return m_sounds->create(path);
}

void DesktopHost::disposeSystemSound(SystemSoundID id)
{
    if (m_sounds)
        m_sounds->dispose(id);
}

void DesktopHost::playSystemSound(SystemSoundID id)
{
    if (m_sounds)
        m_sounds->play(id);
}

void DesktopHost::setSystemSoundCompletion(SystemSoundID id, std::function<void()> completion)
{
    if (m_sounds)
        m_sounds->setCompletion(id, std::move(completion));
}
