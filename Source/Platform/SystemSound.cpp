#include "Platform/SystemSound.h"
#include "Platform/Log.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>
#include <vector>

namespace {

constexpr int kChannels = 32;

// What the audio thread may read: which chunk belongs to which sound, and where to post its
// end. Never hold this lock across a Mix_ call: the mixer calls channelFinished with its own
// lock held.
std::mutex s_mutex;
std::map<const Mix_Chunk*, Host::SystemSoundID> s_chunkIDs;
Uint32 s_eventType = 0;

std::string baseName(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

SystemSounds::~SystemSounds()
{
    for (auto& [id, entry] : m_entries) {
        if (!entry.chunk)
            continue;
        {
            std::lock_guard<std::mutex> lock(s_mutex);
            s_chunkIDs.erase(entry.chunk);
        }
        Mix_FreeChunk(entry.chunk);
    }
    m_entries.clear();
    if (m_open) {
        Mix_ChannelFinished(nullptr);
        Mix_CloseAudio();
    }
    if (m_audioStarted)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool SystemSounds::open(const char* driver)
{
    if (m_tried)
        return m_open;
    m_tried = true;
    if (driver)
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, driver, SDL_HINT_OVERRIDE);
    // Volume applets list the stream under this name; "game" is neither ducked nor does it
    // duck other programs' music, which is what an ambient effect should do.
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE, "game");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Sound effects");
    m_audioStarted = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    // A shared stream on the sound server: other programs keep playing alongside.
    if (!m_audioStarted
        || Mix_OpenAudioDevice(44100, AUDIO_S16SYS, 2, 1024, nullptr,
               SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE)
            != 0) {
        logLine(LogLevel::Warning, "Sound: no audio output (%s); sound effects are silent", SDL_GetError());
        return false;
    }
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    Mix_QuerySpec(&frequency, &format, &channels);
    m_bytesPerSecond = frequency * channels * int(SDL_AUDIO_BITSIZE(format) / 8);
    Mix_AllocateChannels(kChannels);
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        if (s_eventType == 0) {
            const Uint32 type = SDL_RegisterEvents(1);
            s_eventType = type == Uint32(-1) ? 0 : type;
        }
    }
    Mix_ChannelFinished(&SystemSounds::channelFinished);
    m_open = true;
    return true;
}

Host::SystemSoundID SystemSounds::create(const std::string& path)
{
    if (path.empty())
        return Host::kNoSystemSound;
    open();
    Entry entry;
    entry.fileName = baseName(path);
    if (m_open) {
        entry.chunk = Mix_LoadWAV(path.c_str());
        if (!entry.chunk) {
            logLine(LogLevel::Warning, "Sound: cannot load %s: %s", path.c_str(), Mix_GetError());
            return Host::kNoSystemSound;
        }
        if (m_bytesPerSecond > 0)
            entry.duration = double(entry.chunk->alen) / double(m_bytesPerSecond);
    }
    const ID id = m_nextID++;
    if (entry.chunk) {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_chunkIDs[entry.chunk] = id;
    }
    m_entries.emplace(id, std::move(entry));
    return id;
}

void SystemSounds::dispose(ID id)
{
    auto found = m_entries.find(id);
    if (found == m_entries.end())
        return;
    Mix_Chunk* chunk = found->second.chunk;
    m_entries.erase(found);
    if (!chunk)
        return;
    // Unmapped first, so the channels halted below post no completion.
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        s_chunkIDs.erase(chunk);
    }
    for (int channel = 0; channel < kChannels; ++channel)
        if (Mix_Playing(channel) && Mix_GetChunk(channel) == chunk)
            Mix_HaltChannel(channel);
    Mix_FreeChunk(chunk);
}

bool SystemSounds::exists(ID id) const { return m_entries.count(id) != 0; }

bool SystemSounds::play(ID id)
{
    auto found = m_entries.find(id);
    if (found == m_entries.end() || !found->second.chunk)
        return false;
    Mix_Chunk* chunk = found->second.chunk;
    int channel = Mix_PlayChannel(-1, chunk, 0);
    if (channel < 0) {
        // Every channel busy: the oldest sound gives way, as the phone would cut one short.
        const int oldest = Mix_GroupOldest(-1);
        if (oldest >= 0) {
            Mix_HaltChannel(oldest);
            channel = Mix_PlayChannel(oldest, chunk, 0);
        }
    }
    return channel >= 0;
}

void SystemSounds::setCompletion(ID id, std::function<void()> completion)
{
    auto found = m_entries.find(id);
    if (found != m_entries.end())
        found->second.completion = std::move(completion);
}

void SystemSounds::complete(ID id)
{
    auto found = m_entries.find(id);
    if (found == m_entries.end() || !found->second.completion)
        return;
    // A copy: the completion may dispose of this very sound.
    const std::function<void()> completion = found->second.completion;
    completion();
}

double SystemSounds::duration(ID id) const
{
    auto found = m_entries.find(id);
    return found == m_entries.end() ? 0.0 : found->second.duration;
}

std::string SystemSounds::fileName(ID id) const
{
    auto found = m_entries.find(id);
    return found == m_entries.end() ? std::string() : found->second.fileName;
}

bool SystemSounds::handleEvent(const SDL_Event& event)
{
    if (s_eventType == 0 || event.type != s_eventType)
        return false;
    complete(ID(Uint32(event.user.code)));
    return true;
}

// Audio thread (or inside Mix_HaltChannel on the main thread).
void SystemSounds::channelFinished(int channel)
{
    std::lock_guard<std::mutex> lock(s_mutex);
    auto found = s_chunkIDs.find(Mix_GetChunk(channel));
    if (found == s_chunkIDs.end() || s_eventType == 0)
        return;
    SDL_Event event {};
    event.type = s_eventType;
    event.user.code = Sint32(found->second);
    SDL_PushEvent(&event);
}
