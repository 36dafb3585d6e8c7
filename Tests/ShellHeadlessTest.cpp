// The shell end to end: launches of the real headless program over one data directory.

#include "Platform/SqliteStore.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

class ShellHeadlessTest : public testing::Test {
protected:
    ShellHeadlessTest()
    {
        std::string pattern = (fs::temp_directory_path() / "bonzelar-shell-XXXXXX").string();
        m_root = mkdtemp(pattern.data());
        m_data = (fs::path(m_root) / "data").string();
    }
    ~ShellHeadlessTest() override
    {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

    // Runs one launch; returns its dump (null when there is none) and its exit status.
    nlohmann::json launch(const std::string& script = "")
    {
        const std::string dump = (fs::path(m_root) / "dump.json").string();
        const std::string log = (fs::path(m_root) / "console.txt").string();
        std::string command = std::string("'") + BONZELAR_HEADLESS_EXE + "' --data-dir '" + m_data
            + "' --dump '" + dump + "' --seed 1 --frames 3";
        if (!script.empty()) {
            const std::string path = (fs::path(m_root) / "script.txt").string();
            std::ofstream(path) << script;
            command += " --script '" + path + "'";
        }
        command += " > '" + log + "' 2>&1";
        fs::remove(dump);
        const int status = std::system(command.c_str());
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream logIn(log);
        m_console.assign(std::istreambuf_iterator<char>(logIn), {});
        std::ifstream in(dump);
        return in ? nlohmann::json::parse(in, nullptr, false) : nlohmann::json();
    }

    std::string m_root, m_data, m_console;
    int m_status = -1;
};

} // namespace

TEST_F(ShellHeadlessTest, LaunchesCountRunsAndForceSoundOnAndTheMeterOff)
{
    nlohmann::json first = launch();
    ASSERT_EQ(m_status, 0) << m_console;
    const nlohmann::json& settings = first["settings"];
    EXPECT_EQ(settings["numberOfRuns"], 1);
    EXPECT_EQ(settings["firstRun"], true);
    EXPECT_EQ(settings["showPainMeter"], false);
    EXPECT_EQ(settings["playSoundFx"], true);
    EXPECT_EQ(settings["useAcceleromter"], true);
    EXPECT_EQ(settings["version"], "1.10");
    EXPECT_TRUE(settings["customFaceImage"].is_null());
    EXPECT_FALSE(settings.contains("useAccelerometer"));
    EXPECT_TRUE(fs::is_directory(fs::path(m_data) / "Library" / "Bonzelar"));
    EXPECT_TRUE(fs::is_directory(fs::path(m_data) / "Documents" / "Bonzelar"));

    {
        // An earlier run turned the meter on and the sound off, and chose a face.
        SqliteStore store(m_data);
        store.setBool("showPainMeter", true);
        store.setBool("playSoundFx", false);
        store.setData("customFaceImage", KeyValueStore::Bytes { 'a', 'b', 'c' });
    }
    nlohmann::json second = launch();
    ASSERT_EQ(m_status, 0) << m_console;
    EXPECT_EQ(second["settings"]["numberOfRuns"], 2);
    EXPECT_EQ(second["settings"]["firstRun"], false);
    EXPECT_EQ(second["settings"]["showPainMeter"], false);
    EXPECT_EQ(second["settings"]["playSoundFx"], true);
    // Pictures are shown by size and digest; this is the well-known digest of "abc".
    EXPECT_EQ(second["settings"]["customFaceImage"],
        nlohmann::json({ { "bytes", 3 },
            { "sha256", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad" } }));
}

TEST_F(ShellHeadlessTest, AGarbageStoreIsMovedAsideAndTheGameStartsFresh)
{
    launch();
    launch();
    ASSERT_EQ(m_status, 0) << m_console;
    std::ofstream(fs::path(m_data) / SqliteStore::kFileName, std::ios::trunc) << "garbage, not a database";

    nlohmann::json dump = launch();
    ASSERT_EQ(m_status, 0) << m_console;
    EXPECT_NE(m_console.find("moved it aside"), std::string::npos) << m_console;
    EXPECT_EQ(dump["settings"]["numberOfRuns"], 1);
    EXPECT_EQ(dump["settings"]["firstRun"], true);
    int aside = 0;
    for (const auto& entry : fs::directory_iterator(m_data))
        aside += entry.path().filename().string().rfind("settings.sqlite3.corrupt-", 0) == 0;
    EXPECT_EQ(aside, 1);
}

TEST_F(ShellHeadlessTest, TheRouteCommandReachesTheHeadphoneCheck)
{
    EXPECT_EQ(launch()["audio"]["headphonesAttached"], false);
    EXPECT_EQ(launch("route Headphone\n")["audio"]["headphonesAttached"], true) << m_console;
    EXPECT_EQ(launch("route Headphone\nat 1\nroute Speaker\n")["audio"]["headphonesAttached"], false)
        << m_console;
    launch("route\n");
    EXPECT_EQ(m_status, 2) << m_console;
}
