#include "Tooling/TransitionDemo.h"

#include "Engine/Director.h"
#include "Engine/Label.h"
#include "Engine/Layer.h"
#include "Engine/Menu.h"
#include "Engine/PointParticleSystem.h"
#include "Engine/Sprite.h"
#include "Engine/TextureMgr.h"
#include "Engine/Transition.h"

namespace {

constexpr float kFlipDuration = 0.5f;
constexpr float kSlideDuration = 0.3f;

void flipTo(const std::string& page, int orientation)
{
    if (Scene* scene = transitionDemoPage(page); scene && scene != Director::sharedDirector()->runningScene())
        Director::sharedDirector()->replaceScene(
            FlipXTransition::transitionWithDuration(kFlipDuration, scene, orientation).get());
}

void slideTo(const std::string& page, bool fromRight)
{
    Scene* scene = transitionDemoPage(page);
    if (!scene || scene == Director::sharedDirector()->runningScene())
        return;
    Ref<TransitionScene> slide = fromRight
        ? Ref<TransitionScene>(SlideInRTransition::transitionWithDuration(kSlideDuration, scene))
        : Ref<TransitionScene>(SlideInLTransition::transitionWithDuration(kSlideDuration, scene));
    Director::sharedDirector()->replaceScene(slide.get());
}

// The pages' buttons.
class DemoLayer : public Layer {
public:
    const char* className() const override { return "DemoLayer"; }
    void flipToB_Tapped(Object*) { flipTo("B", kOrientationLeftOver); }
    void slideToB_Tapped(Object*) { slideTo("B", true); }
    void back_Tapped(Object*) { slideTo("A", false); }
    void flipBack_Tapped(Object*) { flipTo("A", kOrientationRightOver); }
};

void addBackground(Node* layer, const char* file)
{
    const CGSize s = Director::sharedDirector()->winSize();
    Ref<Sprite> background = Sprite::spriteWithFile(file);
    background->setPosition(CGPointMake(s.width / 2, s.height / 2));
    layer->addChild(background.get(), -1);
}

void addTitle(Node* layer, const char* text)
{
    const CGSize s = Director::sharedDirector()->winSize();
    Ref<Label> title = Label::labelWithString(text, "Marker Felt", 40);
    title->setPosition(CGPointMake(s.width / 2, s.height - 60));
    title->setColor({ 255, 230, 120 });
    layer->addChild(title.get());
}

Ref<Scene> makePageA()
{
    Ref<Scene> scene = Scene::node();
    Ref<DemoLayer> layer = make<DemoLayer>();
    addBackground(layer.get(), "Background2.png");
    addTitle(layer.get(), "Page A");

    Ref<MenuItemFont> flip = MenuItemFont::itemFromString(
        "Flip to B", layer.get(), MenuItem::Callback(&DemoLayer::flipToB_Tapped));
    Ref<MenuItemFont> slide = MenuItemFont::itemFromString(
        "Slide to B", layer.get(), MenuItem::Callback(&DemoLayer::slideToB_Tapped));
    Ref<MenuItemFont> off = MenuItemFont::itemFromString("Not Here");
    off->setIsEnabled(false);
    Ref<Menu> menu = Menu::menuWithItems({ flip.get(), slide.get(), off.get() });
    menu->alignItemsVertically();
    layer->addChild(menu.get());
    scene->addChild(layer.get());
    return scene;
}

Ref<Scene> makePageB()
{
    Ref<Scene> scene = Scene::node();
    Ref<DemoLayer> layer = make<DemoLayer>();
    addBackground(layer.get(), "Background8.png");
    addTitle(layer.get(), "Page B");

    const CGSize s = Director::sharedDirector()->winSize();
    if (Ref<PointParticleSystem> sparks = PointParticleSystem::particleWithTotalParticles(300)) {
        sparks->setTexture(TextureMgr::sharedTextureMgr()->addImage("Spark.png").get());
        sparks->setBlendAdditive(true);
        sparks->setPosition(CGPointMake(s.width / 2, 150));
        sparks->setDuration(kParticleDurationInfinity);
        sparks->setEmissionRate(150);
        sparks->setAngle(90);
        sparks->setAngleVar(25);
        sparks->setSpeed(260);
        sparks->setSpeedVar(60);
        sparks->setGravity(CGPointMake(0, -300));
        sparks->setPosVar(CGPointMake(6, 0));
        sparks->setLife(1.6f);
        sparks->setLifeVar(0.4f);
        sparks->setStartSize(22);
        sparks->setStartSizeVar(6);
        sparks->setEndSize(4);
        sparks->setStartColor({ 1, 0.85f, 0.4f, 1 });
        sparks->setEndColor({ 1, 0.25f, 0.05f, 0.3f });
        layer->addChild(sparks.get());
    }

    Ref<MenuItemFont> back = MenuItemFont::itemFromString(
        "Slide Back", layer.get(), MenuItem::Callback(&DemoLayer::back_Tapped));
    Ref<MenuItemFont> flip = MenuItemFont::itemFromString(
        "Flip Back", layer.get(), MenuItem::Callback(&DemoLayer::flipBack_Tapped));
    Ref<Menu> menu = Menu::menuWithItems({ back.get(), flip.get() });
    menu->alignItemsHorizontallyWithPadding(30);
    menu->setPosition(CGPointMake(s.width / 2, 40));
    layer->addChild(menu.get());
    scene->addChild(layer.get());
    return scene;
}

struct Pages {
    Ref<Scene> a, b;
};

Pages& pages()
{
    // Kept to the end of the run like the engine's singletons; never destroyed, so no scene
    // is torn down after the engine it belongs to.
    static Pages* p = new Pages;
    return *p;
}

} // namespace

Scene* transitionDemoPage(const std::string& name)
{
    Pages& p = pages();
    if (name == "A") {
        if (!p.a)
            p.a = makePageA();
        return p.a.get();
    }
    if (name == "B") {
        if (!p.b)
            p.b = makePageB();
        return p.b.get();
    }
    return nullptr;
}

void transitionDemoShow(const std::string& page)
{
    Scene* scene = transitionDemoPage(page);
    if (scene && scene != Director::sharedDirector()->runningScene())
        Director::sharedDirector()->replaceScene(scene);
}

void transitionDemoFlip(const std::string& page, int orientation) { flipTo(page, orientation); }

void transitionDemoSlide(const std::string& page, bool fromRight) { slideTo(page, fromRight); }
