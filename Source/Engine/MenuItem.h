#pragma once
// The buttons of a Menu: text items (MenuItemLabel, MenuItemFont), picture items
// (MenuItemSprite, MenuItemImage) and an item that cycles through others (MenuItemToggle).
//
// A tapped item calls its target's method with itself as the argument. The target is not
// retained: it is normally the layer that owns the menu, and so outlives the item.

#include "Engine/Node.h"
#include "Engine/Support/Color.h"

#include <initializer_list>
#include <string>
#include <vector>

class MenuItem : public Node {
public:
    using Callback = Selector<Object*>;

    static Ref<MenuItem> itemWithTarget(Object* target, Callback selector);
    // An item needs a target and selector: raises "MenuItemInit".
    static Ref<MenuItem> node();
    const char* className() const override { return "MenuItem"; }

    void initWithTarget(Object* target, Callback selector);

    // The finger came onto / left the item; nothing in the base class.
    virtual void selected();
    virtual void unselected();
    // Calls the target, if the item is enabled.
    virtual void activate();

    bool isEnabled() const { return m_isEnabled; }
    // Enabled and with something to call: what a keyboard highlight may land on.
    bool canActivate() const { return m_isEnabled && m_target && m_selector; }
    virtual void setIsEnabled(bool enabled) { m_isEnabled = enabled; }
    // In the parent's space, from position, content size and anchor point.
    CGRect rect() const;

    Object* target() const { return m_target; }
    const Callback& selector() const { return m_selector; }

    // Adds enabled, worldRect (scene points, origin bottom left) and tapPoint (its centre in
    // view points, origin top left, as script taps take them).
    void dumpProperties(PropertySink& out) const override;

protected:
    MenuItem();

    Object* m_target = nullptr; // not retained
    Callback m_selector;
    bool m_isEnabled = true;
};

// An item showing a label node (a Label or LabelAtlas) that is drawn by the item, not a child.
class MenuItemLabel : public MenuItem, public RGBAProtocol {
public:
    // The label must have a colour and opacity (RGBAProtocol).
    static Ref<MenuItemLabel> itemWithLabel(Node* label, Object* target, Callback selector);
    const char* className() const override { return "MenuItemLabel"; }

    void initWithLabel(Node* label, Object* target, Callback selector);

    Node* label() const { return m_label.get(); }
    void setLabel(Node* label);
    // Changes the text and the item's size.
    void setString(const std::string& string);
    // The label's text, or "" when it has none.
    std::string string() const;
    Color3B disabledColor() const { return m_disabledColor; }
    void setDisabledColor(Color3B color) { m_disabledColor = color; }

    void selected() override;
    void unselected() override;
    void activate() override;
    void setIsEnabled(bool enabled) override;

    GLubyte opacity() const override;
    void setOpacity(GLubyte opacity) override;
    Color3B color() const override;
    void setColor(Color3B color) override;

    void draw() override;
    // Adds text, color and opacity.
    void dumpProperties(PropertySink& out) const override;

protected:
    MenuItemLabel() = default;
    RGBAProtocol* labelRGBA() const;

    Ref<Node> m_label;
    Color3B m_colorBackup = kWhite;
    Color3B m_disabledColor { 126, 126, 126 };
};

// A text item in the class-level font; changing the font affects only items made afterwards.
class MenuItemFont : public MenuItemLabel {
public:
    static void setFontSize(int size);
    static int fontSize();
    static void setFontName(const std::string& name);
    static const std::string& fontName();

    static Ref<MenuItemFont> itemFromString(const std::string& value);
    static Ref<MenuItemFont> itemFromString(const std::string& value, Object* target, Callback selector);
    const char* className() const override { return "MenuItemFont"; }

    void initFromString(const std::string& value, Object* target, Callback selector);

protected:
    MenuItemFont() = default;
};

// A picture item with a normal, a selected and optionally a disabled image (nodes with colour
// and opacity, drawn by the item).
class MenuItemSprite : public MenuItem, public RGBAProtocol {
public:
    static Ref<MenuItemSprite> itemFromNormalSprite(Node* normalSprite, Node* selectedSprite);
    static Ref<MenuItemSprite> itemFromNormalSprite(
        Node* normalSprite, Node* selectedSprite, Object* target, Callback selector);
    static Ref<MenuItemSprite> itemFromNormalSprite(
        Node* normalSprite, Node* selectedSprite, Node* disabledSprite, Object* target, Callback selector);
    const char* className() const override { return "MenuItemSprite"; }

    void initFromNormalSprite(
        Node* normalSprite, Node* selectedSprite, Node* disabledSprite, Object* target, Callback selector);

    Node* normalImage() const { return m_normalImage.get(); }
    void setNormalImage(Node* image);
    Node* selectedImage() const { return m_selectedImage.get(); }
    void setSelectedImage(Node* image) { m_selectedImage = image; }
    Node* disabledImage() const { return m_disabledImage.get(); }
    void setDisabledImage(Node* image) { m_disabledImage = image; }
    bool isSelected() const { return m_selected; }

    void selected() override { m_selected = true; }
    void unselected() override { m_selected = false; }

    // Read from the normal image, passed to all three.
    GLubyte opacity() const override;
    void setOpacity(GLubyte opacity) override;
    Color3B color() const override;
    void setColor(Color3B color) override;

    void draw() override;
    // Adds selected, color and opacity.
    void dumpProperties(PropertySink& out) const override;

protected:
    MenuItemSprite() = default;

    bool m_selected = false;
    Ref<Node> m_normalImage;
    Ref<Node> m_selectedImage;
    Ref<Node> m_disabledImage; // may be null
};

// MenuItemSprite with its images loaded from picture files.
class MenuItemImage : public MenuItemSprite {
public:
    static Ref<MenuItemImage> itemFromNormalImage(
        const std::string& normalImage, const std::string& selectedImage);
    static Ref<MenuItemImage> itemFromNormalImage(
        const std::string& normalImage, const std::string& selectedImage, Object* target, Callback selector);
    static Ref<MenuItemImage> itemFromNormalImage(
        const std::string& normalImage, const std::string& selectedImage, const std::string& disabledImage);
    // An empty disabledImage means none.
    static Ref<MenuItemImage> itemFromNormalImage(const std::string& normalImage,
        const std::string& selectedImage, const std::string& disabledImage, Object* target,
        Callback selector);
    const char* className() const override { return "MenuItemImage"; }

    void initFromNormalImage(const std::string& normalImage, const std::string& selectedImage,
        const std::string& disabledImage, Object* target, Callback selector);

protected:
    MenuItemImage() = default;
};

// Shows one of its sub-items and moves to the next each time it is activated.
class MenuItemToggle : public MenuItem, public RGBAProtocol {
public:
    // A null in the list ends it.
    static Ref<MenuItemToggle> itemWithTarget(
        Object* target, Callback selector, std::initializer_list<MenuItem*> items);
    const char* className() const override { return "MenuItemToggle"; }

    void initWithTarget(Object* target, Callback selector, std::initializer_list<MenuItem*> items);

    unsigned selectedIndex() const { return m_selectedIndex; }
    void setSelectedIndex(unsigned index);
    // The sub-item shown, or null when there are none.
    MenuItem* selectedItem() const;
    const std::vector<Ref<MenuItem>>& subItems() const { return m_subItems; }

    void selected() override;
    void unselected() override;
    void activate() override;
    void setIsEnabled(bool enabled) override;

    GLubyte opacity() const override { return m_opacity; }
    void setOpacity(GLubyte opacity) override;
    Color3B color() const override { return m_color; }
    void setColor(Color3B color) override;

    // Adds selectedIndex and the text of the shown sub-item.
    void dumpProperties(PropertySink& out) const override;

protected:
    MenuItemToggle() = default;

    static constexpr unsigned kNoSelection = ~0u;
    unsigned m_selectedIndex = kNoSelection;
    std::vector<Ref<MenuItem>> m_subItems;
    GLubyte m_opacity = 255;
    Color3B m_color = kWhite;
};
