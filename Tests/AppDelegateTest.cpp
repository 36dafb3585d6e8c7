#include "Classes/Analytics.h"
#include "Classes/BonzelarAppDelegate.h"
#include "Classes/Configuration.h"
#include "Classes/DeviceOrientation.h"
#include "Engine/Director.h"
#include "Engine/Support/Accelerometer.h"
#include "Engine/Support/Exception.h"
#include "Engine/Support/Texture2D.h"
#include "Platform/SqliteStore.h"
#include "Support/FakeHost.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A fake host whose data directory and settings file are real, so launches can follow each
// other as they do on a player's machine.
class LaunchHost final : public FakeHost {
public:
    explicit LaunchHost(std::string dataDirectory)
        : m_dataDirectory(std::move(dataDirectory))
    {
    }
    std::string resourcePath(const std::string& fileName) override
    {
        const fs::path path = fs::path(BONZELAR_TEST_RESOURCES) / fileName;
        return fs::exists(path) ? path.string() : std::string();
    }
    std::string dataDirectory() override { return m_dataDirectory; }
    KeyValueStore& store() override
    {
        if (!m_store)
            m_store = std::make_unique<SqliteStore>(m_dataDirectory);
        return *m_store;
    }

private:
    std::string m_dataDirectory;
    std::unique_ptr<SqliteStore> m_store;
};

class AppDelegateTest : public testing::Test {
protected:
    AppDelegateTest()
    {
        std::string pattern = (fs::temp_directory_path() / "bonzelar-launch-XXXXXX").string();
        m_data = mkdtemp(pattern.data());
    }
    ~AppDelegateTest() override
    {
        endProcess();
        std::error_code ec;
        fs::remove_all(m_data, ec);
    }

    // One run of the program: a fresh process state over the same data directory.
    void launch()
    {
        endProcess();
        m_host = std::make_unique<LaunchHost>(m_data);
        m_host->setListener(&m_delegate);
        m_delegate.applicationDidFinishLaunching();
        m_host->frame();
    }
    void endProcess()
    {
        resetEngineForTest();
        Configuration::resetForTesting(nullptr);
        m_host.reset();
    }
    static int mode(const fs::path& path)
    {
        struct stat info { };
        return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? int(info.st_mode & 07777) : -1;
    }

    std::string m_data;
    std::unique_ptr<LaunchHost> m_host;
    BonzelarAppDelegate m_delegate;
};

struct RecordingAccelerometerDelegate : AccelerometerDelegate {
    void accelerometer(Accelerometer*, const Acceleration& a) override { last = a; }
    Acceleration last;
};

} // namespace

TEST_F(AppDelegateTest, FirstLaunchCountsOneRunAndSetsTheEngineUp)
{
    const mode_t oldMask = umask(022);
    launch();
    umask(oldMask);

    EXPECT_EQ(mode(fs::path(m_data) / "Library" / "Bonzelar"), 0755);
    EXPECT_EQ(mode(fs::path(m_data) / "Documents" / "Bonzelar"), 0755);

    Configuration* c = Configuration::current();
    EXPECT_TRUE(c->firstRun());
    EXPECT_EQ(c->numberOfRuns(), 1);
    EXPECT_TRUE(c->playSoundFx());
    EXPECT_FALSE(c->showPainMeter());

    Director* director = Director::sharedDirector();
    EXPECT_STREQ(director->className(), "DisplayLinkDirector");
    EXPECT_EQ(director->pixelFormat(), kPixelFormatRGBA8888);
    EXPECT_EQ(Texture2D::defaultAlphaPixelFormat(), kTexture2DPixelFormat_RGBA8888);
    EXPECT_TRUE(director->isOpenGLAttached());
    ASSERT_NE(director->openGLView(), nullptr);
    EXPECT_TRUE(director->openGLView()->multipleTouchEnabled());
    EXPECT_EQ(director->deviceOrientation(), kDeviceOrientationPortrait);
    // The single-precision sixtieth, widened: not the same double as 1.0 / 60.0.
    EXPECT_EQ(director->animationInterval(), 0.01666666753590107);
    EXPECT_NE(director->runningScene(), nullptr);
    EXPECT_TRUE(m_host->hasDisplayLink());
}

TEST_F(AppDelegateTest, LaterLaunchesCountOnAndForceThePerLaunchSettings)
{
    launch();
    // What an earlier run could have left behind.
    Configuration::current()->setShowPainMeter(true);
    Configuration::current()->setPlaySoundFx(false);
    Configuration::current()->setGravity(99.0f);

    launch();
    Configuration* c = Configuration::current();
    EXPECT_FALSE(c->firstRun());
    EXPECT_EQ(c->numberOfRuns(), 2);
    EXPECT_FALSE(c->showPainMeter());
    EXPECT_TRUE(c->playSoundFx());
    EXPECT_EQ(c->gravity(), 99.0f);
    EXPECT_EQ(mode(fs::path(m_data) / "Library" / "Bonzelar") & 0700, 0700);

    launch();
    EXPECT_EQ(Configuration::current()->numberOfRuns(), 3);
}

TEST_F(AppDelegateTest, LifeCycleEventsPauseResumeAndReleaseTheDirector)
{
    launch();
    Director* director = Director::sharedDirector();
    m_delegate.hostWillResignActive();
    EXPECT_TRUE(director->isPaused());
    m_delegate.hostDidBecomeActive();
    EXPECT_FALSE(director->isPaused());

    Ref<Director> held(director);
    const int before = held->retainCount();
    m_delegate.hostWillTerminate();
    EXPECT_EQ(held->retainCount(), before - 1);
    EXPECT_FALSE(m_host->hasDisplayLink());
    EXPECT_NE(Director::sharedDirector(), director);
}

TEST_F(AppDelegateTest, HostEventsReachTheEngineAndTheSettings)
{
    launch();
    EAGLView* view = Director::sharedDirector()->openGLView();
    m_delegate.hostTouches(HostTouchPhase::Began, { HostTouchPoint { 7, 100, 80, 1 } }, 1.0);
    ASSERT_EQ(view->activeTouches().size(), 1u);
    EXPECT_EQ(view->activeTouches().anyObject()->locationInView().y, 80);
    m_delegate.hostTouches(HostTouchPhase::Ended, { HostTouchPoint { 7, 100, 80, 1 } }, 1.1);
    EXPECT_TRUE(view->activeTouches().empty());

    RecordingAccelerometerDelegate accelerometer;
    Accelerometer::sharedAccelerometer()->setDelegate(&accelerometer);
    m_delegate.hostAcceleration(0.5, -1, 0.25, 2.0);
    EXPECT_EQ(accelerometer.last.x, 0.5);
    EXPECT_EQ(accelerometer.last.z, 0.25);
    Accelerometer::sharedAccelerometer()->setDelegate(nullptr);

    // A turned device turns what is drawn over the field, never the field itself.
    int seen = 0;
    const int token = DeviceOrientation::addObserver([&](int orientation) { seen = orientation; });
    m_delegate.hostOrientationChanged(3);
    DeviceOrientation::removeObserver(token);
    EXPECT_EQ(seen, 3);
    EXPECT_EQ(DeviceOrientation::current(), 3);
    EXPECT_EQ(Director::sharedDirector()->deviceOrientation(), kDeviceOrientationPortrait);

    EXPECT_FALSE(Configuration::current()->headphonesAttached());
    m_delegate.hostAudioRouteChanged("Headphone");
    EXPECT_TRUE(Configuration::current()->headphonesAttached());
}

TEST(UncaughtException, IsReportedWithNameReasonAndStackBeforeTheProcessEnds)
{
    // The usage log goes to a folder of its own, not a shared one.
    std::string pattern = (fs::temp_directory_path() / "bonzelar-uncaught-XXXXXX").string();
    const std::string data = mkdtemp(pattern.data());
    LaunchHost host(data);
    EXPECT_EXIT(
        {
            installUncaughtExceptionHandler();
            // A thread of its own: nothing above it catches, as with an exception out of the run loop.
            std::thread([] { raiseException("BonzelarTestException", "the reason given"); }).join();
        },
        testing::KilledBySignal(SIGABRT),
        "Gadroon Exception\n-+\nBonzelarTestException: the reason given\n#0 .*\n-+\n");

    // The entry points' catch reports the same way and ends with a failure status.
    EXPECT_EXIT(
        {
            const int status
                = runReportingUncaughtExceptions([]() -> int { throw std::out_of_range("index 9"); });
            std::exit(status);
        },
        testing::ExitedWithCode(EXIT_FAILURE), "std::out_of_range: index 9\n");
    std::error_code ec;
    fs::remove_all(data, ec);
}
