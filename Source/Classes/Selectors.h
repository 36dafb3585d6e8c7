#pragma once
// The picture pages under "Display Options": a grid of thumbnails for the background, the
// ball picture and the figure. A tap stores the choice at once and moves the marker to it.
#include "Classes/Options.h"
#include "Classes/Stack.h"

#include <vector>

class Sprite;
class MenuItemImage;

// The shared grid; each page gives its names, thumbnail file and setting.
class SelectorLayer : public OptionsLayer {
public:
    const char* className() const override { return "SelectorLayer"; }

    Sprite* selectedSprite() const { return m_selectedSprite.get(); }
    const std::vector<Ref<MenuItemImage>>& menuItems() const { return m_menuItems; }
    const std::vector<Ref<StringValue>>& names() const { return m_names; }
    // The item carrying the marker, or null.
    MenuItemImage* markedItem() const;

protected:
    SelectorLayer() = default;
    void build(const std::string& title, const std::vector<std::string>& names, const char* thumbnailFormat,
        MenuItem::Callback action);
    // Whether the stored setting names this entry.
    virtual bool isCurrent(const std::string& name) const = 0;
    static const std::string& nameOf(const Object* item);
    void unmarkCurrent();
    void mark(MenuItemImage* item);

    Ref<Sprite> m_selectedSprite;
    std::vector<Ref<StringValue>> m_names;
    std::vector<Ref<MenuItemImage>> m_menuItems;
};

class BackgroundSelectorLayer : public SelectorLayer {
public:
    static Ref<BackgroundSelectorLayer> node();
    const char* className() const override { return "BackgroundSelectorLayer"; }
    const std::vector<Ref<StringValue>>& backgrounds() const { return m_names; }
    void image_Tapped(Object* sender);

protected:
    BackgroundSelectorLayer();
    bool isCurrent(const std::string& name) const override;
};

class BallSelectorLayer : public SelectorLayer {
public:
    static Ref<BallSelectorLayer> node();
    const char* className() const override { return "BallSelectorLayer"; }
    const std::vector<Ref<StringValue>>& balls() const { return m_names; }
    void image_Tapped(Object* sender);

protected:
    BallSelectorLayer();
    bool isCurrent(const std::string& name) const override;
};

class RagdollSelectorLayer : public SelectorLayer {
public:
    static Ref<RagdollSelectorLayer> node();
    const char* className() const override { return "RagdollSelectorLayer"; }
    const std::vector<Ref<StringValue>>& ragdolls() const { return m_names; }
    void ragdoll_Tapped(Object* sender);

protected:
    RagdollSelectorLayer();
    bool isCurrent(const std::string& name) const override;
};

class BackgroundSelectorScene : public OptionsScene {
public:
    static Ref<BackgroundSelectorScene> node();
    const char* className() const override { return "BackgroundSelectorScene"; }

protected:
    BackgroundSelectorScene();
};

class BallSelectorScene : public OptionsScene {
public:
    static Ref<BallSelectorScene> node();
    const char* className() const override { return "BallSelectorScene"; }

protected:
    BallSelectorScene();
};

class RagdollSelectorScene : public OptionsScene {
public:
    static Ref<RagdollSelectorScene> node();
    const char* className() const override { return "RagdollSelectorScene"; }

protected:
    RagdollSelectorScene();
};
