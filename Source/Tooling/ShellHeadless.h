#pragma once
// The application shell's part of the headless runner: the "settings", "audio" and "usage"
// dump sections and the `route NAME` script command. The runner calls this once at start-up,
// before reading a script.

void installShellHeadless();
