#pragma once
// The hosts' system-sound service on SDL_mixer: every sound is a whole file decoded when it is
// made and played on a free mixer channel. A channel that finishes is noticed on the audio
// thread and handed to the main thread as an SDL event carrying the sound's id.
//
// Without an audio device the service still hands out ids (the headless host records plays by
// name), but nothing is decoded or heard.

#include "Platform/Host.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

union SDL_Event;
struct Mix_Chunk;

class SystemSounds {
public:
    using ID = Host::SystemSoundID;

    SystemSounds() = default;
    ~SystemSounds();
    SystemSounds(const SystemSounds&) = delete;
    SystemSounds& operator=(const SystemSounds&) = delete;

    // Opens the mixer on the default output, once: later calls give the first answer. The
    // audio driver is SDL's choice unless `driver` names one ("dummy" decodes without playing).
    bool open(const char* driver = nullptr);
    bool isOpen() const { return m_open; }

    // kNoSystemSound for an empty path or a file the open mixer cannot decode.
    ID create(const std::string& path);
    void dispose(ID id);
    bool exists(ID id) const;
    // False when it could not start: no device, or an unknown id.
    bool play(ID id);
    void setCompletion(ID id, std::function<void()> completion);
    // Runs the sound's completion, if it still has one. Main thread.
    void complete(ID id);

    // Decoded length in seconds; 0 when nothing was decoded.
    double duration(ID id) const;
    // The file name without its folders.
    std::string fileName(ID id) const;

    // True when the event carried a completion, which has then been delivered.
    bool handleEvent(const SDL_Event& event);

private:
    struct Entry {
        std::string fileName;
        Mix_Chunk* chunk = nullptr; // owned
        double duration = 0;
        std::function<void()> completion;
    };

    static void channelFinished(int channel);

    bool m_tried = false;
    bool m_open = false;
    bool m_audioStarted = false;
    int m_bytesPerSecond = 0;
    ID m_nextID = 1;
    std::map<ID, Entry> m_entries;
};
