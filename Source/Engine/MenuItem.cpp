#include "Engine/MenuItem.h"

#include "Engine/Director.h"
#include "Engine/IntervalAction.h"
#include "Engine/Label.h"
#include "Engine/LabelAtlas.h"
#include "Engine/Sprite.h"
#include "Engine/Support/Exception.h"

namespace {

// Tags of the item's own zoom action and of the sub-item a toggle shows.
constexpr int kZoomActionTag = 0x6d725002;
constexpr int kCurrentItemTag = 0x6d725001;

RGBAProtocol* rgba(Node* node) { return dynamic_cast<RGBAProtocol*>(node); }

std::string textOf(const Node* node)
{
    if (const auto* label = dynamic_cast<const Label*>(node))
        return label->string();
    if (const auto* atlas = dynamic_cast<const LabelAtlas*>(node))
        return atlas->string();
    return "";
}

void runZoom(MenuItem* item, float scale)
{
    item->stopActionByTag(kZoomActionTag);
    Ref<ScaleTo> zoom = ScaleTo::actionWithDuration(0.1f, scale);
    zoom->setTag(kZoomActionTag);
    item->runAction(zoom.get());
}

void dumpColor(PropertySink& out, Color3B c) { out.setIntegers("color", { c.r, c.g, c.b }); }

} // namespace

// --- MenuItem -------------------------------------------------------------------------------

Ref<MenuItem> MenuItem::itemWithTarget(Object* target, Callback selector)
{
    Ref<MenuItem> item(new MenuItem);
    item->initWithTarget(target, selector);
    return item;
}

Ref<MenuItem> MenuItem::node() { raiseException("MenuItemInit", "Init not supported. Use InitFromString"); }

MenuItem::MenuItem() { setAnchorPoint(CGPointMake(0.5f, 0.5f)); }

void MenuItem::initWithTarget(Object* target, Callback selector)
{
    MW_ASSERT(
        !target || !selector || selector.accepts(target), "Selector target must be of the selector's class");
    // Without both there is nothing to call.
    m_target = target && selector ? target : nullptr;
    m_selector = target && selector ? selector : Callback();
    m_isEnabled = true;
}

void MenuItem::selected() { }

void MenuItem::unselected() { }

void MenuItem::activate()
{
    if (m_isEnabled && m_target && m_selector)
        m_selector(m_target, this);
}

CGRect MenuItem::rect() const
{
    return CGRectMake(m_position.x - m_contentSize.width * m_anchorPoint.x,
        m_position.y - m_contentSize.height * m_anchorPoint.y, m_contentSize.width, m_contentSize.height);
}

void MenuItem::dumpProperties(PropertySink& out) const
{
    Node::dumpProperties(out);
    out.set("enabled", m_isEnabled);
    const CGRect world = CGRectApplyAffineTransform(
        CGRectMake(0, 0, m_contentSize.width, m_contentSize.height), nodeToWorldTransform());
    out.setNumbers("worldRect", { world.origin.x, world.origin.y, world.size.width, world.size.height });

    // The inverse of the director's view-to-scene conversion, for the centre of the item.
    const CGPoint c
        = CGPointMake(world.origin.x + world.size.width / 2, world.origin.y + world.size.height / 2);
    const Director* director = Director::sharedDirector();
    const CGSize s = director->displaySize();
    CGPoint view = CGPointMake(c.x, s.height - c.y);
    switch (director->deviceOrientation()) {
    case kDeviceOrientationPortraitUpsideDown:
        view = CGPointMake(s.width - c.x, c.y);
        break;
    case kDeviceOrientationLandscapeLeft:
        view = CGPointMake(c.y, c.x);
        break;
    case kDeviceOrientationLandscapeRight:
        view = CGPointMake(s.width - c.y, s.height - c.x);
        break;
    default:
        break;
    }
    out.setNumbers("tapPoint", { view.x, view.y });
}

// --- MenuItemLabel --------------------------------------------------------------------------

Ref<MenuItemLabel> MenuItemLabel::itemWithLabel(Node* label, Object* target, Callback selector)
{
    Ref<MenuItemLabel> item(new MenuItemLabel);
    item->initWithLabel(label, target, selector);
    return item;
}

void MenuItemLabel::initWithLabel(Node* label, Object* target, Callback selector)
{
    MenuItem::initWithTarget(target, selector);
    m_colorBackup = kWhite;
    m_disabledColor = Color3B { 126, 126, 126 };
    setLabel(label);
}

RGBAProtocol* MenuItemLabel::labelRGBA() const { return rgba(m_label.get()); }

void MenuItemLabel::setLabel(Node* label)
{
    MW_ASSERT(label != nullptr, "Argument must be non-nil");
    m_label = label;
    setContentSize(label->contentSize());
}

void MenuItemLabel::setString(const std::string& string)
{
    if (auto* l = dynamic_cast<Label*>(m_label.get()))
        l->setString(string);
    else if (auto* atlas = dynamic_cast<LabelAtlas*>(m_label.get()))
        atlas->setString(string);
    setContentSize(m_label->contentSize());
}

std::string MenuItemLabel::string() const { return textOf(m_label.get()); }

void MenuItemLabel::selected()
{
    if (m_isEnabled)
        runZoom(this, 1.2f);
}

void MenuItemLabel::unselected()
{
    if (m_isEnabled)
        runZoom(this, 1.0f);
}

void MenuItemLabel::activate()
{
    if (!m_isEnabled)
        return;
    stopAllActions();
    setScale(1.0f);
    MenuItem::activate();
}

void MenuItemLabel::setIsEnabled(bool enabled)
{
    if (m_isEnabled != enabled) {
        if (RGBAProtocol* l = labelRGBA()) {
            if (!enabled) {
                m_colorBackup = l->color();
                l->setColor(m_disabledColor);
            } else {
                l->setColor(m_colorBackup);
            }
        }
    }
    MenuItem::setIsEnabled(enabled);
}

GLubyte MenuItemLabel::opacity() const
{
    const RGBAProtocol* l = labelRGBA();
    return l ? l->opacity() : 255;
}

void MenuItemLabel::setOpacity(GLubyte opacity)
{
    if (RGBAProtocol* l = labelRGBA())
        l->setOpacity(opacity);
}

Color3B MenuItemLabel::color() const
{
    const RGBAProtocol* l = labelRGBA();
    return l ? l->color() : kWhite;
}

void MenuItemLabel::setColor(Color3B color)
{
    if (RGBAProtocol* l = labelRGBA())
        l->setColor(color);
}

void MenuItemLabel::draw()
{
    if (m_label)
        m_label->draw();
}

void MenuItemLabel::dumpProperties(PropertySink& out) const
{
    MenuItem::dumpProperties(out);
    out.set("text", string());
    dumpColor(out, color());
    out.set("opacity", opacity());
}

// --- MenuItemFont ---------------------------------------------------------------------------

namespace {
int s_fontSize = 32;
std::string& fontNameStorage()
{
    static std::string name = "Marker Felt";
    return name;
}
} // namespace

void MenuItemFont::setFontSize(int size) { s_fontSize = size; }

int MenuItemFont::fontSize() { return s_fontSize; }

void MenuItemFont::setFontName(const std::string& name) { fontNameStorage() = name; }

const std::string& MenuItemFont::fontName() { return fontNameStorage(); }

Ref<MenuItemFont> MenuItemFont::itemFromString(const std::string& value)
{
    return itemFromString(value, nullptr, {});
}

Ref<MenuItemFont> MenuItemFont::itemFromString(const std::string& value, Object* target, Callback selector)
{
    Ref<MenuItemFont> item(new MenuItemFont);
    item->initFromString(value, target, selector);
    return item;
}

void MenuItemFont::initFromString(const std::string& value, Object* target, Callback selector)
{
    MW_ASSERT(!value.empty(), "Value lenght must be greater than 0");
    Ref<Label> label = Label::labelWithString(value, fontName(), static_cast<float>(fontSize()));
    initWithLabel(label.get(), target, selector);
}

// --- MenuItemSprite -------------------------------------------------------------------------

Ref<MenuItemSprite> MenuItemSprite::itemFromNormalSprite(Node* normalSprite, Node* selectedSprite)
{
    return itemFromNormalSprite(normalSprite, selectedSprite, nullptr, nullptr, {});
}

Ref<MenuItemSprite> MenuItemSprite::itemFromNormalSprite(
    Node* normalSprite, Node* selectedSprite, Object* target, Callback selector)
{
    return itemFromNormalSprite(normalSprite, selectedSprite, nullptr, target, selector);
}

Ref<MenuItemSprite> MenuItemSprite::itemFromNormalSprite(
    Node* normalSprite, Node* selectedSprite, Node* disabledSprite, Object* target, Callback selector)
{
    Ref<MenuItemSprite> item(new MenuItemSprite);
    item->initFromNormalSprite(normalSprite, selectedSprite, disabledSprite, target, selector);
    return item;
}

void MenuItemSprite::initFromNormalSprite(
    Node* normalSprite, Node* selectedSprite, Node* disabledSprite, Object* target, Callback selector)
{
    MenuItem::initWithTarget(target, selector);
    MW_ASSERT(normalSprite != nullptr, "Argument must be non-nil");
    setNormalImage(normalSprite);
    m_selectedImage = selectedSprite;
    m_disabledImage = disabledSprite;
}

void MenuItemSprite::setNormalImage(Node* image)
{
    MW_ASSERT(image != nullptr, "Argument must be non-nil");
    m_normalImage = image;
    setContentSize(image->contentSize());
}

GLubyte MenuItemSprite::opacity() const
{
    const RGBAProtocol* n = rgba(m_normalImage.get());
    return n ? n->opacity() : 255;
}

void MenuItemSprite::setOpacity(GLubyte opacity)
{
    for (Node* image : { m_normalImage.get(), m_selectedImage.get(), m_disabledImage.get() })
        if (RGBAProtocol* p = rgba(image))
            p->setOpacity(opacity);
}

Color3B MenuItemSprite::color() const
{
    const RGBAProtocol* n = rgba(m_normalImage.get());
    return n ? n->color() : kWhite;
}

void MenuItemSprite::setColor(Color3B color)
{
    for (Node* image : { m_normalImage.get(), m_selectedImage.get(), m_disabledImage.get() })
        if (RGBAProtocol* p = rgba(image))
            p->setColor(color);
}

void MenuItemSprite::draw()
{
    Node* image = m_normalImage.get();
    if (!m_isEnabled) {
        if (m_disabledImage)
            image = m_disabledImage.get();
    } else if (m_selected && m_selectedImage) {
        image = m_selectedImage.get();
    }
    if (image)
        image->draw();
}

void MenuItemSprite::dumpProperties(PropertySink& out) const
{
    MenuItem::dumpProperties(out);
    out.set("selected", m_selected);
    dumpColor(out, color());
    out.set("opacity", opacity());
    if (const auto* sprite = dynamic_cast<const TextureNode*>(m_normalImage.get()))
        if (sprite->texture() && !sprite->texture()->fileName().empty())
            out.set("image", sprite->texture()->fileName());
}

// --- MenuItemImage --------------------------------------------------------------------------

Ref<MenuItemImage> MenuItemImage::itemFromNormalImage(
    const std::string& normalImage, const std::string& selectedImage)
{
    return itemFromNormalImage(normalImage, selectedImage, "", nullptr, {});
}

Ref<MenuItemImage> MenuItemImage::itemFromNormalImage(
    const std::string& normalImage, const std::string& selectedImage, Object* target, Callback selector)
{
    return itemFromNormalImage(normalImage, selectedImage, "", target, selector);
}

Ref<MenuItemImage> MenuItemImage::itemFromNormalImage(
    const std::string& normalImage, const std::string& selectedImage, const std::string& disabledImage)
{
    return itemFromNormalImage(normalImage, selectedImage, disabledImage, nullptr, {});
}

Ref<MenuItemImage> MenuItemImage::itemFromNormalImage(const std::string& normalImage,
    const std::string& selectedImage, const std::string& disabledImage, Object* target, Callback selector)
{
    Ref<MenuItemImage> item(new MenuItemImage);
    item->initFromNormalImage(normalImage, selectedImage, disabledImage, target, selector);
    return item;
}

void MenuItemImage::initFromNormalImage(const std::string& normalImage, const std::string& selectedImage,
    const std::string& disabledImage, Object* target, Callback selector)
{
    Ref<Sprite> normal = Sprite::spriteWithFile(normalImage);
    Ref<Sprite> selected = Sprite::spriteWithFile(selectedImage);
    Ref<Sprite> disabled = disabledImage.empty() ? nullptr : Sprite::spriteWithFile(disabledImage);
    initFromNormalSprite(normal.get(), selected.get(), disabled.get(), target, selector);
}

// --- MenuItemToggle -------------------------------------------------------------------------

Ref<MenuItemToggle> MenuItemToggle::itemWithTarget(
    Object* target, Callback selector, std::initializer_list<MenuItem*> items)
{
    Ref<MenuItemToggle> item(new MenuItemToggle);
    item->initWithTarget(target, selector, items);
    return item;
}

void MenuItemToggle::initWithTarget(Object* target, Callback selector, std::initializer_list<MenuItem*> items)
{
    MenuItem::initWithTarget(target, selector);
    m_subItems.clear();
    m_subItems.reserve(2);
    for (MenuItem* item : items) {
        if (!item)
            break;
        m_subItems.emplace_back(item);
    }
    m_selectedIndex = kNoSelection;
    setSelectedIndex(0);
}

MenuItem* MenuItemToggle::selectedItem() const
{
    return m_selectedIndex < m_subItems.size() ? m_subItems[m_selectedIndex].get() : nullptr;
}

void MenuItemToggle::setSelectedIndex(unsigned index)
{
    // An index past the end would show nothing and break activate's cycling.
    if (index == m_selectedIndex || index >= m_subItems.size())
        return;
    m_selectedIndex = index;
    removeChildByTag(kCurrentItemTag, false);
    MenuItem* item = m_subItems[index].get();
    addChild(item, 0, kCurrentItemTag);
    const CGSize s = item->contentSize();
    setContentSize(s);
    item->setPosition(CGPointMake(s.width / 2, s.height / 2));
}

void MenuItemToggle::selected()
{
    if (MenuItem* item = selectedItem())
        item->selected();
}

void MenuItemToggle::unselected()
{
    if (MenuItem* item = selectedItem())
        item->unselected();
}

void MenuItemToggle::activate()
{
    if (m_isEnabled && !m_subItems.empty())
        setSelectedIndex((m_selectedIndex + 1) % static_cast<unsigned>(m_subItems.size()));
    MenuItem::activate();
}

void MenuItemToggle::setIsEnabled(bool enabled)
{
    MenuItem::setIsEnabled(enabled);
    for (const Ref<MenuItem>& item : m_subItems)
        item->setIsEnabled(enabled);
}

void MenuItemToggle::setOpacity(GLubyte opacity)
{
    m_opacity = opacity;
    for (const Ref<MenuItem>& item : m_subItems)
        if (RGBAProtocol* p = rgba(item.get()))
            p->setOpacity(opacity);
}

void MenuItemToggle::setColor(Color3B color)
{
    m_color = color;
    for (const Ref<MenuItem>& item : m_subItems)
        if (RGBAProtocol* p = rgba(item.get()))
            p->setColor(color);
}

void MenuItemToggle::dumpProperties(PropertySink& out) const
{
    MenuItem::dumpProperties(out);
    out.set("selectedIndex", m_selectedIndex);
    if (const auto* label = dynamic_cast<const MenuItemLabel*>(selectedItem()))
        out.set("text", label->string());
}
