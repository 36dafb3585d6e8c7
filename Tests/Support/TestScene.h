#pragma once
// A small built-in scene: a few coloured quads, one moving, and a marker at the last touch.
// Shown until the game scene exists, and drawn by the end-to-end pixel test.

#include "Engine/Layer.h"
#include "Engine/Scene.h"

class TestLayer : public Layer {
public:
    static Ref<TestLayer> node();
    TestLayer();
    const char* className() const override { return "TestLayer"; }

    void draw() override;
    void step(float dt);

    bool onTouchesBegan(const TouchSet& touches, TouchEvent* event) override;
    bool onTouchesMoved(const TouchSet& touches, TouchEvent* event) override;

    // Scene coordinates of the moving quad's lower left corner.
    CGPoint moverPosition() const { return m_mover; }
    bool hasTouch() const { return m_hasTouch; }
    CGPoint lastTouch() const { return m_lastTouch; }

    // Fixed quads: lower left corner, size and colour, for the pixel test.
    struct Quad {
        CGRect rect;
        float r, g, b;
    };
    static const Quad kQuads[3];
    static constexpr float kMoverSize = 40;
    static constexpr float kMarkerSize = 16;

private:
    void noteTouch(const TouchSet& touches);

    CGPoint m_mover { 20, 200 };
    float m_moverSpeed = 120; // points per second, bouncing between the screen edges
    CGPoint m_lastTouch;
    bool m_hasTouch = false;
};

class TestScene : public Scene {
public:
    static Ref<TestScene> node();
    TestScene();
    const char* className() const override { return "TestScene"; }
    TestLayer* layer() const { return m_layer; }

private:
    TestLayer* m_layer = nullptr; // our child
};
