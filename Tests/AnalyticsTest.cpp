// The usage log: session records, an exception's trace in named pieces, and the size bound.
#include "Classes/Analytics.h"
#include "Classes/Configuration.h"
#include "Support/FakeHost.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class LogHost : public FakeHost {
public:
    LogHost()
    {
        std::string pattern = (fs::temp_directory_path() / "bonzelar-usage-XXXXXX").string();
        m_dir = mkdtemp(pattern.data());
    }
    ~LogHost() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::string dataDirectory() override { return m_dir; }

private:
    std::string m_dir;
};

class AnalyticsTest : public testing::Test {
protected:
    void SetUp() override { Configuration::resetForTesting(&host.store()); }
    void TearDown() override { Configuration::resetForTesting(nullptr); }
    LogHost host;
};

std::vector<nlohmann::json> lastRecords(std::size_t count)
{
    std::vector<nlohmann::json> records;
    for (const std::string& line : Analytics::lastRecords(count))
        records.push_back(nlohmann::json::parse(line));
    return records;
}

} // namespace

TEST(UsageRecord, WritesJsonThatAParserReadsBackWithBadBytesReplaced)
{
    const std::string text
        = std::string("quote \" back \\ tab \t nul ") + '\0' + " \x01 caf\xC3\xA9 \xF0\x9F\x98\x80";
    const std::string line = UsageRecord()
                                 .add("text", text)
                                 .add("bad",
                                     "a\xC3(b\xED\xA0\x80"
                                     "c\xF0\x9F\x98")
                                 .add("runs", 7)
                                 .add("big", 9007199254740993LL)
                                 .add("date", 1765195763.125)
                                 .add("nan", std::nan(""))
                                 .line();
    EXPECT_EQ(line.find('\n'), std::string::npos);
    const nlohmann::json record = nlohmann::json::parse(line);
    EXPECT_EQ(record["text"], text);
    // Each byte that starts no valid sequence becomes one replacement character.
    EXPECT_EQ(record["bad"], "a\uFFFD(b\uFFFD\uFFFD\uFFFDc\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(record["runs"], 7);
    EXPECT_EQ(record["big"].get<long long>(), 9007199254740993LL);
    EXPECT_EQ(record["date"].get<double>(), 1765195763.125);
    EXPECT_TRUE(record["nan"].is_null());
    // Fields keep the order they were added in.
    EXPECT_EQ(line.rfind("{\"text\":", 0), 0u);
}

TEST_F(AnalyticsTest, SessionsAreLoggedWithRunCountAndVersion)
{
    Configuration::current()->setNumberOfRuns(7);
    Analytics::start();
    host.advance(30);
    Analytics::end();
    const std::vector<nlohmann::json> records = lastRecords(10);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]["event"], "start");
    EXPECT_EQ(records[1]["event"], "end");
    EXPECT_EQ(records[1]["runs"], 7);
    EXPECT_EQ(records[1]["version"], Configuration::current()->version());
    EXPECT_GT(records[1]["date"].get<double>(), 1.6e9);
}

TEST_F(AnalyticsTest, ALongTraceGoesInPiecesOfTwoHundredNamedFromZero)
{
    UncaughtException exception;
    exception.name = "E";
    exception.reason = std::string(447, 'r'); // "E: " and the reason make 450 characters
    testing::internal::CaptureStderr();
    Analytics::logException(exception);
    const std::string console = testing::internal::GetCapturedStderr();
    EXPECT_NE(console.find("Gadroon Exception\n---------------------------\nE: rrr"), std::string::npos);

    const std::string trace = Analytics::stackTrace(exception);
    ASSERT_EQ(trace.size(), 450u);
    const std::vector<nlohmann::json> records = lastRecords(10);
    ASSERT_EQ(records.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(records[i]["name"], "Exception " + std::to_string(i));
        EXPECT_EQ(records[i]["message"], trace.substr(i * 200, 200));
        EXPECT_EQ(records[i]["exception"], "E");
    }
    EXPECT_EQ(records[2]["message"].get<std::string>().size(), 50u);

    // Characters, not bytes: a name in another script is never cut in half.
    const std::string wide = std::string(199, 'a') + "\xC3\xA9" + "b";
    const std::vector<std::string> pieces = Analytics::tracePieces(wide);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0], std::string(199, 'a') + "\xC3\xA9");
    EXPECT_EQ(pieces[1], "b");
    EXPECT_EQ(Analytics::tracePieces(std::string(200, 'x')).size(), 1u);
    EXPECT_TRUE(Analytics::tracePieces("").empty());
}

TEST_F(AnalyticsTest, TheLogRotatesPastItsBoundKeepingOneOldFile)
{
    const UsageRecord record = UsageRecord().add("event", "filler").add("text", std::string(1000, 'f'));
    const std::size_t lineBytes = record.line().size() + 1;
    const std::size_t perFile = Analytics::kMaxLogBytes / lineBytes;
    for (std::size_t i = 0; i < perFile; ++i)
        ASSERT_TRUE(Analytics::append(record));
    EXPECT_FALSE(fs::exists(Analytics::oldLogPath()));
    EXPECT_EQ(fs::file_size(Analytics::logPath()), perFile * lineBytes);

    // One more full line would pass the bound: the file moves aside first.
    const UsageRecord next = UsageRecord().add("event", "next").add("text", std::string(1000, 'f'));
    ASSERT_TRUE(Analytics::append(next));
    EXPECT_EQ(fs::file_size(Analytics::oldLogPath()), perFile * lineBytes);
    EXPECT_EQ(fs::file_size(Analytics::logPath()), next.line().size() + 1);
    // The latest records read across both files, oldest first; a line cut short is skipped.
    std::ofstream(Analytics::logPath(), std::ios::app) << "{\"event\":\"cut";
    const std::vector<nlohmann::json> last = lastRecords(2);
    ASSERT_EQ(last.size(), 2u);
    EXPECT_EQ(last[0]["event"], "filler");
    EXPECT_EQ(last[1]["event"], "next");

    for (std::size_t i = 0; i < perFile + 1; ++i)
        ASSERT_TRUE(Analytics::append(record));
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(host.dataDirectory()))
        files += entry.path().filename().string().rfind("usage.jsonl", 0) == 0;
    EXPECT_EQ(files, 2u);
    EXPECT_LE(fs::file_size(Analytics::logPath()), Analytics::kMaxLogBytes);
}
