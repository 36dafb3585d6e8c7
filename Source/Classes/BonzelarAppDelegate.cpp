#include "Classes/BonzelarAppDelegate.h"
#include "Platform/Log.h"

#include "Classes/Analytics.h"
#include "Classes/Configuration.h"
#include "Classes/DeviceOrientation.h"
#include "Classes/Game.h"
#include "Classes/PainMeter.h"
#include "Classes/Sound.h"
#include "Engine/Director.h"
#include "Engine/Support/Accelerometer.h"
#include "Engine/Support/Exception.h"
#include "Engine/Support/Texture2D.h"
#include "Platform/KeyValueStore.h"

#include <cxxabi.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <typeinfo>

namespace {

std::string demangled(const char* name)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> readable(
        abi::__cxa_demangle(name, nullptr, nullptr, &status), std::free);
    return (status == 0 && readable) ? std::string(readable.get()) : std::string(name);
}

[[noreturn]] void onTerminate()
{
    // A second way in (the report itself failing) must not loop.
    static bool s_terminating = false;
    if (!s_terminating) {
        s_terminating = true;
        if (std::exception_ptr exception = std::current_exception())
            exception_uncaughtHandler(exception);
        else
            logLine(LogLevel::Error, "Terminated without an exception in flight");
    }
    std::abort();
}

} // namespace

void exception_uncaughtHandler(std::exception_ptr exception)
{
    UncaughtException report;
    try {
        std::rethrow_exception(exception);
    } catch (const Exception& e) {
        report.name = e.name();
        report.reason = e.reason();
    } catch (const std::exception& e) {
        report.name = demangled(typeid(e).name());
        report.reason = e.what();
    } catch (...) {
        const std::type_info* type = abi::__cxa_current_exception_type();
        report.name = type ? demangled(type->name()) : "UnknownException";
    }
    if (Host* host = Host::currentOrNull())
        report.callStack = host->callStack();
    Analytics::logException(report);
}

void installUncaughtExceptionHandler() { std::set_terminate(onTerminate); }

int runReportingUncaughtExceptions(const std::function<int()>& body)
{
    try {
        return body();
    } catch (...) {
        exception_uncaughtHandler(std::current_exception());
        return EXIT_FAILURE;
    }
}

// --- Life cycle --------------------------------------------------------------------------------

void BonzelarAppDelegate::applicationDidFinishLaunching()
{
    // Later steps rely on the earlier ones.
    installUncaughtExceptionHandler();

    // Results ignored: existing folders are fine, and nothing here needs them yet.
    Host& host = Host::current();
    host.makeDirectory(host.dataDirectory() + "/Library/Bonzelar", 0755);
    host.makeDirectory(host.dataDirectory() + "/Documents/Bonzelar", 0755);

    {
        // First-run defaults, upgrades and the per-launch settings: one commit, one sync.
        const KeyValueStore::Batch batch(host.store());
        Configuration* configuration = Configuration::current();
        const int runs = configuration->numberOfRuns();
        configuration->setNumberOfRuns(runs < INT_MAX ? runs + 1 : runs);
        // This edition has no switch for either: every launch starts with sound on, the meter off.
        configuration->setPlaySoundFx(true);
        configuration->setShowPainMeter(false);
    }

    Sound::initSoundEngine();
    Analytics::start();

    // The window: the whole screen, taking every touch.
    WindowInfo window;
    window.frame = CGRectMake(0, 0, 320, 480);
    window.userInteractionEnabled = true;
    window.multipleTouchEnabled = true;

    Director::useDisplayLinkDirector();
    Director* director = Director::sharedDirector();
    director->setPixelFormat(kPixelFormatRGBA8888);
    Texture2D::setDefaultAlphaPixelFormat(kTexture2DPixelFormat_RGBA8888);
    director->attachInWindow(window);
    director->setDeviceOrientation(kDeviceOrientationPortrait);
    director->setAnimationInterval(static_cast<double>(1.0f / 60.0f));
    director->runWithScene(GameScene::node());
    // The host's window is already on screen: there is no key window to make.
}

void BonzelarAppDelegate::applicationWillResignActive() { Director::sharedDirector()->pause(); }

void BonzelarAppDelegate::applicationDidBecomeActive() { Director::sharedDirector()->resume(); }

void BonzelarAppDelegate::applicationWillTerminate()
{
    Analytics::end();
    if (Configuration::current()->showPainMeter())
        PainMeter::logPainScore();
    Director::purgeSharedDirector();
}

// --- Host events -------------------------------------------------------------------------------

void BonzelarAppDelegate::hostTouches(
    HostTouchPhase phase, const std::vector<HostTouchPoint>& touches, double timestamp)
{
    if (EAGLView* view = Director::sharedDirector()->openGLView())
        view->handleHostTouches(phase, touches, timestamp);
}

void BonzelarAppDelegate::hostWheel(float x, float y, float notches)
{
    if (EAGLView* view = Director::sharedDirector()->openGLView())
        view->handleWheel(x, y, notches);
}

void BonzelarAppDelegate::hostSecondaryDrag(HostTouchPhase phase, float x, float y)
{
    if (EAGLView* view = Director::sharedDirector()->openGLView())
        view->handleSecondaryDrag(phase, x, y);
}

void BonzelarAppDelegate::hostAcceleration(double x, double y, double z, double timestamp)
{
    Accelerometer::sharedAccelerometer()->deliver(x, y, z, timestamp);
}

void BonzelarAppDelegate::hostOrientationChanged(int orientation)
{
    DeviceOrientation::deviceDidRotate(orientation);
}

bool BonzelarAppDelegate::hostKey(HostKey key) { return Director::sharedDirector()->dispatchKey(key); }

void BonzelarAppDelegate::hostAudioRouteChanged(const std::string& route)
{
    Configuration::audioRoute_Changed(route);
}
