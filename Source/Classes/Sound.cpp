#include "Classes/Sound.h"

#include <cstdio>
#include <set>

void Sound::initSoundEngine()
{
    if (HostSounds* host = Host::currentOrNull())
        host->initSystemSounds();
}

Ref<Sound> Sound::soundWithFile(const std::string& fileName)
{
    Ref<Sound> sound = make<Sound>();
    sound->initWithFile(fileName);
    return sound;
}

Sound::~Sound() { disposeSystemSound(); }

bool Sound::initWithFile(const std::string& fileName)
{
    // The resource is named by what stands before the first dot and typed by what follows it,
    // up to the next dot: "a.b.c" is "a" of type "b".
    std::string name = fileName, type;
    if (const std::size_t dot = fileName.find('.'); dot != std::string::npos) {
        name = fileName.substr(0, dot);
        const std::size_t next = fileName.find('.', dot + 1);
        type = fileName.substr(dot + 1, next == std::string::npos ? std::string::npos : next - dot - 1);
    }
    HostFiles* host = Host::currentOrNull();
    const std::string resource = type.empty() ? name : name + "." + type;
    m_fileUrl = host ? host->resourcePath(resource) : std::string();
    if (host && m_fileUrl.empty()) {
        // Every figure makes its sounds afresh with each game; one line per sound is enough.
        static std::set<std::string> s_reported;
        if (s_reported.insert(resource).second)
            std::fprintf(
                stderr, "Sound %s is missing from the resources; it stays silent\n", resource.c_str());
    }
    createSystemSound();
    return true;
}

void Sound::play()
{
    m_isPlaying = true;
    if (HostSounds* host = Host::currentOrNull())
        host->playSystemSound(m_soundID);
}

void Sound::stop()
{
    m_isPlaying = false;
    disposeSystemSound();
    createSystemSound();
}

void Sound::createSystemSound()
{
    HostSounds* host = Host::currentOrNull();
    if (!host || m_fileUrl.empty()) {
        m_soundID = HostSounds::kNoSystemSound;
        return;
    }
    m_soundID = host->createSystemSound(m_fileUrl);
    // Not retained: disposal, which every path out of a Sound takes, drops the callback.
    host->setSystemSoundCompletion(m_soundID, [this] { soundCompleted(); });
}

void Sound::disposeSystemSound()
{
    if (m_soundID != HostSounds::kNoSystemSound)
        if (HostSounds* host = Host::currentOrNull())
            host->disposeSystemSound(m_soundID);
    m_soundID = HostSounds::kNoSystemSound;
}

void Sound::soundCompleted()
{
    if (m_isPlaying && m_repeat)
        play();
    else
        m_isPlaying = false;
}
