#pragma once
// A modal alert drawn over the page: a dimmed screen, a box with a title, a message and a row
// of buttons. While it is shown it takes every touch and every key; a button closes it.
// Enter answers with the default button (the last), Escape with the cancel button (the first).
#include "Engine/KeyHandler.h"
#include "Engine/Layer.h"
#include <functional>
#include <string>
#include <vector>

class Label;

class AlertView : public Layer, public KeyHandler {
public:
    static Ref<AlertView> alertWithTitle(
        const std::string& title, const std::string& message, const std::vector<std::string>& buttonTitles);
    const char* className() const override { return "AlertView"; }

    const std::string& title() const { return m_title; }
    const std::string& message() const { return m_message; }
    const std::vector<std::string>& buttonTitles() const { return m_buttonTitles; }
    bool isVisible() const { return m_parent != nullptr; }
    // -1 until a button closed it.
    int clickedButtonIndex() const { return m_clickedButtonIndex; }
    const std::string& buttonTitleAtIndex(int index) const;
    // Told which button closed the alert, after it has left the screen. The alert keeps the
    // handler until then; whatever it captures must outlive the alert or be retained.
    using Handler = std::function<void(AlertView* alert, int buttonIndex)>;
    void setHandler(Handler handler) { m_handler = std::move(handler); }

    // Over everything else in parent.
    void show(Node* parent);
    // As a tap on that button; false when there is no such button.
    bool dismissWithButtonTitle(const std::string& title);
    void dismissWithClickedButtonIndex(int index);

    // The alert shown under root, or null.
    static AlertView* alertIn(Node* root);

    void registerWithTouchDispatcher() override;
    bool onTouchBegan(Touch* touch, TouchEvent* event) override;
    void onTouchEnded(Touch* touch, TouchEvent* event) override;
    void draw() override;
    int defaultButtonIndex() const { return static_cast<int>(m_buttonTitles.size()) - 1; }
    int cancelButtonIndex() const { return m_buttonTitles.empty() ? -1 : 0; }
    bool onKey(HostKey key) override;
    // Adds title, message and buttons with their tapPoints.
    void dumpProperties(PropertySink& out) const override;

protected:
    AlertView() = default;
    // In the alert's own space, origin bottom left of the screen.
    virtual CGRect boxRect() const;
    virtual CGRect buttonRect(std::size_t index) const;
    int buttonAt(const Touch* touch) const;

    std::string m_title;
    std::string m_message;
    std::vector<std::string> m_buttonTitles;
    int m_pressedButton = -1;
    int m_clickedButtonIndex = -1;
    Handler m_handler;
};

// A choice of actions sliding up from the bottom: an optional title, then the buttons one
// above the other, a destructive one (red) first and the cancel button last.
class ActionSheet : public AlertView {
public:
    // Empty titles leave that part out.
    static Ref<ActionSheet> actionSheetWithTitle(const std::string& title,
        const std::string& cancelButtonTitle, const std::string& destructiveButtonTitle,
        const std::vector<std::string>& otherButtonTitles);
    const char* className() const override { return "ActionSheet"; }
    int cancelButtonIndex() const { return m_cancelButtonIndex; }
    int destructiveButtonIndex() const { return m_destructiveButtonIndex; }
    void draw() override;

protected:
    ActionSheet() = default;
    CGRect boxRect() const override;
    CGRect buttonRect(std::size_t index) const override;
    float titleHeight() const { return m_title.empty() ? 0.0f : 56.0f; }
    int m_cancelButtonIndex = -1;
    int m_destructiveButtonIndex = -1;
};
