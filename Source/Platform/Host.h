#pragma once
// The one door between the program and the machine it runs on.
//
// Everything above Source/Platform talks to the window, GL surface, input devices, clock,
// sounds, store and browser only through these interfaces, so the desktop (SDL2) host, the
// headless test host and the browser host are interchangeable. Each service has its own small
// interface; code that needs one service takes that one, and a test fakes only what it uses.
// `Host` is every service together, the shape a whole platform provides. None of these
// headers may include SDL or OS headers.

#include "Platform/HostClock.h"
#include "Platform/HostFiles.h"
#include "Platform/HostImages.h"
#include "Platform/HostInput.h"
#include "Platform/HostShell.h"
#include "Platform/HostSounds.h"
#include "Platform/HostSurface.h"
#include "Platform/HostText.h"

#include <stdexcept>

class Host : public HostSurface,
             public HostInput,
             public HostClock,
             public HostImages,
             public HostText,
             public HostFiles,
             public HostSounds,
             public HostShell {
public:
    ~Host() override = default;

    // The host the program runs on; set once at start-up by main or the test fixture.
    static Host& current()
    {
        if (!s_current)
            throw std::logic_error("No host is set. Call Host::setCurrent at start-up.");
        return *s_current;
    }
    static Host* currentOrNull() { return s_current; }
    static void setCurrent(Host* host) { s_current = host; }

private:
    static inline Host* s_current = nullptr;
};
