#include "Engine/Layer.h"

#include "Engine/Director.h"
#include "Engine/Support/Exception.h"
#include "Engine/TouchDispatcher.h"

Ref<Layer> Layer::node() { return make<Layer>(); }

Layer::Layer()
{
    m_relativeAnchorPoint = false;
    setAnchorPoint({ 0.5f, 0.5f });
    setContentSize(Director::sharedDirector()->winSize());
}

Layer::~Layer()
{
    // The accelerometer holds a plain pointer; a layer freed without leaving must not stay in it.
    Accelerometer* accelerometer = Accelerometer::sharedAccelerometer();
    if (accelerometer->delegate() == this)
        accelerometer->setDelegate(nullptr);
}

void Layer::setIsTouchEnabled(bool enabled)
{
    if (enabled == m_isTouchEnabled)
        return;
    m_isTouchEnabled = enabled;
    if (!m_isRunning)
        return;
    if (enabled)
        registerWithTouchDispatcher();
    else
        TouchDispatcher::sharedDispatcher()->removeDelegate(this);
}

void Layer::setIsAccelerometerEnabled(bool enabled)
{
    if (enabled == m_isAccelerometerEnabled)
        return;
    m_isAccelerometerEnabled = enabled;
    if (!m_isRunning)
        return;
    Accelerometer* accelerometer = Accelerometer::sharedAccelerometer();
    if (enabled)
        accelerometer->setDelegate(this);
    else if (accelerometer->delegate() == this)
        accelerometer->setDelegate(nullptr);
}

void Layer::registerWithTouchDispatcher()
{
    TouchDispatcher::sharedDispatcher()->addStandardDelegate(this, 0);
}

void Layer::onEnter()
{
    if (m_isTouchEnabled)
        registerWithTouchDispatcher();
    Node::onEnter();
    if (m_isAccelerometerEnabled)
        Accelerometer::sharedAccelerometer()->setDelegate(this);
}

void Layer::onExit()
{
    if (m_isTouchEnabled)
        TouchDispatcher::sharedDispatcher()->removeDelegate(this);
    // Only our own registration: another layer may have taken the accelerometer since.
    if (m_isAccelerometerEnabled && Accelerometer::sharedAccelerometer()->delegate() == this)
        Accelerometer::sharedAccelerometer()->setDelegate(nullptr);
    Node::onExit();
}

bool Layer::onTouchBegan(Touch*, TouchEvent*)
{
    MW_ASSERT(false, "Layer#onTouchBegan override me");
    return false;
}

void Layer::accelerometer(Accelerometer*, const Acceleration&) { }
