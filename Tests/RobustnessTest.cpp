// The real program against damaged settings and a hostile environment: each case is a way the
// game once crashed, froze or lost settings at start.

#include "Platform/SqliteStore.h"
#include "Tooling/Script.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sqlite3.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::size_t count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class RobustnessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::path(::testing::TempDir())
            / ("robust-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-"
                + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "data");
        fs::create_directories(m_dir / "out");
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::permissions(m_dir / "data", fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_dir, ignored);
    }

    std::string data() const { return (m_dir / "data").string(); }
    std::string out(const std::string& name) const { return (m_dir / "out" / name).string(); }

    // Starts the program with its output in files; `inChild` runs just before exec.
    pid_t start(const std::vector<std::string>& arguments, const std::function<void()>& inChild = {})
    {
        std::vector<std::string> args = { BONZELAR_HEADLESS_EXE, "--data-dir", data() };
        args.insert(args.end(), arguments.begin(), arguments.end());
        const pid_t pid = fork();
        if (pid == 0) {
            const int o = open(out("stdout").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            const int e = open(out("stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            dup2(o, 1);
            dup2(e, 2);
            if (inChild)
                inChild();
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        return pid;
    }
    // Exit status, or 128 + the signal that ended it; -1 if still running after `seconds`.
    int finish(pid_t pid, double seconds = 120)
    {
        int status = 0;
        const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > until) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                m_stderr = readFile(out("stderr"));
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        m_stderr = readFile(out("stderr"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    int run(const std::vector<std::string>& arguments, const std::function<void()>& inChild = {})
    {
        return finish(start(arguments, inChild));
    }
    nlohmann::json settingsDump()
    {
        return nlohmann::json::parse(readFile(out("dump.json")), nullptr, false)["settings"];
    }

    fs::path m_dir;
    std::string m_stderr;
};

} // namespace

TEST_F(RobustnessTest, DamagedSettingsStartTheGameWithOneMessageEach)
{
    ASSERT_EQ(run({ "--frames", "2" }), 0) << m_stderr; // the first run's defaults
    {
        SqliteStore store(data());
        store.setString("backgroundImage", std::string());
        store.setString("ballImage", std::string("../Resources/Ball1.png"));
        store.setDouble("gravity", 1e20);
        store.setDouble("damping", 1e30);
        store.setInteger("numberOfBalls", 2147483647);
        store.setString("ragdollClass",
            std::string("N\xff\xfe"
                        "rd"));
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((fs::path(data()) / SqliteStore::kFileName).c_str(), &db), SQLITE_OK);
    const std::string deep = "INSERT OR REPLACE INTO settings VALUES ('HighScores', 'json', '"
        + std::string(100000, '[') + std::string(100000, ']') + "')";
    ASSERT_EQ(sqlite3_exec(db, deep.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);

    ASSERT_EQ(run({ "--frames", "120", "--dump", out("dump.json") }), 0) << m_stderr;
    const nlohmann::json settings = settingsDump();
    ASSERT_TRUE(settings.is_object()) << readFile(out("dump.json"));
    EXPECT_EQ(settings["ragdollClass"], "N\xef\xbf\xbd\xef\xbf\xbdrd");
    EXPECT_EQ(count(m_stderr, "Setting backgroundImage names no picture"), 1u) << m_stderr;
    EXPECT_EQ(count(m_stderr, "Setting ballImage names no picture"), 1u) << m_stderr;
    EXPECT_EQ(count(m_stderr, "Image is Null"), 0u) << m_stderr;
}

TEST_F(RobustnessTest, SigtermAndSigintStopTheRunner)
{
    std::ofstream(out("ready.txt")) << "at 2\ndump " << out("ready.json") << "\n";
    for (const int signal : { SIGTERM, SIGINT }) {
        fs::remove(out("ready.json"));
        const pid_t pid = start({ "--frames", "100000000", "--script", out("ready.txt") });
        // Frames running: past start-up, where SDL would have put in its own handlers.
        for (int i = 0; i < 3000 && !fs::exists(out("ready.json")); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        kill(pid, signal);
        EXPECT_EQ(finish(pid, 20), 128 + signal) << m_stderr;
        EXPECT_NE(m_stderr.find("stopped"), std::string::npos) << m_stderr;
    }
}

TEST_F(RobustnessTest, AFileSizeLimitIsTakenAsAFullDisk)
{
    // As `ulimit -f 8`: 8 KiB, less than the first run's journal.
    const int status = run({ "--frames", "30" }, [] {
        const rlimit limit { 8 * 1024, 8 * 1024 };
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(status, 0) << m_stderr;
    EXPECT_EQ(count(m_stderr, "Settings store"), 1u) << m_stderr;
}

TEST_F(RobustnessTest, AReadOnlyFolderWithAnUnfoldedJournalShowsTheLatestSettings)
{
    ASSERT_EQ(run({ "--frames", "2" }), 0) << m_stderr;
    const std::string file = (fs::path(data()) / SqliteStore::kFileName).string();
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    ASSERT_EQ(sqlite3_exec(
                  db, "UPDATE settings SET value = 321.0 WHERE key = 'gravity'", nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);
    ASSERT_GT(fs::file_size(file + "-wal"), 0u);
    fs::remove(file + "-shm");
    fs::permissions(data(),
        fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read | fs::perms::group_exec
            | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(m_dir / "out", fs::perms::all);

    // Root writes through folder permissions; the run drops to nobody to see them.
    const int status = run({ "--frames", "2", "--dump", out("dump.json") }, [] {
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(126);
    });
    ASSERT_EQ(status, 0) << m_stderr;
    EXPECT_EQ(settingsDump()["gravity"], 321.0) << m_stderr;
    EXPECT_TRUE(fs::exists(file + "-wal"));
}

TEST_F(RobustnessTest, WithNoSystemFontsLabelsUseTheShippedOne)
{
    if (std::system("unshare -m true 2>/dev/null") != 0)
        GTEST_SKIP() << "needs a mount namespace to hide the system fonts";
    std::ofstream(out("fonts.conf")) << "<?xml version=\"1.0\"?><fontconfig><cachedir>" << out("fc")
                                     << "</cachedir></fontconfig>\n";
    std::ofstream(out("options.txt")) << "at 10\ntap 160 240 2\n";
    const std::string inner = "mount -t tmpfs none /usr/share/fonts && FONTCONFIG_FILE='" + out("fonts.conf")
        + "' exec '" + BONZELAR_HEADLESS_EXE + "' --data-dir '" + data() + "' --frames 120 --script '"
        + out("options.txt") + "' 2>'" + out("stderr") + "'";
    const int status = std::system(("unshare -m sh -c \"" + inner + "\"").c_str());
    m_stderr = readFile(out("stderr"));
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << m_stderr;
    EXPECT_EQ(m_stderr.find("no usable font"), std::string::npos) << m_stderr;
}

TEST(ScriptWordsTest, ANulInsideAWordIsRefused)
{
    Script script;
    std::string error;
    EXPECT_FALSE(Script::parse(std::string("screenshot shot\0.png\n", 22), "s.txt", 1.0 / 60, script, error));
    EXPECT_NE(error.find("s.txt:1: NUL"), std::string::npos) << error;
    EXPECT_FALSE(Script::parse(std::string("screenshot \"a\0b\"\n", 17), "s.txt", 1.0 / 60, script, error));
}
