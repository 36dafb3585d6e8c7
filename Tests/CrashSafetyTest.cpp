// Settings survive a kill at any moment: a child writes while the parent SIGKILLs it at random
// times; every write the child saw committed must be there on reopening, in a sound file.
// BONZELAR_KILLS sets the number of kills (`make soak` asks for 2,000).

#include "Platform/SqliteStore.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kKeys = 7;

std::string keyOf(std::int64_t n) { return "k" + std::to_string(n % kKeys); }

// Odd keys hold strings of varying length, some spanning several pages, ending in the number.
void write(SqliteStore& store, std::int64_t n)
{
    if (n % 2 == 0)
        store.setInteger(keyOf(n), n);
    else
        store.setString(keyOf(n), std::string(std::size_t(n * 7919 % 9000), 'x') + ":" + std::to_string(n));
}

std::int64_t numberIn(const KeyValueStore::Value& value)
{
    if (const std::int64_t* n = std::get_if<std::int64_t>(&value))
        return *n;
    if (const std::string* s = std::get_if<std::string>(&value))
        return std::atoll(s->c_str() + s->rfind(':') + 1);
    return -1;
}

[[noreturn]] void writeUntilKilled(const std::string& dir, int report, std::int64_t first)
{
    SqliteStore store(dir);
    for (std::int64_t n = first;; ++n) {
        write(store, n);
        if (::write(report, &n, sizeof n) != sizeof n)
            _exit(1);
    }
}

} // namespace

TEST(CrashSafetyTest, EveryCommittedWriteSurvivesSigkillAtAnyMoment)
{
    const char* requested = std::getenv("BONZELAR_KILLS");
    const int kills = requested ? std::atoi(requested) : 200;
    const std::string dir = ::testing::TempDir() + "crash-safety-" + std::to_string(getpid());
    fs::remove_all(dir);
    std::mt19937 random(std::random_device {}());
    std::map<std::string, std::int64_t> committed;
    int roundsWithWrites = 0;

    for (int round = 0; round < kills; ++round) {
        int pipeFds[2];
        ASSERT_EQ(pipe(pipeFds), 0);
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            close(pipeFds[0]);
            writeUntilKilled(dir, pipeFds[1], std::int64_t(round) * 1000000);
        }
        close(pipeFds[1]);
        // One kill in four lands anywhere from before the store is open; the rest once the
        // writes have begun, however slow the machine is to get there.
        std::int64_t n;
        bool wrote = false;
        if (round % 4 != 0 && read(pipeFds[0], &n, sizeof n) == sizeof n) {
            committed[keyOf(n)] = n;
            wrote = true;
        }
        usleep(std::uniform_int_distribution<useconds_t>(0, 20000)(random));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself in round " << round;
        while (read(pipeFds[0], &n, sizeof n) == sizeof n) {
            committed[keyOf(n)] = n;
            wrote = true;
        }
        close(pipeFds[0]);
        roundsWithWrites += wrote;
    }
    EXPECT_GE(roundsWithWrites, kills / 2) << "too few kills landed during writes to prove much";

    {
        SqliteStore store(dir);
        EXPECT_EQ(store.movedAsidePath(), "");
        for (const auto& [key, n] : committed) {
            const std::optional<KeyValueStore::Value> value = store.valueForKey(key);
            ASSERT_TRUE(value.has_value()) << key;
            // A later write may have committed just before the kill, unreported.
            EXPECT_GE(numberIn(*value), n) << key;
            EXPECT_EQ(keyOf(numberIn(*value)), key);
        }
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((fs::path(dir) / SqliteStore::kFileName).c_str(), &db), SQLITE_OK);
    sqlite3_stmt* check = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(db);
    fs::remove_all(dir);
}
