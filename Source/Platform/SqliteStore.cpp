#include "Platform/SqliteStore.h"
#include "Platform/Log.h"

#include <sqlite3.h>

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kCreateTable
    = "CREATE TABLE IF NOT EXISTS settings (key TEXT PRIMARY KEY NOT NULL, type TEXT NOT NULL, value)";
constexpr const char* kSelectAll = "SELECT key, type, value FROM settings";
constexpr const char* kUpsert = "INSERT OR REPLACE INTO settings (key, type, value) VALUES (?1, ?2, ?3)";
constexpr const char* kDelete = "DELETE FROM settings WHERE key = ?1";

bool isDamage(int rc)
{
    const int primary = rc & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

std::string errorText(sqlite3* db, int rc)
{
    if (db != nullptr && sqlite3_errcode(db) == rc)
        return sqlite3_errmsg(db);
    return sqlite3_errstr(rc);
}

std::string columnText(sqlite3_stmt* st, int column)
{
    const unsigned char* text = sqlite3_column_text(st, column);
    return text ? std::string(reinterpret_cast<const char*>(text), sqlite3_column_bytes(st, column))
                : std::string();
}

// Structured values here are a few levels deep (the high-score list); a value nested far deeper
// was not written by this program, and copying or printing it would recurse off the stack.
constexpr int kMaxJsonDepth = 64;

bool nestedWithin(const std::string& text, int limit)
{
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit)
                return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

// Decodes one row; false for a row this program did not write (unknown tag, wrong storage).
bool decodeValue(sqlite3_stmt* st, const std::string& tag, KeyValueStore::Value& out)
{
    const int storage = sqlite3_column_type(st, 2);
    if (tag == "bool" && storage == SQLITE_INTEGER) {
        out.emplace<0>(sqlite3_column_int64(st, 2) != 0);
    } else if (tag == "integer" && storage == SQLITE_INTEGER) {
        out.emplace<1>(sqlite3_column_int64(st, 2));
    } else if (tag == "real" && (storage == SQLITE_FLOAT || storage == SQLITE_INTEGER)) {
        out.emplace<2>(sqlite3_column_double(st, 2));
    } else if (tag == "string" && storage == SQLITE_TEXT) {
        out.emplace<3>(columnText(st, 2));
    } else if (tag == "data" && storage == SQLITE_BLOB) {
        const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(st, 2));
        const int size = sqlite3_column_bytes(st, 2);
        out.emplace<4>(bytes, bytes + (bytes ? size : 0));
    } else if (tag == "json" && storage == SQLITE_TEXT) {
        const std::string text = columnText(st, 2);
        if (!nestedWithin(text, kMaxJsonDepth))
            return false;
        nlohmann::json parsed = nlohmann::json::parse(text, nullptr, false);
        if (parsed.is_discarded())
            return false;
        out.emplace<5>(std::move(parsed));
    } else {
        return false;
    }
    return true;
}

enum class LoadResult { Ok, Damaged, Failed };

LoadResult loadRows(sqlite3* db, std::map<std::string, KeyValueStore::Value>& values, std::string& why)
{
    values.clear();
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, kSelectAll, -1, &st, nullptr);
    if (rc != SQLITE_OK) {
        why = errorText(db, rc);
        // A settings table of another shape is as unusable as a broken one.
        const int primary = rc & 0xff;
        return (isDamage(rc) || primary == SQLITE_ERROR) ? LoadResult::Damaged : LoadResult::Failed;
    }
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        if (sqlite3_column_type(st, 0) != SQLITE_TEXT)
            continue;
        const std::string key = columnText(st, 0);
        KeyValueStore::Value value;
        if (decodeValue(st, columnText(st, 1), value))
            values[key] = std::move(value);
        else
            logLine(
                LogLevel::Warning, "Settings store: ignoring the unreadable value of \"%s\"", key.c_str());
    }
    sqlite3_finalize(st);
    if (rc == SQLITE_DONE)
        return LoadResult::Ok;
    values.clear();
    why = errorText(db, rc);
    return isDamage(rc) ? LoadResult::Damaged : LoadResult::Failed;
}

// True for a missing or empty file too: SQLite makes those into a new database.
bool hasDatabaseHeader(const std::string& path)
{
    static const char magic[16]
        = { 'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f', 'o', 'r', 'm', 'a', 't', ' ', '3', '\0' };
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return true;
    char head[16];
    const size_t n = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    return n == 0 || (n == sizeof head && std::memcmp(head, magic, sizeof head) == 0);
}

std::string utcStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc {};
    gmtime_r(&now, &utc);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%dT%H%M%SZ", &utc);
    return buf;
}

// Path as a file: URI, for the read-only fallback.
std::string fileURI(const std::string& path)
{
    static const char* hex = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
}

} // namespace

SqliteStore::SqliteStore(const std::string& dataDirectory)
    : m_path((fs::path(dataDirectory) / kFileName).string())
{
    // Under a file-size limit the kernel would end the game with SIGXFSZ at the first write;
    // ignored, the write fails with EFBIG and is reported like a full disk.
    struct sigaction current;
    if (sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
        std::signal(SIGXFSZ, SIG_IGN);

    std::error_code ec;
    fs::create_directories(dataDirectory, ec);

    std::string why;
    OpenResult result = open(why);
    if (result == OpenResult::Damaged) {
        close();
        const std::string damage = why;
        if (!moveAside()) {
            logLine(LogLevel::Warning,
                "Settings store %s is damaged (%s) and could not be moved aside; starting with fresh "
                "settings "
                "that will not be kept.\n",
                m_path.c_str(), damage.c_str());
            m_writeFailureReported = true;
            return;
        }
        logLine(LogLevel::Warning,
            "Settings store %s was damaged (%s); moved it aside as %s and starting with fresh settings.",
            m_path.c_str(), damage.c_str(), m_movedAsidePath.c_str());
        result = open(why);
    }
    if (result != OpenResult::Ok) {
        close();
        const bool current = result != OpenResult::Failed || loadReadOnly();
        logLine(LogLevel::Warning,
            "Settings store %s could not be opened (%s); changes will not be kept after this run%s.",
            m_path.c_str(), why.c_str(),
            current ? "" : ", and the settings shown may be older than the last ones saved");
        // That line is the one report: later refused writes say nothing more.
        m_writeFailureReported = true;
    }
}

SqliteStore::~SqliteStore() { close(); }

SqliteStore::OpenResult SqliteStore::open(std::string& why)
{
    // SQLite would fold a journal beside a file that is no database into nothing on closing;
    // caught here, both go aside untouched.
    if (!hasDatabaseHeader(m_path)) {
        why = "file is not a database";
        return OpenResult::Damaged;
    }
    int rc = sqlite3_open_v2(m_path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    if (rc != SQLITE_OK) {
        why = errorText(m_db, rc);
        return isDamage(rc) ? OpenResult::Damaged : OpenResult::Failed;
    }
    sqlite3_extended_result_codes(m_db, 1);
    // Another copy of the game may hold the write lock for a moment.
    sqlite3_busy_timeout(m_db, 2000);

    for (const char* sql : { "PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL" }) {
        rc = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            why = errorText(m_db, rc);
            return isDamage(rc) ? OpenResult::Damaged : OpenResult::Failed;
        }
    }

    // Damage inside the pages shows up here rather than as a wrong value later.
    sqlite3_stmt* check = nullptr;
    rc = sqlite3_prepare_v2(m_db, "PRAGMA quick_check", -1, &check, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(check);
        if (rc == SQLITE_ROW) {
            const std::string verdict = columnText(check, 0);
            if (verdict != "ok") {
                sqlite3_finalize(check);
                why = verdict;
                return OpenResult::Damaged;
            }
            rc = SQLITE_OK;
        }
        sqlite3_finalize(check);
    }
    if (rc != SQLITE_OK && rc != SQLITE_DONE) {
        why = errorText(m_db, rc);
        return isDamage(rc) ? OpenResult::Damaged : OpenResult::Failed;
    }

    rc = sqlite3_exec(m_db, kCreateTable, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        why = errorText(m_db, rc);
        return isDamage(rc) ? OpenResult::Damaged : OpenResult::Failed;
    }

    switch (loadRows(m_db, m_values, why)) {
    case LoadResult::Ok:
        break;
    case LoadResult::Damaged:
        return OpenResult::Damaged;
    case LoadResult::Failed:
        return OpenResult::Failed;
    }

    for (auto [sql, stmt] : { std::pair { kUpsert, &m_upsert }, std::pair { kDelete, &m_delete } }) {
        rc = sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, stmt, nullptr);
        if (rc != SQLITE_OK) {
            why = errorText(m_db, rc);
            return (isDamage(rc) || (rc & 0xff) == SQLITE_ERROR) ? OpenResult::Damaged : OpenResult::Failed;
        }
    }
    return OpenResult::Ok;
}

// SQLite cannot read a WAL database whose folder refuses it the shared-memory file, so the
// database and its journal are read from copies in a scratch folder, where the journal is folded
// in as usual.
static bool loadFromCopy(const std::string& path, std::map<std::string, KeyValueStore::Value>& values)
{
    std::error_code ec;
    std::string base = "/tmp";
    if (const char* tmp = std::getenv("TMPDIR"); tmp && tmp[0] == '/')
        base = tmp;
    std::string scratch = base + "/bonzelar-settings-XXXXXX";
    if (!mkdtemp(scratch.data()))
        return false;
    const fs::path copy = fs::path(scratch) / fs::path(path).filename();
    bool loaded = fs::copy_file(path, copy, ec) && fs::copy_file(path + "-wal", copy.string() + "-wal", ec);
    if (loaded) {
        sqlite3* db = nullptr;
        std::string why;
        loaded = sqlite3_open_v2(copy.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
            && loadRows(db, values, why) == LoadResult::Ok;
        sqlite3_close_v2(db);
    }
    fs::remove_all(scratch, ec);
    return loaded;
}

bool SqliteStore::loadReadOnly()
{
    std::error_code ec;
    bool current = true;
    if (fs::exists(m_path + "-wal", ec)) {
        if (loadFromCopy(m_path, m_values))
            return true;
        current = false;
    }
    // Best effort so a read-only disk still shows the player's settings.
    sqlite3* db = nullptr;
    const std::string uri = fileURI(m_path) + "?immutable=1";
    if (sqlite3_open_v2(uri.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) == SQLITE_OK) {
        std::string why;
        if (loadRows(db, m_values, why) != LoadResult::Ok)
            m_values.clear();
    }
    sqlite3_close_v2(db);
    return current;
}

void SqliteStore::close()
{
    sqlite3_finalize(m_upsert);
    sqlite3_finalize(m_delete);
    m_upsert = m_delete = nullptr;
    if (m_db != nullptr)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool SqliteStore::moveAside()
{
    std::error_code ec;
    const std::string base = m_path + ".corrupt-" + utcStamp();
    std::string target = base;
    for (int n = 2; fs::exists(target, ec) && n < 1000; ++n)
        target = base + "-" + std::to_string(n);

    fs::rename(m_path, target, ec);
    if (ec && fs::exists(m_path))
        return false;
    m_movedAsidePath = target;
    // Keep the journal with its database (SQLite finds it by name); a journal left behind
    // would be replayed into the fresh file.
    for (const char* suffix : { "-wal", "-shm" }) {
        const std::string from = m_path + suffix;
        if (!fs::exists(from, ec))
            continue;
        fs::rename(from, target + suffix, ec);
        if (ec && !fs::remove(from, ec) && fs::exists(from))
            return false;
    }
    return true;
}

std::optional<KeyValueStore::Value> SqliteStore::valueForKey(const std::string& key) const
{
    auto it = m_values.find(key);
    if (it == m_values.end())
        return std::nullopt;
    return it->second;
}

std::vector<std::string> SqliteStore::keys() const
{
    std::vector<std::string> out;
    out.reserve(m_values.size());
    for (const auto& entry : m_values)
        out.push_back(entry.first);
    return out;
}

void SqliteStore::beginBatch()
{
    // Without a transaction every write still commits on its own: slower, never lost.
    if (m_batchDepth++ == 0 && m_db)
        m_inTransaction = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
}

void SqliteStore::endBatch()
{
    if (m_batchDepth == 0 || --m_batchDepth > 0 || !m_inTransaction)
        return;
    m_inTransaction = false;
    const int rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        reportWriteFailure(errorText(m_db, rc));
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void SqliteStore::setValue(const std::string& key, std::optional<Value> value)
{
    noteWrite();
    std::string why;
    if (!persist(key, value, why))
        reportWriteFailure(why);
    // Updated even when the disk refused, so the rest of the run sees what was set.
    if (value)
        m_values[key] = std::move(*value);
    else
        m_values.erase(key);
}

bool SqliteStore::persist(const std::string& key, const std::optional<Value>& value, std::string& why)
{
    if (m_db == nullptr) {
        why = "the store is not open";
        return false;
    }
    sqlite3_stmt* st = value ? m_upsert : m_delete;
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    sqlite3_bind_text64(st, 1, key.data(), key.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    std::string jsonText;
    if (value) {
        sqlite3_bind_text(st, 2, typeName(typeOf(*value)), -1, SQLITE_STATIC);
        switch (typeOf(*value)) {
        case Type::Bool:
            sqlite3_bind_int(st, 3, std::get<0>(*value) ? 1 : 0);
            break;
        case Type::Integer:
            sqlite3_bind_int64(st, 3, std::get<1>(*value));
            break;
        case Type::Real:
            sqlite3_bind_double(st, 3, std::get<2>(*value));
            break;
        case Type::String: {
            const std::string& text = std::get<3>(*value);
            sqlite3_bind_text64(st, 3, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        case Type::Data: {
            const Bytes& bytes = std::get<4>(*value);
            // An empty blob bound by pointer would become NULL.
            if (bytes.empty())
                sqlite3_bind_zeroblob(st, 3, 0);
            else
                sqlite3_bind_blob64(st, 3, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
            break;
        }
        case Type::Json:
            jsonText = std::get<5>(*value).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
            sqlite3_bind_text64(st, 3, jsonText.data(), jsonText.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
    }
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE)
        why = errorText(m_db, rc);
    sqlite3_reset(st);
    return rc == SQLITE_DONE;
}

void SqliteStore::reportWriteFailure(const std::string& why)
{
    if (m_writeFailureReported)
        return;
    m_writeFailureReported = true;
    logLine(LogLevel::Warning,
        "Settings store %s: a change could not be saved (%s); the game goes on with its settings, but "
        "changes "
        "may not be kept.\n",
        m_path.c_str(), why.c_str());
}
