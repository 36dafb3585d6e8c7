#include "Tooling/NodeDump.h"

#include "Engine/Node.h"

#include <vector>

JsonPropertySink::JsonPropertySink(nlohmann::json& root)
{
    root = nlohmann::json::object();
    m_open.push_back(&root);
}

void JsonPropertySink::setNull(const char* key) { top()[key] = nullptr; }
void JsonPropertySink::setBool(const char* key, bool value) { top()[key] = value; }
void JsonPropertySink::setInteger(const char* key, long long value) { top()[key] = value; }
void JsonPropertySink::setNumber(const char* key, double value) { top()[key] = value; }
void JsonPropertySink::setString(const char* key, const std::string& value) { top()[key] = value; }

void JsonPropertySink::setNumbers(const char* key, std::initializer_list<double> values)
{
    top()[key] = std::vector<double>(values);
}

void JsonPropertySink::setIntegers(const char* key, std::initializer_list<long long> values)
{
    top()[key] = std::vector<long long>(values);
}

void JsonPropertySink::beginObject(const char* key)
{
    nlohmann::json& object = top()[key] = nlohmann::json::object();
    m_open.push_back(&object);
}

void JsonPropertySink::beginList(const char* key)
{
    nlohmann::json& list = top()[key] = nlohmann::json::array();
    m_open.push_back(&list);
}

void JsonPropertySink::beginRecord()
{
    nlohmann::json& list = top();
    list.push_back(nlohmann::json::object());
    m_open.push_back(&list.back());
}

void JsonPropertySink::end()
{
    if (m_open.size() > 1)
        m_open.pop_back();
}

namespace NodeDump {

nlohmann::json properties(const Node* node)
{
    nlohmann::json out = nlohmann::json::object();
    if (node) {
        JsonPropertySink sink(out);
        node->dumpProperties(sink);
    }
    return out;
}

nlohmann::json tree(const Node* root)
{
    nlohmann::json out = properties(root);
    if (!root)
        return out;
    nlohmann::json children = nlohmann::json::array();
    for (const Ref<Node>& child : root->children())
        children.push_back(tree(child.get()));
    out["children"] = std::move(children);
    return out;
}

} // namespace NodeDump
