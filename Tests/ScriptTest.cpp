// The headless script language: what it refuses (with the line), when commands run, and what
// they deliver to the application.

#include "Tooling/Script.h"
#include "Platform/HeadlessHost.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

struct Event {
    Event(std::string kind_, int frame_)
        : kind(std::move(kind_))
        , frame(frame_)
    {
    }
    std::string kind;
    int frame;
    HostTouchPhase phase = HostTouchPhase::Began;
    HostTouchPoint point;
    double x = 0, y = 0, z = 0;
    int value = 0;
};

class RecordingListener : public HostListener {
public:
    int frame = 0;
    std::vector<Event> events;

    void hostTouches(HostTouchPhase phase, const std::vector<HostTouchPoint>& touches, double) override
    {
        for (const HostTouchPoint& t : touches) {
            Event e { "touch", frame };
            e.phase = phase;
            e.point = t;
            events.push_back(e);
        }
    }
    void hostAcceleration(double x, double y, double z, double) override
    {
        Event e { "accel", frame };
        e.x = x;
        e.y = y;
        e.z = z;
        events.push_back(e);
    }
    void hostOrientationChanged(int orientation) override
    {
        Event e { "orient", frame };
        e.value = orientation;
        events.push_back(e);
    }
    void hostWillResignActive() override { events.push_back({ "suspend", frame }); }
    void hostDidBecomeActive() override { events.push_back({ "resume", frame }); }
    void hostWillTerminate() override { events.push_back({ "willTerminate", frame }); }
    void hostAudioRouteChanged(const std::string&) override { events.push_back({ "route", frame }); }
};

std::string parseError(const std::string& source, double dt = 1.0 / 60.0)
{
    Script script;
    std::string error;
    EXPECT_FALSE(Script::parse(source, "script.txt", dt, script, error)) << "accepted: " << source;
    return error;
}

// Plays a script for a number of frames and records what reached the application.
class ScriptPlayer {
public:
    explicit ScriptPlayer(double dt = 1.0 / 60.0)
        : m_host(options(dt))
        , m_context(m_host, listener)
    {
        m_context.screenshot = [this](const std::string& path) {
            screenshots.push_back(path);
            listener.events.push_back({ "screenshot", listener.frame });
            return path != "fail.png";
        };
        m_context.dump = [this](const std::string& path) {
            dumps.push_back(path);
            return true;
        };
        m_context.terminate = [this] {
            terminated = true;
            listener.events.push_back({ "terminate", listener.frame });
        };
    }

    void play(const std::string& source, int frames)
    {
        std::string error;
        ASSERT_TRUE(Script::parse(source, "script.txt", m_host.dt(), m_script, error)) << error;
        for (int frame = 0; frame < frames && !terminated; ++frame) {
            listener.frame = frame;
            m_context.frame = frame;
            m_script.runFrame(m_context, [this] { return terminated; });
        }
    }

    std::vector<int> framesOf(const std::string& kind) const
    {
        std::vector<int> frames;
        for (const Event& e : listener.events)
            if (e.kind == kind)
                frames.push_back(e.frame);
        return frames;
    }
    int failures() const { return m_context.failures; }

    RecordingListener listener;
    std::vector<std::string> screenshots, dumps;
    bool terminated = false;

private:
    static HeadlessHost::Options options(double dt)
    {
        HeadlessHost::Options o;
        o.dt = dt;
        return o;
    }
    HeadlessHost m_host;
    ScriptContext m_context;
    Script m_script;
};

} // namespace

TEST(ScriptTest, ErrorsNameTheFileAndLine)
{
    EXPECT_EQ(parseError("# a comment\n\ntuoch down 0 1 2\n"), "script.txt:3: unknown command 'tuoch'");
    EXPECT_EQ(parseError("tap 10\n"), "script.txt:1: tap: missing Y");
    EXPECT_EQ(parseError("at 2\ntap 10 abc\n"), "script.txt:2: tap: Y must be a number, not 'abc'");
    EXPECT_EQ(parseError("suspend now\n"), "script.txt:1: suspend: unexpected 'now'");
    EXPECT_EQ(parseError("orient 5\n"), "script.txt:1: orient: N must be from 1 to 4, not 5");
    EXPECT_EQ(parseError("screenshot \"open.png\n"), "script.txt:1: unterminated quoted text");
    EXPECT_EQ(parseError("touch press 0 1 1\n"),
        "script.txt:1: touch: unknown phase 'press' (down, move, up or cancel)");
}

TEST(ScriptTest, RefusesValuesThatWouldPoisonThePhysics)
{
    for (const char* bad : { "tap nan 10\n", "tap inf 10\n", "accel 0 1e400 0\n", "accel 0 -500 0\n",
             "tap 1e9 10\n", "touch down -3 10 10\n", "tap 10 10 0\n", "wait -1\n", "at -2\n" })
        EXPECT_FALSE(parseError(bad).empty()) << bad;
}

TEST(ScriptTest, TouchSequencesAreCheckedBeforeTheRun)
{
    EXPECT_EQ(parseError("touch move 1 10 10\n"), "script.txt:1: touch: touch 1 is not down");
    EXPECT_EQ(parseError("touch down 1 10 10\ntouch down 1 12 12\n"),
        "script.txt:2: touch: touch 1 is already down");
    EXPECT_EQ(parseError("touch down 1 10 10\ntouch up 1 10 10\ntouch cancel 1\n"),
        "script.txt:3: touch: touch 1 is not down");
    Script script;
    std::string error;
    EXPECT_TRUE(Script::parse(
        "touch down 1 1 1\ntouch down 2 2 2\ntouch cancel 1\ntouch up 2 3 3\n", "s", 1.0 / 60, script, error))
        << error;
}

TEST(ScriptTest, AtCannotGoBackBehindAWait)
{
    EXPECT_EQ(parseError("wait 1\nat 30\n"),
        "script.txt:2: at: frame 30 is before frame 60, which the lines above already reach");
    Script script;
    std::string error;
    EXPECT_TRUE(Script::parse("wait 1\nat 60\n", "s", 1.0 / 60, script, error)) << error;
}

TEST(ScriptTest, AtAndWaitPlaceCommandsOnFrames)
{
    ScriptPlayer player;
    player.play("suspend\n" // frame 0
                "at 5\nresume\nsuspend\n" // both at frame 5, in order
                "wait 0.5\nresume\n" // 30 frames later
                "wait 0.01\nsuspend\n" // less than a frame: the next frame
                "at 40\nwait 0\nresume\n",
        100);
    EXPECT_EQ(player.framesOf("suspend"), (std::vector<int> { 0, 5, 36 }));
    EXPECT_EQ(player.framesOf("resume"), (std::vector<int> { 5, 35, 40 }));
    ASSERT_GE(player.listener.events.size(), 3u);
    EXPECT_EQ(player.listener.events[1].kind, "resume"); // same frame: file order
    EXPECT_EQ(player.listener.events[2].kind, "suspend");
}

TEST(ScriptTest, WaitCountsVirtualTimeAtTheRunsFrameLength)
{
    ScriptPlayer player(0.1);
    player.play("wait 0.3\nsuspend\nwait 0.25\nresume\n", 20);
    EXPECT_EQ(player.framesOf("suspend"), (std::vector<int> { 3 }));
    EXPECT_EQ(player.framesOf("resume"), (std::vector<int> { 6 })); // 0.55 s: first frame at or after it
}

TEST(ScriptTest, CommandsPastTheLastFrameNeverRun)
{
    ScriptPlayer player;
    player.play("at 3\nsuspend\nat 10\nresume\n", 5);
    EXPECT_EQ(player.framesOf("suspend"), (std::vector<int> { 3 }));
    EXPECT_TRUE(player.framesOf("resume").empty());
}

TEST(ScriptTest, TapCounts)
{
    ScriptPlayer player;
    player.play("tap 10 20\n"
                "at 2\ntap 30.5 40 2\n"
                "at 4\ntouch down 7 1 2 2\ntouch move 7 5 6\ntouch up 7 5 6\n"
                "at 6\ntouch down 8 1 1\ntouch up 8 1 1 3\n",
        10);
    const std::vector<Event>& e = player.listener.events;
    ASSERT_EQ(e.size(), 9u);
    // A tap is down and up within its frame, on a finger of its own.
    EXPECT_EQ(e[0].phase, HostTouchPhase::Began);
    EXPECT_EQ(e[1].phase, HostTouchPhase::Ended);
    EXPECT_EQ(e[0].point.id, ScriptCommands::kTapFinger);
    EXPECT_EQ(e[0].point.tapCount, 1);
    EXPECT_EQ(e[1].frame, 0);
    EXPECT_FLOAT_EQ(e[2].point.x, 30.5f);
    EXPECT_FLOAT_EQ(e[2].point.y, 40.0f);
    EXPECT_EQ(e[2].point.tapCount, 2);
    EXPECT_EQ(e[3].point.tapCount, 2);
    // A finger keeps the tap count it went down with unless its release says otherwise.
    EXPECT_EQ(e[4].point.id, 7);
    EXPECT_EQ(e[5].phase, HostTouchPhase::Moved);
    EXPECT_EQ(e[5].point.tapCount, 2);
    EXPECT_EQ(e[6].point.tapCount, 2);
    EXPECT_EQ(e[7].point.tapCount, 1);
    EXPECT_EQ(e[8].point.tapCount, 3);
}

TEST(ScriptTest, DeviceEventsReachTheApplication)
{
    ScriptPlayer player;
    player.play("accel 0.25 -1 0.5\norient 3\ntouch down 2 5 5\ntouch cancel 2\n", 1);
    const std::vector<Event>& e = player.listener.events;
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].kind, "accel");
    EXPECT_DOUBLE_EQ(e[0].x, 0.25);
    EXPECT_DOUBLE_EQ(e[0].y, -1);
    EXPECT_DOUBLE_EQ(e[0].z, 0.5);
    EXPECT_EQ(e[1].value, 3);
    EXPECT_EQ(e[3].phase, HostTouchPhase::Cancelled);
    EXPECT_EQ(e[3].point.id, 2);
}

TEST(ScriptTest, QuotedFileNamesCommentsAndFailures)
{
    ScriptPlayer player;
    player.play("screenshot \"with space #1.png\"   # the rest is a comment\n"
                "dump \"say \\\"hi\\\".json\"\n"
                "screenshot fail.png\n",
        1);
    EXPECT_EQ(player.screenshots, (std::vector<std::string> { "with space #1.png", "fail.png" }));
    EXPECT_EQ(player.dumps, (std::vector<std::string> { "say \"hi\".json" }));
    EXPECT_EQ(player.failures(), 1); // a file that could not be written fails the run
}

TEST(ScriptTest, TerminateEndsTheFrame)
{
    ScriptPlayer player;
    player.play("at 2\nterminate\nsuspend\nat 3\nresume\n", 10);
    EXPECT_EQ(player.framesOf("terminate"), (std::vector<int> { 2 }));
    EXPECT_TRUE(player.framesOf("suspend").empty());
    EXPECT_TRUE(player.framesOf("resume").empty());
}

TEST(ScriptTest, ModulesAddCommands)
{
    ScriptCommands::add("poke", [](ScriptArgs& args, ScriptParseState&) -> ScriptAction {
        const std::string title = args.text("BUTTON TITLE");
        const int times = int(args.optionalInteger("TIMES", 1, 9).value_or(1));
        args.finish();
        return [times, title](ScriptContext& c) {
            for (int i = 0; i < times; ++i)
                c.listener.hostOrientationChanged(int(title.size()));
        };
    });
    EXPECT_EQ(
        parseError("poke \"Back to Game\" 12\n"), "script.txt:1: poke: TIMES must be from 1 to 9, not 12");
    ScriptPlayer player;
    player.play("poke \"Back to Game\" 2\n", 1);
    ASSERT_EQ(player.framesOf("orient").size(), 2u);
    EXPECT_EQ(player.listener.events[0].value, 12);
}
