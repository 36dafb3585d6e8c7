#include "Engine/Menu.h"

#include "Engine/Director.h"
#include "Engine/DrawingPrimitives.h"
#include "Engine/Support/Exception.h"
#include "Engine/Support/GLState.h"
#include "Engine/TouchDispatcher.h"

#include <GLES/gl.h>
#include <algorithm>

namespace {

// The platform status bar over the top of the screen; this host has none.
constexpr float kStatusBarHeight = 0;

constexpr float kDefaultPadding = 5;

} // namespace

Ref<Menu> Menu::menuWithItems(std::initializer_list<MenuItem*> items)
{
    return menuWithItems(std::vector<MenuItem*>(items));
}

Ref<Menu> Menu::menuWithItems(const std::vector<MenuItem*>& items)
{
    Ref<Menu> menu(new Menu);
    menu->initWithItems(items);
    return menu;
}

Ref<Menu> Menu::node() { raiseException("MenuInit", "Use initWithItems instead"); }

void Menu::initWithItems(const std::vector<MenuItem*>& items)
{
    // The layer set-up (relative anchor off, centre anchor, window size) is the constructor's.
    m_isTouchEnabled = true;
    // Centred in the area below the status bar (its width in landscape, where it is as thin).
    const CGSize s = Director::sharedDirector()->winSize();
    setPosition(CGPointMake(s.width / 2, (s.height - kStatusBarHeight) / 2));

    int z = 0;
    for (MenuItem* item : items) {
        if (!item)
            break;
        addChild(item, z++);
    }
    m_selectedItem = nullptr;
    m_state = kMenuStateWaiting;
}

Node* Menu::addChild(Node* child, int z, int tag)
{
    MW_ASSERT(dynamic_cast<MenuItem*>(child) != nullptr, "Menu only supports MenuItem objects as children");
    return Layer::addChild(child, z, tag);
}

void Menu::removeChild(Node* child, bool cleanup)
{
    // A selected item that leaves the menu must not be activated through a stale pointer.
    if (child && child == m_selectedItem)
        m_selectedItem = nullptr;
    if (child && child == m_highlightedItem)
        m_highlightedItem = nullptr;
    Layer::removeChild(child, cleanup);
}

void Menu::removeAllChildrenWithCleanup(bool cleanup)
{
    m_selectedItem = nullptr;
    m_highlightedItem = nullptr;
    Layer::removeAllChildrenWithCleanup(cleanup);
}

// --- alignment ------------------------------------------------------------------------------

void Menu::alignItemsVertically() { alignItemsVerticallyWithPadding(kDefaultPadding); }

void Menu::alignItemsVerticallyWithPadding(float padding)
{
    float height = -padding;
    for (const Ref<Node>& child : m_children)
        height += child->contentSize().height * child->scaleY() + padding;

    float y = height / 2;
    for (const Ref<Node>& child : m_children) {
        const float h = child->contentSize().height * child->scaleY();
        child->setPosition(CGPointMake(0, y - h / 2));
        y -= h + padding;
    }
}

void Menu::alignItemsHorizontally() { alignItemsHorizontallyWithPadding(kDefaultPadding); }

void Menu::alignItemsHorizontallyWithPadding(float padding)
{
    float width = -padding;
    for (const Ref<Node>& child : m_children)
        width += child->contentSize().width * child->scaleX() + padding;

    float x = -width / 2;
    for (const Ref<Node>& child : m_children) {
        const float w = child->contentSize().width * child->scaleX();
        child->setPosition(CGPointMake(x + w / 2, 0));
        x += w + padding;
    }
}

void Menu::alignItemsInColumns(std::initializer_list<unsigned> itemsPerRow)
{
    // Nothing in the game lays menus out in grids; the checks keep misuse loud.
    std::size_t row = 0;
    unsigned left = itemsPerRow.size() > 0 ? *itemsPerRow.begin() : 0;
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        MW_ASSERT(row < itemsPerRow.size(), "Too many menu items for the amount of rows/columns.");
        MW_ASSERT(left != 0, "Can't have zero columns on a row");
        if (--left == 0 && ++row < itemsPerRow.size())
            left = *(itemsPerRow.begin() + row);
    }
    MW_ASSERT(left == 0 && row >= itemsPerRow.size(), "Too many rows/columns for available menu items.");
}

void Menu::alignItemsInRows(std::initializer_list<unsigned> itemsPerColumn)
{
    std::size_t column = 0;
    unsigned left = itemsPerColumn.size() > 0 ? *itemsPerColumn.begin() : 0;
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        MW_ASSERT(column < itemsPerColumn.size(), "Too many menu items for the amount of rows/columns.");
        MW_ASSERT(left != 0, "Can't have zero rows on a column");
        if (--left == 0 && ++column < itemsPerColumn.size())
            left = *(itemsPerColumn.begin() + column);
    }
    MW_ASSERT(
        left == 0 && column >= itemsPerColumn.size(), "Too many rows/columns for available menu items.");
}

// --- colour ---------------------------------------------------------------------------------

void Menu::setOpacity(GLubyte opacity)
{
    m_opacity = opacity;
    for (const Ref<Node>& child : m_children)
        if (auto* item = dynamic_cast<RGBAProtocol*>(child.get()))
            item->setOpacity(opacity);
}

void Menu::setColor(Color3B color)
{
    m_color = color;
    for (const Ref<Node>& child : m_children)
        if (auto* item = dynamic_cast<RGBAProtocol*>(child.get()))
            item->setColor(color);
}

// --- touches --------------------------------------------------------------------------------

MenuItem* Menu::itemForTouch(const Touch* touch) const
{
    for (const Ref<Node>& child : m_children) {
        const CGPoint local = child->convertTouchToNodeSpace(touch);
        const CGSize s = child->contentSize();
        if (CGRectContainsPoint(CGRectMake(0, 0, s.width, s.height), local))
            return static_cast<MenuItem*>(child.get());
    }
    return nullptr;
}

void Menu::registerWithTouchDispatcher()
{
    TouchDispatcher::sharedDispatcher()->addTargetedDelegate(this, kMenuTouchPriority, true);
}

void Menu::onExit()
{
    // The dispatcher forgets our claimed touch; a menu that comes back must not wait for it.
    if (m_state == kMenuStateTrackingTouch && m_selectedItem)
        m_selectedItem->unselected();
    m_selectedItem = nullptr;
    m_state = kMenuStateWaiting;
    if (m_highlightedItem)
        m_highlightedItem->unselected();
    m_highlightedItem = nullptr;
    Layer::onExit();
}

bool Menu::onTouchBegan(Touch* touch, TouchEvent*)
{
    if (m_state != kMenuStateWaiting)
        return false;
    // A finger takes over from the keyboard.
    if (m_highlightedItem)
        m_highlightedItem->unselected();
    m_highlightedItem = nullptr;
    m_selectedItem = itemForTouch(touch);
    if (!m_selectedItem)
        return false;
    m_selectedItem->selected();
    m_state = kMenuStateTrackingTouch;
    return true;
}

void Menu::onTouchMoved(Touch* touch, TouchEvent*)
{
    MW_ASSERT(m_state == kMenuStateTrackingTouch, "[Menu onTouchMoved] -- invalid state");
    MenuItem* current = itemForTouch(touch);
    if (current == m_selectedItem)
        return;
    if (m_selectedItem)
        m_selectedItem->unselected();
    m_selectedItem = current;
    if (m_selectedItem)
        m_selectedItem->selected();
}

void Menu::onTouchEnded(Touch*, TouchEvent*)
{
    MW_ASSERT(m_state == kMenuStateTrackingTouch, "[Menu onTouchEnded] -- invalid state");
    m_state = kMenuStateWaiting;
    // The callback may replace the scene or rebuild this menu; keep both alive through it.
    Ref<Menu> self(this);
    if (Ref<MenuItem> item = m_selectedItem) {
        item->unselected();
        item->activate();
    }
}

void Menu::onTouchCancelled(Touch*, TouchEvent*)
{
    MW_ASSERT(m_state == kMenuStateTrackingTouch, "[Menu onTouchCancelled] -- invalid state");
    if (m_selectedItem)
        m_selectedItem->unselected();
    m_state = kMenuStateWaiting;
}

// --- keyboard ---------------------------------------------------------------------------------

bool Menu::moveHighlight(int step)
{
    std::vector<MenuItem*> items;
    for (const Ref<Node>& child : m_children) {
        auto* item = static_cast<MenuItem*>(child.get());
        if (item->visible() && item->canActivate())
            items.push_back(item);
    }
    if (items.empty() || step == 0)
        return false;
    const int count = static_cast<int>(items.size());
    int index = -1;
    for (int i = 0; i < count; ++i)
        if (items[static_cast<std::size_t>(i)] == m_highlightedItem)
            index = i;
    if (index < 0)
        index = step > 0 ? step - 1 : count + step;
    else
        index += step;
    index = ((index % count) + count) % count;
    MenuItem* next = items[static_cast<std::size_t>(index)];
    if (next != m_highlightedItem) {
        if (m_highlightedItem)
            m_highlightedItem->unselected();
        m_highlightedItem = next;
        m_highlightedItem->selected();
    }
    return true;
}

bool Menu::activateHighlight()
{
    if (!m_highlightedItem || !m_highlightedItem->canActivate() || m_state != kMenuStateWaiting)
        return false;
    // As a lifted finger: the callback may replace the scene or rebuild this menu.
    Ref<Menu> self(this);
    Ref<MenuItem> item = m_highlightedItem;
    item->unselected();
    item->activate();
    // The item stays highlighted for the next key unless the callback took it away.
    if (m_highlightedItem == item.get() && item->canActivate())
        item->selected();
    return true;
}

bool Menu::onKey(HostKey key)
{
    switch (key) {
    case HostKey::Up:
    case HostKey::Left:
        return moveHighlight(-1);
    case HostKey::Down:
    case HostKey::Right:
        return moveHighlight(1);
    case HostKey::Enter:
    case HostKey::Space:
        return activateHighlight();
    default:
        return false;
    }
}

void Menu::visit()
{
    Layer::visit();
    if (!m_visible || !m_highlightedItem)
        return;
    // A frame round the highlighted item, over it: a zoomed label or a thumbnail alone may not
    // show which one it is.
    const CGSize s = m_highlightedItem->contentSize();
    const CGAffineTransform t = m_highlightedItem->nodeToParentTransform();
    constexpr float kMargin = 3;
    const CGPoint corners[4] = {
        CGPointApplyAffineTransform(CGPointMake(-kMargin, -kMargin), t),
        CGPointApplyAffineTransform(CGPointMake(s.width + kMargin, -kMargin), t),
        CGPointApplyAffineTransform(CGPointMake(s.width + kMargin, s.height + kMargin), t),
        CGPointApplyAffineTransform(CGPointMake(-kMargin, s.height + kMargin), t),
    };
    glPushMatrix();
    transform();
    GLState::enterResting();
    glLineWidth(2.0f * std::max(1.0f, Host::current().contentScale()));
    glColor4ub(255, 210, 60, 255);
    drawPoly(corners, 4, true);
    glColor4ub(255, 255, 255, 255);
    glLineWidth(1.0f);
    GLState::afterRestingDraw();
    glPopMatrix();
}

void Menu::dumpProperties(PropertySink& out) const
{
    Layer::dumpProperties(out);
    out.set("state", m_state);
    if (m_highlightedItem)
        out.set("highlighted",
            static_cast<int>(std::find_if(m_children.begin(), m_children.end(),
                                 [this](const Ref<Node>& child) { return child.get() == m_highlightedItem; })
                - m_children.begin()));
    out.set("opacity", m_opacity);
    out.setIntegers("color", { m_color.r, m_color.g, m_color.b });
}
