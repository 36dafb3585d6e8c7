// Bonzelar on the desktop: one window, the application delegate, the host's run loop.

#include "Classes/BonzelarAppDelegate.h"
#include "Platform/DesktopHost.h"

#include <cstdlib>

int main(int argc, char** argv)
{
    (void)argc;
    (void)argv; // the game takes no command line
    return runReportingUncaughtExceptions([] {
        DesktopHost host;
        if (!host.openDisplay())
            return EXIT_FAILURE; // before anything else speaks: that one line is the whole story
        Host::setCurrent(&host);
        struct Unset {
            ~Unset() { Host::setCurrent(nullptr); }
        } unset;
        BonzelarAppDelegate app;
        host.setListener(&app);
        app.applicationDidFinishLaunching();
        if (!host.hasSurface())
            return EXIT_FAILURE; // the host has said why
        const int status = host.run();
        host.setListener(nullptr);
        return status;
    });
}
