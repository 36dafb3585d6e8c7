#pragma once
// The persistent key-value store that holds the settings and the high scores.
//
// Typed reads give the store's empty value (false, 0, 0.0, nothing) both for a missing key and
// for a key that holds another type, so a foreign or damaged value can never crash a reader.
// Every write is committed before it returns. A write that cannot be saved still changes what
// later reads in the same run see.
//
// Host-independent: the game includes this header, so it must not name SQLite or the OS.
// Everything above the three virtual functions is inline so the game library needs no symbol
// from the host library.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

class KeyValueStore {
public:
    using Bytes = std::vector<std::uint8_t>;
    // A structured value (lists and records of numbers, texts and flags), as a property list
    // holds them: the high scores' list is one.
    using Object = nlohmann::json;

    // The order matches Value's alternatives.
    enum class Type { Bool, Integer, Real, String, Data, Json };
    using Value = std::variant<bool, std::int64_t, double, std::string, Bytes, nlohmann::json>;

    static Type typeOf(const Value& value) { return static_cast<Type>(value.index()); }
    static const char* typeName(Type type)
    {
        switch (type) {
        case Type::Bool:
            return "bool";
        case Type::Integer:
            return "integer";
        case Type::Real:
            return "real";
        case Type::String:
            return "string";
        case Type::Data:
            return "data";
        case Type::Json:
            return "json";
        }
        return "?";
    }

    KeyValueStore() = default;
    KeyValueStore(const KeyValueStore&) = delete;
    KeyValueStore& operator=(const KeyValueStore&) = delete;
    virtual ~KeyValueStore() = default;

    // --- The implementation's part ------------------------------------------------------------
    virtual std::optional<Value> valueForKey(const std::string& key) const = 0;
    // nullopt removes the key.
    virtual void setValue(const std::string& key, std::optional<Value> value) = 0;
    // Every stored key, sorted.
    virtual std::vector<std::string> keys() const = 0;
    // Writes between the two may be committed together, with one sync for all of them; reads
    // see each write at once either way. Batches nest; the outermost end commits.
    virtual void beginBatch() { }
    virtual void endBatch() { }

    class Batch {
    public:
        explicit Batch(KeyValueStore& store)
            : m_store(store)
        {
            m_store.beginBatch();
        }
        ~Batch() { m_store.endBatch(); }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        KeyValueStore& m_store;
    };

    // --- Typed reads ----------------------------------------------------------------------------
    bool boolForKey(const std::string& key) const { return read<bool>(key).value_or(false); }
    std::int64_t integerForKey(const std::string& key) const { return read<std::int64_t>(key).value_or(0); }
    double doubleForKey(const std::string& key) const { return read<double>(key).value_or(0.0); }
    float floatForKey(const std::string& key) const { return static_cast<float>(doubleForKey(key)); }
    std::optional<std::string> stringForKey(const std::string& key) const { return read<std::string>(key); }
    std::optional<Bytes> dataForKey(const std::string& key) const { return read<Bytes>(key); }
    // Structured values (arrays of dictionaries); null when missing.
    nlohmann::json objectForKey(const std::string& key) const
    {
        return read<nlohmann::json>(key).value_or(nlohmann::json());
    }

    // --- Typed writes -----------------------------------------------------------------------------
    // In-place construction throughout: a json alternative would otherwise swallow conversions.
    void setBool(const std::string& key, bool value) { setValue(key, Value(std::in_place_index<0>, value)); }
    void setInteger(const std::string& key, std::int64_t value)
    {
        setValue(key, Value(std::in_place_index<1>, value));
    }
    void setDouble(const std::string& key, double value)
    {
        setValue(key, Value(std::in_place_index<2>, value));
    }
    void setFloat(const std::string& key, float value) { setDouble(key, static_cast<double>(value)); }
    // Writing nothing (nil) removes the key.
    void setString(const std::string& key, std::optional<std::string> value)
    {
        if (!value)
            return removeValue(key);
        setValue(key, Value(std::in_place_index<3>, std::move(*value)));
    }
    void setData(const std::string& key, std::optional<Bytes> value)
    {
        if (!value)
            return removeValue(key);
        setValue(key, Value(std::in_place_index<4>, std::move(*value)));
    }
    void setObject(const std::string& key, nlohmann::json value)
    {
        if (value.is_null())
            return removeValue(key);
        setValue(key, Value(std::in_place_index<5>, std::move(value)));
    }

    bool hasValue(const std::string& key) const { return valueForKey(key).has_value(); }
    void removeValue(const std::string& key) { setValue(key, std::nullopt); }

    // Grows with every write, so a copy kept elsewhere can tell it is out of date.
    std::uint64_t generation() const { return m_generation; }

protected:
    // Every setValue calls this.
    void noteWrite() { ++m_generation; }

private:
    std::uint64_t m_generation = 0;

    template <class T> std::optional<T> read(const std::string& key) const
    {
        std::optional<Value> value = valueForKey(key);
        if (!value)
            return std::nullopt;
        if (T* typed = std::get_if<T>(&*value))
            return std::move(*typed);
        return std::nullopt;
    }
};
