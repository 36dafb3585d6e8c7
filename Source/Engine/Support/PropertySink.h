#pragma once
// Receives a node's properties when something outside the engine describes the node tree
// (the headless runner's dump). The engine only names its values; the receiver decides the
// format, so the engine carries no serialisation library.
//
//     void Sprite::dumpProperties(PropertySink& out) const
//     {
//         TextureNode::dumpProperties(out);
//         out.set("flipX", m_flipX);
//     }

#include <initializer_list>
#include <string>
#include <type_traits>

class PropertySink {
public:
    virtual ~PropertySink() = default;

    virtual void setNull(const char* key) = 0;
    virtual void setBool(const char* key, bool value) = 0;
    virtual void setInteger(const char* key, long long value) = 0;
    virtual void setNumber(const char* key, double value) = 0;
    virtual void setString(const char* key, const std::string& value) = 0;
    // A short tuple: a point, a size, a rectangle.
    virtual void setNumbers(const char* key, std::initializer_list<double> values) = 0;
    // A colour and other small integer tuples.
    virtual void setIntegers(const char* key, std::initializer_list<long long> values) = 0;

    // Nesting: beginObject(key) ... end() is a record under key; beginList(key), then for each
    // element beginRecord() ... end(), then end(), is a list of records.
    virtual void beginObject(const char* key) = 0;
    virtual void beginList(const char* key) = 0;
    virtual void beginRecord() = 0;
    virtual void end() = 0;

    void set(const char* key, bool value) { setBool(key, value); }
    void set(const char* key, const char* value) { setString(key, value); }
    void set(const char* key, const std::string& value) { setString(key, value); }
    template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>, int> = 0>
    void set(const char* key, T value)
    {
        setInteger(key, static_cast<long long>(value));
    }
    template <class T, std::enable_if_t<std::is_floating_point_v<T>, int> = 0>
    void set(const char* key, T value)
    {
        setNumber(key, static_cast<double>(value));
    }
};
