#pragma once
// The program's run loop, the browser, and the diagnostics the platform offers.

#include <string>
#include <vector>

class HostShell {
public:
    virtual ~HostShell() = default;

    virtual const char* name() const = 0; // "desktop", "headless", ...

    // Runs the main loop until termination; returns the process exit status.
    virtual int run() = 0;
    // Asks the main loop to end after the current frame (as closing the window does).
    virtual void requestTermination() = 0;

    // Opens a web address in the platform browser.
    virtual bool openURL(const std::string& url) = 0;

    // The calling thread's stack, innermost frame first, one readable line per frame; empty
    // where it cannot be walked. For the uncaught-exception report.
    virtual std::vector<std::string> callStack();
};
