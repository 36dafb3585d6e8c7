#pragma once
// The settings store on disk: `settings.sqlite3` in the data directory, one row per key.
//
// Every write is its own committed transaction in a WAL journal with synchronous=FULL, so a
// write that has returned survives a crash or a power cut. The rows are read once at opening
// and kept in memory; that copy also carries writes the disk refused, so the run goes on with
// the values it has.
//
// A file that is not a readable database is never a reason not to start: it is moved aside
// as `settings.sqlite3.corrupt-<UTC time>` and the store starts empty.

#include "Platform/KeyValueStore.h"

#include <map>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

class SqliteStore final : public KeyValueStore {
public:
    static constexpr const char* kFileName = "settings.sqlite3";

    explicit SqliteStore(const std::string& dataDirectory);
    ~SqliteStore() override;

    std::optional<Value> valueForKey(const std::string& key) const override;
    void setValue(const std::string& key, std::optional<Value> value) override;
    std::vector<std::string> keys() const override;
    void beginBatch() override;
    void endBatch() override;

    const std::string& path() const { return m_path; }
    // False when the file could not be opened for writing: values then last only for this run.
    bool isPersistent() const { return m_db != nullptr; }
    // Where a damaged file was moved at opening, or "" when none was.
    const std::string& movedAsidePath() const { return m_movedAsidePath; }

private:
    enum class OpenResult { Ok, Damaged, Failed };

    OpenResult open(std::string& why);
    OpenResult load(std::string& why);
    // False when a journal beside the file could not be read, so the values may be stale.
    bool loadReadOnly();
    void close();
    bool moveAside();
    bool persist(const std::string& key, const std::optional<Value>& value, std::string& why);
    void reportWriteFailure(const std::string& why);

    std::string m_path;
    std::string m_movedAsidePath;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_upsert = nullptr;
    sqlite3_stmt* m_delete = nullptr;
    std::map<std::string, Value> m_values;
    bool m_writeFailureReported = false;
    int m_batchDepth = 0;
    bool m_inTransaction = false;
};
