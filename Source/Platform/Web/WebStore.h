#pragma once
// The settings store on the browser's local storage.
//
// Everything is read once at start into memory; every change is written through at once, so a
// reload or a closed tab keeps it. Storage can be missing (private modes, blocked cookies) or
// full: play goes on with what is in memory, and the first failure is reported once.

#include "Platform/KeyValueStore.h"

#include <functional>
#include <map>
#include <string>

class WebStore final : public KeyValueStore {
public:
    // The page side: read every entry under the prefix, write or remove one. Writes say whether
    // the browser kept the value. Replaceable so the store is tested away from a browser.
    struct Backend {
        std::function<std::map<std::string, std::string>()> readAll;
        std::function<bool(const std::string& key, const std::string* text)> write; // null text removes
    };
    static Backend browserBackend();

    explicit WebStore(Backend backend, std::function<void(const std::string&)> onFirstFailure = {});

    std::optional<Value> valueForKey(const std::string& key) const override;
    void setValue(const std::string& key, std::optional<Value> value) override;
    std::vector<std::string> keys() const override;

    bool failed() const { return m_failed; }

    // One value as text and back; nullopt for text this store did not write.
    static std::string encode(const Value& value);
    static std::optional<Value> decode(const std::string& text);

private:
    Backend m_backend;
    std::function<void(const std::string&)> m_onFirstFailure;
    std::map<std::string, Value> m_values;
    bool m_failed = false;
};
