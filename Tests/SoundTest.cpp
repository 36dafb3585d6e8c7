// Sound effects: resource lookup by name and type, the playing flag through the headless host's
// completions in virtual time, repeating, stopping; the mixer service with and without a device.
#include "Classes/Sound.h"
#include "Platform/HeadlessHost.h"
#include "Platform/ResourceLocator.h"
#include "Platform/SystemSound.h"
#include "Support/FakeHost.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <string>
#include <vector>

namespace {

// Remembers which resources were asked for; plays nothing.
class LookupHost : public FakeHost {
public:
    std::string resourcePath(const std::string& fileName) override
    {
        asked.push_back(fileName);
        return "/sounds/" + fileName;
    }
    SystemSoundID createSystemSound(const std::string& path) override
    {
        created.push_back(path);
        return static_cast<SystemSoundID>(created.size());
    }
    std::vector<std::string> asked, created;
};

TEST(SoundNames, TheNameIsSplitAtTheDotsIntoResourceAndType)
{
    LookupHost host;
    Ref<Sound> single = Sound::soundWithFile("saber_on.wav");
    Ref<Sound> twoDots = Sound::soundWithFile("voice.take2.aif");
    Ref<Sound> bare = Sound::soundWithFile("clash");
    ASSERT_EQ(host.asked.size(), 3u);
    EXPECT_EQ(host.asked[0], "saber_on.wav");
    // Only the first two parts count: what follows a second dot is not looked up.
    EXPECT_EQ(host.asked[1], "voice.take2");
    EXPECT_EQ(host.asked[2], "clash");
    EXPECT_EQ(single->fileUrl(), "/sounds/saber_on.wav");
    EXPECT_EQ(host.created,
        (std::vector<std::string> { "/sounds/saber_on.wav", "/sounds/voice.take2", "/sounds/clash" }));
}

TEST(SoundNames, AMissingResourceMakesNoSystemSoundAndPlaysNothing)
{
    FakeHost host; // has no resources at all
    testing::internal::CaptureStderr();
    Ref<Sound> sound = Sound::soundWithFile("nothere.aif");
    Ref<Sound> again = Sound::soundWithFile("nothere.aif");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
        "Sound nothere.aif is missing from the resources; it stays silent\n");
    EXPECT_EQ(sound->fileUrl(), "");
    EXPECT_EQ(sound->soundID(), Host::kNoSystemSound);
    sound->play();
    sound->stop();
    EXPECT_FALSE(sound->isPlaying());
}

// The headless host: plays are recorded and end after the file's length in virtual time.
class SoundTest : public testing::Test {
protected:
    static HeadlessHost::Options options()
    {
        HeadlessHost::Options o;
        o.dt = 0.05;
        o.dataDirectory = testing::TempDir();
        return o;
    }
    SoundTest()
        : m_host(options())
    {
        ResourceLocator::setResourceDirectory(BONZELAR_TEST_RESOURCES);
        m_previous = Host::currentOrNull();
        Host::setCurrent(&m_host);
        Sound::initSoundEngine();
    }
    ~SoundTest() override
    {
        Host::setCurrent(m_previous);
        ResourceLocator::setResourceDirectory("");
    }

    // Runs frames until the virtual clock reads at least `seconds`.
    void runUntil(double seconds)
    {
        while (m_host.virtualTime() < seconds - 1e-9)
            m_host.advanceFrame();
    }
    std::vector<double> playTimes()
    {
        std::vector<double> times;
        if (m_host.requests().contains("sounds"))
            for (const auto& entry : m_host.requests()["sounds"])
                times.push_back(entry["time"].get<double>());
        return times;
    }
    // The length of a WAV resource as SDL reads its header, independently of the mixer.
    static double wavSeconds(const std::string& file)
    {
        SDL_AudioSpec wav {};
        Uint8* buffer = nullptr;
        Uint32 length = 0;
        const std::string path = std::string(BONZELAR_TEST_RESOURCES) + "/" + file;
        if (!SDL_LoadWAV(path.c_str(), &wav, &buffer, &length))
            return 0;
        SDL_FreeWAV(buffer);
        return double(length) / (wav.freq * wav.channels * (SDL_AUDIO_BITSIZE(wav.format) / 8));
    }

    HeadlessHost m_host;
    Host* m_previous = nullptr;
};

TEST_F(SoundTest, PlayIsRecordedAndIsPlayingEndsWithTheFile)
{
    const double length = wavSeconds("saber_on.wav");
    ASSERT_GT(length, 0.2);
    Ref<Sound> sound = Sound::soundWithFile("saber_on.wav");
    ASSERT_NE(sound->soundID(), Host::kNoSystemSound);
    runUntil(0.5);
    sound->play();
    EXPECT_TRUE(sound->isPlaying());
    ASSERT_TRUE(m_host.requests().contains("sounds"));
    EXPECT_EQ(m_host.requests()["sounds"][0]["what"], "saber_on.wav");
    EXPECT_EQ(m_host.requests()["sounds"][0]["frame"], 10);

    runUntil(0.5 + length - 0.06);
    EXPECT_TRUE(sound->isPlaying());
    runUntil(0.5 + length + 0.05);
    EXPECT_FALSE(sound->isPlaying());
    EXPECT_EQ(playTimes().size(), 1u) << "a sound that does not repeat plays once";
}

TEST_F(SoundTest, ARepeatingSoundStartsAgainAtEachEndUntilTurnedOff)
{
    const double length = wavSeconds("saber_off.wav");
    Ref<Sound> sound = Sound::soundWithFile("saber_off.wav");
    EXPECT_FALSE(sound->repeat());
    sound->setRepeat(true);
    sound->play();
    // Each end is heard at the first frame at or after it, up to one 0.05 s frame late.
    runUntil(3 * (length + 0.05) + 0.01);
    ASSERT_EQ(playTimes().size(), 4u);
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_NEAR(playTimes()[i] - playTimes()[i - 1], length, 0.051);
    EXPECT_TRUE(sound->isPlaying());

    // Cleared in the middle of a play: that play ends, nothing follows.
    sound->setIsPlaying(false);
    runUntil(6 * length);
    EXPECT_EQ(playTimes().size(), 4u);
    EXPECT_FALSE(sound->isPlaying());
}

TEST_F(SoundTest, StopEndsThePlayAndTheOldPlayNeverCompletes)
{
    const double length = wavSeconds("saber_on.wav");
    Ref<Sound> sound = Sound::soundWithFile("saber_on.wav");
    sound->setRepeat(true);
    sound->play();
    const Host::SystemSoundID before = sound->soundID();
    runUntil(length / 2);
    sound->stop();
    EXPECT_FALSE(sound->isPlaying());
    EXPECT_NE(sound->soundID(), before);
    EXPECT_NE(sound->soundID(), Host::kNoSystemSound);

    // Played again at once: the end of the first play must not cut this one short or repeat it.
    sound->play();
    runUntil(length + 0.1);
    EXPECT_TRUE(sound->isPlaying());
    EXPECT_EQ(playTimes().size(), 2u);
    runUntil(length / 2 + length + 0.1);
    EXPECT_EQ(playTimes().size(), 3u) << "the repeat comes from the second play's end";
}

TEST_F(SoundTest, ASoundFreedWhilePlayingHearsNothingOfItsEnd)
{
    Ref<Sound> sound = Sound::soundWithFile("clash1.aif");
    sound->setRepeat(true);
    sound->play();
    sound = nullptr;
    runUntil(2);
    EXPECT_EQ(playTimes().size(), 1u);
}

// The mixer itself, on SDL's dummy output: the end of a play crosses from the audio thread to
// the main thread as an SDL event.
TEST(SystemSoundsTest, TheEndOfAPlayArrivesAsAnEventOnTheMainThread)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0) << SDL_GetError();
    {
        SystemSounds sounds;
        if (!sounds.open("dummy"))
            GTEST_SKIP() << "no dummy audio output";
        const std::string path = std::string(BONZELAR_TEST_RESOURCES) + "/swoosh3.aif";
        const Host::SystemSoundID id = sounds.create(path);
        ASSERT_NE(id, Host::kNoSystemSound);
        EXPECT_EQ(sounds.fileName(id), "swoosh3.aif");
        EXPECT_NEAR(sounds.duration(id), 0.36, 0.01);
        const Host::SystemSoundID gone = sounds.create(path);

        int completions = 0;
        sounds.setCompletion(id, [&] { ++completions; });
        sounds.setCompletion(gone, [&] { completions += 100; });
        ASSERT_TRUE(sounds.play(id));
        ASSERT_TRUE(sounds.play(gone));
        sounds.dispose(gone);
        EXPECT_FALSE(sounds.play(gone));

        // A deadline for the event, generous for a loaded machine, not a measure of speed.
        const Uint32 deadline = SDL_GetTicks() + 10000;
        SDL_Event event;
        while (completions == 0 && SDL_GetTicks() < deadline)
            if (SDL_WaitEventTimeout(&event, 50))
                sounds.handleEvent(event);
        EXPECT_EQ(completions, 1);
        SDL_Delay(100);
        while (SDL_PollEvent(&event))
            sounds.handleEvent(event);
        EXPECT_EQ(completions, 1) << "a disposed sound reports no end";
    }
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

TEST(SystemSoundsTest, WithoutAnAudioDeviceSoundsAreDroppedNotFatal)
{
    SystemSounds sounds;
    EXPECT_FALSE(sounds.open("no-such-audio-driver"));
    const Host::SystemSoundID id = sounds.create(std::string(BONZELAR_TEST_RESOURCES) + "/clash2.aif");
    ASSERT_NE(id, Host::kNoSystemSound);
    EXPECT_FALSE(sounds.play(id));
    EXPECT_EQ(sounds.duration(id), 0);
    EXPECT_EQ(sounds.create(""), Host::kNoSystemSound);
    sounds.dispose(id);
    EXPECT_FALSE(sounds.exists(id));
}

} // namespace
