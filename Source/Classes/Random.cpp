#include "Classes/Random.h"

#include <cstdlib>
#include <ctime>

namespace {
bool s_seeded = false;
}

void Random::seed()
{
    if (s_seeded)
        return;
    seedWith(static_cast<unsigned int>(std::time(nullptr)));
}

void Random::seedWith(unsigned int value)
{
    std::srand(value);
    // The first values after seeding follow the seed too closely; throw them away.
    (void)std::rand();
    (void)std::rand();
    (void)std::rand();
    s_seeded = true;
}

bool Random::isSeeded() { return s_seeded; }

int Random::randIntWithStart(int start, int end)
{
    seed();
    // Single precision on purpose: the ball field's layout depends on exactly this rounding,
    // which makes end - 1 come up only when rand() is within 64 of RAND_MAX.
    const float f = static_cast<float>(std::rand()) * (1.0f / 2147483648.0f);
    const float r = static_cast<float>(start) + static_cast<float>(end - start - 1) * f;
    return static_cast<int>(r);
}
