#include "Platform/Web/WebStore.h"

#include <cstdint>

namespace {

const char* const kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Local storage holds strings only; pictures go in as base64.
std::string toBase64(const KeyValueStore::Bytes& bytes)
{
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t n = std::uint32_t(bytes[i]) << 16 | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0)
            | (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        out += kAlphabet[n >> 18 & 63];
        out += kAlphabet[n >> 12 & 63];
        out += i + 1 < bytes.size() ? kAlphabet[n >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[n & 63] : '=';
    }
    return out;
}

bool fromBase64(const std::string& text, KeyValueStore::Bytes& out)
{
    if (text.size() % 4 != 0)
        return false;
    out.clear();
    std::uint32_t bits = 0;
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '=') {
            if (i + 2 < text.size())
                return false;
            break;
        }
        int v = -1;
        if (c >= 'A' && c <= 'Z')
            v = c - 'A';
        else if (c >= 'a' && c <= 'z')
            v = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            v = c - '0' + 52;
        else if (c == '+')
            v = 62;
        else if (c == '/')
            v = 63;
        else
            return false;
        bits = bits << 6 | std::uint32_t(v);
        if (++count == 4) {
            out.push_back(std::uint8_t(bits >> 16));
            out.push_back(std::uint8_t(bits >> 8));
            out.push_back(std::uint8_t(bits));
            bits = 0;
            count = 0;
        }
    }
    if (count == 2)
        out.push_back(std::uint8_t(bits >> 4));
    else if (count == 3) {
        out.push_back(std::uint8_t(bits >> 10));
        out.push_back(std::uint8_t(bits >> 2));
    }
    return true;
}

} // namespace

WebStore::WebStore(Backend backend, std::function<void(const std::string&)> onFirstFailure)
    : m_backend(std::move(backend))
    , m_onFirstFailure(std::move(onFirstFailure))
{
    if (!m_backend.readAll)
        return;
    for (const auto& [key, text] : m_backend.readAll())
        if (std::optional<Value> value = decode(text))
            m_values[key] = std::move(*value);
}

std::optional<KeyValueStore::Value> WebStore::valueForKey(const std::string& key) const
{
    auto found = m_values.find(key);
    if (found == m_values.end())
        return std::nullopt;
    return found->second;
}

void WebStore::setValue(const std::string& key, std::optional<Value> value)
{
    noteWrite();
    std::string text;
    if (value) {
        text = encode(*value);
        m_values[key] = std::move(*value);
    } else {
        m_values.erase(key);
    }
    const bool kept = m_backend.write && m_backend.write(key, value ? &text : nullptr);
    if (!kept && !m_failed) {
        m_failed = true;
        if (m_onFirstFailure)
            m_onFirstFailure(key);
    }
}

std::vector<std::string> WebStore::keys() const
{
    std::vector<std::string> out;
    for (const auto& entry : m_values)
        out.push_back(entry.first);
    return out;
}

std::string WebStore::encode(const Value& value)
{
    nlohmann::json j;
    j["t"] = typeName(typeOf(value));
    switch (typeOf(value)) {
    case Type::Bool:
        j["v"] = std::get<0>(value);
        break;
    case Type::Integer:
        j["v"] = std::get<1>(value);
        break;
    case Type::Real:
        j["v"] = std::get<2>(value);
        break;
    case Type::String:
        j["v"] = std::get<3>(value);
        break;
    case Type::Data:
        j["v"] = toBase64(std::get<4>(value));
        break;
    case Type::Json:
        j["v"] = std::get<5>(value);
        break;
    }
    return j.dump();
}

std::optional<KeyValueStore::Value> WebStore::decode(const std::string& text)
{
    const nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
    if (!j.is_object() || !j.contains("t") || !j.contains("v") || !j["t"].is_string())
        return std::nullopt;
    const std::string type = j["t"];
    const nlohmann::json& v = j["v"];
    if (type == "bool" && v.is_boolean())
        return Value(std::in_place_index<0>, v.get<bool>());
    if (type == "integer" && v.is_number_integer())
        return Value(std::in_place_index<1>, v.get<std::int64_t>());
    if (type == "real" && v.is_number())
        return Value(std::in_place_index<2>, v.get<double>());
    if (type == "string" && v.is_string())
        return Value(std::in_place_index<3>, v.get<std::string>());
    if (type == "data" && v.is_string()) {
        Bytes bytes;
        if (fromBase64(v.get<std::string>(), bytes))
            return Value(std::in_place_index<4>, std::move(bytes));
        return std::nullopt;
    }
    if (type == "json")
        return Value(std::in_place_index<5>, v);
    return std::nullopt;
}
