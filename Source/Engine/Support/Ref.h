#pragma once
// Intrusive reference counting for every engine and game object.
//
// Ownership rules:
//  - An Object starts with a count of 0: nobody owns it until a Ref<T> takes it.
//  - Ref<T> is the one owning handle. Containers, parents and timers hold Ref<T>.
//  - Plain T* is a back-pointer (parent, delegate that is owned elsewhere); it never owns.
//  - Convenience constructors (`node()`, `spriteWithFile()`, ...) return Ref<T>; the caller
//    decides whether to keep it (store it) or hand it on (addChild retains).

#include <cstddef>
#include <string>
#include <utility>

class Object {
public:
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    virtual ~Object() = default;

    void retain() noexcept { ++m_refCount; }
    void release() noexcept
    {
        if (--m_refCount == 0)
            delete this;
    }
    int retainCount() const noexcept { return m_refCount; }

    // Class name as shown in logs and dumps.
    virtual const char* className() const { return "Object"; }
    // "<Class = 0x... >" style text for log lines.
    virtual std::string description() const;

private:
    int m_refCount = 0;
};

template <class T> class Ref {
public:
    Ref() noexcept = default;
    Ref(std::nullptr_t) noexcept { }
    Ref(T* p) noexcept
        : m_ptr(p)
    {
        if (m_ptr)
            m_ptr->retain();
    }
    Ref(const Ref& other) noexcept
        : Ref(other.m_ptr)
    {
    }
    Ref(Ref&& other) noexcept
        : m_ptr(std::exchange(other.m_ptr, nullptr))
    {
    }
    template <class U>
    Ref(const Ref<U>& other) noexcept
        : Ref(static_cast<T*>(other.get()))
    {
    }
    ~Ref()
    {
        if (m_ptr)
            m_ptr->release();
    }

    Ref& operator=(Ref other) noexcept
    {
        std::swap(m_ptr, other.m_ptr);
        return *this;
    }

    T* get() const noexcept { return m_ptr; }
    T* operator->() const noexcept { return m_ptr; }
    T& operator*() const noexcept { return *m_ptr; }
    explicit operator bool() const noexcept { return m_ptr != nullptr; }
    operator T*() const noexcept { return m_ptr; }

    // Gives up ownership without releasing; the caller takes over one retain.
    T* leak() noexcept { return std::exchange(m_ptr, nullptr); }

private:
    T* m_ptr = nullptr;
};

// Creates a T and hands back the first owning reference.
template <class T, class... Args> Ref<T> make(Args&&... args)
{
    return Ref<T>(new T(std::forward<Args>(args)...));
}

template <class T, class U> Ref<T> ref_cast(const Ref<U>& r) noexcept
{
    return Ref<T>(dynamic_cast<T*>(r.get()));
}
