#pragma once
// First-in first-out lists: of objects, and of raw physics shape pointers.

#include "Engine/Support/Ref.h"

#include <deque>

// Holds one pointer it does not own, so plain physics records can live in object containers.
class PointerWrapper : public Object {
public:
    static Ref<PointerWrapper> wrapperForPointer(void* pointer) { return make<PointerWrapper>(pointer); }
    explicit PointerWrapper(void* pointer = nullptr)
        : m_pointer(pointer)
    {
    }

    void* pointer() const { return m_pointer; }
    void setPointer(void* pointer) { m_pointer = pointer; }
    const char* className() const override { return "PointerWrapper"; }

private:
    void* m_pointer;
};

class Queue : public Object {
public:
    static Ref<Queue> queue() { return make<Queue>(); }

    void enqueue(Object* object);
    // The oldest object, or null when empty. The returned Ref keeps it alive after removal.
    Ref<Object> dequeue();
    int count() const { return static_cast<int>(m_array.size()); }
    void clear() { m_array.clear(); }
    bool containsObject(const Object* object) const;
    const char* className() const override { return "Queue"; }

protected:
    std::deque<Ref<Object>> m_array;
};

struct cpShape;

class ShapeQueue : public Queue {
public:
    static Ref<ShapeQueue> queue() { return make<ShapeQueue>(); }

    void enqueue(cpShape* shape);
    cpShape* dequeue();
    // Pointer identity, oldest first.
    bool containsShape(const cpShape* shape) const;
    const char* className() const override { return "ShapeQueue"; }
};
