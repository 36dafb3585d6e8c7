// bonzelar-headless: the program on the headless host, driven by the runner (see
// Tooling/HeadlessRunner.h for the options and Tooling/Script.h for scripts).

#include "Classes/BonzelarAppDelegate.h"
#include "Tooling/FaceScript.h"
#include "Tooling/GameDump.h"
#include "Tooling/HeadlessRunner.h"
#include "Tooling/OptionsScript.h"
#include "Tooling/ShellHeadless.h"
#include "Tooling/TransitionDemo.h"

#include <memory>

int main(int argc, char** argv)
{
    // Dump sections and script commands of the modules; they must be in before the script is read.
    installShellHeadless();
    installGameDump();
    installTransitionDemo();
    installOptionsScript();
    installFaceScript();

    std::unique_ptr<BonzelarAppDelegate> app;
    return HeadlessRunner::main(
        argc, argv,
        [&app]() -> HostListener& {
            app = std::make_unique<BonzelarAppDelegate>();
            app->applicationDidFinishLaunching();
            return *app;
        },
        exception_uncaughtHandler);
}
