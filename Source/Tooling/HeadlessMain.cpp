// bonzelar-headless: the program on the headless host, driven by the runner (see
// Platform/HeadlessRunner.h for the options and Platform/Script.h for scripts).

#include "Classes/BonzelarAppDelegate.h"
#include "Classes/OptionsScript.h"
#include "Classes/TransitionDemo.h"
#include "Platform/HeadlessRunner.h"
#include "Platform/ShellHeadless.h"

#include <memory>

int main(int argc, char** argv)
{
    // Dump sections and script commands of the modules; they must be in before the script is read.
    installShellHeadless();
    installTransitionDemo();
    installOptionsScript();

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
