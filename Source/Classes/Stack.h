#pragma once
// Last-in first-out list of objects; the option pages keep their history in two of them.

#include "Engine/Support/Ref.h"

#include <string>
#include <vector>

// A string that can live in object containers.
class StringValue : public Object {
public:
    static Ref<StringValue> withString(std::string value) { return make<StringValue>(std::move(value)); }
    explicit StringValue(std::string value)
        : m_value(std::move(value))
    {
    }

    const std::string& value() const { return m_value; }
    const char* className() const override { return "StringValue"; }

private:
    std::string m_value;
};

class Stack : public Object {
public:
    static Ref<Stack> stack() { return make<Stack>(); }

    void push(Object* object);
    // The returned Ref keeps the object alive after removal; null when empty.
    Ref<Object> pop();
    // The top, or null when empty.
    Ref<Object> peek() const;
    // The one below the top, or null with fewer than two.
    Ref<Object> peek2X() const;
    void clear() { m_array.clear(); }
    int count() const { return static_cast<int>(m_array.size()); }
    // Bottom first.
    const std::vector<Ref<Object>>& objects() const { return m_array; }
    const char* className() const override { return "Stack"; }

private:
    std::vector<Ref<Object>> m_array;
};
