#include "Classes/GeneralOptions.h"

#include "Classes/About.h"
#include "Classes/Configuration.h"
#include "Classes/FaceSelector.h"
#include "Classes/Selectors.h"
#include "Engine/Label.h"
#include "Engine/Menu.h"
#include "Engine/Slider.h"

MW_OPTIONS_PAGE(GeneralOptionsScene);
MW_OPTIONS_PAGE(GraphicsOptionsScene);
MW_OPTIONS_PAGE(PhysicsOptionsScene);

namespace {

const char* onOff(bool on) { return on ? "On" : "Off"; }

// The label alone changes, so the item keeps the size it measured for its first text.
void showSetting(MenuItemFont* item, const char* format, bool on)
{
    if (auto* label = dynamic_cast<Label*>(item->label()))
        label->setString(fillFormat(format, onOff(on)));
}

Ref<MenuItemFont> pageItem(const char* text, Object* target, MenuItem::Callback action, const char* pageClass)
{
    Ref<MenuItemFont> item = MenuItemFont::itemFromString(text, target, action);
    if (pageClass && !OptionsScene::sceneWithClassName(pageClass))
        item->setIsEnabled(false);
    return item;
}

constexpr const char* kRagdollWireframe = "Ragdoll as Wireframe: %@";
constexpr const char* kBallsWireframe = "Balls as Wireframe: %@";
constexpr const char* kTiltGravity = "Tilt Gravity: %@";

} // namespace

// --- General ----------------------------------------------------------------------------------

Ref<GeneralOptionsScene> GeneralOptionsScene::node()
{
    return Ref<GeneralOptionsScene>(new GeneralOptionsScene);
}

GeneralOptionsScene::GeneralOptionsScene()
{
    initWithTitle("General Options");
    addChild(GeneralOptionsLayer::node().get(), 1);
}

void GeneralOptionsScene::show() { OptionsScene::first(this); }

Ref<GeneralOptionsLayer> GeneralOptionsLayer::node()
{
    return Ref<GeneralOptionsLayer>(new GeneralOptionsLayer);
}

GeneralOptionsLayer::GeneralOptionsLayer()
{
    initWithTitle("General Options");
    Ref<MenuItemFont> display = MenuItemFont::itemFromString("Display Options", this,
        MenuItem::Callback(&GeneralOptionsLayer::graphics_Tapped, "graphics_Tapped:"));
    Ref<MenuItemFont> physics = MenuItemFont::itemFromString(
        "Physics Options", this, MenuItem::Callback(&GeneralOptionsLayer::physics_Tapped, "physics_Tapped:"));
    Ref<MenuItemFont> about = MenuItemFont::itemFromString(
        "About Bonzelar", this, MenuItem::Callback(&GeneralOptionsLayer::about_Tapped, "about_Tapped:"));
    Ref<MenuItemFont> done = returnToGameMenuItem();
    Ref<Menu> menu = Menu::menuWithItems({ spacerMenuItem().get(), display.get(), physics.get(), about.get(),
        spacerMenuItem().get(), spacerMenuItem().get(), done.get() });
    menu->alignItemsVertically();
    addChild(menu.get());
    layOutPageMenu(menu.get(), nullptr, done.get());
}

void GeneralOptionsLayer::graphics_Tapped(Object*) { OptionsScene::next(GraphicsOptionsScene::node().get()); }

void GeneralOptionsLayer::physics_Tapped(Object*) { OptionsScene::next(PhysicsOptionsScene::node().get()); }

void GeneralOptionsLayer::about_Tapped(Object*) { OptionsScene::next(AboutScene::node().get()); }

// --- Display ----------------------------------------------------------------------------------

Ref<GraphicsOptionsScene> GraphicsOptionsScene::node()
{
    return Ref<GraphicsOptionsScene>(new GraphicsOptionsScene);
}

GraphicsOptionsScene::GraphicsOptionsScene()
{
    initWithTitle("Display Options");
    addChild(GraphicsOptionsLayer::node().get(), 1);
}

Ref<GraphicsOptionsLayer> GraphicsOptionsLayer::node()
{
    return Ref<GraphicsOptionsLayer>(new GraphicsOptionsLayer);
}

GraphicsOptionsLayer::GraphicsOptionsLayer()
{
    initWithTitle("Display Options");
    Configuration* config = Configuration::current();
    using Self = GraphicsOptionsLayer;
    Ref<MenuItemFont> ragdoll = pageItem("Change Ragdoll", this,
        MenuItem::Callback(&Self::changeRagdoll_Tapped, "changeRagdoll_Tapped:"), nullptr);
    Ref<MenuItemFont> face = pageItem("Change Face", this,
        MenuItem::Callback(&Self::changeFace_Tapped, "changeFace_Tapped:"), "FaceSelectorScene");
    Ref<MenuItemFont> balls = pageItem(
        "Change Balls", this, MenuItem::Callback(&Self::changeBalls_Tapped, "changeBalls_Tapped:"), nullptr);
    Ref<MenuItemFont> background = pageItem("Change Background", this,
        MenuItem::Callback(&Self::changeBackground_Tapped, "changeBackground_Tapped:"), nullptr);

    m_drawPersonAsWireframeItem = MenuItemFont::itemFromString(kRagdollWireframe, this,
        MenuItem::Callback(&Self::drawPersonAsWireframe_Tapped, "drawPersonAsWireframe_Tapped:"));
    showSetting(m_drawPersonAsWireframeItem.get(), kRagdollWireframe, config->drawPersonAsWireframe());
    m_drawBallsAsWireframeItem = MenuItemFont::itemFromString(kBallsWireframe, this,
        MenuItem::Callback(&Self::drawBallsAsWireframe_Tapped, "drawBallsAsWireframe_Tapped:"));
    showSetting(m_drawBallsAsWireframeItem.get(), kBallsWireframe, config->drawBallsAsWireframe());

    Ref<MenuItemFont> back = backMenuItem();
    Ref<MenuItemFont> done = returnToGameMenuItem();
    Ref<Menu> menu = Menu::menuWithItems({ spacerMenuItem().get(), spacerMenuItem().get(), ragdoll.get(),
        face.get(), balls.get(), background.get(), m_drawPersonAsWireframeItem.get(),
        m_drawBallsAsWireframeItem.get(), back.get(), done.get() });
    menu->alignItemsVertically();
    addChild(menu.get());
    layOutPageMenu(menu.get(), back.get(), done.get());
}

void GraphicsOptionsLayer::changeRagdoll_Tapped(Object*)
{
    OptionsScene::next(RagdollSelectorScene::node().get());
}

void GraphicsOptionsLayer::changeFace_Tapped(Object*) { OptionsScene::next(FaceSelectorScene::node().get()); }

void GraphicsOptionsLayer::changeBalls_Tapped(Object*)
{
    OptionsScene::next(BallSelectorScene::node().get());
}

void GraphicsOptionsLayer::changeBackground_Tapped(Object*)
{
    OptionsScene::next(BackgroundSelectorScene::node().get());
}

void GraphicsOptionsLayer::drawPersonAsWireframe_Tapped(Object*)
{
    Configuration* config = Configuration::current();
    config->setDrawPersonAsWireframe(!config->drawPersonAsWireframe());
    showSetting(m_drawPersonAsWireframeItem.get(), kRagdollWireframe, config->drawPersonAsWireframe());
}

void GraphicsOptionsLayer::drawBallsAsWireframe_Tapped(Object*)
{
    Configuration* config = Configuration::current();
    config->setDrawBallsAsWireframe(!config->drawBallsAsWireframe());
    showSetting(m_drawBallsAsWireframeItem.get(), kBallsWireframe, config->drawBallsAsWireframe());
}

// --- Physics ----------------------------------------------------------------------------------

Ref<PhysicsOptionsScene> PhysicsOptionsScene::node()
{
    return Ref<PhysicsOptionsScene>(new PhysicsOptionsScene);
}

PhysicsOptionsScene::PhysicsOptionsScene()
{
    initWithTitle("Physics Options");
    addChild(PhysicsOptionsLayer::node().get(), 1);
}

Ref<PhysicsOptionsLayer> PhysicsOptionsLayer::node()
{
    return Ref<PhysicsOptionsLayer>(new PhysicsOptionsLayer);
}

PhysicsOptionsLayer::PhysicsOptionsLayer()
{
    initWithTitle("Physics Options");
    using Self = PhysicsOptionsLayer;
    m_useAccelerometerItem = MenuItemFont::itemFromString(
        kTiltGravity, this, MenuItem::Callback(&Self::useAccelerometer_Tapped, "useAccelerometer_Tapped:"));
    showSetting(m_useAccelerometerItem.get(), kTiltGravity, Configuration::current()->useAccelerometer());

    const MenuItem::Callback dummy(&OptionsLayer::dummy_Tapped, "dummy_Tapped:");
    Ref<MenuItemFont> gravity = MenuItemFont::itemFromString("Gravity Strength", this, dummy);
    Ref<MenuItemFont> damping = MenuItemFont::itemFromString("Velocity Damping", this, dummy);
    Ref<MenuItemFont> numBalls = MenuItemFont::itemFromString("Number of Balls", this, dummy);
    Ref<MenuItemFont> back = backMenuItem();
    Ref<MenuItemFont> done = returnToGameMenuItem();
    Ref<Menu> menu = Menu::menuWithItems({ m_useAccelerometerItem.get(), gravity.get(), damping.get(),
        numBalls.get(), spacerMenuItem().get(), back.get(), done.get() });
    menu->alignItemsVertically();
    addChild(menu.get());
    layOutPageMenu(menu.get(), back.get(), done.get());

    // Headings over the sliders: white and deaf to touches.
    const float x = numBalls->position().x;
    const std::pair<MenuItemFont*, float> headings[]
        = { { gravity.get(), 53 }, { damping.get(), -4 }, { numBalls.get(), -64 } };
    for (const auto& [heading, y] : headings) {
        heading->setIsEnabled(false);
        heading->setColor({ 255, 255, 255 });
        heading->setPosition(CGPointMake(x, y));
    }

    // As long as the slide-in, so the sliders do not ride in with the page.
    schedule(Selector<float>(&Self::addNativeUI, "addNativeUI:"), 0.3f);
}

void PhysicsOptionsLayer::addNativeUI(float)
{
    unschedule(Selector<float>(&PhysicsOptionsLayer::addNativeUI, "addNativeUI:"));
    if (m_gravitySlider)
        return;
    Configuration* config = Configuration::current();
    auto makeSlider = [this](float y, float maximum, float value, Slider::Callback action) {
        Ref<Slider> slider = Slider::sliderWithFrame(CGRectMake(45, y, 230, 35));
        slider->setMinimumValue(0);
        slider->setMaximumValue(maximum);
        slider->setValue(value);
        slider->setContinuous(true);
        slider->addTarget(this, action);
        addChild(slider.get(), 10);
        return slider;
    };
    using Self = PhysicsOptionsLayer;
    m_gravitySlider = makeSlider(
        223, 800, config->gravity(), Slider::Callback(&Self::gravity_ValueChanged, "gravity_ValueChanged:"));
    m_dampingSlider = makeSlider(280, 1, sliderValueForDamping(config->damping()),
        Slider::Callback(&Self::damping_ValueChanged, "damping_ValueChanged:"));
    m_numBallsSlider = makeSlider(340, 80, static_cast<float>(config->numberOfBalls()),
        Slider::Callback(&Self::numberOfBalls_ValueChanged, "numberOfBalls_ValueChanged:"));
}

void PhysicsOptionsLayer::removeNativeUI()
{
    // A page left before its sliders came must not grow them on the way out.
    unschedule(Selector<float>(&PhysicsOptionsLayer::addNativeUI, "addNativeUI:"));
    for (Ref<Slider>* slider : { &m_gravitySlider, &m_dampingSlider, &m_numBallsSlider })
        if (*slider) {
            removeChild(slider->get(), true);
            *slider = nullptr;
        }
}

float PhysicsOptionsLayer::dampingForSliderValue(float value)
{
    return static_cast<float>(1.0 + static_cast<double>(value) * -0.9);
}

float PhysicsOptionsLayer::sliderValueForDamping(float damping)
{
    return static_cast<float>((static_cast<double>(damping) - 0.1) / -0.9 + 1.0);
}

void PhysicsOptionsLayer::gravity_ValueChanged(Object* sender)
{
    Configuration::current()->setGravity(static_cast<Slider*>(sender)->value());
}

void PhysicsOptionsLayer::damping_ValueChanged(Object* sender)
{
    Configuration::current()->setDamping(dampingForSliderValue(static_cast<Slider*>(sender)->value()));
}

void PhysicsOptionsLayer::numberOfBalls_ValueChanged(Object* sender)
{
    Configuration::current()->setNumberOfBalls(static_cast<int>(static_cast<Slider*>(sender)->value()));
}

void PhysicsOptionsLayer::useAccelerometer_Tapped(Object*)
{
    Configuration* config = Configuration::current();
    config->setUseAccelerometer(!config->useAccelerometer());
    showSetting(m_useAccelerometerItem.get(), kTiltGravity, config->useAccelerometer());
}

void PhysicsOptionsLayer::back_Tapped(Object* sender)
{
    removeNativeUI();
    OptionsLayer::back_Tapped(sender);
}

void PhysicsOptionsLayer::done_Tapped(Object* sender)
{
    removeNativeUI();
    OptionsLayer::done_Tapped(sender);
}
