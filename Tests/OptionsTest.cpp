// The option pages: history and navigation between them, the settings each page writes at
// once, the sliders, and the game that comes back afterwards.
#include "Classes/Configuration.h"
#include "Classes/Game.h"
#include "Classes/GeneralOptions.h"
#include "Classes/Selectors.h"
#include "Classes/Stack.h"
#include "Engine/AlertView.h"
#include "Engine/Director.h"
#include "Engine/Menu.h"
#include "Engine/Slider.h"
#include "Engine/Support/EAGLView.h"
#include "Engine/Support/Exception.h"
#include "Engine/Transition.h"
#include "Platform/MemoryStore.h"
#include "Support/FakeHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void collectItems(Node* node, std::vector<MenuItemLabel*>& out)
{
    if (auto* item = dynamic_cast<MenuItemLabel*>(node))
        out.push_back(item);
    for (const Ref<Node>& child : node->children())
        collectItems(child.get(), out);
}

// Every picture is there and decodes as a blank 60-point square, so the grids have real sizes.
class PictureHost : public FakeHost {
public:
    std::string resourcePath(const std::string& fileName) override { return "/pictures/" + fileName; }
    bool decodeImageFile(const std::string&, int, HostImage& out) override
    {
        out.width = out.height = 60;
        out.hasAlpha = true;
        out.rgba.assign(60 * 60 * 4, 0);
        return true;
    }
};

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetEngineForTest();
        Configuration::resetForTesting(&m_store);
        if (Stack* names = OptionsScene::classNamesStack()) {
            names->clear();
            OptionsScene::titlesStack()->clear();
        }
        Director::useDisplayLinkDirector();
        director()->attachInWindow(WindowInfo {});
        director()->runWithScene(GameScene::node().get());
        host.frame();
    }
    void TearDown() override
    {
        resetEngineForTest();
        Configuration::resetForTesting(nullptr);
    }
    static Director* director() { return Director::sharedDirector(); }

    // Frames until no transition runs; a requested switch takes effect in the next frame.
    void settle()
    {
        host.frame();
        for (int i = 0; i < 120 && director()->runningScene()->isTransition(); ++i)
            host.frame();
        host.frame();
    }
    void doubleTap(bool wait = true)
    {
        EAGLView* view = director()->openGLView();
        view->handleHostTouches(HostTouchPhase::Began, { { m_finger, 160, 240, 2 } }, 0);
        view->handleHostTouches(HostTouchPhase::Ended, { { m_finger, 160, 240, 2 } }, 0);
        ++m_finger;
        if (wait)
            settle();
    }
    // The running page's text item, by its text.
    MenuItemLabel* item(const std::string& text)
    {
        std::vector<MenuItemLabel*> items;
        collectItems(director()->runningScene(), items);
        for (MenuItemLabel* i : items)
            if (i->string() == text)
                return i;
        ADD_FAILURE() << "no item \"" << text << "\" on " << director()->runningScene()->className();
        return nullptr;
    }
    void tapItem(const std::string& text)
    {
        if (MenuItemLabel* i = item(text)) {
            i->activate();
            settle();
        }
    }
    // The physics page's sliders come a moment after it does.
    PhysicsOptionsLayer* physicsLayerWithSliders();
    std::vector<std::string> titles() { return OptionsScene::titleHistory(); }
    std::string running() { return director()->runningScene()->className(); }

    PictureHost host;
    MemoryStore m_store;

private:
    std::int64_t m_finger = 1;
};

} // namespace

TEST(StackTest, EmptyAndShallowStacksAnswerNull)
{
    Ref<Stack> stack = Stack::stack();
    EXPECT_FALSE(stack->pop());
    EXPECT_FALSE(stack->peek());
    EXPECT_FALSE(stack->peek2X());
    EXPECT_EQ(stack->count(), 0);

    Ref<StringValue> a = StringValue::withString("a");
    Ref<StringValue> b = StringValue::withString("b");
    stack->push(a.get());
    EXPECT_EQ(stack->peek().get(), a.get());
    EXPECT_FALSE(stack->peek2X());
    stack->push(b.get());
    EXPECT_EQ(stack->peek().get(), b.get());
    EXPECT_EQ(stack->peek2X().get(), a.get());

    // The popped object outlives its place on the stack.
    Ref<Object> top = stack->pop();
    b = nullptr;
    ASSERT_TRUE(top);
    EXPECT_EQ(static_cast<StringValue*>(top.get())->value(), "b");
    EXPECT_EQ(stack->count(), 1);
    stack->clear();
    EXPECT_EQ(stack->count(), 0);
}

TEST_F(OptionsTest, APageNeedsATitle)
{
    try {
        OptionsScene::node();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.name(), "");
        EXPECT_EQ(e.reason(), "");
    }
}

TEST_F(OptionsTest, DoubleTapFlipsToTheGeneralPageOneDeep)
{
    doubleTap(false);
    host.frame();
    auto* flip = dynamic_cast<FlipXTransition*>(director()->runningScene());
    ASSERT_TRUE(flip);
    EXPECT_EQ(flip->orientation(), kOrientationLeftOver);
    settle();
    EXPECT_EQ(running(), "GeneralOptionsScene");
    EXPECT_EQ(titles(), (std::vector<std::string> { "General Options" }));
    EXPECT_EQ(OptionsScene::classNameHistory(), (std::vector<std::string> { "GeneralOptionsScene" }));
    // The first page has only the way back to the game.
    std::vector<MenuItemLabel*> items;
    collectItems(director()->runningScene(), items);
    for (MenuItemLabel* i : items)
        EXPECT_EQ(i->string().rfind("Back to", 0), std::string::npos) << i->string();
    EXPECT_TRUE(item("Return to Game"));
}

TEST_F(OptionsTest, HistoryGrowsForwardAndBackItemsNameThePageBefore)
{
    doubleTap();
    tapItem("Display Options");
    EXPECT_EQ(running(), "GraphicsOptionsScene");
    EXPECT_EQ(titles(), (std::vector<std::string> { "General Options", "Display Options" }));
    EXPECT_TRUE(item("Back to General Options"));

    tapItem("Back to General Options");
    EXPECT_EQ(running(), "GeneralOptionsScene");
    EXPECT_EQ(titles(), (std::vector<std::string> { "General Options" }));
    EXPECT_EQ(OptionsScene::classNameHistory(), (std::vector<std::string> { "GeneralOptionsScene" }));

    tapItem("Physics Options");
    EXPECT_EQ(running(), "PhysicsOptionsScene");
    EXPECT_TRUE(item("Back to General Options"));
}

TEST_F(OptionsTest, PagesSlideDeeperAndBackAndFlipOutTheOtherWay)
{
    doubleTap();
    item("Display Options")->activate();
    host.frame();
    auto* slide = dynamic_cast<SlideInRTransition*>(director()->runningScene());
    ASSERT_TRUE(slide);
    EXPECT_FLOAT_EQ(slide->duration(), 0.3f);
    settle();

    item("Back to General Options")->activate();
    host.frame();
    Scene* back = director()->runningScene();
    EXPECT_TRUE(dynamic_cast<SlideInLTransition*>(back));
    EXPECT_FALSE(dynamic_cast<SlideInRTransition*>(back));
    settle();

    item("Return to Game")->activate();
    host.frame();
    auto* flip = dynamic_cast<FlipXTransition*>(director()->runningScene());
    ASSERT_TRUE(flip);
    EXPECT_EQ(flip->orientation(), kOrientationRightOver);
    EXPECT_FLOAT_EQ(flip->duration(), 0.5f);
    settle();
    EXPECT_EQ(running(), "GameScene");
    EXPECT_TRUE(titles().empty());
}

TEST_F(OptionsTest, BackFromTheFirstPageBuildsAFreshGameWithTheNewSettings)
{
    // Held, so the new game cannot be given the old one's address.
    const Ref<Scene> oldGame(director()->runningScene());
    doubleTap();
    tapItem("Display Options");
    tapItem("Ragdoll as Wireframe: Off");
    OptionsScene::previous();
    settle();
    // One page deep: going back means going back to the game.
    OptionsScene::previous();
    settle();
    auto* game = dynamic_cast<GameScene*>(director()->runningScene());
    ASSERT_TRUE(game);
    EXPECT_NE(game, oldGame.get());
    EXPECT_TRUE(game->gameLayer()->drawPersonAsWireframe());
    EXPECT_TRUE(titles().empty());
}

TEST_F(OptionsTest, WireframeTogglesStoreAtOnceAndRelabelWithoutResizing)
{
    Configuration* config = Configuration::current();
    config->setDrawPersonAsWireframe(false);
    config->setDrawBallsAsWireframe(true);
    doubleTap();
    tapItem("Display Options");
    auto* layer = dynamic_cast<GraphicsOptionsLayer*>(director()->runningScene()->children().front().get());
    ASSERT_TRUE(layer);
    MenuItemFont* person = layer->drawPersonAsWireframeItem();
    EXPECT_EQ(person->string(), "Ragdoll as Wireframe: Off");
    EXPECT_EQ(layer->drawBallsAsWireframeItem()->string(), "Balls as Wireframe: On");

    const CGSize size = person->contentSize();
    person->activate();
    EXPECT_TRUE(config->drawPersonAsWireframe());
    EXPECT_EQ(person->string(), "Ragdoll as Wireframe: On");
    EXPECT_EQ(person->contentSize(), size);
    person->activate();
    EXPECT_FALSE(config->drawPersonAsWireframe());
    EXPECT_EQ(person->string(), "Ragdoll as Wireframe: Off");

    layer->drawBallsAsWireframeItem()->activate();
    EXPECT_FALSE(config->drawBallsAsWireframe());
}

TEST_F(OptionsTest, ReturnFromDeepDownEmptiesTheHistory)
{
    doubleTap();
    tapItem("Physics Options");
    ASSERT_EQ(titles().size(), 2u);
    tapItem("Return to Game");
    EXPECT_EQ(running(), "GameScene");
    EXPECT_TRUE(titles().empty());
    EXPECT_TRUE(OptionsScene::classNameHistory().empty());
    // And the next visit starts one deep again.
    doubleTap();
    EXPECT_EQ(titles(), (std::vector<std::string> { "General Options" }));
}

namespace {

PhysicsOptionsLayer* physicsLayer()
{
    Scene* scene = Director::sharedDirector()->runningScene();
    return scene->children().empty() ? nullptr
                                     : dynamic_cast<PhysicsOptionsLayer*>(scene->children().front().get());
}

} // namespace

PhysicsOptionsLayer* OptionsTest::physicsLayerWithSliders()
{
    PhysicsOptionsLayer* layer = physicsLayer();
    for (int i = 0; layer && i < 30 && !layer->gravitySlider(); ++i)
        host.frame();
    return layer && layer->gravitySlider() ? layer : nullptr;
}

TEST_F(OptionsTest, PhysicsPageHeadingsAreWhiteAndDeaf)
{
    doubleTap();
    tapItem("Physics Options");
    for (const char* text : { "Gravity Strength", "Velocity Damping", "Number of Balls" }) {
        MenuItemLabel* heading = item(text);
        ASSERT_TRUE(heading);
        EXPECT_FALSE(heading->isEnabled()) << text;
        EXPECT_EQ(heading->color(), (Color3B { 255, 255, 255 })) << text;
    }
    EXPECT_FLOAT_EQ(item("Gravity Strength")->position().y, 53);
    EXPECT_FLOAT_EQ(item("Velocity Damping")->position().y, -4);
    EXPECT_FLOAT_EQ(item("Number of Balls")->position().y, -64);
    EXPECT_FLOAT_EQ(item("Back to General Options")->position().y, -150);
    EXPECT_FLOAT_EQ(item("Return to Game")->position().y, -180);
}

TEST_F(OptionsTest, SlidersStartFromTheSettingsAndWriteEveryMove)
{
    Configuration* config = Configuration::current();
    config->setGravity(150);
    config->setDamping(0.55f);
    config->setNumberOfBalls(20);
    config->setUseAccelerometer(true);
    doubleTap();
    tapItem("Physics Options");
    PhysicsOptionsLayer* layer = physicsLayerWithSliders();
    ASSERT_TRUE(layer);
    EXPECT_FLOAT_EQ(layer->gravitySlider()->value(), 150);
    EXPECT_FLOAT_EQ(layer->gravitySlider()->maximumValue(), 800);
    EXPECT_NEAR(layer->dampingSlider()->value(), 0.5f, 1e-6);
    EXPECT_FLOAT_EQ(layer->numBallsSlider()->value(), 20);

    Slider* damping = layer->dampingSlider();
    damping->slideTo(0);
    EXPECT_FLOAT_EQ(config->damping(), 1.0f);
    damping->slideTo(1);
    EXPECT_FLOAT_EQ(config->damping(), 0.1f);
    damping->slideTo(0.5f);
    EXPECT_FLOAT_EQ(config->damping(), 0.55f);

    Slider* balls = layer->numBallsSlider();
    balls->slideTo(79.9f);
    EXPECT_EQ(config->numberOfBalls(), 79);
    balls->slideTo(80);
    EXPECT_EQ(config->numberOfBalls(), 80);
    balls->slideTo(0);
    EXPECT_EQ(config->numberOfBalls(), 0);
    // Beyond the ends a finger cannot go either.
    balls->slideTo(500);
    EXPECT_EQ(config->numberOfBalls(), 80);

    layer->gravitySlider()->slideTo(420);
    EXPECT_FLOAT_EQ(config->gravity(), 420);

    layer->useAccelerometerItem()->activate();
    EXPECT_FALSE(config->useAccelerometer());
    EXPECT_EQ(layer->useAccelerometerItem()->string(), "Tilt Gravity: Off");

    // The new game takes every value over.
    tapItem("Return to Game");
    auto* game = dynamic_cast<GameScene*>(director()->runningScene());
    ASSERT_TRUE(game);
    EXPECT_FLOAT_EQ(game->gameLayer()->gravity(), 420);
    EXPECT_EQ(game->gameLayer()->numberOfBalls(), 80);
    EXPECT_FALSE(game->gameLayer()->useAccelerometer());
}

TEST_F(OptionsTest, SlidersGoBeforeThePageIsLeftEvenWhenLeftEarly)
{
    doubleTap();
    tapItem("Physics Options");
    PhysicsOptionsLayer* layer = physicsLayerWithSliders();
    ASSERT_TRUE(layer);
    Ref<Slider> slider = layer->gravitySlider();
    layer->back_Tapped(nullptr);
    EXPECT_FALSE(slider->parent());
    EXPECT_FALSE(layer->gravitySlider());
    settle();

    // Left before the sliders came: they never come on the way out.
    tapItem("Physics Options");
    Ref<PhysicsOptionsScene> fresh = PhysicsOptionsScene::node();
    auto* early = dynamic_cast<PhysicsOptionsLayer*>(fresh->children().front().get());
    ASSERT_TRUE(early);
    early->removeNativeUI();
    EXPECT_TRUE(early->scheduledSelectors().empty());
}

TEST_F(OptionsTest, AFingerDragsTheSliderAndMenusBelowDoNotSeeIt)
{
    doubleTap();
    tapItem("Physics Options");
    PhysicsOptionsLayer* layer = physicsLayerWithSliders();
    ASSERT_TRUE(layer);
    Slider* gravity = layer->gravitySlider();
    EAGLView* view = director()->openGLView();
    // Frame 45, 223, 230 x 35 in view points; the thumb travels 11 points in from each end.
    const float y = 223 + 17.5f;
    view->handleHostTouches(HostTouchPhase::Began, { { 90, 45 + 11, y, 1 } }, 0);
    EXPECT_FLOAT_EQ(gravity->value(), 0);
    EXPECT_FLOAT_EQ(Configuration::current()->gravity(), 0);
    view->handleHostTouches(HostTouchPhase::Moved, { { 90, 45 + 11 + 104, y, 1 } }, 0);
    EXPECT_NEAR(Configuration::current()->gravity(), 400, 0.01);
    view->handleHostTouches(HostTouchPhase::Moved, { { 90, 400, y, 1 } }, 0);
    view->handleHostTouches(HostTouchPhase::Ended, { { 90, 400, y, 1 } }, 0);
    EXPECT_FLOAT_EQ(Configuration::current()->gravity(), 800);
    EXPECT_EQ(running(), "PhysicsOptionsScene");
}

namespace {

template <class LayerClass> LayerClass* runningLayer()
{
    Scene* scene = Director::sharedDirector()->runningScene();
    return scene->children().empty() ? nullptr : dynamic_cast<LayerClass*>(scene->children().front().get());
}

} // namespace

TEST_F(OptionsTest, DisplayPageLeadsToTheSelectorsWithTheRightWayBack)
{
    doubleTap();
    tapItem("Display Options");
    tapItem("Change Ragdoll");
    EXPECT_EQ(running(), "RagdollSelectorScene");
    EXPECT_EQ(
        titles(), (std::vector<std::string> { "General Options", "Display Options", "Select Ragdoll" }));
    EXPECT_TRUE(item("Back to Display Options"));

    tapItem("Back to Display Options");
    EXPECT_EQ(running(), "GraphicsOptionsScene");
    EXPECT_EQ(titles(), (std::vector<std::string> { "General Options", "Display Options" }));
    // Made again while on the history: the page below is the one to name.
    EXPECT_TRUE(item("Back to General Options"));

    tapItem("Change Balls");
    EXPECT_EQ(running(), "BallSelectorScene");
    tapItem("Back to Display Options");
    tapItem("Change Background");
    EXPECT_EQ(running(), "BackgroundSelectorScene");
}

TEST_F(OptionsTest, ThumbnailsSitFourARowAndTheMarkerFollowsTheChoice)
{
    Configuration* config = Configuration::current();
    config->setBackgroundImage("Background3.png");
    config->setBallImage("Ball1.png");
    Ref<BackgroundSelectorScene> backgrounds = BackgroundSelectorScene::node();
    auto* layer = dynamic_cast<BackgroundSelectorLayer*>(backgrounds->children().front().get());
    ASSERT_TRUE(layer);
    ASSERT_EQ(layer->menuItems().size(), 12u);
    const float columns[] = { -105, -35, 35, 105 };
    for (std::size_t i = 0; i < 12; ++i) {
        EXPECT_FLOAT_EQ(layer->menuItems()[i]->position().x, columns[i % 4]) << i;
        EXPECT_FLOAT_EQ(layer->menuItems()[i]->position().y, 72 - 75 * static_cast<float>(i / 4)) << i;
    }
    EXPECT_EQ(layer->markedItem(), layer->menuItems()[2].get());

    Ref<BallSelectorScene> ballsScene = BallSelectorScene::node();
    auto* balls = dynamic_cast<BallSelectorLayer*>(ballsScene->children().front().get());
    ASSERT_TRUE(balls);
    balls->image_Tapped(balls->menuItems()[6].get());
    EXPECT_EQ(config->ballImage(), "Ball7.png");
    EXPECT_EQ(balls->markedItem(), balls->menuItems()[6].get());
    EXPECT_EQ(balls->selectedSprite()->parent(), balls->menuItems()[6].get());
    // Again on the marked one: nothing moves, nothing changes.
    balls->image_Tapped(balls->menuItems()[6].get());
    EXPECT_EQ(config->ballImage(), "Ball7.png");
    EXPECT_EQ(balls->markedItem(), balls->menuItems()[6].get());
    EXPECT_EQ(balls->menuItems()[0]->children().size(), 0u);
}

TEST_F(OptionsTest, AnUnknownSettingShowsNoMarkerUntilATap)
{
    Configuration::current()->setBackgroundImage("Background99.png");
    Ref<BackgroundSelectorScene> scene = BackgroundSelectorScene::node();
    auto* layer = dynamic_cast<BackgroundSelectorLayer*>(scene->children().front().get());
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer->markedItem(), nullptr);
    layer->image_Tapped(layer->menuItems()[11].get());
    EXPECT_EQ(Configuration::current()->backgroundImage(), "Background12.png");
    EXPECT_EQ(layer->markedItem(), layer->menuItems()[11].get());
}

TEST_F(OptionsTest, ChangingTheFigureDropsTheCustomFaceButChoosingItAgainKeepsIt)
{
    Configuration* config = Configuration::current();
    config->setRagdollClass("Nerd");
    config->setCustomFaceImage(Configuration::Bytes { 1, 2, 3 });
    Ref<RagdollSelectorScene> scene = RagdollSelectorScene::node();
    auto* layer = dynamic_cast<RagdollSelectorLayer*>(scene->children().front().get());
    ASSERT_TRUE(layer);
    ASSERT_EQ(layer->menuItems().size(), 5u);
    // Four in the first row, the fifth alone at the left of the second.
    EXPECT_FLOAT_EQ(layer->menuItems()[3]->position().x, 105);
    EXPECT_FLOAT_EQ(layer->menuItems()[4]->position().x, -105);
    EXPECT_FLOAT_EQ(layer->menuItems()[4]->position().y, -3);
    EXPECT_EQ(layer->markedItem(), layer->menuItems()[2].get());

    layer->ragdoll_Tapped(layer->menuItems()[2].get());
    EXPECT_TRUE(config->customFaceImage());
    layer->ragdoll_Tapped(layer->menuItems()[4].get());
    EXPECT_EQ(config->ragdollClass(), "Narwhal");
    EXPECT_FALSE(config->customFaceImage());
    EXPECT_EQ(layer->markedItem(), layer->menuItems()[4].get());
}

TEST_F(OptionsTest, ACustomFaceIsWarnedOfAndTheWarningHoldsEveryTouchUntilOK)
{
    Configuration* config = Configuration::current();
    config->setRagdollClass("Nerd");
    config->setCustomFaceImage(Configuration::Bytes { 1, 2, 3 });
    doubleTap();
    tapItem("Display Options");
    tapItem("Change Ragdoll");
    // Held: the alert goes away when its button is pressed, and is looked at after that.
    Ref<AlertView> alert(AlertView::alertIn(director()->runningScene()));
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "Custom Face Warning");
    EXPECT_EQ(alert->message(),
        "You currently have a custom face set. Changing the ragdoll will cause the custom face to be lost.");
    EXPECT_EQ(alert->buttonTitles(), (std::vector<std::string> { "OK" }));

    // The first thumbnail, Rocker, lies under the alert's box (view points, origin top left).
    EAGLView* view = director()->openGLView();
    auto tap = [&](float x, float y, std::int64_t finger) {
        view->handleHostTouches(HostTouchPhase::Began, { { finger, x, y, 1 } }, 0);
        view->handleHostTouches(HostTouchPhase::Ended, { { finger, x, y, 1 } }, 0);
    };
    tap(55, 208, 50);
    EXPECT_EQ(config->ragdollClass(), "Nerd");
    EXPECT_TRUE(AlertView::alertIn(director()->runningScene()));

    tap(160, 303, 51); // OK
    EXPECT_FALSE(AlertView::alertIn(director()->runningScene()));
    EXPECT_EQ(alert->clickedButtonIndex(), 0);
    EXPECT_TRUE(config->customFaceImage());

    tap(55, 208, 52);
    EXPECT_EQ(config->ragdollClass(), "Rocker");
    EXPECT_FALSE(config->customFaceImage());
}

TEST_F(OptionsTest, TheKeyboardWalksThePagesAndAnswersTheAlert)
{
    Configuration* config = Configuration::current();
    config->setCustomFaceImage(Configuration::Bytes { 1, 2, 3 });
    auto press = [&](HostKey key) {
        const bool used = director()->dispatchKey(key);
        settle();
        return used;
    };
    EXPECT_FALSE(press(HostKey::Down)); // the arrows tilt the game, not a menu
    EXPECT_TRUE(press(HostKey::Escape));
    EXPECT_EQ(running(), "GeneralOptionsScene");
    press(HostKey::Down);
    press(HostKey::Enter);
    EXPECT_EQ(running(), "GraphicsOptionsScene");
    press(HostKey::Backspace);
    EXPECT_EQ(running(), "GeneralOptionsScene");

    // Display Options, then its ragdoll item (the first that can act): the warning comes up.
    press(HostKey::Down);
    press(HostKey::Enter);
    press(HostKey::Down);
    press(HostKey::Enter);
    Ref<AlertView> alert(AlertView::alertIn(director()->runningScene()));
    ASSERT_TRUE(alert);
    EXPECT_TRUE(press(HostKey::Backspace)); // modal: the page under it does not go back
    EXPECT_TRUE(AlertView::alertIn(director()->runningScene()));
    EXPECT_TRUE(press(HostKey::Escape));
    EXPECT_EQ(alert->clickedButtonIndex(), alert->cancelButtonIndex());
    EXPECT_FALSE(AlertView::alertIn(director()->runningScene()));
    EXPECT_EQ(running(), "RagdollSelectorScene");

    // Escape all the way out, then the game's Escape opens the first page again.
    for (int i = 0; i < 3 && running() != "GameScene"; ++i)
        press(HostKey::Escape);
    EXPECT_EQ(running(), "GameScene");
    EXPECT_TRUE(config->customFaceImage());
}

TEST(AlertKeys, EnterAnswersTheDefaultButtonAndEscapeTheCancelOne)
{
    FakeHost host;
    resetEngineForTest();
    Director::useDisplayLinkDirector();
    Director::sharedDirector()->attachInWindow(WindowInfo {});
    Ref<Scene> scene = Scene::node();
    Director::sharedDirector()->runWithScene(scene.get());
    host.frame();
    for (HostKey key : { HostKey::Enter, HostKey::Escape }) {
        Ref<AlertView> alert = AlertView::alertWithTitle("Quit?", "", { "Cancel", "Quit" });
        alert->show(scene.get());
        EXPECT_TRUE(Director::sharedDirector()->dispatchKey(HostKey::Up)); // taken, unanswered
        EXPECT_EQ(alert->clickedButtonIndex(), -1);
        Director::sharedDirector()->dispatchKey(key);
        EXPECT_EQ(alert->clickedButtonIndex(), key == HostKey::Enter ? 1 : 0);
        EXPECT_FALSE(alert->isVisible());
    }
    resetEngineForTest();
}

TEST_F(OptionsTest, NoWarningWithoutACustomFace)
{
    Ref<RagdollSelectorScene> scene = RagdollSelectorScene::node();
    EXPECT_FALSE(AlertView::alertIn(scene.get()));
}
