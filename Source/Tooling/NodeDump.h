#pragma once
// Nodes as JSON, for the runner's dump and for tests: the engine names each node's properties
// through PropertySink, and this turns them into JSON objects.

#include "Engine/Support/PropertySink.h"

#include <nlohmann/json.hpp>

#include <vector>

class Node;

class JsonPropertySink final : public PropertySink {
public:
    // Fills `root`, which becomes an object.
    explicit JsonPropertySink(nlohmann::json& root);

    void setNull(const char* key) override;
    void setBool(const char* key, bool value) override;
    void setInteger(const char* key, long long value) override;
    void setNumber(const char* key, double value) override;
    void setString(const char* key, const std::string& value) override;
    void setNumbers(const char* key, std::initializer_list<double> values) override;
    void setIntegers(const char* key, std::initializer_list<long long> values) override;
    void beginObject(const char* key) override;
    void beginList(const char* key) override;
    void beginRecord() override;
    void end() override;

private:
    nlohmann::json& top() { return *m_open.back(); }
    // The object or list being filled, innermost last. Only the last element of a list is
    // ever open, so growing the list cannot move anything still referred to here.
    std::vector<nlohmann::json*> m_open;
};

namespace NodeDump {
// The node's own properties; an empty object for null.
nlohmann::json properties(const Node* node);
// The properties plus "children" in list order, recursively.
nlohmann::json tree(const Node* root);
} // namespace NodeDump
