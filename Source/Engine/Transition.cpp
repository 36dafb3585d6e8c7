#include "Engine/Transition.h"

#include "Engine/Camera.h"
#include "Engine/CameraAction.h"
#include "Engine/Director.h"
#include "Engine/EaseAction.h"
#include "Engine/InstantAction.h"
#include "Engine/IntervalAction.h"
#include "Engine/Support/Exception.h"
#include "Engine/TouchDispatcher.h"

#include <algorithm>

namespace {

// Tags the action that drives the incoming scene, so progress can be read from it.
constexpr int kTransitionActionTag = 0x6d725010;

// Transitions that have turned touch dispatch off and not yet turned it back on. Only the
// last one to let go turns it on: a transition dropped before it ran (two replacements in one
// frame) must neither leave touches off for good nor turn them on under a running one.
int s_touchHolds = 0;

void resetScene(Scene* scene)
{
    if (!scene)
        return;
    scene->setPosition(CGPointZero);
    scene->setScale(1);
    scene->setRotation(0);
    scene->camera()->restore();
}

} // namespace

// --- TransitionScene ------------------------------------------------------------------------

Ref<TransitionScene> TransitionScene::transitionWithDuration(float duration, Scene* scene)
{
    Ref<TransitionScene> transition(new TransitionScene);
    transition->initWithDuration(duration, scene);
    return transition;
}

TransitionScene::~TransitionScene() { releaseTouches(); }

void TransitionScene::initWithDuration(float duration, Scene* scene)
{
    MW_ASSERT(scene != nullptr, "Argument scene must be non-nil");
    m_duration = duration;
    m_inScene = scene;
    m_outScene = Director::sharedDirector()->runningScene();
    if (m_inScene == m_outScene)
        raiseException(
            "TransitionWithInvalidScene", "Incoming scene must be different from the outgoing scene");

    if (!m_holdsTouches) {
        m_holdsTouches = true;
        ++s_touchHolds;
    }
    TouchDispatcher::sharedDispatcher()->setDispatchEvents(false);
    sceneOrder();
}

void TransitionScene::releaseTouches()
{
    if (!m_holdsTouches)
        return;
    m_holdsTouches = false;
    if (--s_touchHolds <= 0) {
        s_touchHolds = 0;
        TouchDispatcher::sharedDispatcher()->setDispatchEvents(true);
    }
}

void TransitionScene::sceneOrder() { m_inSceneOnTop = true; }

void TransitionScene::draw()
{
    Scene* first = m_inSceneOnTop ? m_outScene.get() : m_inScene.get();
    Scene* second = m_inSceneOnTop ? m_inScene.get() : m_outScene.get();
    if (first)
        first->visit();
    if (second)
        second->visit();
}

void TransitionScene::onEnter()
{
    Scene::onEnter();
    m_inScene->onEnter();
    // Subclasses start their actions from here.
}

void TransitionScene::onExit()
{
    Scene::onExit();
    if (m_outScene)
        m_outScene->onExit();
    // The incoming scene has been running since onEnter. When it takes over, only its entry
    // is now complete; when the transition is cut short (the director ends, another scene
    // replaces it) it must leave too, or its layers stay registered for touches and samples.
    Director* director = Director::existingDirector();
    if (director && director->nextScene() == m_inScene.get())
        m_inScene->onEnterTransitionDidFinish();
    else
        m_inScene->onExit();
}

void TransitionScene::onEnterTransitionDidFinish()
{
    // Only the transition itself: the incoming scene hears of it when the transition leaves.
    Scene::onEnterTransitionDidFinish();
}

void TransitionScene::runOnInScene(FiniteTimeAction* action)
{
    action->setTag(kTransitionActionTag);
    m_inScene->runAction(action);
}

float TransitionScene::progress() const
{
    if (m_finished)
        return 1;
    if (!m_inScene)
        return 0;
    auto* driver = dynamic_cast<IntervalAction*>(m_inScene->getActionByTag(kTransitionActionTag));
    if (!driver)
        return 0;
    return std::clamp(driver->elapsed() / driver->duration(), 0.0f, 1.0f);
}

void TransitionScene::finish()
{
    m_finished = true;
    m_inScene->setVisible(true);
    if (m_outScene)
        m_outScene->setVisible(false);
    resetScene(m_inScene.get());
    resetScene(m_outScene.get());
    schedule(Selector<float>(&TransitionScene::setNewScene, "setNewScene:"), 0);
}

void TransitionScene::hideOutShowIn()
{
    m_inScene->setVisible(true);
    if (m_outScene)
        m_outScene->setVisible(false);
}

void TransitionScene::setNewScene(float)
{
    // Unscheduling drops the timer's hold on us; the director still holds us this frame.
    Ref<TransitionScene> self(this);
    unschedule(Selector<float>(&TransitionScene::setNewScene, "setNewScene:"));
    Director::sharedDirector()->replaceScene(m_inScene.get());
    releaseTouches();
    // Back as it was, so it can be shown again later.
    if (m_outScene)
        m_outScene->setVisible(true);
}

void TransitionScene::dumpProperties(PropertySink& out) const
{
    Scene::dumpProperties(out);
    out.beginObject("transition");
    transitionProperties(out);
    out.end();
}

void TransitionScene::transitionProperties(PropertySink& out) const
{
    out.set("duration", m_duration);
    out.set("progress", progress());
    for (auto [key, scene] : { std::pair<const char*, Scene*> { "inScene", m_inScene.get() },
             std::pair<const char*, Scene*> { "outScene", m_outScene.get() } }) {
        if (scene)
            out.set(key, scene->className());
        else
            out.setNull(key);
    }
    out.set("inSceneOnTop", m_inSceneOnTop);
}

// --- OrientedTransitionScene ----------------------------------------------------------------

Ref<OrientedTransitionScene> OrientedTransitionScene::transitionWithDuration(
    float duration, Scene* scene, int orientation)
{
    Ref<OrientedTransitionScene> transition(new OrientedTransitionScene);
    transition->initWithDuration(duration, scene, orientation);
    return transition;
}

void OrientedTransitionScene::initWithDuration(float duration, Scene* scene, int orientation)
{
    TransitionScene::initWithDuration(duration, scene);
    m_orientation = orientation;
}

void OrientedTransitionScene::transitionProperties(PropertySink& out) const
{
    TransitionScene::transitionProperties(out);
    out.set("orientation", m_orientation);
}

// --- FlipXTransition ------------------------------------------------------------------------

Ref<FlipXTransition> FlipXTransition::transitionWithDuration(float duration, Scene* scene, int orientation)
{
    Ref<FlipXTransition> transition(new FlipXTransition);
    transition->initWithDuration(duration, scene, orientation);
    return transition;
}

void FlipXTransition::onEnter()
{
    TransitionScene::onEnter();
    m_inScene->setVisible(false);

    float inAngleZ, inDeltaZ, outDeltaZ;
    if (m_orientation == kOrientationRightOver) {
        inAngleZ = 270;
        inDeltaZ = 90;
        outDeltaZ = 90;
    } else {
        inAngleZ = 90;
        inDeltaZ = -90;
        outDeltaZ = -90;
    }

    const float half = m_duration / 2;
    Ref<FiniteTimeAction> inAction = Sequence::actions({
        DelayTime::actionWithDuration(half).get(),
        Show::action().get(),
        OrbitCamera::actionWithDuration(half, 1, 0, inAngleZ, inDeltaZ, 0, 0).get(),
        CallFunc::actionWithTarget(this, Selector<>(&TransitionScene::finish, "finish")).get(),
    });
    runOnInScene(inAction.get());

    if (m_outScene) {
        Ref<FiniteTimeAction> outAction = Sequence::actions({
            OrbitCamera::actionWithDuration(half, 1, 0, 0, outDeltaZ, 0, 0).get(),
            Hide::action().get(),
            DelayTime::actionWithDuration(half).get(),
        });
        m_outScene->runAction(outAction.get());
    }
}

// --- SlideInLTransition / SlideInRTransition ------------------------------------------------

Ref<SlideInLTransition> SlideInLTransition::transitionWithDuration(float duration, Scene* scene)
{
    Ref<SlideInLTransition> transition(new SlideInLTransition);
    transition->initWithDuration(duration, scene);
    return transition;
}

float SlideInLTransition::travel()
{
    // Half a point short of the width, so the two scenes never leave a seam between them.
    return Director::sharedDirector()->winSize().width - 0.5f;
}

void SlideInLTransition::sceneOrder() { m_inSceneOnTop = false; }

void SlideInLTransition::initScenes() { m_inScene->setPosition(CGPointMake(-travel(), 0)); }

Ref<IntervalAction> SlideInLTransition::action()
{
    return MoveBy::actionWithDuration(m_duration, CGPointMake(travel(), 0));
}

void SlideInLTransition::onEnter()
{
    TransitionScene::onEnter();
    initScenes();

    const Selector<> finishSelector(&TransitionScene::finish, "finish");
    runOnInScene(EaseOut::actionWithAction(action().get(), 2).get());
    if (m_outScene) {
        m_outScene->runAction(Sequence::actionOne(EaseOut::actionWithAction(action().get(), 2).get(),
            CallFunc::actionWithTarget(this, finishSelector).get())
                                  .get());
    } else {
        // Nothing slides out: the incoming scene ends the transition itself.
        m_inScene->runAction(Sequence::actionOne(DelayTime::actionWithDuration(m_duration).get(),
            CallFunc::actionWithTarget(this, finishSelector).get())
                                 .get());
    }
}

Ref<SlideInRTransition> SlideInRTransition::transitionWithDuration(float duration, Scene* scene)
{
    Ref<SlideInRTransition> transition(new SlideInRTransition);
    transition->initWithDuration(duration, scene);
    return transition;
}

void SlideInRTransition::sceneOrder() { m_inSceneOnTop = true; }

void SlideInRTransition::initScenes() { m_inScene->setPosition(CGPointMake(travel(), 0)); }

Ref<IntervalAction> SlideInRTransition::action()
{
    return MoveBy::actionWithDuration(m_duration, CGPointMake(-travel(), 0));
}
