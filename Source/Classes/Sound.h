#pragma once
// One short sound file from the resources, played whole through the host's system sounds.
// Whether and how often to play is the caller's business: Sound neither reads the settings nor
// limits anything.

#include "Engine/Support/Ref.h"
#include "Platform/Host.h"

#include <string>

class Sound : public Object {
public:
    // Once per process, before any sound exists: effects mix with other programs' audio.
    static void initSoundEngine();
    // "clash1.aif": resource "clash1" of type "aif".
    static Ref<Sound> soundWithFile(const std::string& fileName);

    Sound() = default;
    ~Sound() override;
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;
    const char* className() const override { return "Sound"; }

    bool initWithFile(const std::string& fileName);

    // Returns at once; isPlaying reads YES until the file has played to its end.
    void play();
    // Ends playback by making the system sound anew; the sound stays ready to play.
    void stop();

    bool repeat() const { return m_repeat; }
    // When YES the sound starts again each time it finishes.
    void setRepeat(bool repeat) { m_repeat = repeat; }
    bool isPlaying() const { return m_isPlaying; }
    void setIsPlaying(bool isPlaying) { m_isPlaying = isPlaying; }

    // Full path of the file; "" when the resources have no such file.
    const std::string& fileUrl() const { return m_fileUrl; }
    Host::SystemSoundID soundID() const { return m_soundID; }

private:
    void createSystemSound();
    void disposeSystemSound();
    void soundCompleted();

    std::string m_fileUrl;
    Host::SystemSoundID m_soundID = Host::kNoSystemSound;
    bool m_isPlaying = false;
    bool m_repeat = false;
};
