#include "Engine/View.h"
#include "Engine/Director.h"
#include "Engine/Layer.h"
#include "Engine/TouchDispatcher.h"
#include "Support/FakeHost.h"
#include "Support/GLTestSurface.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingView : public View {
public:
    using View::View;
    void touchesBegan(const TouchSet& touches, TouchEvent* event) override
    {
        log.push_back("began " + std::to_string(touches.size()) + " of "
            + std::to_string(event->touchesForView(this).size()));
    }
    void touchesMoved(const TouchSet& touches, TouchEvent*) override
    {
        const CGPoint p = locationOfTouch(touches.anyObject());
        log.push_back("moved " + std::to_string(int(p.x)) + "," + std::to_string(int(p.y)));
    }
    void touchesEnded(const TouchSet& touches, TouchEvent*) override
    {
        log.push_back("ended " + std::to_string(touches.size()));
    }
    std::vector<std::string> log;
};

class CountingLayer : public Layer {
public:
    void registerWithTouchDispatcher() override
    {
        TouchDispatcher::sharedDispatcher()->addTargetedDelegate(this, 0, true);
    }
    bool onTouchBegan(Touch*, TouchEvent*) override
    {
        ++began;
        return true;
    }
    int began = 0;
};

struct Pixel {
    int r, g, b;
};

Pixel pixelAtViewPoint(FakeHost& host, float x, float y)
{
    int w = 0, h = 0;
    const std::vector<std::uint8_t> rgba = host.readPixels(w, h);
    const int scale = w / 320;
    const std::size_t i
        = (static_cast<std::size_t>(static_cast<int>(y) * scale) * w + static_cast<int>(x) * scale) * 4;
    return { rgba[i], rgba[i + 1], rgba[i + 2] };
}

Director* startDirector()
{
    Director::useDisplayLinkDirector();
    Director* director = Director::sharedDirector();
    director->setPixelFormat(kPixelFormatRGBA8888);
    WindowInfo window;
    window.multipleTouchEnabled = true;
    director->attachInWindow(window);
    return director;
}

} // namespace

TEST(View, GeometryFollowsCentreTransformAndBounds)
{
    Ref<View> parent = View::viewWithFrame(CGRectMake(10, 20, 200, 100));
    Ref<View> child = View::viewWithFrame(CGRectMake(50, 10, 40, 20));
    parent->addSubview(child);
    EXPECT_EQ(child->center(), CGPointMake(70, 20));
    child->setTransform(CGAffineTransformMakeScale(2, 2));
    EXPECT_EQ(child->frame(), CGRectMake(30, 0, 80, 40)); // grows about its centre
    EXPECT_EQ(child->bounds(), CGRectMake(0, 0, 40, 20));
    // Parent (the root here) point -> child bounds point goes through the child's scale.
    EXPECT_EQ(child->convertPointFromAncestor(CGPointMake(70, 20), nullptr), CGPointMake(20, 10));
    EXPECT_EQ(child->convertPointToAncestor(CGPointMake(0, 0), nullptr), CGPointMake(30, 0));

    // Hits go to the topmost touchable view; pictures and hidden views let touches through.
    Ref<View> top = View::viewWithFrame(CGRectMake(60, 0, 100, 100));
    parent->addSubview(top);
    EXPECT_EQ(parent->hitTest(CGPointMake(70, 20)), top.get());
    top->setHidden(true);
    EXPECT_EQ(parent->hitTest(CGPointMake(70, 20)), child.get());
    Ref<ImageView> picture = ImageView::imageViewWithImage(nullptr);
    picture->setFrame(CGRectMake(0, 0, 200, 100));
    parent->addSubview(picture);
    EXPECT_EQ(parent->hitTest(CGPointMake(70, 20)), child.get());
    EXPECT_EQ(parent->hitTest(CGPointMake(300, 20)), nullptr);

    // A view moved elsewhere leaves its old superview.
    top->addSubview(child);
    EXPECT_EQ(child->superview(), top.get());
    EXPECT_EQ(parent->subviews().size(), 2u);
    parent->addSubview(parent); // refused, no cycle
    EXPECT_EQ(parent->superview(), nullptr);
}

TEST(View, AnimationsEaseToTheModelValueAndReportHowTheyEnded)
{
    Ref<View> view = View::viewWithFrame(CGRectMake(0, 0, 320, 50));
    view->setAlpha(0);
    std::vector<bool> ended;
    View::animate(
        0.5, [&] { view->setAlpha(1); }, [&](bool finished) { ended.push_back(finished); });
    EXPECT_EQ(view->alpha(), 1); // the model value at once
    EXPECT_EQ(view->presentationAlpha(), 0);
    View::advanceAnimations(0.1);
    const float early = view->presentationAlpha();
    EXPECT_GT(early, 0);
    EXPECT_LT(early, 0.1f); // eases in
    View::advanceAnimations(0.15);
    EXPECT_NEAR(view->presentationAlpha(), 0.5f, 1e-3f);
    // A newer animation of the same property takes over from where it is drawn.
    View::animate(
        0.5, [&] { view->setAlpha(0); }, [&](bool finished) { ended.push_back(finished); });
    EXPECT_EQ(ended, std::vector<bool> { false });
    EXPECT_NEAR(view->presentationAlpha(), 0.5f, 1e-3f);
    View::advanceAnimations(0.5);
    EXPECT_EQ(view->presentationAlpha(), 0);
    EXPECT_EQ(ended, (std::vector<bool> { false, true }));
    EXPECT_FALSE(view->isAnimating());

    // A block that changes nothing still completes, on the next frame.
    View::animate(
        0.5, [&] { view->setAlpha(0); }, [&](bool finished) { ended.push_back(finished); });
    View::advanceAnimations(0);
    EXPECT_EQ(ended.size(), 3u);
}

TEST(View, TouchesOnAViewNeverReachTheDispatcher)
{
    resetEngineForTest();
    FakeHost host;
    Director* director = startDirector();
    Ref<Scene> scene = Scene::node();
    Ref<CountingLayer> layer = make<CountingLayer>();
    layer->setIsTouchEnabled(true);
    scene->addChild(layer);
    director->runWithScene(scene);
    host.frame();

    EAGLView* root = layer->view();
    ASSERT_NE(root, nullptr);
    Ref<RecordingView> single = make<RecordingView>(CGRectMake(0, 0, 100, 100));
    Ref<RecordingView> multi = make<RecordingView>(CGRectMake(100, 0, 100, 100));
    multi->setMultipleTouchEnabled(true);
    root->addSubview(single);
    root->addSubview(multi);

    root->handleHostTouches(HostTouchPhase::Began, { { 1, 10, 10, 1 }, { 2, 20, 20, 1 } }, 0);
    EXPECT_EQ(single->log, std::vector<std::string> { "began 1 of 1" }); // one finger only
    // A finger that began on the view stays its own even when it leaves it.
    root->handleHostTouches(HostTouchPhase::Moved, { { 1, 250, 300, 1 } }, 0);
    EXPECT_EQ(single->log.back(), "moved 250,300");
    root->handleHostTouches(HostTouchPhase::Began, { { 3, 110, 10, 1 }, { 4, 120, 20, 1 } }, 0);
    EXPECT_EQ(multi->log, std::vector<std::string> { "began 2 of 2" });
    EXPECT_EQ(layer->began, 0);
    root->handleHostTouches(HostTouchPhase::Began, { { 5, 250, 300, 1 } }, 0);
    EXPECT_EQ(layer->began, 1);
    root->handleHostTouches(HostTouchPhase::Ended, { { 1, 250, 300, 1 }, { 3, 110, 10, 1 } }, 0);
    EXPECT_EQ(single->log.back(), "ended 1");
    EXPECT_EQ(multi->log.back(), "ended 1");

    // Once a view is taken off the screen it hears nothing more of its fingers.
    multi->removeFromSuperview();
    root->handleHostTouches(HostTouchPhase::Ended, { { 4, 120, 20, 1 } }, 0);
    EXPECT_EQ(multi->log.back(), "ended 1");
    single->removeFromSuperview();
    director->end();
    host.frame();
    resetEngineForTest();
}

class ViewDrawing : public testing::TestWithParam<int> { };

TEST_P(ViewDrawing, OverTheSceneInSubviewOrderWithModalSlideAndFade)
{
    resetEngineForTest();
    FakeHost host(FakeHost::Options { true, GetParam() });
    Director* director = startDirector();
    Ref<Scene> scene = Scene::node();
    director->runWithScene(scene);
    host.frame();

    EAGLView* root = scene->view();
    Ref<View> red = View::viewWithFrame(CGRectMake(0, 0, 100, 100));
    red->setBackgroundColor(Color4F { 1, 0, 0, 1 });
    Ref<View> blue = View::viewWithFrame(CGRectMake(50, 50, 100, 100));
    blue->setBackgroundColor(Color4F { 0, 0, 1, 1 });
    blue->setClipsToBounds(true);
    Ref<View> spill = View::viewWithFrame(CGRectMake(50, 50, 100, 100)); // reaches outside blue
    spill->setBackgroundColor(Color4F { 0, 1, 0, 1 });
    blue->addSubview(spill);
    root->addSubview(red);
    root->addSubview(blue);
    host.frame();
    EXPECT_EQ(pixelAtViewPoint(host, 20, 20).r, 255);
    EXPECT_EQ(pixelAtViewPoint(host, 70, 70).b, 255); // blue is on top
    EXPECT_EQ(pixelAtViewPoint(host, 120, 120).g, 255);
    EXPECT_EQ(pixelAtViewPoint(host, 170, 170).g, 0); // cut at blue's edge
    red->setAlpha(0.5f);
    host.frame();
    EXPECT_NEAR(pixelAtViewPoint(host, 20, 20).r, 128, 2);

    // Presented: full width at the top, sliding in from above.
    Ref<View> sheet = View::viewWithFrame(CGRectMake(0, 0, 100, 200));
    sheet->setBackgroundColor(Color4F { 1, 1, 1, 1 });
    scene->presentModalView(sheet);
    EXPECT_EQ(sheet->frame(), CGRectMake(0, 0, 320, 200));
    host.frame(0.175); // half way: its lower half shows at the top
    EXPECT_EQ(pixelAtViewPoint(host, 300, 20).r, 255);
    EXPECT_EQ(pixelAtViewPoint(host, 300, 150).r, 0);
    host.frame(0.2);
    EXPECT_EQ(pixelAtViewPoint(host, 300, 150).r, 255);
    // Dismissed: gone from the tree at once, drawn fading for 0.15 s.
    scene->dismissModalView(sheet);
    EXPECT_EQ(sheet->superview(), nullptr);
    host.frame(0.075);
    EXPECT_NEAR(pixelAtViewPoint(host, 300, 20).r, 128, 3);
    host.frame(0.1);
    EXPECT_EQ(pixelAtViewPoint(host, 300, 20).r, 0);

    red->removeFromSuperview();
    blue->removeFromSuperview();
    director->end();
    host.frame();
    resetEngineForTest();
}

INSTANTIATE_TEST_SUITE_P(Scales, ViewDrawing, testing::Values(1, 2));

TEST(Image, MaskActsAsInverseAlphaAndScalingKeepsTheRightWayUp)
{
    // 2 x 2: black keeps, white cuts, grey halves, a see-through mask pixel cuts.
    Ref<Image> photo = Image::imageWithBitmap(solidImage(2, 2, { 200, 100, 50, 255 }, false));
    Ref<Image> mask = Image::imageWithBitmap(makeImage(2, 2, true, [](int x, int y) {
        const RGBA8 samples[4]
            = { { 0, 0, 0, 255 }, { 255, 255, 255, 255 }, { 128, 128, 128, 255 }, { 0, 0, 0, 0 } };
        return samples[y * 2 + x];
    }));
    Ref<Image> cut = photo->applyAlphaMask(*mask);
    const std::vector<std::uint8_t>& p = cut->bitmap().rgba;
    EXPECT_EQ(p[3], 255);
    EXPECT_EQ(p[7], 0);
    EXPECT_NEAR(p[11], 127, 1);
    EXPECT_EQ(p[15], 0);
    EXPECT_EQ(p[0], 200); // colour untouched

    // Top half red, bottom half blue; stretched to 3 x 8 it stays so.
    Ref<Image> split = Image::imageWithBitmap(makeImage(4, 4, false, [](int, int y) {
        return y < 2 ? RGBA8 { 255, 0, 0, 255 } : RGBA8 { 0, 0, 255, 255 };
    }));
    Ref<Image> tall = split->imageScaledToSize(CGSizeMake(3, 8));
    ASSERT_EQ(tall->pixelWidth(), 3);
    ASSERT_EQ(tall->pixelHeight(), 8);
    EXPECT_EQ(tall->bitmap().rgba[0], 255);
    EXPECT_EQ(tall->bitmap().rgba[(7 * 3) * 4 + 2], 255);
}

TEST(View, RenderToImageDrawsTheBoundsAtOnePixelAPoint)
{
    // A canvas cut at its bounds with a turned picture inside, rendered from a container the
    // size of a mask, centred on the canvas: what the crop page keeps.
    Ref<View> container = View::viewWithFrame(CGRectMake(0, 0, 20, 10));
    Ref<View> canvas = View::viewWithFrame(CGRectMake(0, 0, 40, 40));
    canvas->setBackgroundColor(Color4F { 1, 1, 1, 1 });
    canvas->setClipsToBounds(true);
    Ref<ImageView> picture
        = ImageView::imageViewWithImage(Image::imageWithBitmap(makeImage(8, 4, false, [](int x, int) {
              return x < 4 ? RGBA8 { 255, 0, 0, 255 } : RGBA8 { 0, 255, 0, 255 };
          })).get());
    picture->setCenter(CGPointMake(20, 20));
    picture->setTransform(CGAffineTransformMakeRotation(3.14159265f)); // left and right swap
    canvas->addSubview(picture);
    container->addSubview(canvas);
    canvas->setCenter(CGPointMake(10, 5));

    Ref<Image> image = container->renderToImage();
    ASSERT_EQ(image->pixelWidth(), 20);
    ASSERT_EQ(image->pixelHeight(), 10);
    auto at = [&](int x, int y) { return image->bitmap().rgba.data() + (y * 20 + x) * 4; };
    EXPECT_EQ(at(0, 0)[0], 255); // white canvas around the picture
    EXPECT_EQ(at(0, 0)[1], 255);
    EXPECT_EQ(at(7, 5)[1], 255); // green now on the left
    EXPECT_EQ(at(7, 5)[0], 0);
    EXPECT_EQ(at(12, 5)[0], 255); // red on the right
    EXPECT_EQ(at(12, 5)[1], 0);
}
