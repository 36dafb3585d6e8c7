// One settings row of any tag, storage class and content, read by the store at opening and
// shown as the dump shows it.
#include "Platform/SqliteStore.h"

#include <nlohmann/json.hpp>
#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

const std::string& directory()
{
    static const std::string dir = [] {
        // In memory where there is such a folder: the store syncs every write.
        std::string pattern = std::string(std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp")
            + "/bonzelar-fuzz-store-XXXXXX";
        if (!mkdtemp(pattern.data()))
            std::abort();
        return pattern;
    }();
    return dir;
}

void writeRow(const std::uint8_t* data, std::size_t size)
{
    static const char* const kTags[] = { "bool", "integer", "real", "string", "data", "json", "other" };
    const char* tag = kTags[data[0] % 7];
    const int storage = data[1] % 5;
    data += 2;
    size -= 2;
    const std::string path = directory() + "/" + SqliteStore::kFileName;
    std::filesystem::remove(path);
    sqlite3* db = nullptr;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK
        || sqlite3_exec(db,
               "CREATE TABLE settings (key TEXT PRIMARY KEY NOT NULL, type TEXT NOT NULL, value)", nullptr,
               nullptr, nullptr)
            != SQLITE_OK
        || sqlite3_prepare_v2(db, "INSERT INTO settings VALUES ('gravity', ?1, ?2)", -1, &st, nullptr)
            != SQLITE_OK)
        std::abort();
    sqlite3_bind_text(st, 1, tag, -1, SQLITE_STATIC);
    std::int64_t number = 0;
    std::memcpy(&number, data, size < 8 ? size : 8);
    double real;
    std::memcpy(&real, &number, sizeof real);
    switch (storage) {
    case 0:
        sqlite3_bind_int64(st, 2, number);
        break;
    case 1:
        sqlite3_bind_double(st, 2, real);
        break;
    case 2:
        sqlite3_bind_text64(st, 2, reinterpret_cast<const char*>(data), size, SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
    case 3:
        sqlite3_bind_blob64(st, 2, data, size, SQLITE_TRANSIENT);
        break;
    default:
        sqlite3_bind_null(st, 2);
    }
    if (sqlite3_step(st) != SQLITE_DONE)
        std::abort();
    sqlite3_finalize(st);
    sqlite3_close(db);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    writeRow(data, size);
    SqliteStore store(directory());
    nlohmann::json shown;
    if (std::optional<KeyValueStore::Value> value = store.valueForKey("gravity")) {
        if (const std::string* text = std::get_if<std::string>(&*value))
            shown = *text;
        else if (const nlohmann::json* json = std::get_if<nlohmann::json>(&*value))
            shown = *json;
    }
    (void)store.floatForKey("gravity");
    (void)store.integerForKey("gravity");
    (void)store.objectForKey("gravity");
    (void)shown.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
    return 0;
}
