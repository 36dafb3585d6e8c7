#pragma once
// One exception type for every named exception and failed assertion.
// `name` is the machine-readable kind ("SchedulerTimerNotFound"), `reason` the human text.

#include <stdexcept>
#include <string>

inline constexpr const char* kInternalInconsistencyException = "InternalInconsistencyException";
inline constexpr const char* kInvalidArgumentException = "InvalidArgumentException";

class Exception : public std::runtime_error {
public:
    Exception(std::string name, std::string reason)
        : std::runtime_error(name + ": " + reason)
        , m_name(std::move(name))
        , m_reason(std::move(reason))
    {
    }
    const std::string& name() const noexcept { return m_name; }
    const std::string& reason() const noexcept { return m_reason; }

private:
    std::string m_name;
    std::string m_reason;
};

[[noreturn]] void raiseException(const std::string& name, const std::string& reason);

// Engine preconditions. Always on: they guard against states the engine cannot recover from,
// and callers (tests, the runner) rely on seeing the exact description.
#define MW_ASSERT(cond, description)                                                                         \
    do {                                                                                                     \
        if (!(cond))                                                                                         \
            ::raiseException(kInternalInconsistencyException, (description));                                \
    } while (0)
