// The BabeBikiniProfile, Dog and Rocker figures: their build with and without a custom face,
// their sprites, a fall onto a ball, and the real program drawing them.
#include "Classes/Configuration.h"
#include "Classes/Ragdoll.h"
#include "Engine/Director.h"
#include "Engine/Layer.h"
#include "Engine/Sprite.h"
#include "Engine/Support/EAGLView.h"
#include "Platform/ImageCodec.h"
#include "Platform/MemoryStore.h"
#include "Platform/SqliteStore.h"
#include "Support/FakeHost.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const kFigures[] = { "BabeBikiniProfile", "Dog", "Rocker" };

class FiguresTest : public testing::Test {
protected:
    FiguresTest()
    {
        Configuration::resetForTesting(&m_store);
        Director::sharedDirector()->attachInWindow(WindowInfo {});
    }
    ~FiguresTest() override
    {
        resetEngineForTest();
        Configuration::resetForTesting(nullptr);
    }

    // The figures only ask whether face data is stored; the sprite falls back when it fails to decode.
    static void setCustomFace(bool on)
    {
        Configuration::current()->setCustomFaceImage(
            on ? std::optional<Configuration::Bytes>({ 1, 2, 3 }) : std::nullopt);
    }

    FakeHost m_host;
    MemoryStore m_store;
};

// A figure built into its own space. The space goes first, as the play layer does it.
struct Built {
    explicit Built(const char* className, CGPoint position = CGPointZero)
        : space(cpSpaceNew())
    {
        figure = Ragdoll::classNamed(className)->alloc();
        EXPECT_TRUE(figure->initWithSpace(space, position, nullptr));
    }
    ~Built()
    {
        cpSpaceFree(space);
        figure = nullptr;
    }
    Built(const Built&) = delete;
    Built& operator=(const Built&) = delete;

    std::string nameOf(const cpBody* body) const
    {
        for (const Ragdoll::Part& part : figure->parts())
            if (part.body == body)
                return part.name;
        return "?";
    }

    // Each joint by kind and the parts it joins, with its numbers, to compare two builds.
    std::map<std::string, std::vector<double>> jointTable() const
    {
        std::map<std::string, std::vector<double>> table;
        for (const Ref<PointerWrapper>& wrapper : figure->joints()) {
            auto* c = static_cast<cpConstraint*>(wrapper->pointer());
            const std::string parts = nameOf(cpConstraintGetBodyA(c)) + "-" + nameOf(cpConstraintGetBodyB(c));
            if (cpConstraintIsPivotJoint(c)) {
                const cpVect a = cpPivotJointGetAnchorA(c), b = cpPivotJointGetAnchorB(c);
                table["pivot " + parts] = { a.x, a.y, b.x, b.y };
            } else if (cpConstraintIsGrooveJoint(c)) {
                const cpVect a = cpGrooveJointGetGrooveA(c), b = cpGrooveJointGetGrooveB(c);
                table["groove " + parts] = { a.x, a.y, b.x, b.y };
            } else {
                table["limit " + parts] = { cpRotaryLimitJointGetMin(c), cpRotaryLimitJointGetMax(c) };
            }
        }
        return table;
    }

    cpSpace* space;
    Ref<Ragdoll> figure;
};

// How far the worst joint is from holding: pivot anchors apart or a groove's anchor off its
// segment (points), a limited angle beyond its bounds (radians).
struct JointError {
    double points = 0, radians = 0;
};
JointError jointError(const Ragdoll& figure)
{
    JointError worst;
    for (const Ref<PointerWrapper>& wrapper : figure.joints()) {
        auto* c = static_cast<cpConstraint*>(wrapper->pointer());
        cpBody* a = cpConstraintGetBodyA(c);
        cpBody* b = cpConstraintGetBodyB(c);
        if (cpConstraintIsPivotJoint(c)) {
            const cpVect pa = cpBodyLocalToWorld(a, cpPivotJointGetAnchorA(c));
            worst.points
                = std::max(worst.points, cpvdist(pa, cpBodyLocalToWorld(b, cpPivotJointGetAnchorB(c))));
        } else if (cpConstraintIsGrooveJoint(c)) {
            const cpVect local = cpBodyWorldToLocal(a, cpBodyLocalToWorld(b, cpGrooveJointGetAnchorB(c)));
            const cpVect g1 = cpGrooveJointGetGrooveA(c), d = cpvsub(cpGrooveJointGetGrooveB(c), g1);
            const double t = std::clamp(cpvdot(cpvsub(local, g1), d) / cpvlengthsq(d), 0.0, 1.0);
            worst.points = std::max(worst.points, cpvdist(local, cpvadd(g1, cpvmult(d, t))));
        } else {
            const double rel = cpBodyGetAngle(b) - cpBodyGetAngle(a);
            const double over
                = std::max(cpRotaryLimitJointGetMin(c) - rel, rel - cpRotaryLimitJointGetMax(c));
            worst.radians = std::max(worst.radians, over);
        }
    }
    return worst;
}

} // namespace

TEST_F(FiguresTest, EachFigureIsBuiltWholeAndMovedWholeByThePosition)
{
    struct Expect {
        const char* name;
        bool face;
        size_t bodies, shapes, joints;
        const char* main;
    };
    const Expect expected[] = {
        { "BabeBikiniProfile", false, 15, 17, 28, "chest" },
        { "BabeBikiniProfile", true, 15, 17, 28, "chest" },
        { "Dog", false, 17, 17, 32, "body1" },
        { "Dog", true, 16, 16, 30, "body1" },
        { "Rocker", false, 16, 16, 30, "chest" },
        { "Rocker", true, 16, 16, 30, "chest" },
    };
    for (const Expect& e : expected) {
        SCOPED_TRACE(std::string(e.name) + (e.face ? " with a face" : ""));
        setCustomFace(e.face);
        Built origin(e.name), moved(e.name, CGPointMake(139.5f, -20));
        EXPECT_STREQ(origin.figure->className(), e.name);
        EXPECT_EQ(origin.figure->parts().size(), e.bodies);
        EXPECT_EQ(origin.figure->shapes().size(), e.shapes);
        EXPECT_EQ(origin.figure->joints().size(), e.joints);
        EXPECT_EQ(origin.figure->mainBody(), origin.figure->bodyNamed(e.main));
        for (size_t i = 0; i < origin.figure->parts().size(); ++i) {
            const cpVect a = cpBodyGetPosition(origin.figure->parts()[i].body);
            const cpVect b = cpBodyGetPosition(moved.figure->parts()[i].body);
            EXPECT_EQ(b.x - a.x, 139.5) << origin.figure->parts()[i].name;
            EXPECT_EQ(b.y - a.y, -20) << origin.figure->parts()[i].name;
        }
        EXPECT_EQ(origin.jointTable(), moved.jointTable());
    }
    // The Rocker's local frame lies (45, 75) off: it reaches below its nominal origin.
    Built rocker("Rocker");
    EXPECT_EQ(cpBodyGetPosition(rocker.figure->bodyNamed("chest")), cpv(53, 93));
    EXPECT_EQ(cpBodyGetPosition(rocker.figure->bodyNamed("frontFoot")), cpv(46, -10));
}

TEST_F(FiguresTest, ACustomFaceChangesOnlyTheHeadAndItsNeck)
{
    struct Expect {
        const char* name;
        bool headMoves;
        std::vector<std::string> changed, dropped;
    };
    const Expect expected[] = {
        { "BabeBikiniProfile", true, { "pivot chest-head" }, {} },
        { "Dog", false, { "pivot head-body1" }, { "limit head-jaw", "pivot head-jaw" } },
        { "Rocker", true, { "pivot chest-head" }, {} },
    };
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.name);
        setCustomFace(false);
        Built plain(e.name);
        setCustomFace(true);
        Built face(e.name);
        for (const Ragdoll::Part& part : face.figure->parts()) {
            cpBody* other = plain.figure->bodyNamed(part.name);
            ASSERT_NE(other, nullptr) << part.name;
            EXPECT_EQ(cpBodyGetMass(part.body), cpBodyGetMass(other)) << part.name;
            EXPECT_EQ(cpBodyGetMoment(part.body), cpBodyGetMoment(other)) << part.name;
            const bool moved = cpvdist(cpBodyGetPosition(part.body), cpBodyGetPosition(other)) > 0;
            EXPECT_EQ(moved, e.headMoves && std::string(part.name) == "head") << part.name;
        }
        std::vector<std::string> changed, dropped;
        const auto faceJoints = face.jointTable();
        for (const auto& [key, values] : plain.jointTable()) {
            auto it = faceJoints.find(key);
            if (it == faceJoints.end())
                dropped.push_back(key);
            else if (it->second != values)
                changed.push_back(key);
        }
        EXPECT_EQ(changed, e.changed);
        EXPECT_EQ(dropped, e.dropped);
    }
}

// A few seconds of fall onto a ball: the figure stays finite, lands on the ball without sinking
// through it, and every joint holds, the hip locked and the bust on its groove.
TEST_F(FiguresTest, FallingOntoABallEveryJointHolds)
{
    for (const char* name : kFigures) {
        for (bool face : { false, true }) {
            SCOPED_TRACE(std::string(name) + (face ? " with a face" : ""));
            setCustomFace(face);
            Built built(name, CGPointMake(100, 300));
            Ragdoll& figure = *built.figure;
            cpSpaceSetGravity(built.space, cpv(0, -150));

            const cpVect centre = cpvadd(cpBodyGetPosition(figure.mainBody()), cpv(10, -260));
            const cpFloat radius = 60;
            cpShape* ball = cpSpaceAddShape(
                built.space, cpCircleShapeNew(cpSpaceGetStaticBody(built.space), radius, centre));
            cpShapeSetCollisionType(ball, 808);
            int contacts = 0;
            cpCollisionHandler* handler = cpSpaceAddCollisionHandler(built.space, 316, 808);
            handler->userData = &contacts;
            handler->beginFunc = [](cpArbiter*, cpSpace*, cpDataPointer data) -> cpBool {
                ++*static_cast<int*>(data);
                return cpTrue;
            };

            // The build leaves some anchors apart (the dog's far shoulder by 15 points), which the
            // solver closes in the first steps. In the landing the light feet dig in and stretch
            // their joints for a moment; once the figure has slid off the frictionless ball
            // everything must be tight again.
            JointError landing, after;
            double deepest = 0, hipBend = 0;
            for (int step = 0; step < 400; ++step) {
                cpSpaceStep(built.space, 1.0 / 60);
                for (const Ragdoll::Part& part : figure.parts()) {
                    ASSERT_TRUE(std::isfinite(cpBodyGetPosition(part.body).x))
                        << part.name << " step " << step;
                    ASSERT_TRUE(std::isfinite(cpBodyGetAngle(part.body))) << part.name << " step " << step;
                }
                double depth = 0;
                for (cpShape* shape : figure.shapes()) {
                    cpPointQueryInfo info;
                    cpShapePointQuery(shape, centre, &info);
                    depth = std::max(depth, radius - info.distance);
                }
                deepest = std::max(deepest, depth);
                if (step >= 30) {
                    JointError& worst = step < 370 ? landing : after;
                    const JointError e = jointError(figure);
                    worst.points = std::max(worst.points, e.points);
                    worst.radians = std::max(worst.radians, e.radians);
                }
                if (step >= 370) {
                    EXPECT_LT(depth, 1.0) << "still inside the ball at step " << step;
                }
                if (cpBody* butt = figure.bodyNamed("butt"))
                    hipBend = std::max(hipBend,
                        std::abs(cpBodyGetAngle(butt) - cpBodyGetAngle(figure.bodyNamed("stomach"))));
            }
            EXPECT_GT(contacts, 0);
            EXPECT_LT(deepest, radius / 2);
            EXPECT_LT(landing.points, 10);
            EXPECT_LT(landing.radians, 0.3);
            EXPECT_LT(after.points, 0.5);
            EXPECT_LT(after.radians, 0.02);
            EXPECT_LT(hipBend, 0.1);
            if (cpBody* boob = figure.bodyNamed("boob")) {
                // On the groove: x 4, y from 25 to 26 in the chest's frame.
                const cpVect p = cpBodyWorldToLocal(figure.mainBody(), cpBodyLocalToWorld(boob, cpv(0, 3)));
                EXPECT_NEAR(p.x, 4, 0.5);
                EXPECT_NEAR(p.y, 25.5, 1);
            }
            cpSpaceRemoveShape(built.space, ball);
            cpShapeFree(ball);
        }
    }
}

TEST_F(FiguresTest, SpritesFollowTheirBodiesAndAFaceLiesUnderTheTorso)
{
    for (const char* name : kFigures) {
        for (bool face : { false, true }) {
            SCOPED_TRACE(std::string(name) + (face ? " with a face" : ""));
            setCustomFace(face);
            Built built(name, CGPointMake(80, 40));
            Ragdoll& figure = *built.figure;
            Ref<Layer> layer = Layer::node();
            figure.addSpritesToLayer(layer);
            ASSERT_EQ(figure.sprites().size(), figure.parts().size());
            ASSERT_EQ(layer->children().size(), figure.parts().size());

            cpBodySetAngle(figure.mainBody(), 0.5);
            figure.updateSprites();
            std::map<std::string, size_t> depth; // index among the layer's children
            for (const Ragdoll::SpriteBinding& binding : figure.sprites()) {
                const std::string part = built.nameOf(binding.body);
                const cpVect p = cpBodyGetPosition(binding.body);
                EXPECT_EQ(binding.sprite->position(), CGPointMake(float(p.x), float(p.y))) << part;
                EXPECT_NEAR(
                    binding.sprite->rotation(), binding.body == figure.mainBody() ? -28.6478882 : 0, 1e-4);
                // Only the round parts hang on their centre.
                const bool round
                    = std::string(name) == "BabeBikiniProfile" && (part == "head" || part == "boob");
                EXPECT_EQ(binding.sprite->anchorPoint(), round ? CGPointMake(0.5f, 0.5f) : CGPointZero)
                    << part;
                const auto& children = layer->children();
                depth[part]
                    = size_t(std::find(children.begin(), children.end(), binding.sprite) - children.begin());
            }
            if (std::string(name) == "Dog") {
                EXPECT_EQ(depth["head"] < depth["body2"], face);
                EXPECT_EQ(depth["head"] > depth["body1"], !face);
                if (!face) {
                    EXPECT_EQ(depth["jaw"], depth["head"] + 1);
                }
            } else {
                EXPECT_EQ(depth["head"] < depth["chest"], face);
                if (std::string(name) == "BabeBikiniProfile") {
                    EXPECT_EQ(depth["head"] > depth["butt"], !face);
                    EXPECT_LT(depth["head"], depth["thigh2"]);
                }
            }
            figure.removeSpritesFromLayer(layer);
            EXPECT_TRUE(layer->children().empty());
        }
    }
}

// The real program draws each figure's main picture on its body, and a stored custom face on
// the head.
TEST_F(FiguresTest, TheProgramDrawsEachFigureWithItsCustomFace)
{
    const fs::path dir = fs::path(testing::TempDir()) / ("figures-" + std::to_string(getpid()));
    fs::remove_all(dir);
    struct Case {
        const char* name;
        const char* main;
        int mainWidth, mainHeight, faceWidth, faceHeight;
        bool roundHead;
    };
    const Case cases[] = { { "BabeBikiniProfile", "chest", 26, 43, 37, 37, true },
        { "Dog", "body1", 75, 64, 55, 34, false }, { "Rocker", "chest", 31, 69, 27, 29, false } };
    HostImage background;
    std::string error;
    ASSERT_TRUE(ImageCodec::decodeFile(
        std::string(BONZELAR_TEST_RESOURCES) + "/Background3.png", 4096, background, error));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path data = dir / c.name;
        fs::create_directories(data);
        const std::string program
            = std::string(BONZELAR_HEADLESS_EXE) + " --data-dir '" + data.string() + "' --seed 3";
        // A first run sets the store up; the figure and the face are changed in it after.
        ASSERT_EQ(std::system((program + " --frames 1 > /dev/null 2>&1").c_str()), 0);
        {
            SqliteStore store(data.string());
            store.setValue("ragdollClass", KeyValueStore::Value(std::string(c.name)));
            // A flat green face, found in the screenshot by its colour.
            std::vector<std::uint8_t> rgba, png;
            for (int i = 0; i < c.faceWidth * c.faceHeight; ++i)
                rgba.insert(rgba.end(), { 40, 200, 40, 255 });
            ASSERT_TRUE(ImageCodec::encodePNG(rgba.data(), c.faceWidth, c.faceHeight, true, png, error));
            store.setValue("customFaceImage", KeyValueStore::Value(png));
        }
        const std::string shot = (data / "shot.png").string(), dumpFile = (data / "dump.json").string();
        ASSERT_EQ(std::system((program + " --frames 2 --screenshot '" + shot + "' --dump '" + dumpFile
                      + "' > /dev/null 2>&1")
                                  .c_str()),
            0);
        const nlohmann::json game = nlohmann::json::parse(std::ifstream(dumpFile))["game"];
        ASSERT_EQ(game["ragdollClass"], c.name);
        HostImage image;
        ASSERT_TRUE(ImageCodec::decodeFile(shot, 4096, image, error)) << error;
        ASSERT_EQ(image.width, 320);

        // The share of a part's box (layer points, less a 3-point margin) whose pixels pass a test.
        auto share = [&](const char* part, double shift, int w, int h, auto&& test) {
            const auto& p = game["bodies"][part]["position"];
            const int x0 = int(double(p[0]) + shift + double(game["layerPosition"][0]));
            const int y0 = int(double(p[1]) + shift + double(game["layerPosition"][1]));
            int hits = 0, total = 0;
            for (int y = y0 + 3; y < y0 + h - 3; ++y)
                for (int x = x0 + 3; x < x0 + w - 3; ++x, ++total) {
                    const size_t i = (size_t(479 - y) * 320 + size_t(x)) * 4; // rows run top down
                    hits += x >= 0 && x < 320 && y >= 0 && y < 480
                        && test(&image.rgba[i], &background.rgba[i]);
                }
            return double(hits) / total;
        };
        EXPECT_GT(share(c.main, 0, c.mainWidth, c.mainHeight,
                      [](const std::uint8_t* a, const std::uint8_t* b) {
                          return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 30;
                      }),
            0.7);
        // Round heads are centred on their body, the others have it at their corner. Torso and
        // arms cover part of the face; none of the drawn pictures is this green.
        EXPECT_GT(share("head", c.roundHead ? -c.faceWidth / 2.0 : 0, c.faceWidth, c.faceHeight,
                      [](const std::uint8_t* a, const std::uint8_t*) {
                          return a[1] > 170 && a[0] < 80 && a[2] < 80;
                      }),
            0.2);
    }
    fs::remove_all(dir);
}
