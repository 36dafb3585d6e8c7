#pragma once
// A store that lives only as long as the object: for unit tests, and for a host that cannot
// keep anything.

#include "Platform/KeyValueStore.h"

#include <map>

class MemoryStore final : public KeyValueStore {
public:
    std::optional<Value> valueForKey(const std::string& key) const override
    {
        auto it = m_values.find(key);
        if (it == m_values.end())
            return std::nullopt;
        return it->second;
    }
    void setValue(const std::string& key, std::optional<Value> value) override
    {
        noteWrite();
        if (value)
            m_values[key] = std::move(*value);
        else
            m_values.erase(key);
    }
    std::vector<std::string> keys() const override
    {
        std::vector<std::string> out;
        out.reserve(m_values.size());
        for (const auto& entry : m_values)
            out.push_back(entry.first);
        return out;
    }

private:
    std::map<std::string, Value> m_values;
};
