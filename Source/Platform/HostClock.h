#pragma once
// Wall clock for frame timing and a monotonic clock for everything measured in seconds.

#include <cstdint>

// Wall-clock reading with the shape the run loop's frame timing uses.
struct HostTimeValue {
    std::int64_t tv_sec = 0;
    std::int32_t tv_usec = 0;
};

class HostClock {
public:
    virtual ~HostClock() = default;
    // Wall clock for frame timing; false if the clock cannot be read.
    virtual bool gettimeofday(HostTimeValue& out) = 0;
    // Seconds since some fixed point, monotonic (sound gating, shake debouncing).
    virtual double absoluteTime() = 0;
    // Calendar time in seconds since 1970 (UTC), for dates a player reads. The POSIX version
    // is in HostServices.cpp; the headless host counts it from its virtual clock.
    virtual double currentDate();
};
