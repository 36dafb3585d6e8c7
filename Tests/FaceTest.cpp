// The custom face: the crop canvas's gestures, the stored face's size for each figure, and the
// "Change Face" page with its picker, sheets and refusals.
#include "Classes/Configuration.h"
#include "Classes/FaceCropper.h"
#include "Classes/FaceSelector.h"
#include "Classes/Game.h"
#include "Classes/Ragdoll.h"
#include "Classes/Stack.h"
#include "Engine/AlertView.h"
#include "Engine/Director.h"
#include "Engine/Label.h"
#include "Engine/Sprite.h"
#include "Engine/TextureMgr.h"
#include "Platform/FolderPhotoLibrary.h"
#include "Platform/ImageCodec.h"
#include "Platform/MemoryStore.h"
#include "Support/FakeHost.h"
#include "Support/GLTestSurface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <utility>

namespace {

// A canvas placed as the crop page places it, with fingers moved by hand.
class CanvasFingers {
public:
    CanvasFingers()
    {
        root = View::viewWithFrame(CGRectMake(0, 0, 320, 480));
        Ref<Image> photo = Image::imageWithBitmap(solidImage(100, 80, { 200, 30, 30, 255 }));
        canvas = make<ImageCanvasView>(CGRectMake(30, 167, 260, 211), photo.get());
        root->addSubview(canvas);
        matte = make<TouchRedirectImageView>(nullptr, canvas.get());
        matte->setFrame(canvas->frame());
        root->addSubview(matte);
    }
    // Fingers land on the matte, as they do on the page.
    Touch* down(float x, float y)
    {
        Ref<Touch> touch = make<Touch>();
        touch->begin(CGPointMake(x, y), 1, 0, nullptr);
        touch->setHitView(matte.get());
        fingers.push_back(touch);
        send(&View::touchesBegan, { touch.get() });
        return touch.get();
    }
    void move(std::initializer_list<std::pair<Touch*, CGPoint>> moves)
    {
        TouchSet moved;
        for (auto [touch, p] : moves) {
            touch->update(TouchPhase::Moved, p, 1, 0);
            moved.insert(touch);
        }
        send(&View::touchesMoved, moved);
    }
    void up(Touch* touch)
    {
        touch->update(TouchPhase::Ended, touch->locationInView(), 1, 0);
        send(&View::touchesEnded, { touch });
        fingers.erase(std::find(fingers.begin(), fingers.end(), touch));
    }
    CGPoint photoCentre() const { return canvas->imageView()->center(); }
    CGAffineTransform transform() const { return canvas->transformView()->transform(); }

    Ref<View> root;
    Ref<ImageCanvasView> canvas;
    Ref<TouchRedirectImageView> matte;

private:
    void send(void (View::*phase)(const TouchSet&, TouchEvent*), TouchSet touches)
    {
        TouchSet all;
        for (const Ref<Touch>& t : fingers)
            all.insert(t.get());
        Ref<TouchEvent> event = make<TouchEvent>(all, 0);
        (matte.get()->*phase)(touches, event.get());
    }
    std::vector<Ref<Touch>> fingers;
};

} // namespace

TEST(FaceCanvas, OneFingerDragsAtHalfSpeedTwoFingersTurnAndScale)
{
    CanvasFingers f;
    const CGPoint start = f.photoCentre();
    Touch* a = f.down(100, 250);
    f.move({ { a, CGPointMake(110, 250) } });
    EXPECT_EQ(f.photoCentre(), CGPointMake(start.x + 5, start.y));

    // The first two-finger sample records; the second scales by 1 + 10 / 110.
    Touch* b = f.down(200, 250);
    f.move({ { a, CGPointMake(100, 250) }, { b, CGPointMake(200, 250) } });
    EXPECT_EQ(f.transform(), CGAffineTransformIdentity);
    f.move({ { a, CGPointMake(95, 250) }, { b, CGPointMake(205, 250) } });
    EXPECT_FLOAT_EQ(f.transform().a, 1 + 10.0f / 110.0f);
    EXPECT_FLOAT_EQ(f.transform().d, 1 + 10.0f / 110.0f);
    // Turning the fingers a quarter turn turns the photo with them.
    const float scale = f.transform().a;
    f.move({ { a, CGPointMake(150, 195) }, { b, CGPointMake(150, 305) } });
    EXPECT_NEAR(f.transform().b, scale, 1e-5);
    EXPECT_NEAR(f.transform().a, 0, 1e-5);

    // One finger lifted: the other no longer drags.
    f.up(a);
    const CGPoint before = f.photoCentre();
    f.move({ { b, CGPointMake(170, 305) } });
    EXPECT_EQ(f.photoCentre(), before);
    // All lifted and touched again: it drags, in the finger's screen direction whatever the turn.
    f.up(b);
    Touch* c = f.down(100, 250);
    f.move({ { c, CGPointMake(110, 250) } });
    const CGPoint after = f.photoCentre();
    const CGAffineTransform t = f.transform();
    const CGPoint moved = CGPointMake(t.a * (after.x - before.x) + t.c * (after.y - before.y),
        t.b * (after.x - before.x) + t.d * (after.y - before.y));
    EXPECT_NEAR(moved.x, 5, 1e-3);
    EXPECT_NEAR(moved.y, 0, 1e-3);
}

TEST(FaceCanvas, MouseWheelAndSecondaryDragScaleAndTurnAboutTheCentre)
{
    FakeHost host;
    CanvasFingers f;
    f.canvas->wheel(CGPointZero, 1);
    EXPECT_NEAR(f.transform().a, 1.1f, 1e-5);
    EXPECT_EQ(f.canvas->inMultiTouch(), 0); // a finger drags right after
    const CGPoint c = f.canvas->convertPointToAncestor(CGPointMake(130, 105.5f), nullptr);
    f.canvas->secondaryDrag(HostTouchPhase::Began, CGPointMake(c.x + 50, c.y));
    f.canvas->secondaryDrag(HostTouchPhase::Moved, CGPointMake(c.x, c.y + 50));
    f.canvas->secondaryDrag(HostTouchPhase::Ended, CGPointMake(c.x, c.y + 50));
    EXPECT_NEAR(f.transform().a, 0, 1e-5);
    EXPECT_NEAR(f.transform().b, 1.1f, 1e-5);
    EXPECT_EQ(f.canvas->inMultiTouch(), 0);
}

// The stored face is exactly the head picture's size, cut by the mask, at either surface scale.
class FaceCrop : public testing::TestWithParam<float> { };

TEST_P(FaceCrop, StoredPNGHasTheHeadSpritesContentSizeForEachFigure)
{
    GLTestSurface surface(320, 480, GetParam());
    if (!surface.ready())
        GTEST_SKIP() << surface.error();
    surface.setResourceDirectory(BONZELAR_TEST_RESOURCES);
    MemoryStore store;
    Configuration::resetForTesting(&store);
    for (const char* name : { "Nerd", "BabeBikiniProfile", "Dog", "Rocker" }) {
        SCOPED_TRACE(name);
        const RagdollClass& figure = *Ragdoll::classNamed(name);
        Ref<Image> photo = Image::imageWithBitmap(solidImage(400, 300, { 30, 200, 30, 255 }, false));
        Ref<ImageCanvasView> canvas = make<ImageCanvasView>(CGRectMake(30, 167, 260, 211), photo.get());
        Ref<Image> face = FaceCropperLayer::croppedFace(canvas.get(), figure);
        ASSERT_TRUE(face);
        std::vector<std::uint8_t> png;
        ASSERT_TRUE(face->pngData(png));
        HostImage decoded;
        ASSERT_TRUE(surface.decodeImageData(png.data(), png.size(), 4096, decoded));
        const CGSize head = figure.headSprite()->contentSize();
        EXPECT_EQ(decoded.width, static_cast<int>(head.width));
        EXPECT_EQ(decoded.height, static_cast<int>(head.height));
        const std::uint8_t* middle
            = &decoded.rgba[((decoded.height / 2) * decoded.width + decoded.width / 2) * 4];
        EXPECT_EQ(middle[1], 200);
        EXPECT_EQ(middle[3], 255);
        EXPECT_EQ(decoded.rgba[3], 0); // a corner is cut away
    }
    TextureMgr::purgeSharedTextureMgr();
    Configuration::resetForTesting(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Scales, FaceCrop, testing::Values(1.0f, 2.0f));

namespace {

class PhotoHost : public FakeHost {
public:
    PhotoHost(const std::string& folder)
        : library(folder, false)
    {
    }
    bool decodeImageFile(const std::string&, int, HostImage& out) override
    {
        out = solidImage(60, 60, { 0, 0, 0, 0 });
        return true;
    }
    PhotoLibrary* photoLibrary() override { return platformPicker ? platformPicker : &library; }
    FolderPhotoLibrary library;
    PhotoLibrary* platformPicker = nullptr;
};

// A picker of the platform's own, as a phone's browser has: it opens when asked and later hands
// over a chosen file, or says it was closed without one.
class PlatformPicker : public FolderPhotoLibrary {
public:
    PlatformPicker()
        : FolderPhotoLibrary("", false)
    {
    }
    bool hasSystemPicker() const override { return true; }
    void presentSystemPicker() override { ++presented; }
    bool takeSystemPickerCancelled() override { return std::exchange(closed, false); }
    int presented = 0;
    bool closed = false;
};

class FacePage : public testing::Test {
protected:
    FacePage()
        : host(dir.path())
    {
        resetEngineForTest();
        Configuration::resetForTesting(&store);
        if (Stack* names = OptionsScene::classNamesStack()) {
            names->clear();
            OptionsScene::titlesStack()->clear();
        }
        Director::useDisplayLinkDirector();
        Director::sharedDirector()->attachInWindow(WindowInfo {});
        Director::sharedDirector()->runWithScene(GameScene::node().get());
        host.frame();
    }
    ~FacePage() override
    {
        resetEngineForTest();
        Configuration::resetForTesting(nullptr);
    }
    FaceSelectorLayer* openPage()
    {
        OptionsScene::next(FaceSelectorScene::node().get());
        for (int i = 0; i < 60; ++i)
            host.frame();
        auto* scene = Director::sharedDirector()->runningScene();
        for (const Ref<Node>& child : scene->children())
            if (auto* layer = dynamic_cast<FaceSelectorLayer*>(child.get()))
                return layer;
        ADD_FAILURE() << "no Change Face page";
        return nullptr;
    }

    TempDir dir;
    PhotoHost host;
    MemoryStore store;
};

} // namespace

TEST_F(FacePage, NarwhalHasNoCustomFaceAndRestoreClearsAndRedraws)
{
    Configuration::current()->setRagdollClass("Narwhal");
    FaceSelectorLayer* page = openPage();
    ASSERT_TRUE(page);
    EXPECT_FALSE(page->setCustomFaceMenuItem()->isEnabled());
    EXPECT_TRUE(page->noCustomFaceLabel()->visible());
    EXPECT_FALSE(page->restoreMenuItem()->isEnabled());

    Configuration::current()->setRagdollClass("Nerd");
    Configuration::current()->setCustomFaceImage(Configuration::Bytes { 1, 2, 3 });
    page->updateFaceDisplay();
    EXPECT_TRUE(page->setCustomFaceMenuItem()->isEnabled());
    EXPECT_FALSE(page->noCustomFaceLabel()->visible());
    ASSERT_TRUE(page->restoreMenuItem()->isEnabled());
    page->restore_Tapped(nullptr);
    AlertView* sheet = AlertView::alertIn(Director::sharedDirector()->runningScene());
    ASSERT_TRUE(sheet);
    ASSERT_TRUE(sheet->dismissWithButtonTitle("Do Not Restore"));
    EXPECT_TRUE(Configuration::current()->customFaceImage());
    page->restore_Tapped(nullptr);
    Ref<Sprite> oldFace = page->faceSprite(); // held, so a new one cannot take its address
    ASSERT_TRUE(AlertView::alertIn(Director::sharedDirector()->runningScene())
                    ->dismissWithButtonTitle("Restore Default"));
    EXPECT_FALSE(Configuration::current()->customFaceImage());
    EXPECT_NE(page->faceSprite(), oldFace.get());
    EXPECT_FALSE(page->restoreMenuItem()->isEnabled());
}

TEST_F(FacePage, ARefusedPictureAlertsAndLeavesTheStoredFace)
{
    Configuration::current()->setCustomFaceImage(Configuration::Bytes { 1, 2, 3 });
    // A PNG header claiming 5000 x 5000: refused before anything is decoded.
    const std::string huge = dir.file("huge.png");
    {
        const unsigned char header[] = { 0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H',
            'D', 'R', 0, 0, 0x13, 0x88, 0, 0, 0x13, 0x88, 8, 6, 0, 0, 0, 0, 0, 0, 0 };
        std::ofstream(huge, std::ios::binary).write(reinterpret_cast<const char*>(header), sizeof header);
    }
    std::ofstream(dir.file("empty.jpg")).close();

    FaceSelectorLayer* page = openPage();
    ASSERT_TRUE(page);
    page->custom_Tapped(nullptr); // the library only: straight to the picker
    ASSERT_TRUE(ImagePickerController::current());
    EXPECT_EQ(ImagePickerController::current()->grid()->pictures().size(), 2u);
    ImagePickerController::current()->pickFile(huge);
    EXPECT_FALSE(ImagePickerController::current());
    AlertView* alert = AlertView::alertIn(Director::sharedDirector()->runningScene());
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "Picture Not Usable");
    EXPECT_NE(alert->message().find("too large"), std::string::npos);
    alert->dismissWithButtonTitle("OK");
    EXPECT_EQ(Configuration::current()->customFaceImage(), (Configuration::Bytes { 1, 2, 3 }));

    page->custom_Tapped(nullptr);
    ImagePickerController::current()->pickFile(dir.file("empty.jpg"));
    EXPECT_TRUE(AlertView::alertIn(Director::sharedDirector()->runningScene()));
    EXPECT_EQ(Configuration::current()->customFaceImage(), (Configuration::Bytes { 1, 2, 3 }));
}

TEST_F(FacePage, ThePlatformsOwnPickerOpensAtOnceAndItsAnswersReachThePage)
{
    PlatformPicker platform;
    host.platformPicker = &platform;
    FaceSelectorLayer* page = openPage();
    ASSERT_TRUE(page);
    auto scene = [] { return std::string(Director::sharedDirector()->runningScene()->className()); };

    // Closed without a choice: the game's picker goes too, and nothing else happens.
    page->custom_Tapped(nullptr);
    EXPECT_EQ(platform.presented, 1) << "opened while the tap is handled";
    ASSERT_TRUE(ImagePickerController::current());
    EXPECT_FALSE(ImagePickerController::current()->grid());
    platform.closed = true;
    host.frame();
    EXPECT_FALSE(ImagePickerController::current());
    EXPECT_FALSE(AlertView::alertIn(Director::sharedDirector()->runningScene()));

    // A file that is not a picture: the desktop's alert, naming it.
    const std::string notes = dir.file("notes.txt");
    std::ofstream(notes) << "not a picture\n";
    page->custom_Tapped(nullptr);
    EXPECT_EQ(platform.presented, 2);
    platform.fileDropped(notes);
    host.frame();
    EXPECT_FALSE(ImagePickerController::current());
    AlertView* alert = AlertView::alertIn(Director::sharedDirector()->runningScene());
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "Picture Not Usable");
    EXPECT_NE(alert->message().find("notes.txt"), std::string::npos) << alert->message();
    alert->dismissWithButtonTitle("OK");
    EXPECT_FALSE(Configuration::current()->customFaceImage());

    // A picture chosen: on to "Crop Face".
    const std::string photo = dir.file("photo.png");
    const HostImage pixels = solidImage(40, 50, { 200, 150, 120, 255 });
    std::string error;
    ASSERT_TRUE(ImageCodec::writePNGFile(photo, pixels.rgba.data(), 40, 50, false, error)) << error;
    page->custom_Tapped(nullptr);
    platform.fileDropped(photo);
    for (int i = 0; i < 60 && scene() != "FaceCropperScene"; ++i)
        host.frame();
    EXPECT_EQ(scene(), "FaceCropperScene");
    EXPECT_FALSE(ImagePickerController::current());
}
