#pragma once
// A modal alert drawn over the page: a dimmed screen, a box with a title, a message and a row
// of buttons. While it is shown it takes every touch; a button closes it.
#include "Engine/Layer.h"
#include <string>
#include <vector>

class Label;

class AlertView : public Layer {
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
    // Adds title, message and buttons with their tapPoints.
    void dumpProperties(PropertySink& out) const override;

protected:
    AlertView() = default;
    // In the alert's own space, origin bottom left of the screen.
    CGRect boxRect() const;
    CGRect buttonRect(std::size_t index) const;
    int buttonAt(const Touch* touch) const;

    std::string m_title;
    std::string m_message;
    std::vector<std::string> m_buttonTitles;
    int m_pressedButton = -1;
    int m_clickedButtonIndex = -1;
};
