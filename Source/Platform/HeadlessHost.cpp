#include "Platform/HeadlessHost.h"
#include "Platform/Log.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

HeadlessHost::HeadlessHost(Options options)
    : m_options(std::move(options))
{
    m_options.scale = std::clamp(m_options.scale, 1, 4);
    if (!(m_options.dt > 0) || !std::isfinite(m_options.dt))
        m_options.dt = 1.0 / 60.0;
    setDataDirectory(m_options.dataDirectory);
    if (!m_options.dataDirectory.empty())
        m_photos.setFolder(m_options.dataDirectory + "/Pictures");
    // Present even when empty, so dumps of different runs line up.
    m_requests["urls"] = nlohmann::json::array();
}

HeadlessHost::~HeadlessHost() = default;

bool HeadlessHost::startVideo(std::string& why)
{
    // Override, not default priority: an SDL_VIDEODRIVER from the environment must not put a
    // test's window on someone's screen.
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    SDL_SetHint(SDL_HINT_APP_NAME, "Bonzelar");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        why = SDL_GetError();
        return false;
    }
    return true;
}

void HeadlessHost::chooseWindow(
    int widthPoints, int heightPoints, int& width, int& height, std::uint32_t& flags)
{
    width = widthPoints * m_options.scale;
    height = heightPoints * m_options.scale;
    flags = 0;
}

void HeadlessHost::configureSwapInterval() { SDL_GL_SetSwapInterval(0); }

int HeadlessHost::run()
{
    while (!m_terminationRequested && m_frame < m_options.frames) {
        if (m_beforeFrame)
            m_beforeFrame(m_frame);
        if (m_terminationRequested)
            break;
        advanceFrame();
    }
    if (m_afterLastFrame)
        m_afterLastFrame();
    if (listener())
        listener()->hostWillTerminate();
    return 0;
}

void HeadlessHost::advanceFrame()
{
    ++m_frame;
    completeDueSounds();
    // A link with interval n runs on every n-th refresh, as the phone's display link does.
    if (!hasDisplayLink()) {
        m_refreshesSinceFrame = 0;
        return;
    }
    if (++m_refreshesSinceFrame >= frameInterval()) {
        m_refreshesSinceFrame = 0;
        fireDisplayLink();
    }
}

bool HeadlessHost::gettimeofday(HostTimeValue& out)
{
    // From the frame count each time, not summed, so no rounding error builds up.
    const std::int64_t micros = std::llround(virtualTime() * 1e6);
    out.tv_sec = kEpochSeconds + micros / 1000000;
    out.tv_usec = std::int32_t(micros % 1000000);
    return true;
}

bool HeadlessHost::currentAudioRoute(std::string& route)
{
    route = m_route;
    return true;
}

void HeadlessHost::setAudioRoute(const std::string& route)
{
    if (route == m_route)
        return;
    m_route = route;
    if (listener())
        listener()->hostAudioRouteChanged(route);
}

bool HeadlessHost::openURL(const std::string& url)
{
    std::string why;
    const bool allowed = isOpenableURL(url, why);
    nlohmann::json entry = { { "frame", m_frame }, { "time", virtualTime() }, { "what", url } };
    if (!allowed) {
        entry["refused"] = true;
        logLine(LogLevel::Warning, "Host: not opening %s: %s", url.c_str(), why.c_str());
    }
    record("urls", std::move(entry));
    return allowed;
}

void HeadlessHost::recordRequest(const std::string& section, const std::string& what)
{
    record(section, { { "frame", m_frame }, { "time", virtualTime() }, { "what", what } });
}

void HeadlessHost::record(const std::string& section, nlohmann::json entry)
{
    if (section.empty())
        return;
    if (!m_requests.contains(section))
        m_requests[section] = nlohmann::json::array();
    m_requests[section].push_back(std::move(entry));
}

bool HeadlessHost::swapBuffers()
{
    const bool presented = SdlHost::swapBuffers();
    if (presented)
        finishDrawing();
    return presented;
}

// --- System sounds -------------------------------------------------------------------------------

void HeadlessHost::initSystemSounds() { m_sounds.open("dummy"); }

Host::SystemSoundID HeadlessHost::createSystemSound(const std::string& path)
{
    m_sounds.open("dummy");
    return m_sounds.create(path);
}

void HeadlessHost::disposeSystemSound(SystemSoundID id)
{
    m_sounds.dispose(id);
    m_playingSounds.erase(std::remove_if(m_playingSounds.begin(), m_playingSounds.end(),
                              [id](const PendingSound& p) { return p.id == id; }),
        m_playingSounds.end());
}

void HeadlessHost::playSystemSound(SystemSoundID id)
{
    if (!m_sounds.exists(id))
        return;
    recordRequest("sounds", m_sounds.fileName(id));
    m_playingSounds.push_back({ virtualTime() + m_sounds.duration(id), id });
}

void HeadlessHost::setSystemSoundCompletion(SystemSoundID id, std::function<void()> completion)
{
    m_sounds.setCompletion(id, std::move(completion));
}

void HeadlessHost::completeDueSounds()
{
    // Only what was playing before this pass: a completion that plays again (a repeating
    // sound) waits for a later frame even when its length rounds to nothing.
    const double now = virtualTime();
    auto isDue = [now](const PendingSound& p) { return p.due <= now + 1e-9; };
    if (std::none_of(m_playingSounds.begin(), m_playingSounds.end(), isDue))
        return;
    // Both lists keep their storage: a sound repeating every second allocates nothing.
    m_dueSounds.clear();
    for (const PendingSound& p : m_playingSounds)
        if (isDue(p))
            m_dueSounds.push_back(p);
    m_playingSounds.erase(
        std::remove_if(m_playingSounds.begin(), m_playingSounds.end(), isDue), m_playingSounds.end());
    for (std::size_t i = 0; i < m_dueSounds.size(); ++i)
        m_sounds.complete(m_dueSounds[i].id);
}
