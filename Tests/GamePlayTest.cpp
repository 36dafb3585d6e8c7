// The game as a player runs it: the real headless program, its screenshots and its dump.
#include "Platform/Host.h"
#include "Platform/ImageCodec.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class GamePlayTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::path(testing::TempDir())
            / ("gameplay-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-"
                + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    int run(const std::string& arguments)
    {
        const std::string command
            = std::string(BONZELAR_HEADLESS_EXE) + " " + arguments + " > '" + path("out") + "' 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    nlohmann::json dump(const std::string& name)
    {
        std::ifstream in(path(name));
        std::stringstream text;
        text << in.rdbuf();
        return nlohmann::json::parse(text.str());
    }

    static HostImage picture(const std::string& file)
    {
        HostImage image;
        std::string error;
        EXPECT_TRUE(ImageCodec::decodeFile(file, 4096, image, error)) << error;
        return image;
    }

    // Random drags over the middle of the screen and a slowly turning tilt.
    std::string writeDragScript(int frames, unsigned seed)
    {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<double> unit(0, 1);
        std::ofstream out(path("drags.txt"));
        double tilt = 0;
        for (int frame = 10; frame < frames - 100;) {
            double x = 100 + 120 * unit(rng), y = 160 + 160 * unit(rng);
            out << "at " << frame << "\ntouch down 1 " << x << " " << y << "\n";
            for (int i = 0, n = 5 + static_cast<int>(50 * unit(rng)); i < n; ++i) {
                ++frame;
                x = std::clamp(x + 50 * unit(rng) - 25, 0.0, 319.0);
                y = std::clamp(y + 50 * unit(rng) - 25, 0.0, 479.0);
                out << "at " << frame << "\ntouch move 1 " << x << " " << y << "\n";
                if (frame % 4 == 0) {
                    tilt = std::clamp(tilt + 0.4 * unit(rng) - 0.2, -1.0, 1.0);
                    out << "accel " << std::sin(tilt) << " " << -std::cos(tilt) << " 0\n";
                }
            }
            out << "at " << ++frame << "\ntouch up 1 " << x << " " << y << "\n";
            frame += 10 + static_cast<int>(200 * unit(rng));
        }
        return path("drags.txt");
    }

    fs::path m_dir;
};

} // namespace

// The figure is drawn where its bodies are: inside the chest's rectangle on screen the picture
// differs from the bare background, far from figure and balls it does not.
TEST_F(GamePlayTest, TheNerdIsDrawnOverTheBackgroundWhereItsBodiesAre)
{
    ASSERT_EQ(run("--data-dir '" + path("data") + "' --seed 3 --frames 20 --screenshot '" + path("shot.png")
                  + "' --dump '" + path("dump.json") + "'"),
        0);
    const nlohmann::json game = dump("dump.json")["game"];
    ASSERT_EQ(game["ragdollClass"], "Nerd");
    const HostImage shot = picture(path("shot.png"));
    const HostImage background = picture(std::string(BONZELAR_TEST_RESOURCES) + "/Background3.png");
    ASSERT_EQ(shot.width, 320);
    ASSERT_EQ(shot.height, 480);
    ASSERT_EQ(background.width, 320);

    auto differs = [&](int x, int y) {
        const size_t i = (static_cast<size_t>(y) * 320 + static_cast<size_t>(x)) * 4;
        int d = 0;
        for (int c = 0; c < 3; ++c)
            d += std::abs(int(shot.rgba[i + c]) - int(background.rgba[i + c]));
        return d > 30;
    };
    // The chest body's origin is its picture's lower-left corner; 36 x 45 points.
    const double lx = game["layerPosition"][0], ly = game["layerPosition"][1];
    const double cx = double(game["bodies"]["chest"]["position"][0]) + lx;
    const double cy = double(game["bodies"]["chest"]["position"][1]) + ly;
    int inside = 0, total = 0;
    for (int y = int(cy) + 5; y < int(cy) + 40; ++y)
        for (int x = int(cx) + 5; x < int(cx) + 31; ++x, ++total)
            inside += differs(x, 479 - y); // the picture's rows run top down
    EXPECT_GT(inside, total * 8 / 10);

    // The top-left corner holds sky only after 20 frames with the hint at the bottom.
    int corner = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            corner += differs(x, y);
    bool ballNearCorner = false;
    for (const auto& ball : game["balls"]) {
        const double bx = double(ball["center"][0]) + lx, by = double(ball["center"][1]) + ly,
                     r = ball["radius"];
        ballNearCorner |= bx - r < 20 && by + r > 460;
    }
    if (!ballNearCorner) {
        EXPECT_EQ(corner, 0);
    }
}

TEST_F(GamePlayTest, TheSameSeedAndScriptGiveTheSameFall)
{
    const std::string script = writeDragScript(600, 11);
    for (const char* name : { "a", "b" })
        ASSERT_EQ(
            run("--data-dir '" + path(std::string("data-") + name) + "' --seed 9 --frames 600 --script '"
                + script + "' --dump '" + path(std::string(name) + ".json") + "'"),
            0);
    const nlohmann::json a = dump("a.json"), b = dump("b.json");
    EXPECT_EQ(a["game"], b["game"]);
    EXPECT_EQ(a["game"]["balls"].size(), 21u);
}

// Ten simulated minutes are a benchmark-sized job; one minute of hard play catches the same
// faults: the physics stays finite, the field stays bounded, nothing is held after the drags.
TEST_F(GamePlayTest, AMinuteOfDragsAndTiltsStaysFiniteAndBounded)
{
    const std::string script = writeDragScript(3600, 5);
    ASSERT_EQ(run("--data-dir '" + path("data") + "' --seed 5 --frames 3600 --script '" + script
                  + "' --dump '" + path("dump.json") + "'"),
        0);
    const nlohmann::json game = dump("dump.json")["game"];
    EXPECT_LE(game["balls"].size(), 21u);
    for (const auto& [name, body] : game["bodies"].items())
        for (const char* key : { "position", "velocity" })
            for (double v : body[key])
                EXPECT_TRUE(std::isfinite(v)) << name << " " << key;
    EXPECT_TRUE(game["mouse"].is_null());
    EXPECT_GT(game["totalPainPoints"], 0);
}
