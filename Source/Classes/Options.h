#pragma once
// The option pages' common ground: OptionsScene and OptionsLayer, which every page derives
// from, the navigation history between pages and the transitions used between them.
//
// Pages are never kept while another is shown: going back makes the previous page anew from
// its class name, so it shows the settings as they are now.
#include "Engine/KeyHandler.h"
#include "Engine/Layer.h"
#include "Engine/MenuItem.h"
#include "Engine/Scene.h"
#include "Engine/Transition.h"

#include <string>

class Stack;

class OptionsScene : public Scene {
public:
    using Factory = Ref<OptionsScene> (*)();

    // A page needs its title: raises an exception with no name and no reason.
    static Ref<OptionsScene> node();
    void init();

    const char* className() const override { return "OptionsScene"; }
    void initWithTitle(const std::string& title);
    const std::string& title() const { return m_title; }
    void setTitle(const std::string& title) { m_title = title; }

    // Each replaces the running scene.
    static void first(OptionsScene* scene);
    static void next(OptionsScene* scene);
    static void previous();
    static void returnToGame();

    // Going back makes pages by class name; every page class registers its maker.
    static void registerClass(const std::string& className, Factory factory);
    static Ref<OptionsScene> sceneWithClassName(const std::string& className);
    static bool isRegisteredClass(const std::string& className);

    // Null until the first page is made.
    static Stack* classNamesStack();
    static Stack* titlesStack();
    // Both stacks as plain text, oldest first.
    static std::vector<std::string> classNameHistory();
    static std::vector<std::string> titleHistory();

protected:
    OptionsScene() = default;
    static void push(OptionsScene* scene);

    std::string m_title;
};

// Registers Class::node as the maker of pages named Class.
#define MW_OPTIONS_PAGE(Class)                                                                               \
    [[maybe_unused]] static const bool s_##Class##Registered = [] {                                          \
        OptionsScene::registerClass(#Class, []() -> Ref<OptionsScene> { return Class::node(); });            \
        return true;                                                                                         \
    }()

class OptionsLayer : public Layer, public KeyHandler {
public:
    const char* className() const override { return "OptionsLayer"; }
    // An empty title shows no heading.
    void initWithTitle(const std::string& title);
    const std::string& title() const { return m_title; }
    void setTitle(const std::string& title) { m_title = title; }

    // Takes room in a column and does nothing.
    Ref<MenuItemFont> spacerMenuItem();
    // "Back to" the page before this one.
    Ref<MenuItemFont> backMenuItem();
    Ref<MenuItemFont> returnToGameMenuItem();

    // Pages that own controls over the surface override these to take them away first.
    virtual void back_Tapped(Object* sender);
    virtual void done_Tapped(Object* sender);
    void dummy_Tapped(Object* sender);
    // Escape or Backspace goes back, as the back item does (out of the options from the first page).
    bool onKey(HostKey key) override;

    // Places the menu as every page does: moved down 30 points, the back item (when given)
    // at y -150 and the return item (when given) at y -180, keeping their x.
    static void layOutPageMenu(Node* menu, MenuItem* backItem, MenuItem* returnItem);

protected:
    OptionsLayer() = default;
    std::string m_title;
};

// The transitions between pages: in and out of the options flip, deeper and back slide.
class Transitions {
public:
    static Ref<TransitionScene> flipInTransition(Scene* scene);
    static Ref<TransitionScene> flipOutTransition(Scene* scene);
    static Ref<TransitionScene> slideInTransition(Scene* scene);
    static Ref<TransitionScene> slideOutTransition(Scene* scene);
};

// format with its first "%@" replaced by value.
std::string fillFormat(const std::string& format, const std::string& value);
