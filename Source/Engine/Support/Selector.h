#pragma once
// A method of some Object, held without its target: the engine's stand-in for a selector.
//
// Identity is the member-function pointer itself, so `Selector<float>(&GameLayer::step)`
// made twice compares equal; that is what lets `unschedule` find the timer `schedule` made.
// Invoke with the target that was registered alongside it:
//     Selector<float> s(&GameLayer::step, "step:");
//     s(layer, dt);

#include "Engine/Support/Exception.h"
#include "Engine/Support/Ref.h"

#include <type_traits>

template <class... Args> class Selector {
public:
    using Method = void (Object::*)(Args...);

    Selector() = default;

    template <class T>
    Selector(void (T::*method)(Args...), const char* name = "")
        : m_method(static_cast<Method>(method))
        , m_name(name)
        , m_accepts([](const Object* target) { return dynamic_cast<const T*>(target) != nullptr; })
    {
        static_assert(std::is_base_of_v<Object, T>, "selectors are methods of Object subclasses");
    }

    // Calling a method on an object of another class would run it on the wrong memory.
    bool accepts(const Object* target) const { return target && m_accepts && m_accepts(target); }

    void operator()(Object* target, Args... args) const
    {
        MW_ASSERT(accepts(target), "Selector target must be of the selector's class");
        (target->*m_method)(args...);
    }

    explicit operator bool() const { return m_method != nullptr; }
    const char* name() const { return m_name; }
    friend bool operator==(const Selector& a, const Selector& b) { return a.m_method == b.m_method; }

private:
    Method m_method = nullptr;
    const char* m_name = "";
    bool (*m_accepts)(const Object*) = nullptr;
};

// A selector named after the method, for logs and dumps.
#define MW_SELECTOR(Class, method) Selector(&Class::method, #method)
