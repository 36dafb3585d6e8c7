// A custom face as a player makes one: the real headless program, from the game through
// "Display Options" and "Change Face" to the picker, the crop and back to the game.
#include "Platform/ImageCodec.h"

#include "Support/DumpTaps.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class FacePlayTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::path(testing::TempDir()) / ("face-play-" + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "data" / "Pictures");
        // A photo of our own: a dark square on a light ground, and a file that is no picture.
        std::ofstream(path("data/Pictures/broken.png")) << "not a picture";
        std::vector<std::uint8_t> rgba(300 * 200 * 4);
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 300; ++x) {
                const bool square = x >= 110 && x < 190 && y >= 60 && y < 140;
                std::uint8_t* p = &rgba[(y * 300 + x) * 4];
                p[0] = square ? 80 : 208;
                p[1] = square ? 48 : 192;
                p[2] = square ? 32 : 144;
                p[3] = 255;
            }
        std::string error;
        ASSERT_TRUE(
            ImageCodec::writePNGFile(path("data/Pictures/photo.png"), rgba.data(), 300, 200, false, error))
            << error;
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    // Runs the script (after a double tap opens the options) on fresh settings, the pictures
    // kept, and returns the final dump.
    nlohmann::json play(const std::string& script)
    {
        for (const auto& entry : fs::directory_iterator(m_dir / "data"))
            if (entry.path().filename().string().rfind("settings", 0) == 0)
                fs::remove(entry.path());
        return playFromOptions(m_dir, script, 700);
    }
    static int countViews(const nlohmann::json& dump, const std::string& cls)
    {
        int n = 0;
        for (const auto& view : dump["views"])
            n += view["class"] == cls;
        return n;
    }

    fs::path m_dir;
};

} // namespace

TEST_F(FacePlayTest, PickCropAcceptAndTheGameWearsTheFace)
{
    const std::string toDisplay = tapOn(play(""), "Display Options");
    const std::string toFace = toDisplay + tapOn(play(toDisplay), "Change Face");
    const nlohmann::json facePage = play(toFace);
    ASSERT_EQ(facePage["scene"], "FaceSelectorScene");
    EXPECT_TRUE(facePage["face"]["storedPixelSize"].is_null());

    // The picker lists the folder; a file that is no picture gives an alert, nothing stored.
    const std::string toPicker = toFace + tapOn(facePage, "Set Custom Face");
    const nlohmann::json picker = play(toPicker);
    EXPECT_EQ(countViews(picker, "PhotoGridView"), 1);
    EXPECT_EQ(countViews(picker, "ImageView"), 2); // a cell each
    const nlohmann::json refused = play(toPicker + "pick " + path("data/Pictures/broken.png") + "\nwait 1\n");
    EXPECT_EQ(countViews(refused, "PhotoGridView"), 0);
    EXPECT_TRUE(refused["face"]["storedPixelSize"].is_null());
    EXPECT_NE(refused.dump().find("Picture Not Usable"), std::string::npos);

    // Picked, dragged, pinched and turned on the crop page, then accepted.
    const std::string toCrop = toPicker + "pick " + path("data/Pictures/photo.png") + "\nwait 1\n";
    // The first touch sends the help away; then a drag, a pinch and a twist.
    const std::string gestures = "tap 160 270\nwait 0.5\n"
                                 "touch down 1 160 270\ntouch move 1 170 280\ntouch up 1 170 280\n"
                                 "touch down 2 110 270\ntouch down 3 210 270\n"
                                 "touch move 2 112 270 3 208 270\ntouch move 2 120 260 3 200 280\n"
                                 "touch up 2 120 260\ntouch up 3 200 280\nwait 0.5\n";
    const nlohmann::json crop = play(toCrop + gestures);
    ASSERT_EQ(crop["scene"], "FaceCropperScene");
    EXPECT_EQ(countViews(crop, "ImageCanvasView"), 1);
    EXPECT_EQ(countViews(crop, "TouchRedirectImageView"), 1);
    const std::string accepted = toCrop + gestures + tapOn(crop, "Accept Face");
    const nlohmann::json back = play(accepted);
    EXPECT_EQ(back["scene"], "FaceSelectorScene");
    EXPECT_EQ(back["views"].size(), 0u);
    ASSERT_TRUE(back["face"]["storedPixelSize"].is_array()) << back["face"];
    EXPECT_EQ(back["face"]["storedPixelSize"], back["face"]["defaultHeadContentSize"]);

    const nlohmann::json game = play(accepted + tapOn(back, "Return to Game") + "wait 1\n");
    EXPECT_EQ(game["scene"], "GameScene");
    EXPECT_EQ(game["face"]["storedPixelSize"], game["face"]["defaultHeadContentSize"]);
}
