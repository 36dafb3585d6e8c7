#include "Support/TestScene.h"

#include "Engine/Director.h"

#include <GLES/gl.h>

const TestLayer::Quad TestLayer::kQuads[3] = {
    { { { 40, 40 }, { 80, 80 } }, 1, 0, 0 },
    { { { 200, 40 }, { 80, 80 } }, 0, 1, 0 },
    { { { 120, 360 }, { 80, 80 } }, 0, 0, 1 },
};

namespace {
void fillRect(const CGRect& r, float red, float green, float blue)
{
    const GLfloat x0 = r.origin.x, y0 = r.origin.y;
    const GLfloat x1 = x0 + r.size.width, y1 = y0 + r.size.height;
    const GLfloat vertices[] = { x0, y0, x1, y0, x0, y1, x1, y1 };
    glColor4f(red, green, blue, 1);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}
} // namespace

Ref<TestLayer> TestLayer::node() { return make<TestLayer>(); }

TestLayer::TestLayer()
{
    setIsTouchEnabled(true);
    schedule(MW_SELECTOR(TestLayer, step));
}

void TestLayer::step(float dt)
{
    const float width = contentSize().width;
    m_mover.x += m_moverSpeed * dt;
    if (m_mover.x + kMoverSize > width) {
        m_mover.x = width - kMoverSize;
        m_moverSpeed = -m_moverSpeed;
    } else if (m_mover.x < 0) {
        m_mover.x = 0;
        m_moverSpeed = -m_moverSpeed;
    }
}

void TestLayer::draw()
{
    // Drawing code starts with every client array off and must leave it so.
    glEnableClientState(GL_VERTEX_ARRAY);
    for (const Quad& q : kQuads)
        fillRect(q.rect, q.r, q.g, q.b);
    fillRect(CGRectMake(m_mover.x, m_mover.y, kMoverSize, kMoverSize), 1, 1, 0);
    if (m_hasTouch)
        fillRect(CGRectMake(m_lastTouch.x - kMarkerSize / 2, m_lastTouch.y - kMarkerSize / 2, kMarkerSize,
                     kMarkerSize),
            1, 1, 1);
    glColor4f(1, 1, 1, 1);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void TestLayer::noteTouch(const TouchSet& touches)
{
    if (Touch* touch = touches.anyObject()) {
        m_lastTouch = Director::sharedDirector()->convertCoordinate(touch->locationInView());
        m_hasTouch = true;
    }
}

bool TestLayer::onTouchesBegan(const TouchSet& touches, TouchEvent*)
{
    noteTouch(touches);
    return false;
}

bool TestLayer::onTouchesMoved(const TouchSet& touches, TouchEvent*)
{
    noteTouch(touches);
    return false;
}

Ref<TestScene> TestScene::node() { return make<TestScene>(); }

TestScene::TestScene()
{
    Ref<TestLayer> layer = TestLayer::node();
    m_layer = layer.get();
    addChild(layer);
}
