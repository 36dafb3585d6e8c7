#include "Classes/Selectors.h"

#include "Classes/Configuration.h"
#include "Engine/AlertView.h"
#include "Engine/Menu.h"
#include "Engine/Sprite.h"

MW_OPTIONS_PAGE(BackgroundSelectorScene);
MW_OPTIONS_PAGE(BallSelectorScene);
MW_OPTIONS_PAGE(RagdollSelectorScene);

namespace {

std::vector<std::string> numbered(const char* stem, int count)
{
    std::vector<std::string> names;
    for (int i = 1; i <= count; ++i)
        names.push_back(stem + std::to_string(i));
    return names;
}

std::string pictureFile(const std::string& name) { return name + ".png"; }

} // namespace

// --- the grid ---------------------------------------------------------------------------------

void SelectorLayer::build(const std::string& title, const std::vector<std::string>& names,
    const char* thumbnailFormat, MenuItem::Callback action)
{
    initWithTitle(title);

    m_selectedSprite = Sprite::spriteWithFile("Selected.png");
    const CGSize markerSize = m_selectedSprite->contentSize();
    m_selectedSprite->setPosition(CGPointMake(markerSize.width / 2, markerSize.height / 2));

    for (const std::string& name : names)
        m_names.push_back(StringValue::withString(name));

    Ref<Menu> menu = Menu::menuWithItems(std::vector<MenuItem*> {});
    for (const Ref<StringValue>& name : m_names) {
        const std::string file = fillFormat(thumbnailFormat, name->value());
        Ref<MenuItemImage> item = MenuItemImage::itemFromNormalImage(file, file, this, action);
        // The name array keeps the string alive for the item.
        item->setData(name.get());
        if (isCurrent(name->value()))
            item->addChild(m_selectedSprite.get());
        m_menuItems.push_back(item);
        menu->addChild(item.get());
    }
    Ref<MenuItemFont> back = backMenuItem();
    Ref<MenuItemFont> done = returnToGameMenuItem();
    menu->addChild(back.get());
    menu->addChild(done.get());
    menu->alignItemsVertically();
    addChild(menu.get());

    // Four a row; each step is the thumbnail's own size and a gap.
    double x = -105;
    double y = 72;
    for (std::size_t i = 0; i < m_menuItems.size(); ++i) {
        MenuItemImage* item = m_menuItems[i].get();
        item->setPosition(CGPointMake(static_cast<float>(x), static_cast<float>(y)));
        if ((i + 1) % 4 != 0) {
            x += static_cast<double>(item->contentSize().width) + 10;
        } else {
            x = -105;
            y -= static_cast<double>(item->contentSize().height) + 15;
        }
    }
    layOutPageMenu(menu.get(), back.get(), done.get());
}

const std::string& SelectorLayer::nameOf(const Object* item)
{
    static const std::string none;
    const auto* node = dynamic_cast<const Node*>(item);
    const auto* name = node ? static_cast<const StringValue*>(node->data()) : nullptr;
    return name ? name->value() : none;
}

MenuItemImage* SelectorLayer::markedItem() const
{
    Node* parent = m_selectedSprite ? m_selectedSprite->parent() : nullptr;
    for (const Ref<MenuItemImage>& item : m_menuItems)
        if (item.get() == parent)
            return item.get();
    return nullptr;
}

void SelectorLayer::unmarkCurrent()
{
    for (const Ref<MenuItemImage>& item : m_menuItems)
        if (isCurrent(nameOf(item.get())) && m_selectedSprite->parent() == item.get())
            item->removeChild(m_selectedSprite.get(), true);
}

void SelectorLayer::mark(MenuItemImage* item)
{
    // The marker has one place; a tap on the marked item leaves it there.
    if (Node* parent = m_selectedSprite->parent()) {
        if (parent == item)
            return;
        parent->removeChild(m_selectedSprite.get(), true);
    }
    item->addChild(m_selectedSprite.get());
}

// --- backgrounds ------------------------------------------------------------------------------

Ref<BackgroundSelectorLayer> BackgroundSelectorLayer::node()
{
    return Ref<BackgroundSelectorLayer>(new BackgroundSelectorLayer);
}

BackgroundSelectorLayer::BackgroundSelectorLayer()
{
    build("Select Background", numbered("Background", 12), "%@_thumb.png",
        MenuItem::Callback(&BackgroundSelectorLayer::image_Tapped, "image_Tapped:"));
}

bool BackgroundSelectorLayer::isCurrent(const std::string& name) const
{
    return pictureFile(name) == Configuration::current()->backgroundImage();
}

void BackgroundSelectorLayer::image_Tapped(Object* sender)
{
    auto* item = dynamic_cast<MenuItemImage*>(sender);
    if (!item)
        return;
    unmarkCurrent();
    Configuration::current()->setBackgroundImage(pictureFile(nameOf(item)));
    mark(item);
}

// --- balls ------------------------------------------------------------------------------------

Ref<BallSelectorLayer> BallSelectorLayer::node() { return Ref<BallSelectorLayer>(new BallSelectorLayer); }

BallSelectorLayer::BallSelectorLayer()
{
    build("Select Ball", numbered("Ball", 12), "%@_thumb.png",
        MenuItem::Callback(&BallSelectorLayer::image_Tapped, "image_Tapped:"));
}

bool BallSelectorLayer::isCurrent(const std::string& name) const
{
    return pictureFile(name) == Configuration::current()->ballImage();
}

void BallSelectorLayer::image_Tapped(Object* sender)
{
    auto* item = dynamic_cast<MenuItemImage*>(sender);
    if (!item)
        return;
    unmarkCurrent();
    Configuration::current()->setBallImage(pictureFile(nameOf(item)));
    mark(item);
}

// --- figures ----------------------------------------------------------------------------------

Ref<RagdollSelectorLayer> RagdollSelectorLayer::node()
{
    return Ref<RagdollSelectorLayer>(new RagdollSelectorLayer);
}

RagdollSelectorLayer::RagdollSelectorLayer()
{
    build("Select Ragdoll", { "Rocker", "BabeBikiniProfile", "Nerd", "Dog", "Narwhal" }, "%@_Thumb.png",
        MenuItem::Callback(&RagdollSelectorLayer::ragdoll_Tapped, "ragdoll_Tapped:"));
    if (Configuration::current()->customFaceImage())
        AlertView::alertWithTitle("Custom Face Warning",
            "You currently have a custom face set. Changing the ragdoll will cause the custom "
            "face to be lost.",
            { "OK" })
            ->show(this);
}

bool RagdollSelectorLayer::isCurrent(const std::string& name) const
{
    return name == Configuration::current()->ragdollClass();
}

void RagdollSelectorLayer::ragdoll_Tapped(Object* sender)
{
    auto* item = dynamic_cast<MenuItemImage*>(sender);
    if (!item)
        return;
    Configuration* config = Configuration::current();
    unmarkCurrent();
    const std::string& name = nameOf(item);
    // The face was cut for the old figure's head.
    if (name != config->ragdollClass()) {
        config->setCustomFaceImage(std::nullopt);
        config->setRagdollClass(name);
    }
    mark(item);
}

// --- scenes -----------------------------------------------------------------------------------

Ref<BackgroundSelectorScene> BackgroundSelectorScene::node()
{
    return Ref<BackgroundSelectorScene>(new BackgroundSelectorScene);
}

BackgroundSelectorScene::BackgroundSelectorScene()
{
    initWithTitle("Select Background");
    addChild(BackgroundSelectorLayer::node().get());
}

Ref<BallSelectorScene> BallSelectorScene::node() { return Ref<BallSelectorScene>(new BallSelectorScene); }

BallSelectorScene::BallSelectorScene()
{
    initWithTitle("Select Ball");
    addChild(BallSelectorLayer::node().get());
}

Ref<RagdollSelectorScene> RagdollSelectorScene::node()
{
    return Ref<RagdollSelectorScene>(new RagdollSelectorScene);
}

RagdollSelectorScene::RagdollSelectorScene()
{
    initWithTitle("Select Ragdoll");
    addChild(RagdollSelectorLayer::node().get());
}
