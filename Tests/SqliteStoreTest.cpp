#include "Platform/SqliteStore.h"
#include "Platform/MemoryStore.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct TempDir {
    TempDir()
    {
        std::string pattern = (fs::temp_directory_path() / "bonzelar-store-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string file(const std::string& name) const { return (fs::path(path) / name).string(); }
    std::string path;
};

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

int countLines(const std::string& text, const std::string& needle)
{
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

// Fills the kinds of value the game stores, the high-score list among them.
void fill(KeyValueStore& store)
{
    store.setBool("flag", true);
    store.setInteger("runs", 1LL << 40);
    store.setFloat("gravity", 150.0f);
    store.setDouble("precise", 0.1);
    store.setString("name", std::string("Nerd \xC3\xA9"));
    store.setData("face", KeyValueStore::Bytes { 0, 1, 2, 255, 0 });
    store.setData("empty", KeyValueStore::Bytes {});
    store.setObject(
        "HighScores", nlohmann::json::parse(R"([{"Score":42,"PlayTime":61.5,"Date":1267747200}])"));
}

void expectFilled(const KeyValueStore& store)
{
    EXPECT_TRUE(store.boolForKey("flag"));
    EXPECT_EQ(store.integerForKey("runs"), 1LL << 40);
    EXPECT_EQ(store.floatForKey("gravity"), 150.0f);
    EXPECT_EQ(store.doubleForKey("precise"), 0.1);
    EXPECT_EQ(store.stringForKey("name"), std::string("Nerd \xC3\xA9"));
    EXPECT_EQ(store.dataForKey("face"), (KeyValueStore::Bytes { 0, 1, 2, 255, 0 }));
    // Empty data is still data, not nil.
    ASSERT_TRUE(store.dataForKey("empty").has_value());
    EXPECT_TRUE(store.dataForKey("empty")->empty());
    const nlohmann::json scores = store.objectForKey("HighScores");
    ASSERT_TRUE(scores.is_array());
    EXPECT_EQ(scores[0]["Score"], 42);
    EXPECT_EQ(scores[0]["PlayTime"], 61.5);
}

} // namespace

TEST(SqliteStore, EveryTypeSurvivesReopeningAndMissingKeysReadEmpty)
{
    TempDir dir;
    {
        SqliteStore store(dir.path);
        ASSERT_TRUE(store.isPersistent());
        fill(store);
        expectFilled(store);
    }
    SqliteStore store(dir.path);
    expectFilled(store);
    EXPECT_EQ(store.keys(),
        (std::vector<std::string> {
            "HighScores", "empty", "face", "flag", "gravity", "name", "precise", "runs" }));

    EXPECT_FALSE(store.boolForKey("nothing"));
    EXPECT_EQ(store.integerForKey("nothing"), 0);
    EXPECT_EQ(store.floatForKey("nothing"), 0.0f);
    EXPECT_FALSE(store.stringForKey("nothing").has_value());
    EXPECT_FALSE(store.dataForKey("nothing").has_value());
    EXPECT_TRUE(store.objectForKey("nothing").is_null());

    // Writing nil removes, and the removal is saved too.
    store.setString("name", std::nullopt);
    store.setData("face", std::nullopt);
    store.setObject("HighScores", nullptr);
    store.removeValue("flag");
    SqliteStore again(dir.path);
    for (const char* key : { "name", "face", "HighScores", "flag" })
        EXPECT_FALSE(again.hasValue(key)) << key;
    EXPECT_TRUE(again.hasValue("runs"));
}

TEST(SqliteStore, AValueOfAnotherTypeReadsAsTheEmptyValue)
{
    TempDir dir;
    SqliteStore sqlite(dir.path);
    MemoryStore memory;
    for (KeyValueStore* store :
        { static_cast<KeyValueStore*>(&sqlite), static_cast<KeyValueStore*>(&memory) }) {
        store->setString("s", std::string("YES"));
        store->setDouble("d", 2.5);
        store->setInteger("i", 7);
        store->setData("b", KeyValueStore::Bytes { 1 });
        store->setObject("j", nlohmann::json::array({ 1, 2 }));
        EXPECT_FALSE(store->boolForKey("s"));
        EXPECT_EQ(store->integerForKey("d"), 0);
        EXPECT_EQ(store->doubleForKey("i"), 0.0);
        EXPECT_FALSE(store->stringForKey("b").has_value());
        EXPECT_FALSE(store->dataForKey("j").has_value());
        EXPECT_TRUE(store->objectForKey("s").is_null());
        // The value itself is untouched by the wrong read.
        EXPECT_EQ(store->stringForKey("s"), std::string("YES"));
    }
}

TEST(SqliteStore, KeysAndValuesThatLookLikeSqlAreStoredAsText)
{
    TempDir dir;
    const std::string key = "x'); DROP TABLE settings; --";
    {
        SqliteStore store(dir.path);
        store.setString(key, std::string("'; DELETE FROM settings; --"));
        store.setInteger("other", 3);
    }
    SqliteStore store(dir.path);
    EXPECT_EQ(store.stringForKey(key), std::string("'; DELETE FROM settings; --"));
    EXPECT_EQ(store.integerForKey("other"), 3);
}

TEST(SqliteStore, AFileThatIsNotADatabaseIsMovedAsideWithItsJournal)
{
    TempDir dir;
    const std::string db = dir.file(SqliteStore::kFileName);
    writeFile(db, std::string(5000, 'x'));
    writeFile(db + "-wal", "not a journal");

    testing::internal::CaptureStderr();
    std::string asidePath;
    {
        SqliteStore store(dir.path);
        const std::string console = testing::internal::GetCapturedStderr();
        EXPECT_EQ(countLines(console, "\n"), 1) << console;
        EXPECT_NE(console.find("moved it aside"), std::string::npos) << console;

        asidePath = store.movedAsidePath();
        EXPECT_TRUE(std::regex_match(fs::path(asidePath).filename().string(),
            std::regex(R"(settings\.sqlite3\.corrupt-\d{8}T\d{6}Z)")))
            << asidePath;
        EXPECT_TRUE(store.isPersistent());
        EXPECT_TRUE(store.keys().empty());
        store.setInteger("numberOfRuns", 1);
    }
    // Nothing of the damaged file is lost: it is kept whole beside the fresh one.
    EXPECT_EQ(readFile(asidePath), std::string(5000, 'x'));
    EXPECT_EQ(readFile(asidePath + "-wal"), "not a journal");

    testing::internal::CaptureStderr();
    SqliteStore store(dir.path);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(store.integerForKey("numberOfRuns"), 1);
    EXPECT_EQ(store.movedAsidePath(), "");
}

TEST(SqliteStore, ADamagedTableIsMovedAside)
{
    TempDir dir;
    const std::string db = dir.file(SqliteStore::kFileName);
    {
        SqliteStore store(dir.path);
        for (int i = 0; i < 200; ++i)
            store.setString("key" + std::to_string(i), std::string(100, 'a' + i % 26));
    }
    ASSERT_FALSE(fs::exists(db + "-wal")) << "closing should fold the journal back";
    // Scribble over the start of the page after the schema page: the settings table's root.
    std::string bytes = readFile(db);
    ASSERT_GT(bytes.size(), 3 * 4096u);
    for (int i = 0; i < 64; ++i)
        bytes[4096 + i] = static_cast<char>(0xA5);
    writeFile(db, bytes);

    testing::internal::CaptureStderr();
    SqliteStore store(dir.path);
    const std::string console = testing::internal::GetCapturedStderr();
    EXPECT_NE(store.movedAsidePath(), "") << console;
    EXPECT_NE(console.find("was damaged"), std::string::npos) << console;
    EXPECT_TRUE(store.isPersistent());
    EXPECT_TRUE(store.keys().empty());
}

TEST(SqliteStore, AnUnusableLocationKeepsValuesForTheRunAndSaysSoOnce)
{
    TempDir dir;
    // A file where the data directory should be: nothing can be created under it.
    const std::string notADirectory = dir.file("data");
    writeFile(notADirectory, "file");

    testing::internal::CaptureStderr();
    SqliteStore store(notADirectory);
    store.setInteger("numberOfRuns", 4);
    store.setBool("playSoundFx", true);
    const std::string console = testing::internal::GetCapturedStderr();

    EXPECT_FALSE(store.isPersistent());
    EXPECT_EQ(countLines(console, "\n"), 1) << console;
    EXPECT_EQ(store.integerForKey("numberOfRuns"), 4);
    EXPECT_TRUE(store.boolForKey("playSoundFx"));
    EXPECT_EQ(readFile(notADirectory), "file");
}

TEST(SqliteStore, WritesRefusedByAFullDiskAreReportedOnceAndSeenForTheRun)
{
    TempDir dir;
    int console[2];
    ASSERT_EQ(pipe(console), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(console[1], STDERR_FILENO);
        int failures = 0;
        {
            SqliteStore store(dir.path);
            store.setInteger("saved", 1);
            // The file-size limit is how a full disk looks to the writer: EFBIG instead of ENOSPC.
            signal(SIGXFSZ, SIG_IGN);
            std::error_code ec;
            const auto walSize = fs::file_size(store.path() + "-wal", ec);
            rlimit limit { static_cast<rlim_t>(walSize), RLIM_INFINITY };
            setrlimit(RLIMIT_FSIZE, &limit);
            for (int i = 0; i < 5; ++i)
                store.setData(
                    "face" + std::to_string(i), KeyValueStore::Bytes(20000, static_cast<std::uint8_t>(i)));
            for (int i = 0; i < 5; ++i)
                failures += store.dataForKey("face" + std::to_string(i)) != KeyValueStore::Bytes(20000, i);
            failures += store.integerForKey("saved") != 1;
        }
        _exit(failures);
    }
    close(console[1]);
    std::string output;
    char buf[512];
    for (ssize_t n; (n = read(console[0], buf, sizeof buf)) > 0;)
        output.append(buf, static_cast<size_t>(n));
    close(console[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "reads in the failing run did not see the writes";
    EXPECT_EQ(countLines(output, "could not be saved"), 1) << output;
    EXPECT_EQ(countLines(output, "\n"), 1) << output;

    // What had been saved before the disk filled up is still there, and the file is sound.
    SqliteStore store(dir.path);
    EXPECT_EQ(store.movedAsidePath(), "");
    EXPECT_EQ(store.integerForKey("saved"), 1);
}

// The guarantee the journal settings buy: a write that has returned is on disk, whatever
// moment the process dies at.
TEST(SqliteStore, EveryReturnedWriteSurvivesAKill)
{
    TempDir dir;
    const unsigned seed = std::random_device {}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    constexpr int kKeys = 5;

    auto keyFor = [](int round, std::int64_t j) {
        return "r" + std::to_string(round) + "-k" + std::to_string(j % kKeys);
    };
    auto payload = [](std::int64_t j) {
        KeyValueStore::Bytes bytes(64 + j % 300, static_cast<std::uint8_t>(j));
        for (int i = 0; i < 8; ++i)
            bytes[i] = static_cast<std::uint8_t>(j >> (8 * i));
        return bytes;
    };
    // The write number a stored value was made by, or -1 if it is not one this test wrote.
    auto writeNumber = [&](const KeyValueStore& store, const std::string& key) -> std::int64_t {
        const auto value = store.valueForKey(key);
        if (!value)
            return -1;
        switch (KeyValueStore::typeOf(*value)) {
        case KeyValueStore::Type::Integer:
            return std::get<1>(*value);
        case KeyValueStore::Type::Real:
            return static_cast<std::int64_t>(std::get<2>(*value));
        case KeyValueStore::Type::String:
            return std::stoll(std::get<3>(*value).substr(6));
        case KeyValueStore::Type::Json:
            return std::get<5>(*value)[0]["j"].get<std::int64_t>();
        case KeyValueStore::Type::Data: {
            const auto& bytes = std::get<4>(*value);
            if (bytes.size() < 8)
                return -2;
            std::int64_t j = 0;
            for (int i = 0; i < 8; ++i)
                j |= static_cast<std::int64_t>(bytes[i]) << (8 * i);
            return bytes == payload(j) ? j : -2;
        }
        default:
            return -2;
        }
    };

    std::map<std::string, std::int64_t> settled; // keys of earlier rounds, checked again each time
    for (int round = 0; round < 30; ++round) {
        int reports[2];
        ASSERT_EQ(pipe(reports), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(reports[0]);
            SqliteStore store(dir.path);
            for (std::int64_t j = 0;; ++j) {
                const std::string key = keyFor(round, j);
                switch (j % kKeys) {
                case 0:
                    store.setInteger(key, j);
                    break;
                case 1:
                    store.setString(key, "value-" + std::to_string(j));
                    break;
                case 2:
                    store.setData(key, payload(j));
                    break;
                case 3:
                    store.setObject(
                        key, nlohmann::json::array({ { { "j", j }, { "pad", std::string(j % 50, 'p') } } }));
                    break;
                case 4:
                    store.setDouble(key, static_cast<double>(j) + 0.25);
                    break;
                }
                if (write(reports[1], &j, sizeof j) != sizeof j)
                    _exit(3);
            }
        }
        close(reports[1]);

        // Kill after a random number of returned writes, at a random moment within the next.
        const int before = std::uniform_int_distribution<int>(0, 25)(random);
        std::int64_t last = -1;
        std::map<std::string, std::int64_t> lastFor;
        auto take = [&](std::int64_t j) {
            last = j;
            lastFor[keyFor(round, j)] = j;
        };
        for (int i = 0; i < before; ++i) {
            std::int64_t j;
            if (read(reports[0], &j, sizeof j) != sizeof j)
                break;
            take(j);
        }
        usleep(std::uniform_int_distribution<int>(0, 3000)(random));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself in round " << round;
        for (std::int64_t j; read(reports[0], &j, sizeof j) == sizeof j;)
            take(j);
        close(reports[0]);

        SqliteStore store(dir.path);
        ASSERT_EQ(store.movedAsidePath(), "") << "round " << round;
        for (int k = 0; k < kKeys; ++k) {
            const std::string key = "r" + std::to_string(round) + "-k" + std::to_string(k);
            const std::int64_t found = writeNumber(store, key);
            // Either the last reported write of the key, or the one write that finished after
            // the last report.
            const auto reported = lastFor.find(key);
            const std::int64_t expected = reported == lastFor.end() ? -1 : reported->second;
            const bool inFlight = found == last + 1 && found % kKeys == k;
            EXPECT_TRUE(found == expected || inFlight)
                << "round " << round << " key " << key << ": found write " << found << ", last reported "
                << expected << ", last overall " << last;
            settled[key] = found;
        }
        for (const auto& [key, j] : settled)
            EXPECT_EQ(writeNumber(store, key), j) << "round " << round << " lost " << key;
    }
}
