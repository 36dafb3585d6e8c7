#include "Classes/About.h"

#include "Classes/Configuration.h"
#include "Classes/MainBundle.h"
#include "Engine/Label.h"
#include "Engine/Menu.h"
#include "Engine/Sprite.h"
#include "Platform/Host.h"

MW_OPTIONS_PAGE(AboutScene);
MW_OPTIONS_PAGE(AboutLiteScene);

namespace {

constexpr const char* kShowPainMeter = "Show Pain Meter: %@";

// A line of text that looks like the others but does not react.
Ref<MenuItemFont> textLine(const std::string& text, Object* target)
{
    Ref<MenuItemFont> item = MenuItemFont::itemFromString(
        text, target, MenuItem::Callback(&OptionsLayer::dummy_Tapped, "dummy_Tapped:"));
    item->setIsEnabled(false);
    item->setColor({ 255, 255, 255 });
    return item;
}

// The label alone changes, so the item keeps the size it measured for its first text.
void setLabelText(MenuItemLabel* item, const std::string& text)
{
    if (auto* label = dynamic_cast<Label*>(item->label()))
        label->setString(text);
}

void moveTo(Node* node, float y) { node->setPosition(CGPointMake(node->position().x, y)); }

} // namespace

// --- About Bonzelar -----------------------------------------------------------------------------

Ref<AboutScene> AboutScene::node() { return Ref<AboutScene>(new AboutScene); }

AboutScene::AboutScene()
{
    initWithTitle("About Bonzelar");
    addChild(AboutLayer::node().get(), 0);
}

Ref<AboutLayer> AboutLayer::node() { return Ref<AboutLayer>(new AboutLayer); }

AboutLayer::AboutLayer()
{
    initWithTitle("About Bonzelar");
    MenuItemFont::setFontSize(24);
    Ref<MenuItemFont> name = textLine(MainBundle::infoValue("CFBundleName"), this);

    MenuItemFont::setFontSize(16);
    Ref<MenuItemFont> version = textLine("version: %@", this);
    setLabelText(version.get(), fillFormat("version: %@", Configuration::current()->version()));
    Ref<MenuItemFont> maker = MenuItemFont::itemFromString("Quillmark Software, Inc.", this,
        MenuItem::Callback(&AboutLayer::quillmark_Tapped, "quillmark_Tapped:"));
    Ref<Sprite> logo = Sprite::spriteWithFile("MarrowLogo.png");
    Ref<MenuItemFont> credit = textLine("Powered by the Marrow engine", this);

    MenuItemFont::setFontSize(20);
    Ref<MenuItemFont> back = backMenuItem();
    Ref<MenuItemFont> done = returnToGameMenuItem();

    Ref<Menu> menu = Menu::menuWithItems(
        { name.get(), version.get(), maker.get(), credit.get(), back.get(), done.get() });
    menu->alignItemsVertically();
    addChild(menu.get());
    addChild(logo.get());

    moveTo(name.get(), 90);
    moveTo(version.get(), 70);
    moveTo(maker.get(), 45);
    moveTo(credit.get(), -95);
    logo->setPosition(CGPointMake(160, 185));
    layOutPageMenu(menu.get(), back.get(), done.get());
}

void AboutLayer::quillmark_Tapped(Object*) { Host::current().openURL(kQuillmarkURL); }

// --- The lite page ------------------------------------------------------------------------------

Ref<AboutLiteScene> AboutLiteScene::node() { return Ref<AboutLiteScene>(new AboutLiteScene); }

AboutLiteScene::AboutLiteScene()
{
    initWithTitle("%@ v%@");
    addChild(AboutLiteLayer::node().get(), 0);
}

void AboutLiteScene::show() { OptionsScene::first(this); }

Ref<AboutLiteLayer> AboutLiteLayer::node() { return Ref<AboutLiteLayer>(new AboutLiteLayer); }

AboutLiteLayer::AboutLiteLayer()
{
    initWithTitle("%@ v%@");
    // The page's own picture carries the title and the frame.
    removeAllChildrenWithCleanup(true);
    Ref<Sprite> background = Sprite::spriteWithFile("AboutLiteBackground.png");
    const CGSize size = background->contentSize();
    background->setPosition(CGPointMake(size.width / 2, size.height / 2));
    addChild(background.get());

    Ref<MenuItemFont> full = MenuItemFont::itemFromString("Get Full Version - Only $0.99", this,
        MenuItem::Callback(&AboutLiteLayer::getFullVersion_Tapped, "getFullVersion_Tapped:"));
    Ref<MenuItemFont> painMeter = MenuItemFont::itemFromString(kShowPainMeter, this,
        MenuItem::Callback(&AboutLiteLayer::showPainMeter_Tapped, "showPainMeter_Tapped:"));
    setLabelText(painMeter.get(),
        fillFormat(kShowPainMeter, Configuration::current()->showPainMeter() ? "On" : "Off"));
    Ref<MenuItemFont> done = returnToGameMenuItem();

    Ref<Menu> menu = Menu::menuWithItems({ full.get(), painMeter.get(), done.get() });
    menu->alignItemsVertically();
    addChild(menu.get());
    layOutPageMenu(menu.get(), nullptr, nullptr);
    moveTo(full.get(), -143);
    moveTo(painMeter.get(), -167);
    moveTo(done.get(), -192);
}

void AboutLiteLayer::getFullVersion_Tapped(Object*) { Host::current().openURL(kFullVersionURL); }

void AboutLiteLayer::showPainMeter_Tapped(Object* sender)
{
    Configuration* config = Configuration::current();
    config->setShowPainMeter(!config->showPainMeter());
    if (auto* item = dynamic_cast<MenuItemLabel*>(sender))
        setLabelText(item, fillFormat(kShowPainMeter, config->showPainMeter() ? "On" : "Off"));
}
