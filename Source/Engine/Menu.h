#pragma once
// A full-screen layer of MenuItems. It takes single touches ahead of every other handler,
// highlights the item under the finger and activates it when the finger lifts on it.
// From the keyboard, arrows move a framed highlight between the items that can act, and Enter or
// Space activates the highlighted one.

#include "Engine/KeyHandler.h"
#include "Engine/Layer.h"
#include "Engine/MenuItem.h"
#include "Engine/Support/Color.h"

#include <initializer_list>
#include <vector>

enum MenuState {
    kMenuStateWaiting = 0,
    kMenuStateTrackingTouch = 1,
};

// Ahead of every other touch handler.
inline constexpr int kMenuTouchPriority = -2147483647;

class Menu : public Layer, public RGBAProtocol, public KeyHandler {
public:
    // A null in the list ends it.
    static Ref<Menu> menuWithItems(std::initializer_list<MenuItem*> items);
    static Ref<Menu> menuWithItems(const std::vector<MenuItem*>& items);
    // A menu needs its items: raises "MenuInit".
    static Ref<Menu> node();
    const char* className() const override { return "Menu"; }

    void initWithItems(const std::vector<MenuItem*>& items);

    // Only MenuItems may be added.
    using Layer::addChild;
    Node* addChild(Node* child, int z, int tag) override;
    void removeChild(Node* child, bool cleanup) override;
    void removeAllChildrenWithCleanup(bool cleanup) override;

    // A column centred on the menu's origin, first item on top.
    void alignItemsVertically();
    void alignItemsVerticallyWithPadding(float padding);
    // A row centred on the menu's origin, first item on the left.
    void alignItemsHorizontally();
    void alignItemsHorizontallyWithPadding(float padding);
    // Grid layouts: only their argument checks are kept; the items are not moved.
    void alignItemsInColumns(std::initializer_list<unsigned> itemsPerRow);
    void alignItemsInRows(std::initializer_list<unsigned> itemsPerColumn);

    GLubyte opacity() const override { return m_opacity; }
    void setOpacity(GLubyte opacity) override;
    Color3B color() const override { return m_color; }
    void setColor(Color3B color) override;

    // The first item, in z-order, whose rectangle contains the touch; visibility and the
    // enabled state play no part.
    MenuItem* itemForTouch(const Touch* touch) const;

    void registerWithTouchDispatcher() override;
    void onExit() override;
    bool onTouchBegan(Touch* touch, TouchEvent* event) override;
    void onTouchMoved(Touch* touch, TouchEvent* event) override;
    void onTouchEnded(Touch* touch, TouchEvent* event) override;
    void onTouchCancelled(Touch* touch, TouchEvent* event) override;

    int state() const { return m_state; }
    MenuItem* selectedItem() const { return m_selectedItem; }

    // --- keyboard ---
    // Moves the highlight by step items (negative: towards the first) over the enabled, visible
    // items with an action, wrapping round; from no highlight, +1 goes to the first and -1 to
    // the last. False when there is no such item.
    bool moveHighlight(int step);
    // Activates the highlighted item; false when none is highlighted or it cannot act.
    bool activateHighlight();
    MenuItem* highlightedItem() const { return m_highlightedItem; }
    // Up/Left and Down/Right move the highlight, Enter and Space activate it.
    bool onKey(HostKey key) override;
    void visit() override;

    // Adds state.
    void dumpProperties(PropertySink& out) const override;

protected:
    Menu() = default;

    int m_state = kMenuStateWaiting;
    MenuItem* m_selectedItem = nullptr; // one of our children, not retained
    MenuItem* m_highlightedItem = nullptr; // likewise
    GLubyte m_opacity = 255;
    Color3B m_color = kWhite;
};
