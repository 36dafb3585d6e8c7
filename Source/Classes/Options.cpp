#include "Classes/Options.h"
#include "Platform/Log.h"

#include "Classes/Game.h"
#include "Classes/Stack.h"
#include "Engine/Director.h"
#include "Engine/Label.h"
#include "Engine/Sprite.h"
#include "Engine/Support/Exception.h"

#include <cstdio>
#include <map>

namespace {

constexpr float kFlipDuration = 0.5f;
constexpr float kSlideDuration = 0.3f;

// Made with the first page and kept to the end of the run.
Stack* s_optionsSceneClassNamesStack = nullptr;
Stack* s_optionsSceneTitlesStack = nullptr;

std::map<std::string, OptionsScene::Factory>& factories()
{
    static auto* map = new std::map<std::string, OptionsScene::Factory>;
    return *map;
}

std::string textOf(const Ref<Object>& object)
{
    auto* string = dynamic_cast<StringValue*>(object.get());
    return string ? string->value() : std::string();
}

std::vector<std::string> textsOf(const Stack* stack)
{
    std::vector<std::string> texts;
    if (stack)
        for (const Ref<Object>& object : stack->objects())
            texts.push_back(textOf(object));
    return texts;
}

} // namespace

std::string fillFormat(const std::string& format, const std::string& value)
{
    const std::size_t at = format.find("%@");
    if (at == std::string::npos)
        return format;
    std::string text = format;
    text.replace(at, 2, value);
    return text;
}

// --- OptionsScene -----------------------------------------------------------------------------

Ref<OptionsScene> OptionsScene::node()
{
    Ref<OptionsScene> scene(new OptionsScene);
    scene->init();
    return scene;
}

void OptionsScene::init() { raiseException("", ""); }

void OptionsScene::initWithTitle(const std::string& title)
{
    if (!s_optionsSceneClassNamesStack) {
        s_optionsSceneClassNamesStack = Stack::stack().leak();
        s_optionsSceneTitlesStack = Stack::stack().leak();
    }
    m_title = title;
}

void OptionsScene::push(OptionsScene* scene)
{
    MW_ASSERT(scene, "Argument must be non-nil");
    MW_ASSERT(s_optionsSceneClassNamesStack, "Options pages must be made with a title");
    s_optionsSceneClassNamesStack->push(StringValue::withString(scene->className()).get());
    s_optionsSceneTitlesStack->push(StringValue::withString(scene->title()).get());
}

// The transition is made first: a scene it refuses never enters the history.
void OptionsScene::first(OptionsScene* scene)
{
    Ref<TransitionScene> flip = Transitions::flipInTransition(scene);
    push(scene);
    Director::sharedDirector()->replaceScene(flip.get());
}

void OptionsScene::next(OptionsScene* scene)
{
    Ref<TransitionScene> slide = Transitions::slideInTransition(scene);
    push(scene);
    Director::sharedDirector()->replaceScene(slide.get());
}

void OptionsScene::previous()
{
    if (!s_optionsSceneClassNamesStack || s_optionsSceneClassNamesStack->count() <= 1) {
        returnToGame();
        return;
    }
    s_optionsSceneClassNamesStack->pop();
    s_optionsSceneTitlesStack->pop();
    const std::string name = textOf(s_optionsSceneClassNamesStack->peek());
    Ref<OptionsScene> scene = sceneWithClassName(name);
    if (!scene) {
        // A page nobody can make again: leaving is better than a dead end.
        logLine(LogLevel::Warning, "No options page of class %s; returning to the game", name.c_str());
        returnToGame();
        return;
    }
    Director::sharedDirector()->replaceScene(Transitions::slideOutTransition(scene.get()).get());
}

void OptionsScene::returnToGame()
{
    if (s_optionsSceneClassNamesStack) {
        s_optionsSceneClassNamesStack->clear();
        s_optionsSceneTitlesStack->clear();
    }
    Ref<GameScene> game = GameScene::node();
    Director::sharedDirector()->replaceScene(Transitions::flipOutTransition(game.get()).get());
}

void OptionsScene::registerClass(const std::string& className, Factory factory)
{
    factories()[className] = factory;
}

Ref<OptionsScene> OptionsScene::sceneWithClassName(const std::string& className)
{
    const auto found = factories().find(className);
    return found == factories().end() ? nullptr : found->second();
}

bool OptionsScene::isRegisteredClass(const std::string& className)
{
    return factories().count(className) > 0;
}

Stack* OptionsScene::classNamesStack() { return s_optionsSceneClassNamesStack; }

Stack* OptionsScene::titlesStack() { return s_optionsSceneTitlesStack; }

std::vector<std::string> OptionsScene::classNameHistory() { return textsOf(s_optionsSceneClassNamesStack); }

std::vector<std::string> OptionsScene::titleHistory() { return textsOf(s_optionsSceneTitlesStack); }

// --- OptionsLayer -----------------------------------------------------------------------------

void OptionsLayer::initWithTitle(const std::string& title)
{
    setIsTouchEnabled(true);
    m_title = title;

    // Every text item made from here on takes these, until a page changes them.
    MenuItemFont::setFontSize(20);
    MenuItemFont::setFontName("Helvetica");

    Ref<Sprite> background = Sprite::spriteWithFile("MenuBackground.png");
    const CGSize size = background->contentSize();
    background->setPosition(CGPointMake(size.width / 2, size.height / 2));
    addChild(background.get());

    if (!title.empty()) {
        Ref<Label> heading
            = Label::labelWithString(title, CGSizeMake(320, 47), UITextAlignmentCenter, "Helvetica", 26);
        heading->setPosition(CGPointMake(160, 363.5f));
        heading->setColor({ 0, 0, 0 });
        addChild(heading.get());
    }
}

Ref<MenuItemFont> OptionsLayer::spacerMenuItem()
{
    return MenuItemFont::itemFromString(
        " ", nullptr, MenuItem::Callback(&OptionsLayer::dummy_Tapped, "dummy_Tapped:"));
}

Ref<MenuItemFont> OptionsLayer::backMenuItem()
{
    std::string title;
    if (s_optionsSceneTitlesStack) {
        title = textOf(s_optionsSceneTitlesStack->peek());
        if (title == m_title)
            title = textOf(s_optionsSceneTitlesStack->peek2X());
    }
    return MenuItemFont::itemFromString(fillFormat("Back to %@", title), this,
        MenuItem::Callback(&OptionsLayer::back_Tapped, "back_Tapped:"));
}

Ref<MenuItemFont> OptionsLayer::returnToGameMenuItem()
{
    return MenuItemFont::itemFromString(
        "Return to Game", this, MenuItem::Callback(&OptionsLayer::done_Tapped, "done_Tapped:"));
}

void OptionsLayer::back_Tapped(Object*) { OptionsScene::previous(); }

void OptionsLayer::done_Tapped(Object*) { OptionsScene::returnToGame(); }

void OptionsLayer::dummy_Tapped(Object*) { }

bool OptionsLayer::onKey(HostKey key)
{
    if (key != HostKey::Escape && key != HostKey::Backspace)
        return false;
    back_Tapped(nullptr);
    return true;
}

void OptionsLayer::layOutPageMenu(Node* menu, MenuItem* backItem, MenuItem* returnItem)
{
    const CGPoint p = menu->position();
    menu->setPosition(CGPointMake(p.x, p.y - 30));
    if (backItem)
        backItem->setPosition(CGPointMake(backItem->position().x, -150));
    if (returnItem)
        returnItem->setPosition(CGPointMake(returnItem->position().x, -180));
}

// --- Transitions ------------------------------------------------------------------------------

Ref<TransitionScene> Transitions::flipInTransition(Scene* scene)
{
    return FlipXTransition::transitionWithDuration(kFlipDuration, scene, kOrientationLeftOver);
}

Ref<TransitionScene> Transitions::flipOutTransition(Scene* scene)
{
    return FlipXTransition::transitionWithDuration(kFlipDuration, scene, kOrientationRightOver);
}

Ref<TransitionScene> Transitions::slideInTransition(Scene* scene)
{
    return SlideInRTransition::transitionWithDuration(kSlideDuration, scene);
}

Ref<TransitionScene> Transitions::slideOutTransition(Scene* scene)
{
    return SlideInLTransition::transitionWithDuration(kSlideDuration, scene);
}
