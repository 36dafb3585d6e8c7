#pragma once
// The application object: runs the launch sequence and maps the host's life-cycle and input
// events onto the engine. It keeps no state of its own; the run state lives in the director.

#include "Platform/Host.h"

#include <exception>
#include <functional>

class BonzelarAppDelegate : public HostListener {
public:
    void applicationDidFinishLaunching();
    void applicationWillResignActive();
    void applicationDidBecomeActive();
    void applicationWillTerminate();

    void hostTouches(
        HostTouchPhase phase, const std::vector<HostTouchPoint>& touches, double timestamp) override;
    void hostAcceleration(double x, double y, double z, double timestamp) override;
    void hostOrientationChanged(int orientation) override;
    void hostWillResignActive() override { applicationWillResignActive(); }
    void hostDidBecomeActive() override { applicationDidBecomeActive(); }
    void hostWillTerminate() override { applicationWillTerminate(); }
    void hostAudioRouteChanged(const std::string& route) override;
    void hostWheel(float x, float y, float notches) override;
    void hostSecondaryDrag(HostTouchPhase phase, float x, float y) override;
    bool hostKey(HostKey key) override;
};

// Reports an exception nobody caught, to the console and to usage reporting. It neither
// recovers nor rethrows: the process ends after it, with a non-zero status.
void exception_uncaughtHandler(std::exception_ptr exception);

// Makes exception_uncaughtHandler the process's last word on an exception (std::terminate).
void installUncaughtExceptionHandler();

// For the entry points: runs the body and returns its status; an exception that escapes it
// goes to exception_uncaughtHandler and the status is EXIT_FAILURE.
int runReportingUncaughtExceptions(const std::function<int()>& body);
