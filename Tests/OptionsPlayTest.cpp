// The option pages as a player reaches them: the real headless program, double tap, taps on
// the dumped items, the scripted sliders and alert, and the game the settings come back to.
#include "Support/DumpTaps.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class OptionsPlayTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::path(testing::TempDir())
            / ("options-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-"
                + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "data");
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    // Runs the script on a fresh store and returns the dump it ends with.
    nlohmann::json play(const std::string& script)
    {
        fs::remove_all(m_dir / "data");
        fs::create_directories(m_dir / "data");
        return playFromOptions(m_dir, script, 400);
    }

    fs::path m_dir;
};

} // namespace

TEST_F(OptionsPlayTest, SlidersAndTogglesReachTheNextGame)
{
    const nlohmann::json general = play("");
    ASSERT_EQ(general["scene"], "GeneralOptionsScene");
    const std::string toPhysics = tapOn(general, "Physics Options");
    const nlohmann::json physics = play(toPhysics);
    ASSERT_EQ(physics["scene"], "PhysicsOptionsScene");

    const nlohmann::json game = play(toPhysics + "slider 1 300\nslider 2 1\nslider 3 7.9\nslider 9 1\n"
        + tapOn(physics, "Tilt Gravity: On") + tapOn(physics, "Return to Game"));
    EXPECT_EQ(game["scene"], "GameScene");
    EXPECT_FLOAT_EQ(game["settings"]["gravity"].get<float>(), 300);
    EXPECT_FLOAT_EQ(game["settings"]["damping"].get<float>(), 0.1f);
    EXPECT_EQ(game["settings"]["numberOfBalls"], 7);
    EXPECT_EQ(game["settings"]["useAcceleromter"], false);
    EXPECT_NE(readText(m_dir / "out").find("slider 9: only 3 on screen"), std::string::npos)
        << readText(m_dir / "out");
}

TEST_F(OptionsPlayTest, PickingABallOnTheGridStoresIt)
{
    const std::string toDisplay = tapOn(play(""), "Display Options");
    const std::string toBalls = tapOn(play(toDisplay), "Change Balls");
    const nlohmann::json balls = play(toDisplay + toBalls);
    ASSERT_EQ(balls["scene"], "BallSelectorScene");
    // The seventh thumbnail: third in the second row of four.
    std::vector<const nlohmann::json*> thumbnails;
    std::function<void(const nlohmann::json&)> collect = [&](const nlohmann::json& node) {
        if (node.is_object() && node.value("class", "") == "MenuItemImage")
            thumbnails.push_back(&node);
        if (node.is_object() || node.is_array())
            for (const auto& child : node)
                collect(child);
    };
    collect(balls["nodes"]);
    ASSERT_EQ(thumbnails.size(), 12u);
    const nlohmann::json& p = (*thumbnails[6])["tapPoint"];
    EXPECT_FLOAT_EQ(p[0].get<float>(), 195);
    const nlohmann::json after = play(toDisplay + toBalls + "tap " + std::to_string(p[0].get<float>()) + " "
        + std::to_string(p[1].get<float>()) + "\nwait 0.1\n");
    EXPECT_EQ(after["settings"]["ballImage"], "Ball7.png");
}
