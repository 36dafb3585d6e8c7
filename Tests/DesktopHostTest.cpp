// The desktop host's choices that need no window: the desktop's scale, the first window's size,
// and refusing to run unseen when there is no display.

#include "Platform/DesktopHost.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

TEST(DesktopScale, XftDpiWinsOverTheMonitorAndOddValuesAreIgnored)
{
    EXPECT_EQ(DesktopHost::dpiFromResources("Xft.antialias:\t1\nXft.dpi:\t192\n"), 192);
    EXPECT_EQ(DesktopHost::dpiFromResources("Xft.dpi: 144"), 144);
    EXPECT_EQ(DesktopHost::dpiFromResources("Xcursor.size:\t24\n"), 0);
    EXPECT_EQ(DesktopHost::dpiFromResources("Xft.dpi:\tlots\nXft.dpi:\t1e9\n"), 0);

    EXPECT_EQ(DesktopHost::uiScaleForDPI(144, 282), 1.5); // the desktop's own setting
    EXPECT_EQ(DesktopHost::uiScaleForDPI(0, 282), 3); // else whole steps of the monitor's
    EXPECT_EQ(DesktopHost::uiScaleForDPI(0, 92), 1); // a big 1080p screen is not HiDPI
    EXPECT_EQ(DesktopHost::uiScaleForDPI(0, 0), 1);
    EXPECT_EQ(DesktopHost::uiScaleForDPI(72, 0), 1);
}

TEST(DesktopScale, FirstWindowTakesWholeStepsOfTheDesktopScaleThatFit)
{
    struct Case {
        int usableWidth, usableHeight;
        double uiScale;
        int width, height;
    };
    for (const Case& c : {
             Case { 1366, 740, 1, 320, 480 }, Case { 1920, 1050, 1, 640, 960 },
             Case { 3840, 2130, 2, 1280, 1920 }, Case { 3840, 2130, 1.5, 960, 1440 },
             Case { 1024, 400, 1, 266, 400 }, // smaller than one step: the largest that fits
         }) {
        int width = 0, height = 0;
        DesktopHost::windowSizeFor(320, 480, c.usableWidth, c.usableHeight, c.uiScale, width, height);
        EXPECT_EQ(width, c.width) << c.usableWidth << " x " << c.usableHeight << " at " << c.uiScale;
        EXPECT_EQ(height, c.height) << c.usableWidth << " x " << c.usableHeight << " at " << c.uiScale;
    }
}

TEST(DesktopProgram, WithoutADisplayItSaysSoInOneLineAndStops)
{
    const std::string command
        = std::string("env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR -u SDL_VIDEODRIVER HOME=")
        + ::testing::TempDir() + " " BONZELAR_DESKTOP_EXE " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_TRUE(pipe);
    std::string output;
    std::array<char, 256> buffer {};
    while (std::fgets(buffer.data(), int(buffer.size()), pipe))
        output += buffer.data();
    const int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_EQ(output.find('\n'), output.size() - 1) << output;
    EXPECT_NE(output.find("no display found"), std::string::npos) << output;
    EXPECT_NE(output.find("SDL_VIDEODRIVER=offscreen"), std::string::npos) << output;
}
