#pragma once
// All of the game's random numbers, over the C library generator, seeded once.

class Random {
public:
    // Seeds from the clock on first use; later calls do nothing.
    static void seed();
    // Seeds with a fixed value instead (the headless runner's --seed); counts as seeded.
    static void seedWith(unsigned int value);
    // A value from start to end - 2 (end - 1 very rarely); see the note in the source.
    static int randIntWithStart(int start, int end);

    static bool isSeeded();
};
