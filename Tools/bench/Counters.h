#pragma once
// What the benchmark counts besides time: heap allocations made by our code on the main thread
// and GL calls. Both are counted by interposition in the benchmark binary (Counters.cpp): the
// allocator functions and every GL ES entry point the program uses are defined there and
// forward to the real ones.

#include <cstdint>

namespace Counters {

// Allocations are counted only while this thread has counting on and is not inside a GL call
// (or another driver call wrapped in a DriverScope): the driver's own allocations are its
// business, and the bare loop makes the same ones.
void setCounting(bool on);
std::uint64_t allocations();
std::uint64_t glCalls();
std::uint64_t glDraws();

// Marks driver work the interposed GL wrappers cannot see (buffer swaps through SDL).
class DriverScope {
public:
    DriverScope();
    ~DriverScope();
    DriverScope(const DriverScope&) = delete;
    DriverScope& operator=(const DriverScope&) = delete;
};

} // namespace Counters
