#pragma once
// The audio route and short system sounds.

#include <cstdint>
#include <functional>
#include <string>

class HostSounds {
public:
    virtual ~HostSounds() = default;

    // Current output route ("Headphone", "Speaker"); false when it cannot be read.
    virtual bool currentAudioRoute(std::string& route) = 0;

    // Short sound files played whole and at once, mixed with whatever else is playing, with no
    // volume or position of their own. Ids are never reused; unknown ids are ignored.
    using SystemSoundID = std::uint32_t;
    static constexpr SystemSoundID kNoSystemSound = 0xFFFFFFFFu;
    // Once per process, before the first sound: an ambient policy, mixing with other programs.
    // Never blocks on a missing audio device; sounds are then dropped.
    virtual void initSystemSounds() { }
    // A sound from a file (WAV or AIFF); kNoSystemSound when none can be made.
    virtual SystemSoundID createSystemSound(const std::string& path)
    {
        (void)path;
        return kNoSystemSound;
    }
    // Ends its playback; no completion follows.
    virtual void disposeSystemSound(SystemSoundID id) { (void)id; }
    // Starts the sound from its beginning and returns at once.
    virtual void playSystemSound(SystemSoundID id) { (void)id; }
    // Called on the main thread each time the sound has played to its end. One per sound,
    // dropped with it; an empty function removes it.
    virtual void setSystemSoundCompletion(SystemSoundID id, std::function<void()> completion)
    {
        (void)id;
        (void)completion;
    }
};
