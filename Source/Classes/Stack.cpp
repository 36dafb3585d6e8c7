#include "Classes/Stack.h"

void Stack::push(Object* object) { m_array.emplace_back(object); }

Ref<Object> Stack::pop()
{
    if (m_array.empty())
        return nullptr;
    Ref<Object> top = std::move(m_array.back());
    m_array.pop_back();
    return top;
}

Ref<Object> Stack::peek() const { return m_array.empty() ? nullptr : m_array.back(); }

Ref<Object> Stack::peek2X() const { return m_array.size() < 2 ? nullptr : m_array[m_array.size() - 2]; }
