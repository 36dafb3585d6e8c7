#include "Tooling/ShellHeadless.h"

#include "Classes/Analytics.h"
#include "Classes/Configuration.h"
#include "Platform/HeadlessHost.h"
#include "Platform/KeyValueStore.h"
#include "Tooling/DumpRegistry.h"
#include "Tooling/Script.h"

#include <nettle/sha2.h>

#include <set>

namespace {

std::string sha256Hex(const KeyValueStore::Bytes& bytes)
{
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, bytes.size(), bytes.data());
    std::uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&context, sizeof digest, digest);
    static const char* hex = "0123456789abcdef";
    std::string out;
    for (std::uint8_t byte : digest) {
        out += hex[byte >> 4];
        out += hex[byte & 15];
    }
    return out;
}

nlohmann::json dumpValue(const std::optional<KeyValueStore::Value>& value)
{
    if (!value)
        return nullptr;
    switch (KeyValueStore::typeOf(*value)) {
    case KeyValueStore::Type::Bool:
        return std::get<0>(*value);
    case KeyValueStore::Type::Integer:
        return std::get<1>(*value);
    case KeyValueStore::Type::Real:
        return std::get<2>(*value);
    case KeyValueStore::Type::String:
        return std::get<3>(*value);
    case KeyValueStore::Type::Data: {
        // Pictures: their size and digest tell runs apart without filling the dump.
        const KeyValueStore::Bytes& bytes = std::get<4>(*value);
        return { { "bytes", bytes.size() }, { "sha256", sha256Hex(bytes) } };
    }
    case KeyValueStore::Type::Json:
        return std::get<5>(*value);
    }
    return nullptr;
}

// Every setting, null when unset, and whatever else the store holds (the high scores).
void writeSettings(nlohmann::json& section)
{
    KeyValueStore& store = Host::current().store();
    std::set<std::string> keys(Configuration::keys().begin(), Configuration::keys().end());
    for (const std::string& key : store.keys())
        keys.insert(key);
    for (const std::string& key : keys)
        section[key] = dumpValue(store.valueForKey(key));
}

} // namespace

void installShellHeadless()
{
    DumpRegistry::add("settings", writeSettings);
    // What the route command changed, as the figures' sounds see it.
    DumpRegistry::add("audio", [](nlohmann::json& section) {
        section["headphonesAttached"] = Configuration::current()->headphonesAttached();
    });
    // The usage log's latest records, as a reviewer would read the file.
    DumpRegistry::add("usage", [](nlohmann::json& section) {
        section = nlohmann::json::array();
        for (const std::string& line : Analytics::lastRecords(8)) {
            nlohmann::json record = nlohmann::json::parse(line, nullptr, false);
            if (!record.is_discarded())
                section.push_back(std::move(record));
        }
    });
    ScriptCommands::add("route", [](ScriptArgs& args, ScriptParseState&) -> ScriptAction {
        const std::string route = args.text("route name");
        args.finish();
        return [route](ScriptContext& context) { context.host.setAudioRoute(route); };
    });
}
