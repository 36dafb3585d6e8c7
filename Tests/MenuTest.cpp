// Menus: touch tracking through the real dispatcher, alignment, items, and a drawn menu.
//
// Set BONZELAR_SCREENSHOT_DIR to keep the drawn menu (menu.png).

#include "Engine/Menu.h"
#include "Engine/Director.h"
#include "Engine/Label.h"
#include "Engine/TextureMgr.h"
#include "Engine/TouchDispatcher.h"
#include "Support/FakeHost.h"
#include "Support/GLTestSurface.h"

#include "Tooling/NodeDump.h"
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Receives the items' calls.
class Receiver : public Object {
public:
    void item_Tapped(Object* sender) { taps.push_back(sender); }
    std::vector<Object*> taps;
};

// A touch-enabled layer under the menu that notes every touch it is given.
class UnderLayer : public Layer {
public:
    UnderLayer() { setIsTouchEnabled(true); }
    bool onTouchesBegan(const TouchSet& touches, TouchEvent*) override
    {
        began += static_cast<int>(touches.size());
        return false;
    }
    int began = 0;
};

// A label stand-in with a fixed size, so touch tests need no fonts.
Ref<TextureNode> box(float w, float h)
{
    Ref<TextureNode> node = TextureNode::node();
    node->setContentSize(CGSizeMake(w, h));
    return node;
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetEngineForTest();
        Director::useDisplayLinkDirector();
        WindowInfo window;
        window.multipleTouchEnabled = true;
        director()->attachInWindow(window);
        receiver = make<Receiver>();
        const MenuItem::Callback tapped(&Receiver::item_Tapped, "item_Tapped:");
        for (int i = 0; i < 3; ++i)
            items.push_back(MenuItemLabel::itemWithLabel(box(100, 40).get(), receiver.get(), tapped));
        menu = Menu::menuWithItems({ items[0].get(), items[1].get(), items[2].get() });
        menu->alignItemsVertically(); // centres at y 285, 240, 195; x 110 to 210
        scene = Scene::node();
        under = make<UnderLayer>();
        scene->addChild(under.get());
        scene->addChild(menu.get(), 1);
        director()->runWithScene(scene.get());
        host.frame();
    }
    void TearDown() override { resetEngineForTest(); }
    static Director* director() { return Director::sharedDirector(); }

    // x, y in view points (origin top left).
    void touch(HostTouchPhase phase, float x, float y, std::int64_t finger = 1)
    {
        director()->openGLView()->handleHostTouches(phase, { { finger, x, y, 1 } }, 0);
    }
    // View y of item i's centre.
    static float itemY(int i) { return 480 - (285 - 45.0f * static_cast<float>(i)); }

    FakeHost host;
    Ref<Receiver> receiver;
    std::vector<Ref<MenuItemLabel>> items;
    Ref<Menu> menu;
    Ref<Scene> scene;
    Ref<UnderLayer> under;
};

} // namespace

TEST_F(MenuTest, NewMenuSitsAtTheScreenCentreAndRefusesWhatItCannotHold)
{
    EXPECT_EQ(menu->position(), CGPointMake(160, 240));
    EXPECT_EQ(menu->contentSize(), CGSizeMake(320, 480));
    EXPECT_FALSE(menu->relativeAnchorPoint());
    EXPECT_EQ(items[2]->zOrder(), 2);

    EXPECT_EQ(raisedBy([] { Menu::node(); }), "MenuInit: Use initWithItems instead");
    EXPECT_EQ(raisedBy([] { MenuItem::node(); }), "MenuItemInit: Init not supported. Use InitFromString");
    EXPECT_EQ(raisedBy([this] { menu->addChild(Node::node().get()); }),
        "InternalInconsistencyException: Menu only supports MenuItem objects as children");
    EXPECT_EQ(menu->children().size(), 3u);
    EXPECT_EQ(raisedBy([] { MenuItemFont::itemFromString(""); }),
        "InternalInconsistencyException: Value lenght must be greater than 0");
}

TEST_F(MenuTest, AlignmentCentresColumnsAndRowsOnTheMenuOrigin)
{
    EXPECT_EQ(items[0]->position(), CGPointMake(0, 45));
    EXPECT_EQ(items[1]->position(), CGPointMake(0, 0));
    EXPECT_EQ(items[2]->position(), CGPointMake(0, -45));
    EXPECT_EQ(items[0]->rect(), CGRectMake(-50, 25, 100, 40));

    // Scaled items take their scaled size; widths 60, 100 (x2) and 20 with padding 10.
    items[0]->setLabel(box(60, 10).get());
    items[1]->setScale(2);
    items[1]->setLabel(box(50, 10).get());
    items[2]->setLabel(box(20, 10).get());
    menu->alignItemsHorizontallyWithPadding(10);
    // total 60 + 100 + 20 + 20 = 200, starting at -100.
    EXPECT_EQ(items[0]->position(), CGPointMake(-70, 0));
    EXPECT_EQ(items[1]->position(), CGPointMake(20, 0));
    EXPECT_EQ(items[2]->position(), CGPointMake(90, 0));

    // The grid layouts only check their arguments.
    EXPECT_EQ(raisedBy([this] { menu->alignItemsInColumns({ 2, 1 }); }), "");
    EXPECT_EQ(raisedBy([this] { menu->alignItemsInColumns({ 2 }); }),
        "InternalInconsistencyException: Too many menu items for the amount of rows/columns.");
    EXPECT_EQ(raisedBy([this] {
        menu->alignItemsInRows({ 0, 3 });
    }),
        "InternalInconsistencyException: Can't have zero rows on a column");
    EXPECT_EQ(raisedBy([this] {
        menu->alignItemsInColumns({ 2, 2 });
    }),
        "InternalInconsistencyException: Too many rows/columns for available menu items.");
}

TEST_F(MenuTest, TouchThatLeavesAllItemsActivatesOnlyIfItComesBack)
{
    touch(HostTouchPhase::Began, 160, itemY(0));
    EXPECT_EQ(menu->state(), kMenuStateTrackingTouch);
    EXPECT_EQ(menu->selectedItem(), items[0].get());
    host.frame();
    host.frame();
    EXPECT_GT(items[0]->scaleX(), 1.0f); // zooming towards 1.2

    touch(HostTouchPhase::Moved, 20, itemY(0)); // off every item
    EXPECT_EQ(menu->selectedItem(), nullptr);
    touch(HostTouchPhase::Ended, 20, itemY(0));
    EXPECT_TRUE(receiver->taps.empty());
    EXPECT_EQ(menu->state(), kMenuStateWaiting);

    touch(HostTouchPhase::Began, 160, itemY(0));
    touch(HostTouchPhase::Moved, 300, itemY(0));
    touch(HostTouchPhase::Moved, 150, itemY(0) + 5);
    touch(HostTouchPhase::Ended, 150, itemY(0) + 5);
    ASSERT_EQ(receiver->taps.size(), 1u);
    EXPECT_EQ(receiver->taps[0], items[0].get());
    EXPECT_EQ(items[0]->scaleX(), 1.0f); // activation drops the zoom at once

    // Sliding from one item to another activates the one under the finger at the end.
    touch(HostTouchPhase::Began, 160, itemY(0));
    touch(HostTouchPhase::Moved, 160, itemY(2));
    EXPECT_EQ(menu->selectedItem(), items[2].get());
    touch(HostTouchPhase::Ended, 160, itemY(2));
    ASSERT_EQ(receiver->taps.size(), 2u);
    EXPECT_EQ(receiver->taps[1], items[2].get());
    EXPECT_EQ(under->began, 0); // every one of these was the menu's
}

TEST_F(MenuTest, TouchOutsideTheItemsReachesTheLayersBelow)
{
    touch(HostTouchPhase::Began, 30, 30);
    touch(HostTouchPhase::Ended, 30, 30);
    EXPECT_EQ(under->began, 1);
    EXPECT_EQ(menu->state(), kMenuStateWaiting);
    // The rectangle test leaves the top and right edges out.
    touch(HostTouchPhase::Began, 210, itemY(1));
    touch(HostTouchPhase::Ended, 210, itemY(1));
    EXPECT_EQ(under->began, 2);
    EXPECT_TRUE(receiver->taps.empty());
}

TEST_F(MenuTest, DisabledItemTurnsGreyDoesNotZoomAndCallsNothing)
{
    items[1]->setColor({ 10, 200, 30 });
    items[1]->setIsEnabled(false);
    EXPECT_EQ(items[1]->color(), (Color3B { 126, 126, 126 }));

    touch(HostTouchPhase::Began, 160, itemY(1));
    EXPECT_EQ(menu->state(), kMenuStateTrackingTouch); // found, so still not the layer's
    host.frame();
    host.frame();
    host.frame();
    EXPECT_EQ(items[1]->scaleX(), 1.0f);
    touch(HostTouchPhase::Ended, 160, itemY(1));
    EXPECT_TRUE(receiver->taps.empty());
    EXPECT_EQ(under->began, 0);

    items[1]->setIsEnabled(false); // no change: the saved colour must survive
    items[1]->setIsEnabled(true);
    EXPECT_EQ(items[1]->color(), (Color3B { 10, 200, 30 }));
    touch(HostTouchPhase::Began, 160, itemY(1));
    touch(HostTouchPhase::Ended, 160, itemY(1));
    EXPECT_EQ(receiver->taps.size(), 1u);
}

TEST_F(MenuTest, ArrowsSkipItemsThatCannotActWrapAndEnterActivates)
{
    items[1]->setIsEnabled(false);
    Ref<MenuItem> spacer = MenuItemLabel::itemWithLabel(box(100, 40).get(), nullptr, {});
    menu->addChild(spacer.get(), 3);
    auto key = [](HostKey k) { return director()->dispatchKey(k); };

    EXPECT_FALSE(key(HostKey::Enter)); // nothing highlighted yet: the key is not used
    EXPECT_TRUE(key(HostKey::Down));
    EXPECT_EQ(menu->highlightedItem(), items[0].get());
    EXPECT_TRUE(key(HostKey::Down)); // over the disabled item
    EXPECT_EQ(menu->highlightedItem(), items[2].get());
    EXPECT_TRUE(key(HostKey::Right)); // past the spacer, round to the top
    EXPECT_EQ(menu->highlightedItem(), items[0].get());
    EXPECT_TRUE(key(HostKey::Up));
    EXPECT_EQ(menu->highlightedItem(), items[2].get());
    EXPECT_FALSE(key(HostKey::Escape)); // for whoever owns the page

    EXPECT_TRUE(key(HostKey::Space));
    ASSERT_EQ(receiver->taps.size(), 1u);
    EXPECT_EQ(receiver->taps[0], items[2].get());
    EXPECT_EQ(NodeDump::properties(menu.get())["highlighted"], 2);

    // A finger takes over; an item removed while highlighted is forgotten.
    touch(HostTouchPhase::Began, 160, itemY(0));
    touch(HostTouchPhase::Ended, 160, itemY(0));
    EXPECT_EQ(menu->highlightedItem(), nullptr);
    key(HostKey::Down);
    menu->removeChild(items[0].get(), true);
    EXPECT_EQ(menu->highlightedItem(), nullptr);
    EXPECT_FALSE(key(HostKey::Enter));
}

TEST_F(MenuTest, SecondFingerIsIgnoredWhileTheFirstIsDown)
{
    touch(HostTouchPhase::Began, 160, itemY(0), 1);
    touch(HostTouchPhase::Began, 160, itemY(2), 2);
    EXPECT_EQ(menu->selectedItem(), items[0].get());
    EXPECT_EQ(under->began, 1); // refused by the menu, so passed on
    touch(HostTouchPhase::Ended, 160, itemY(2), 2);
    EXPECT_TRUE(receiver->taps.empty());
    touch(HostTouchPhase::Ended, 160, itemY(0), 1);
    ASSERT_EQ(receiver->taps.size(), 1u);
    EXPECT_EQ(receiver->taps[0], items[0].get());
}

TEST_F(MenuTest, CancelledTouchAndAMenuLeftMidTouchActivateNothing)
{
    touch(HostTouchPhase::Began, 160, itemY(0));
    touch(HostTouchPhase::Cancelled, 160, itemY(0));
    EXPECT_EQ(menu->state(), kMenuStateWaiting);
    EXPECT_TRUE(receiver->taps.empty());

    // Removed and put back while a finger is down: it must take touches again.
    touch(HostTouchPhase::Began, 160, itemY(0), 3);
    Ref<Menu> keep = menu;
    scene->removeChild(menu.get(), false);
    touch(HostTouchPhase::Ended, 160, itemY(0), 3);
    scene->addChild(menu.get(), 1);
    touch(HostTouchPhase::Began, 160, itemY(1), 4);
    touch(HostTouchPhase::Ended, 160, itemY(1), 4);
    ASSERT_EQ(receiver->taps.size(), 1u);
    EXPECT_EQ(receiver->taps[0], items[1].get());

    // An item removed while selected is forgotten, not activated.
    touch(HostTouchPhase::Began, 160, itemY(2), 5);
    menu->removeChild(items[2].get(), true);
    touch(HostTouchPhase::Ended, 160, itemY(2), 5);
    EXPECT_EQ(receiver->taps.size(), 1u);
}

TEST_F(MenuTest, ToggleCyclesItsSubItemsBeforeCallingTheTarget)
{
    Ref<MenuItemLabel> on = MenuItemLabel::itemWithLabel(box(80, 30).get(), nullptr, {});
    Ref<MenuItemLabel> off = MenuItemLabel::itemWithLabel(box(120, 30).get(), nullptr, {});
    struct IndexProbe : Object {
        void changed(Object* sender)
        {
            seen.push_back(static_cast<MenuItemToggle*>(sender)->selectedIndex());
        }
        std::vector<unsigned> seen;
    };
    auto probe = make<IndexProbe>();
    Ref<MenuItemToggle> toggle = MenuItemToggle::itemWithTarget(
        probe.get(), MenuItem::Callback(&IndexProbe::changed), { on.get(), off.get() });
    EXPECT_EQ(toggle->selectedItem(), on.get());
    EXPECT_EQ(toggle->contentSize(), CGSizeMake(80, 30));
    EXPECT_EQ(on->parent(), toggle.get());
    EXPECT_EQ(on->position(), CGPointMake(40, 15));

    toggle->activate();
    toggle->activate();
    toggle->activate();
    EXPECT_EQ(probe->seen, (std::vector<unsigned> { 1, 0, 1 }));
    EXPECT_EQ(toggle->contentSize(), CGSizeMake(120, 30));
    EXPECT_EQ(on->parent(), nullptr);
    ASSERT_EQ(toggle->children().size(), 1u);

    toggle->setIsEnabled(false);
    EXPECT_FALSE(on->isEnabled());
    toggle->activate();
    EXPECT_EQ(toggle->selectedIndex(), 1u);
    EXPECT_EQ(probe->seen.size(), 3u);
    toggle->setSelectedIndex(7); // out of range: ignored
    EXPECT_EQ(toggle->selectedIndex(), 1u);
}

TEST_F(MenuTest, FontSettingsApplyOnlyToItemsMadeAfterwards)
{
    EXPECT_EQ(MenuItemFont::fontSize(), 32);
    EXPECT_EQ(MenuItemFont::fontName(), "Marker Felt");
    Ref<MenuItemFont> before = MenuItemFont::itemFromString("Before");
    MenuItemFont::setFontSize(20);
    MenuItemFont::setFontName("Helvetica");
    Ref<MenuItemFont> after = MenuItemFont::itemFromString("After");
    MenuItemFont::setFontSize(32);
    MenuItemFont::setFontName("Marker Felt");

    auto* beforeLabel = static_cast<Label*>(before->label());
    auto* afterLabel = static_cast<Label*>(after->label());
    EXPECT_EQ(beforeLabel->fontSize(), 32);
    EXPECT_EQ(beforeLabel->fontName(), "Marker Felt");
    EXPECT_EQ(afterLabel->fontSize(), 20);
    EXPECT_EQ(afterLabel->fontName(), "Helvetica");
}

TEST_F(MenuTest, DumpTellsAScriptWhereToTap)
{
    // No fonts on this host: the label keeps its text but has no size.
    Ref<MenuItemFont> text = MenuItemFont::itemFromString(
        "Back to Game", receiver.get(), MenuItem::Callback(&Receiver::item_Tapped));
    menu->addChild(text.get(), 3);
    text->setIsEnabled(false);

    const nlohmann::json out = NodeDump::properties(items[0]);
    EXPECT_EQ(out["class"], "MenuItemLabel");
    EXPECT_EQ(out["enabled"], true);
    EXPECT_EQ(out["worldRect"], nlohmann::json({ 110, 265, 100, 40 }));
    EXPECT_EQ(out["tapPoint"], nlohmann::json({ 160, 195 }));

    const nlohmann::json disabled = NodeDump::properties(text);
    EXPECT_EQ(disabled["text"], "Back to Game");
    EXPECT_EQ(disabled["enabled"], false);
    EXPECT_EQ(disabled["color"], nlohmann::json({ 126, 126, 126 }));
    EXPECT_EQ(disabled["class"], "MenuItemFont");

    // The tap point really is the item.
    const float x = out["tapPoint"][0].get<float>(), y = out["tapPoint"][1].get<float>();
    touch(HostTouchPhase::Began, x, y);
    touch(HostTouchPhase::Ended, x, y);
    ASSERT_EQ(receiver->taps.size(), 1u);
    EXPECT_EQ(receiver->taps[0], items[0].get());
}

// --- drawn ----------------------------------------------------------------------------------

TEST(MenuPixels, TextItemsDrawWhiteAndDisabledOnesGrey)
{
    resetEngineForTest();
    GLTestSurface surface(320, 480);
    if (!surface.ready())
        GTEST_SKIP() << "no offscreen GL ES 1.1 surface: " << surface.error();

    Ref<MenuItemFont> play = MenuItemFont::itemFromString("Play");
    Ref<MenuItemFont> options = MenuItemFont::itemFromString("Options");
    Ref<MenuItemFont> scores = MenuItemFont::itemFromString("High Scores");
    scores->setIsEnabled(false);
    ASSERT_GT(play->contentSize().height, 20);
    Ref<Menu> menu = Menu::menuWithItems({ play.get(), options.get(), scores.get() });
    menu->alignItemsVertically();

    surface.begin2D(0.1f, 0.1f, 0.3f);
    menu->visit();
    if (const char* dir = std::getenv("BONZELAR_SCREENSHOT_DIR"))
        surface.savePNG(std::string(dir) + "/menu.png");

    // The brightest pixel inside each item's world rectangle.
    auto brightest = [&](MenuItem* item) {
        const CGRect r = CGRectApplyAffineTransform(
            CGRectMake(0, 0, item->contentSize().width, item->contentSize().height),
            item->nodeToWorldTransform());
        RGBA8 best;
        for (int y = static_cast<int>(r.origin.y); y < static_cast<int>(r.origin.y + r.size.height); ++y)
            for (int x = static_cast<int>(r.origin.x); x < static_cast<int>(r.origin.x + r.size.width); ++x) {
                const RGBA8 p = surface.pixel(x, y);
                if (p.r + p.g + p.b > best.r + best.g + best.b)
                    best = p;
            }
        return best;
    };
    const RGBA8 white = brightest(play.get());
    EXPECT_GT(white.r, 240);
    EXPECT_GT(white.b, 240);
    const RGBA8 grey = brightest(scores.get());
    EXPECT_NEAR(grey.r, 126, 6);
    EXPECT_NEAR(grey.g, 126, 6);
    // Over the blue-ish background the blue channel shows the background through the edges only.
    EXPECT_GE(grey.b, grey.r);
    // Nothing is drawn between the items' rows beyond the column.
    const RGBA8 outside = surface.pixel(10, 240);
    EXPECT_LT(outside.r, 40);
    TextureMgr::purgeSharedTextureMgr();
    resetEngineForTest();
}
