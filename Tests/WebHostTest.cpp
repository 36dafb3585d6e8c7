// The browser host's plain C++ parts: placement and taps, motion conventions, the store on
// local storage, and the fixed-function matrices of the GL ES layer.

#include "Platform/Web/GLES1State.h"
#include "Platform/Web/WebInput.h"
#include "Platform/Web/WebStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <vector>

TEST(WebInputTest, ViewIsLetterboxedAndTouchesLandInViewPoints)
{
    // A tall phone: full width, bars above and below.
    const WebViewPlacement tall = WebViewPlacement::inside(720, 1280, 320, 480);
    EXPECT_EQ(tall.width, 720);
    EXPECT_EQ(tall.height, 1080);
    EXPECT_EQ(tall.y, 100);
    EXPECT_FLOAT_EQ(tall.pixelsPerPoint(320), 2.25f);
    float x = 0, y = 1000; // whatever the outputs held before must not matter
    tall.toView(720, 100, 1280, 320, x, y); // the view's top right corner, from the canvas top
    EXPECT_FLOAT_EQ(x, 320);
    EXPECT_FLOAT_EQ(y, 0);
    tall.toView(0, 1180, 1280, 320, x, y);
    EXPECT_FLOAT_EQ(y, 480);

    // A desktop window: full height, bars left and right.
    const WebViewPlacement wide = WebViewPlacement::inside(1000, 600, 320, 480);
    EXPECT_EQ(wide.width, 400);
    EXPECT_EQ(wide.height, 600);
    EXPECT_EQ(wide.x, 300);
    wide.toView(500, 300, 600, 320, x, y);
    EXPECT_FLOAT_EQ(x, 160);
    EXPECT_FLOAT_EQ(y, 240);
    EXPECT_EQ(WebViewPlacement::inside(0, 600, 320, 480).width, 0);
}

TEST(WebInputTest, TapsCountWhenSoonAndNear)
{
    TapCounter taps;
    EXPECT_EQ(taps.began(1, 10.0, 100, 100), 1);
    taps.ended(1, 10.1, 100, 100);
    EXPECT_EQ(taps.began(2, 10.3, 110, 95), 2);
    EXPECT_EQ(taps.count(2), 2);
    taps.ended(2, 10.35, 110, 95);
    EXPECT_EQ(taps.began(3, 10.5, 110, 95), 3);
    taps.ended(3, 10.55, 110, 95);
    EXPECT_EQ(taps.began(4, 11.5, 110, 95), 1) << "too late";
    taps.ended(4, 11.55, 110, 95);
    EXPECT_EQ(taps.began(5, 11.6, 200, 95), 1) << "too far";
    taps.cancelled(5);
    EXPECT_EQ(taps.count(5), 1);
}

TEST(WebInputTest, MotionConventionIsLearntFromAnUprightSample)
{
    double x = 0, y = 0, z = 0;
    MotionConverter standard;
    standard.convert(0, 0, 9.8, x, y, z); // lying flat says nothing about the convention
    EXPECT_FALSE(standard.decided());
    standard.convert(0, 9.80665, 0, x, y, z);
    EXPECT_TRUE(standard.decided());
    EXPECT_NEAR(y, -1, 1e-9);
    standard.convert(-4.9, 8.5, 0, x, y, z); // turned to the right
    EXPECT_GT(x, 0.45);

    MotionConverter safari;
    safari.convert(0.5, -9.7, 0.3, x, y, z);
    EXPECT_TRUE(safari.decided());
    EXPECT_NEAR(y, -9.7 / MotionConverter::kStandardGravity, 1e-9);
    EXPECT_NEAR(x, 0.5 / MotionConverter::kStandardGravity, 1e-9);
    // A shake right after starts is no upright sample.
    MotionConverter shaken;
    shaken.convert(30, 30, 0, x, y, z);
    EXPECT_FALSE(shaken.decided());

    EXPECT_EQ(deviceOrientationForScreenAngle(0), 1);
    EXPECT_EQ(deviceOrientationForScreenAngle(180), 2);
    EXPECT_EQ(deviceOrientationForScreenAngle(90), 3);
    EXPECT_EQ(deviceOrientationForScreenAngle(-90), 4);
}

namespace {
struct FakeStorage {
    std::map<std::string, std::string> items;
    bool full = false;
    WebStore::Backend backend()
    {
        return { [this] { return items; },
            [this](const std::string& key, const std::string* text) {
                if (full)
                    return false;
                if (text)
                    items[key] = *text;
                else
                    items.erase(key);
                return true;
            } };
    }
};
} // namespace

TEST(WebStoreTest, EveryTypeSurvivesAReload)
{
    FakeStorage storage;
    storage.items["junk"] = "not json";
    storage.items["wrong"] = R"({"t":"bool","v":3})";
    {
        WebStore store(storage.backend());
        EXPECT_TRUE(store.keys().empty()) << "foreign entries are not values";
        store.setBool("sound", true);
        store.setInteger("runs", 1LL << 40);
        store.setDouble("gravity", 312.5);
        store.setString("ball", std::string("Ball7.png"));
        store.setData("face", KeyValueStore::Bytes { 0, 1, 2, 250, 251 });
        store.setData("one", KeyValueStore::Bytes { 7 });
        store.setObject("scores", nlohmann::json::array({ { { "score", 3 } } }));
        store.setString("gone", std::string("x"));
        store.removeValue("gone");
    }
    WebStore reloaded(storage.backend());
    EXPECT_TRUE(reloaded.boolForKey("sound"));
    EXPECT_EQ(reloaded.integerForKey("runs"), 1LL << 40);
    EXPECT_DOUBLE_EQ(reloaded.doubleForKey("gravity"), 312.5);
    EXPECT_EQ(reloaded.stringForKey("ball"), "Ball7.png");
    EXPECT_EQ(reloaded.dataForKey("face"), (KeyValueStore::Bytes { 0, 1, 2, 250, 251 }));
    EXPECT_EQ(reloaded.dataForKey("one"), (KeyValueStore::Bytes { 7 }));
    EXPECT_EQ(reloaded.objectForKey("scores")[0]["score"], 3);
    EXPECT_FALSE(reloaded.hasValue("gone"));
    EXPECT_FALSE(WebStore::decode(R"({"t":"data","v":"a*=="})").has_value());
}

TEST(WebStoreTest, FullStorageKeepsPlayingAndSaysSoOnce)
{
    FakeStorage storage;
    storage.full = true;
    int notices = 0;
    WebStore store(storage.backend(), [&](const std::string&) { ++notices; });
    store.setDouble("gravity", 200);
    store.setDouble("damping", 0.5);
    EXPECT_EQ(notices, 1);
    EXPECT_TRUE(store.failed());
    EXPECT_DOUBLE_EQ(store.doubleForKey("gravity"), 200) << "this run still sees it";
    EXPECT_TRUE(storage.items.empty());
}

namespace {
std::array<float, 4> transform(const GLES1State& gl, float x, float y, float z)
{
    float m[16];
    gl.modelViewProjection(m);
    std::array<float, 4> out {};
    for (int row = 0; row < 4; ++row)
        out[std::size_t(row)] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
    return out;
}
constexpr unsigned kModelView = 0x1700, kProjection = 0x1701;
} // namespace

TEST(GLES1StateTest, MatricesComposeAsFixedFunctionGL)
{
    GLES1State gl;
    gl.matrixMode(kProjection);
    gl.ortho(0, 320, 0, 480, -1, 1);
    gl.matrixMode(kModelView);
    auto p = transform(gl, 320, 480, 0);
    EXPECT_FLOAT_EQ(p[0], 1);
    EXPECT_FLOAT_EQ(p[1], 1);

    // Calls apply to the vertex in reverse order: scale first, then move.
    gl.translate(100, 0, 0);
    gl.scale(2, 2, 1);
    p = transform(gl, 10, 0, 0);
    EXPECT_NEAR(p[0], (120.0f / 320) * 2 - 1, 1e-6);

    ASSERT_TRUE(gl.push());
    gl.loadIdentity();
    gl.rotate(90, 0, 0, 1); // counter-clockwise: x goes to y
    p = transform(gl, 160, 0, 0);
    EXPECT_NEAR(p[0], -1, 1e-5);
    EXPECT_NEAR(p[1], 160.0f / 240 - 1, 1e-5);
    ASSERT_TRUE(gl.pop());
    EXPECT_FALSE(gl.pop()) << "the last entry stays";
    p = transform(gl, 10, 0, 0);
    EXPECT_NEAR(p[0], (120.0f / 320) * 2 - 1, 1e-6);

    gl.matrixMode(kProjection);
    EXPECT_TRUE(gl.push());
    EXPECT_FALSE(gl.push()) << "projection stack is two deep";
    gl.loadIdentity();
    gl.frustum(-1, 1, -1, 1, 1, 10);
    gl.matrixMode(kModelView);
    gl.loadIdentity();
    p = transform(gl, 0.5f, 0, -2);
    EXPECT_NEAR(p[0] / p[3], 0.25f, 1e-6) << "perspective divides by depth";
}

TEST(GLES1StateTest, WideLinesBecomeQuadsOfTheirWidthInPixels)
{
    // A 100 x 100 viewport: 2 clip units are 100 pixels. A horizontal segment 4 pixels wide,
    // once with w = 1 and once the same place with w = 2.
    for (const float w : { 1.0f, 2.0f }) {
        const float line[] = { -0.5f * w, 0, 0, w, 0.5f * w, 0, 0, w };
        const std::vector<float> quad = GLES1State::wideLineTriangles(0x0001, line, 2, 100, 100, 4);
        ASSERT_EQ(quad.size(), 24u) << "two triangles";
        float left = 1e9f, right = -1e9f, bottom = 1e9f, top = -1e9f;
        for (std::size_t i = 0; i < quad.size(); i += 4) {
            EXPECT_FLOAT_EQ(quad[i + 3], w);
            left = std::min(left, quad[i] / w);
            right = std::max(right, quad[i] / w);
            bottom = std::min(bottom, quad[i + 1] / w);
            top = std::max(top, quad[i + 1] / w);
        }
        EXPECT_NEAR(top - bottom, 0.08f, 1e-6) << "4 pixels across";
        EXPECT_NEAR(right - left, 1.08f, 1e-6) << "and half the width past each end";
    }

    // A loop closes back to its first vertex; a strip does not; a lone vertex of a line list and
    // a segment reaching behind the eye are left out.
    const float square[] = { 0, 0, 0, 1, 0.5f, 0, 0, 1, 0.5f, 0.5f, 0, 1, 0, 0.5f, 0, 1 };
    EXPECT_EQ(GLES1State::wideLineTriangles(0x0002, square, 4, 100, 100, 2).size(), 4u * 24);
    EXPECT_EQ(GLES1State::wideLineTriangles(0x0003, square, 4, 100, 100, 2).size(), 3u * 24);
    EXPECT_EQ(GLES1State::wideLineTriangles(0x0001, square, 3, 100, 100, 2).size(), 24u);
    const float behind[] = { 0, 0, 0, 1, 0.5f, 0, 0, -1 };
    EXPECT_TRUE(GLES1State::wideLineTriangles(0x0001, behind, 2, 100, 100, 2).empty());
}
