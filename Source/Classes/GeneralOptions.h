#pragma once
// The three top option pages: "General Options", which the game opens, and the "Display
// Options" and "Physics Options" pages it leads to. Every change is stored at once.
#include "Classes/Options.h"

class Menu;
class Slider;

class GeneralOptionsScene : public OptionsScene {
public:
    static Ref<GeneralOptionsScene> node();
    const char* className() const override { return "GeneralOptionsScene"; }
    // Opens the options with this page first.
    void show();

protected:
    GeneralOptionsScene();
};

class GeneralOptionsLayer : public OptionsLayer {
public:
    static Ref<GeneralOptionsLayer> node();
    const char* className() const override { return "GeneralOptionsLayer"; }
    void graphics_Tapped(Object* sender);
    void physics_Tapped(Object* sender);
    void about_Tapped(Object* sender);

protected:
    GeneralOptionsLayer();
};

class GraphicsOptionsScene : public OptionsScene {
public:
    static Ref<GraphicsOptionsScene> node();
    const char* className() const override { return "GraphicsOptionsScene"; }

protected:
    GraphicsOptionsScene();
};

class GraphicsOptionsLayer : public OptionsLayer {
public:
    static Ref<GraphicsOptionsLayer> node();
    const char* className() const override { return "GraphicsOptionsLayer"; }
    void changeRagdoll_Tapped(Object* sender);
    void changeFace_Tapped(Object* sender);
    void changeBalls_Tapped(Object* sender);
    void changeBackground_Tapped(Object* sender);
    void drawPersonAsWireframe_Tapped(Object* sender);
    void drawBallsAsWireframe_Tapped(Object* sender);

    MenuItemFont* drawPersonAsWireframeItem() const { return m_drawPersonAsWireframeItem.get(); }
    MenuItemFont* drawBallsAsWireframeItem() const { return m_drawBallsAsWireframeItem.get(); }

protected:
    GraphicsOptionsLayer();
    Ref<MenuItemFont> m_drawPersonAsWireframeItem;
    Ref<MenuItemFont> m_drawBallsAsWireframeItem;
};

class PhysicsOptionsScene : public OptionsScene {
public:
    static Ref<PhysicsOptionsScene> node();
    const char* className() const override { return "PhysicsOptionsScene"; }

protected:
    PhysicsOptionsScene();
};

class PhysicsOptionsLayer : public OptionsLayer {
public:
    static Ref<PhysicsOptionsLayer> node();
    const char* className() const override { return "PhysicsOptionsLayer"; }
    void useAccelerometer_Tapped(Object* sender);

    // Timer callback, once: the sliders come when the slide-in has ended.
    void addNativeUI(float elapsed);
    void removeNativeUI();
    void gravity_ValueChanged(Object* slider);
    void damping_ValueChanged(Object* slider);
    void numberOfBalls_ValueChanged(Object* slider);

    void back_Tapped(Object* sender) override;
    void done_Tapped(Object* sender) override;

    MenuItemFont* useAccelerometerItem() const { return m_useAccelerometerItem.get(); }
    Slider* gravitySlider() const { return m_gravitySlider.get(); }
    Slider* dampingSlider() const { return m_dampingSlider.get(); }
    Slider* numBallsSlider() const { return m_numBallsSlider.get(); }

    // The damping slider runs from none (1.0) at its left end to the strongest (0.1).
    static float dampingForSliderValue(float value);
    static float sliderValueForDamping(float damping);

protected:
    PhysicsOptionsLayer();
    Ref<MenuItemFont> m_useAccelerometerItem;
    Ref<Slider> m_gravitySlider;
    Ref<Slider> m_dampingSlider;
    Ref<Slider> m_numBallsSlider;
};
