// The headless host's virtual clock and records, and the built bonzelar-headless run end to
// end: options, scripts, screenshots read back pixel by pixel, and reproducible dumps.

#include "Tooling/HeadlessRunner.h"
#include "Engine/Director.h"
#include "Platform/HeadlessHost.h"
#include "Platform/ImageCodec.h"
#include "Support/TestScene.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <sys/wait.h>
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

// The test scene instead of the game, so the pixels are known whatever the game draws.
class TestSceneApp : public HostListener {
public:
    TestSceneApp()
    {
        Director::useDisplayLinkDirector();
        Director* director = Director::sharedDirector();
        director->setPixelFormat(kPixelFormatRGBA8888);
        director->attachInWindow(WindowInfo {});
        director->runWithScene(TestScene::node());
    }
    void hostTouches(
        HostTouchPhase phase, const std::vector<HostTouchPoint>& touches, double timestamp) override
    {
        Director::sharedDirector()->openGLView()->handleHostTouches(phase, touches, timestamp);
    }
    void hostAcceleration(double, double, double, double) override { }
    void hostOrientationChanged(int) override { }
    void hostWillResignActive() override { Director::sharedDirector()->pause(); }
    void hostDidBecomeActive() override { Director::sharedDirector()->resume(); }
    void hostWillTerminate() override { Director::purgeSharedDirector(); }
    void hostAudioRouteChanged(const std::string&) override { }
};

class HeadlessRunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The process id too: other builds may run this same test at the same time.
        m_dir = fs::path(::testing::TempDir())
            / ("headless-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name())
                + "-" + std::to_string(getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    std::string writeScript(const std::string& name, const std::string& text) const
    {
        std::ofstream(path(name)) << text;
        return path(name);
    }

    // Runs the program; returns its exit status (128 + signal when a signal ended it).
    int run(const std::string& arguments)
    {
        const std::string command = std::string(BONZELAR_HEADLESS_EXE) + " " + arguments + " > '"
            + path("stdout") + "' 2> '" + path("stderr") + "'";
        const int status = std::system(command.c_str());
        m_stderr = readFile(path("stderr"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // The runner in this process, on the test scene.
    int runTestScene(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), "bonzelar-headless");
        std::vector<const char*> argv;
        for (const std::string& a : arguments)
            argv.push_back(a.c_str());
        std::unique_ptr<TestSceneApp> app;
        return HeadlessRunner::main(int(argv.size()), argv.data(), [&app]() -> HostListener& {
            app = std::make_unique<TestSceneApp>();
            return *app;
        });
    }

    nlohmann::json dump(const std::string& name) { return nlohmann::json::parse(readFile(path(name))); }

    HostImage picture(const std::string& name)
    {
        HostImage image;
        std::string error;
        EXPECT_TRUE(ImageCodec::decodeFile(path(name), 0, image, error)) << error;
        return image;
    }

    fs::path m_dir;
    std::string m_stderr;
};

// The pixel at view point (x, y), origin top left, on a picture `scale` pixels per point.
const std::uint8_t* pixelAt(const HostImage& image, float x, float y, int scale = 1)
{
    const int px = int(x * scale), py = int(y * scale);
    return &image.rgba[(std::size_t(py) * image.width + px) * 4];
}

void expectColour(const std::uint8_t* p, int r, int g, int b, const char* what)
{
    EXPECT_NEAR(p[0], r, 2) << what;
    EXPECT_NEAR(p[1], g, 2) << what;
    EXPECT_NEAR(p[2], b, 2) << what;
    EXPECT_EQ(p[3], 255) << what;
}

} // namespace

// --- The host on its own ---------------------------------------------------------------------------

TEST(HeadlessHostTest, VirtualClockAndDisplayLink)
{
    HeadlessHost::Options options;
    options.dt = 0.02;
    HeadlessHost host(options);
    int frames = 0;
    host.setDisplayLink([&frames] { ++frames; }, 2);
    for (int i = 0; i < 7; ++i)
        host.advanceFrame();
    EXPECT_EQ(frames, 3); // every second refresh
    EXPECT_EQ(host.frame(), 7);

    HostTimeValue now;
    ASSERT_TRUE(host.gettimeofday(now));
    EXPECT_EQ(now.tv_sec, HeadlessHost::kEpochSeconds);
    EXPECT_EQ(now.tv_usec, 140000);
    EXPECT_DOUBLE_EQ(host.absoluteTime(), HeadlessHost::kEpochAbsoluteTime + 0.14);

    // A link that stops itself from inside its own call.
    host.setDisplayLink(
        [&] {
            host.setDisplayLink({}, 1);
            ++frames;
        },
        1);
    host.advanceFrame();
    host.advanceFrame();
    EXPECT_EQ(frames, 4);
}

TEST(HeadlessHostTest, RequestsAreRecordedForTheDump)
{
    HeadlessHost host(HeadlessHost::Options {});
    host.advanceFrame();
    EXPECT_TRUE(host.openURL("https://example.com/bonzelar"));
    EXPECT_FALSE(host.openURL("--help"));
    EXPECT_FALSE(host.openURL("file:///etc/passwd"));
    host.recordRequest("sounds", "voice1.wav");

    const nlohmann::json& root = host.requests();
    ASSERT_EQ(root["urls"].size(), 3u);
    EXPECT_EQ(root["urls"][0]["what"], "https://example.com/bonzelar");
    EXPECT_EQ(root["urls"][0]["frame"], 1);
    EXPECT_FALSE(root["urls"][0].contains("refused"));
    EXPECT_EQ(root["urls"][1]["refused"], true);
    EXPECT_EQ(root["sounds"][0]["what"], "voice1.wav");
}

// --- The program -------------------------------------------------------------------------------------

TEST_F(HeadlessRunnerTest, WritesScreenshotAndDumpAfterTheLastFrame)
{
    ASSERT_EQ(run("--frames 30 --seed 1 --data-dir '" + path("data") + "' --screenshot '" + path("out.png")
                  + "' --dump '" + path("out.json") + "' --frame-times '" + path("times.txt") + "'"),
        0)
        << m_stderr;
    std::istringstream times(readFile(path("times.txt")));
    int frames = 0;
    for (double ms = 0; times >> ms; ++frames)
        EXPECT_GT(ms, 0);
    EXPECT_EQ(frames, 30) << "one time for every frame";
    const nlohmann::json state = dump("out.json");
    EXPECT_EQ(state["frame"], 30);
    EXPECT_NEAR(state["time"].get<double>(), 0.5, 1e-9);
    ASSERT_TRUE(state["scene"].is_string());
    EXPECT_FALSE(state["scene"].get<std::string>().empty());
    EXPECT_TRUE(state["nodes"].is_object());
    EXPECT_TRUE(fs::exists(path("data/settings.sqlite3"))); // everything written goes to the data folder

    const HostImage image = picture("out.png");
    ASSERT_EQ(image.width, 320);
    ASSERT_EQ(image.height, 480);
    int distinct = 0;
    for (std::size_t i = 4; i < image.rgba.size(); i += 4)
        distinct += image.rgba[i] != image.rgba[i - 4] || image.rgba[i + 1] != image.rgba[i - 3];
    EXPECT_GT(distinct, 100) << "the screenshot shows nothing";
}

TEST_F(HeadlessRunnerTest, ScreenshotPixelsReadBackRightSideUp)
{
    ASSERT_EQ(
        runTestScene({ "--frames", "3", "--screenshot", path("out.png"), "--dump", path("out.json") }), 0);
    EXPECT_EQ(dump("out.json")["scene"], "TestScene");
    const HostImage image = picture("out.png");
    ASSERT_EQ(image.width, 320);
    ASSERT_EQ(image.height, 480);
    for (const TestLayer::Quad& q : TestLayer::kQuads) {
        // Scene coordinates have y up; the picture's rows go down.
        const float x = q.rect.origin.x + q.rect.size.width / 2,
                    y = 480 - (q.rect.origin.y + q.rect.size.height / 2);
        expectColour(pixelAt(image, x, y), int(q.r * 255), int(q.g * 255), int(q.b * 255), "quad centre");
    }
    expectColour(pixelAt(image, 5, 5), 0, 0, 0, "background");
}

TEST_F(HeadlessRunnerTest, ScriptedTapLandsWhereItWasAimedAtScaleTwo)
{
    const std::string script = writeScript("tap.txt",
        "at 2\ntap 250 300   # view points, from the top left\n"
        "at 5\nscreenshot \""
            + path("mid.png") + "\"\n");
    ASSERT_EQ(runTestScene({ "--frames", "6", "--scale", "2", "--script", script }), 0);
    const HostImage image = picture("mid.png");
    ASSERT_EQ(image.width, 640);
    ASSERT_EQ(image.height, 960);
    expectColour(pixelAt(image, 250, 300, 2), 255, 255, 255, "touch marker");
    expectColour(pixelAt(image, 250 + TestLayer::kMarkerSize, 300, 2), 0, 0, 0, "beside the marker");
}

TEST_F(HeadlessRunnerTest, SameScriptAndSeedGiveTheSameDump)
{
    const std::string script = writeScript("s.txt",
        "touch down 0 100 100\nwait 0.1\ntouch move 0 140 180\n"
        "accel 0.3 -0.9 0\nat 20\ntouch up 0 150 200\ntap 40 40 2\n"
        "orient 1\nsuspend\nwait 0.2\nresume\n"
        "at 35\ndump \""
            + path("mid.json") + "\"\n");
    const std::string args
        = "--frames 45 --seed 1234 --script '" + script + "' --dump '" + path("end.json") + "'";
    ASSERT_EQ(run(args), 0) << m_stderr;
    const std::string firstEnd = readFile(path("end.json")), firstMid = readFile(path("mid.json"));
    fs::remove(path("end.json"));
    fs::remove(path("mid.json"));
    ASSERT_EQ(run(args), 0) << m_stderr;
    EXPECT_EQ(readFile(path("end.json")), firstEnd);
    EXPECT_EQ(readFile(path("mid.json")), firstMid);
    EXPECT_EQ(dump("mid.json")["frame"], 35);
    EXPECT_EQ(dump("end.json")["frame"], 45);
}

TEST_F(HeadlessRunnerTest, BadScriptStopsTheRunBeforeTheFirstFrame)
{
    const std::string script = writeScript("script.txt", "tap 10 10\ntuoch down 0 5 5\n");
    EXPECT_EQ(run("--frames 5 --script '" + script + "' --dump '" + path("out.json") + "'"), 2);
    EXPECT_NE(m_stderr.find("script.txt:2: unknown command 'tuoch'"), std::string::npos) << m_stderr;
    EXPECT_FALSE(fs::exists(path("out.json")));

    EXPECT_EQ(run("--frames 5 --script '" + path("missing.txt") + "'"), 2);
    EXPECT_NE(m_stderr.find("missing.txt"), std::string::npos) << m_stderr;
}

TEST_F(HeadlessRunnerTest, BadOptionsAreRefused)
{
    for (const char* args : { "--frames -1", "--frames many", "--scale 9", "--dt 0", "--dt nan", "--seed -4",
             "--bogus", "--dump" }) {
        EXPECT_EQ(run(args), 2) << args;
        EXPECT_NE(m_stderr.find("usage:"), std::string::npos) << args;
    }
}

TEST_F(HeadlessRunnerTest, TerminateEndsTheRunAndStillDumps)
{
    const std::string script = writeScript("t.txt", "at 5\nterminate\nat 6\ntap 1 1\n");
    ASSERT_EQ(run("--frames 100 --script '" + script + "' --dump=" + path("out.json")), 0) << m_stderr;
    EXPECT_EQ(dump("out.json")["frame"], 5);
}

TEST_F(HeadlessRunnerTest, AnOutputThatCannotBeWrittenFailsTheRun)
{
    EXPECT_EQ(run("--screenshot '" + path("no/such/folder/x.png") + "'"), 1);
    EXPECT_NE(m_stderr.find("x.png"), std::string::npos) << m_stderr;
}
