#include "Classes/Queue.h"

void Queue::enqueue(Object* object) { m_array.emplace_back(object); }

Ref<Object> Queue::dequeue()
{
    if (m_array.empty())
        return nullptr;
    Ref<Object> first = m_array.front();
    m_array.pop_front();
    return first;
}

bool Queue::containsObject(const Object* object) const
{
    for (const Ref<Object>& o : m_array)
        if (o.get() == object)
            return true;
    return false;
}

void ShapeQueue::enqueue(cpShape* shape) { Queue::enqueue(PointerWrapper::wrapperForPointer(shape)); }

cpShape* ShapeQueue::dequeue()
{
    Ref<Object> wrapper = Queue::dequeue();
    return wrapper ? static_cast<cpShape*>(static_cast<PointerWrapper*>(wrapper.get())->pointer()) : nullptr;
}

bool ShapeQueue::containsShape(const cpShape* shape) const
{
    for (const Ref<Object>& o : m_array)
        if (static_cast<const PointerWrapper*>(o.get())->pointer() == shape)
            return true;
    return false;
}
