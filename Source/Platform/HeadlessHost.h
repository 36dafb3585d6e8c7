#pragma once
// The host for tests and the headless runner: no display, no GPU, no real time.
//
// The GL ES 1.1 surface comes from SDL's offscreen driver (EGL on Mesa's software renderer).
// Time is virtual: it starts at a fixed epoch and advances exactly dt per frame, so the same
// input gives the same frames. Requests that would leave the program (sounds, web addresses)
// are recorded for the dump instead.

#include "Platform/FolderPhotoLibrary.h"
#include "Platform/SdlHost.h"
#include "Platform/SystemSound.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <set>
#include <string>
#include <vector>

class HeadlessHost : public SdlHost {
public:
    struct Options {
        int scale = 1; // pixels per point
        double dt = 1.0 / 60.0; // virtual seconds per frame
        int frames = 1; // run() stops after this many
        std::string dataDirectory;
    };

    // 2009-07-01 00:00:00 UTC: where the virtual wall clock starts.
    static constexpr std::int64_t kEpochSeconds = 1246406400;
    // The same moment counted from 2001-01-01, the phone's reference date for absolute time.
    static constexpr double kEpochAbsoluteTime = 268099200.0;

    explicit HeadlessHost(Options options);
    ~HeadlessHost() override;

    const char* name() const override { return "headless"; }
    // The pictures in the data directory's "Pictures" folder; thumbnails are made at once, so
    // runs do not depend on thread timing.
    PhotoLibrary* photoLibrary() override { return &m_photos; }

    // Runs frames until options.frames have run or termination was asked for; then the
    // after-last-frame hook, then the listener's hostWillTerminate. Returns 0.
    int run() override;
    void requestTermination() override { m_terminationRequested = true; }
    bool terminationRequested() const { return m_terminationRequested; }
    // Called at the start of every frame, before the frame's display refresh.
    void setBeforeFrame(std::function<void(int frame)> hook) { m_beforeFrame = std::move(hook); }
    void setAfterLastFrame(std::function<void()> hook) { m_afterLastFrame = std::move(hook); }

    // One display refresh: the clock moves on by dt, then the display link runs when due.
    void advanceFrame();
    int frame() const { return m_frame; } // frames run so far
    double virtualTime() const { return double(m_frame) * m_options.dt; }
    double dt() const { return m_options.dt; }
    int scale() const { return m_options.scale; }

    // Finishes the frame: an offscreen surface is never presented, and without this the
    // software renderer queues every frame's drawing for ever.
    bool swapBuffers() override;

    bool gettimeofday(HostTimeValue& out) override;
    double absoluteTime() override { return kEpochAbsoluteTime + virtualTime(); }
    // The same date in every run, so dumps of a run compare equal.
    double currentDate() override { return double(kEpochSeconds) + virtualTime(); }

    void setAccelerometerInterval(double seconds) override { m_accelerometerInterval = seconds; }
    double accelerometerInterval() const { return m_accelerometerInterval; }

    bool currentAudioRoute(std::string& route) override;
    // Changes the route and tells the listener, as plugging in headphones would.
    void setAudioRoute(const std::string& route);

    // Sounds are decoded (for their length) but not heard: each play is recorded under
    // "sounds" by file name and completes once its length has passed in virtual time, at the
    // start of the first frame at or after that moment.
    void initSystemSounds() override;
    SystemSoundID createSystemSound(const std::string& path) override;
    void disposeSystemSound(SystemSoundID id) override;
    void playSystemSound(SystemSoundID id) override;
    void setSystemSoundCompletion(SystemSoundID id, std::function<void()> completion) override;

    // Recorded under "urls"; refused addresses are recorded too, with "refused": true.
    bool openURL(const std::string& url) override;
    // Notes a request the program made of the outside world (a sound played, ...); it shows up
    // in the dump as section -> [{frame, time, what}].
    virtual void recordRequest(const std::string& section, const std::string& what);
    // Everything recorded so far: section -> [{frame, time, what}].
    const nlohmann::json& requests() const { return m_requests; }

protected:
    bool startVideo(std::string& why) override;
    void chooseWindow(
        int widthPoints, int heightPoints, int& width, int& height, std::uint32_t& flags) override;
    void configureSwapInterval() override;
    const char* windowTitle() const override { return "Bonzelar (headless)"; }

private:
    void record(const std::string& section, nlohmann::json entry);
    void completeDueSounds();

    Options m_options;
    int m_frame = 0;
    int m_refreshesSinceFrame = 0;
    bool m_terminationRequested = false;
    double m_accelerometerInterval = 1.0 / 60.0;
    std::string m_route = "Speaker";
    std::function<void(int)> m_beforeFrame;
    std::function<void()> m_afterLastFrame;
    nlohmann::json m_requests = nlohmann::json::object();
    SystemSounds m_sounds;
    struct PendingSound {
        double due; // virtual seconds
        SystemSoundID id;
    };
    std::vector<PendingSound> m_playingSounds; // in the order they were started
    FolderPhotoLibrary m_photos { "", false };
    std::vector<PendingSound> m_dueSounds; // scratch for completeDueSounds
};
