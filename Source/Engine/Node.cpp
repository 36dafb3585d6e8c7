#include "Engine/Node.h"

#include "Engine/Action.h"
#include "Engine/ActionManager.h"
#include "Engine/Camera.h"
#include "Engine/Director.h"
#include "Engine/Scheduler.h"
#include "Engine/Support/Exception.h"
#include "Engine/Support/GLState.h"
#include "Engine/Support/PointExtension.h"
#include "Engine/Support/Touch.h"

#include <GLES/gl.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>

Ref<Node> Node::node() { return make<Node>(); }

Node::Node() = default;

Node::~Node()
{
    // Neither the scheduler nor the action manager owns us; nothing may call us from here on.
    dropTimers();
    if (ActionManager* manager = ActionManager::existingManager())
        manager->removeAllActionsFromTarget(this);
    m_camera = nullptr;
    // Children may outlive us (someone else holds them): they must not point back here.
    std::vector<Ref<Node>> children = std::move(m_children);
    m_children.clear();
    for (const Ref<Node>& child : children)
        child->m_parent = nullptr;
}

void Node::dropTimers()
{
    std::vector<std::pair<Selector<float>, Ref<Timer>>> timers = std::move(m_scheduledSelectors);
    m_scheduledSelectors.clear();
    Scheduler* scheduler = Scheduler::existingScheduler();
    for (const auto& entry : timers) {
        entry.second->invalidate();
        if (scheduler && scheduler->isScheduled(entry.second.get()))
            scheduler->unscheduleTimer(entry.second.get());
    }
}

std::string Node::description() const
{
    char buf[128];
    std::snprintf(buf, sizeof buf, "<%s = %08" PRIXPTR " | Tag = %i>", className(),
        reinterpret_cast<std::uintptr_t>(this), m_tag);
    return buf;
}

// --- properties --------------------------------------------------------------------------------

void Node::setDirty() { m_isTransformDirty = m_isInverseDirty = true; }

void Node::setRotation(float degrees)
{
    m_rotation = degrees;
    setDirty();
}

void Node::setScaleX(float scale)
{
    m_scaleX = scale;
    setDirty();
}

void Node::setScaleY(float scale)
{
    m_scaleY = scale;
    setDirty();
}

float Node::scale() const
{
    if (m_scaleX != m_scaleY)
        raiseException("Node scale:", "scaleX is different from scaleY");
    return m_scaleX;
}

void Node::setScale(float scale)
{
    m_scaleX = m_scaleY = scale;
    setDirty();
}

void Node::setPosition(CGPoint position)
{
    m_position = position;
    setDirty();
}

void Node::setRelativeAnchorPoint(bool relative)
{
    m_relativeAnchorPoint = relative;
    setDirty();
}

void Node::setTransformAnchor(CGPoint anchor)
{
    m_transformAnchor = anchor;
    setDirty();
}

void Node::setAnchorPoint(CGPoint anchor)
{
    if (anchor == m_anchorPoint)
        return;
    m_anchorPoint = anchor;
    setTransformAnchor(ccp(m_contentSize.width * anchor.x, m_contentSize.height * anchor.y));
}

void Node::setContentSize(CGSize size)
{
    if (size == m_contentSize)
        return;
    m_contentSize = size;
    setTransformAnchor(ccp(size.width * m_anchorPoint.x, size.height * m_anchorPoint.y));
}

Camera* Node::camera()
{
    if (!m_camera)
        m_camera = make<Camera>();
    return m_camera.get();
}

// --- children ----------------------------------------------------------------------------------

Node* Node::addChild(Node* child)
{
    MW_ASSERT(child != nullptr, "Argument must be non-nil");
    return addChild(child, child->m_zOrder, child->m_tag);
}

Node* Node::addChild(Node* child, int z)
{
    MW_ASSERT(child != nullptr, "Argument must be non-nil");
    return addChild(child, z, child->m_tag);
}

Node* Node::addChild(Node* child, int z, int tag)
{
    MW_ASSERT(child != nullptr, "Argument must be non-nil");
    MW_ASSERT(child->m_parent == nullptr, "child already added. It can't be added again");
    // A node inside its own subtree would make a cycle of strong references and endless visits.
    for (const Node* p = this; p; p = p->m_parent)
        MW_ASSERT(p != child, "child already added. It can't be added again");
    if (m_children.capacity() == 0)
        m_children.reserve(4);
    insertChild(child, z);
    child->m_tag = tag;
    child->m_parent = this;
    if (m_isRunning)
        child->onEnter();
    return this;
}

void Node::insertChild(Node* child, int z)
{
    auto it = std::find_if(
        m_children.begin(), m_children.end(), [z](const Ref<Node>& c) { return c->m_zOrder > z; });
    m_children.insert(it, Ref<Node>(child));
    child->m_zOrder = z;
}

void Node::reorderChild(Node* child, int z)
{
    MW_ASSERT(child != nullptr, "Child must be non-nil");
    auto it = std::find_if(
        m_children.begin(), m_children.end(), [child](const Ref<Node>& c) { return c.get() == child; });
    if (it == m_children.end())
        return;
    Ref<Node> keep = *it;
    m_children.erase(it);
    insertChild(child, z);
}

void Node::detachChild(Node* child, bool cleanup)
{
    child->m_parent = nullptr;
    if (m_isRunning)
        child->onExit();
    if (cleanup)
        child->cleanup();
}

void Node::removeChild(Node* child, bool cleanup)
{
    if (!child)
        return;
    auto it = std::find_if(
        m_children.begin(), m_children.end(), [child](const Ref<Node>& c) { return c.get() == child; });
    if (it == m_children.end())
        return;
    Ref<Node> keep = *it; // alive through its own onExit and cleanup
    detachChild(child, cleanup);
    // onExit or cleanup may have changed the list; find the child again.
    it = std::find_if(
        m_children.begin(), m_children.end(), [child](const Ref<Node>& c) { return c.get() == child; });
    if (it != m_children.end())
        m_children.erase(it);
}

void Node::removeChildByTag(int tag, bool cleanup)
{
    MW_ASSERT(tag != kNodeTagInvalid, "Invalid tag");
    if (Node* child = getChildByTag(tag))
        removeChild(child, cleanup);
}

void Node::removeAllChildrenWithCleanup(bool cleanup)
{
    std::vector<Ref<Node>> children = std::move(m_children);
    m_children.clear();
    for (const Ref<Node>& child : children)
        detachChild(child.get(), cleanup);
}

Node* Node::getChildByTag(int tag) const
{
    MW_ASSERT(tag != kNodeTagInvalid, "Invalid tag");
    for (const Ref<Node>& child : m_children)
        if (child->m_tag == tag)
            return child.get();
    return nullptr;
}

// --- life cycle ----------------------------------------------------------------------------------

void Node::onEnter()
{
    // A child's entry may add or remove siblings; walk the children as they were.
    const std::vector<Ref<Node>> children = m_children;
    for (const Ref<Node>& child : children)
        child->onEnter();

    Scheduler* scheduler = Scheduler::sharedScheduler();
    for (const auto& entry : m_scheduledSelectors)
        if (!scheduler->isScheduled(entry.second.get()))
            scheduler->scheduleTimer(entry.second.get());
    if (ActionManager* manager = ActionManager::existingManager())
        manager->resumeAllActionsForTarget(this);
    m_isRunning = true;
}

void Node::onEnterTransitionDidFinish()
{
    const std::vector<Ref<Node>> children = m_children;
    for (const Ref<Node>& child : children)
        child->onEnterTransitionDidFinish();
}

void Node::onExit()
{
    // The scheduler may have been released (the director ended) while this node still ran.
    if (Scheduler* scheduler = Scheduler::existingScheduler())
        for (const auto& entry : m_scheduledSelectors)
            if (scheduler->isScheduled(entry.second.get()))
                scheduler->unscheduleTimer(entry.second.get());
    if (ActionManager* manager = ActionManager::existingManager())
        manager->pauseAllActionsForTarget(this);
    m_isRunning = false;

    const std::vector<Ref<Node>> children = m_children;
    for (const Ref<Node>& child : children)
        child->onExit();
}

void Node::cleanup()
{
    // The action manager may hold the last reference. Not taken for a node nobody owns at all.
    Ref<Node> self(retainCount() > 0 ? this : nullptr);
    stopAllActions();
    dropTimers();
    const std::vector<Ref<Node>> children = m_children;
    for (const Ref<Node>& child : children)
        child->cleanup();
}

// --- drawing ------------------------------------------------------------------------------------

void Node::visit()
{
    if (!m_visible)
        return;
    glPushMatrix();
    transform();

    std::size_t i = 0;
    for (; i < m_children.size() && m_children[i]->m_zOrder < 0; ++i)
        m_children[i]->visit();
    if (drawsInTexturedState()) {
        draw();
    } else {
        GLState::enterResting();
        draw();
        GLState::afterRestingDraw();
    }
    for (; i < m_children.size(); ++i)
        m_children[i]->visit();

    glPopMatrix();
}

void Node::transform()
{
    if (m_camera)
        m_camera->locate();

    const CGPoint tA = m_transformAnchor;
    const bool hasAnchor = !(tA == CGPointZero);
    if (m_relativeAnchorPoint && hasAnchor)
        glTranslatef(-tA.x, -tA.y, m_vertexZ);
    if (hasAnchor)
        glTranslatef(m_position.x + tA.x, m_position.y + tA.y, m_vertexZ);
    else if (!(m_position == CGPointZero))
        glTranslatef(m_position.x, m_position.y, m_vertexZ);
    if (m_rotation != 0)
        glRotatef(-m_rotation, 0, 0, 1);
    if (m_scaleX != 1 || m_scaleY != 1)
        glScalef(m_scaleX, m_scaleY, 1);
    if (hasAnchor)
        glTranslatef(-tA.x, -tA.y, m_vertexZ);
}

void Node::transformAncestors()
{
    if (m_parent) {
        m_parent->transformAncestors();
        m_parent->transform();
    }
}

void Node::draw() { }

// --- actions -----------------------------------------------------------------------------------

Action* Node::runAction(Action* action)
{
    MW_ASSERT(action != nullptr, "Argument must be non-nil");
    ActionManager::sharedManager()->addAction(action, this, !m_isRunning);
    return action;
}

void Node::stopAllActions()
{
    if (ActionManager* manager = ActionManager::existingManager())
        manager->removeAllActionsFromTarget(this);
}

void Node::stopAction(Action* action)
{
    if (ActionManager* manager = ActionManager::existingManager())
        manager->removeAction(action);
}

void Node::stopActionByTag(int tag)
{
    MW_ASSERT(tag != kActionTagInvalid, "Invalid tag");
    if (ActionManager* manager = ActionManager::existingManager())
        manager->removeActionByTag(tag, this);
}

Action* Node::getActionByTag(int tag) const
{
    MW_ASSERT(tag != kActionTagInvalid, "Invalid tag");
    ActionManager* manager = ActionManager::existingManager();
    return manager ? manager->getActionByTag(tag, const_cast<Node*>(this)) : nullptr;
}

int Node::numberOfRunningActions() const
{
    ActionManager* manager = ActionManager::existingManager();
    return manager ? manager->numberOfRunningActionsInTarget(const_cast<Node*>(this)) : 0;
}

// --- timers --------------------------------------------------------------------------------------

void Node::schedule(Selector<float> selector, float interval)
{
    MW_ASSERT(static_cast<bool>(selector), "Argument must be non-nil");
    MW_ASSERT(interval >= 0, "Arguemnt must be positive");
    for (const auto& entry : m_scheduledSelectors)
        if (entry.first == selector)
            return;
    if (m_scheduledSelectors.capacity() == 0)
        m_scheduledSelectors.reserve(2);
    Ref<Timer> timer = Timer::timerWithTarget(this, selector, interval, Timer::TargetHold::Borrow);
    if (m_isRunning)
        Scheduler::sharedScheduler()->scheduleTimer(timer.get());
    m_scheduledSelectors.emplace_back(selector, timer);
}

void Node::unschedule(Selector<float> selector)
{
    if (!selector)
        return;
    auto it = std::find_if(m_scheduledSelectors.begin(), m_scheduledSelectors.end(),
        [&selector](const auto& entry) { return entry.first == selector; });
    if (it == m_scheduledSelectors.end())
        return;
    Ref<Timer> timer = it->second;
    m_scheduledSelectors.erase(it);
    // Invalidated: the scheduler may still hold it, and this node may be gone by then.
    timer->invalidate();
    if (Scheduler* scheduler = Scheduler::existingScheduler())
        if (scheduler->isScheduled(timer.get()))
            scheduler->unscheduleTimer(timer.get());
}

// --- space conversion ---------------------------------------------------------------------------

CGAffineTransform Node::nodeToParentTransform() const
{
    if (m_isTransformDirty) {
        // Truncated to whole points, as hit tests and conversions have always been.
        const float ax = std::trunc(m_transformAnchor.x), ay = std::trunc(m_transformAnchor.y);
        CGAffineTransform t = CGAffineTransformIdentity;
        if (!m_relativeAnchorPoint)
            t = CGAffineTransformTranslate(t, ax, ay);
        t = CGAffineTransformTranslate(t, std::trunc(m_position.x), std::trunc(m_position.y));
        t = CGAffineTransformRotate(t, -degreesToRadians(m_rotation));
        t = CGAffineTransformScale(t, m_scaleX, m_scaleY);
        t = CGAffineTransformTranslate(t, -ax, -ay);
        m_transform = t;
        m_isTransformDirty = false;
    }
    return m_transform;
}

CGAffineTransform Node::parentToNodeTransform() const
{
    if (m_isInverseDirty) {
        m_inverse = CGAffineTransformInvert(nodeToParentTransform());
        m_isInverseDirty = false;
    }
    return m_inverse;
}

CGAffineTransform Node::nodeToWorldTransform() const
{
    CGAffineTransform t = nodeToParentTransform();
    for (const Node* p = m_parent; p; p = p->m_parent)
        t = CGAffineTransformConcat(t, p->nodeToParentTransform());
    return t;
}

CGAffineTransform Node::worldToNodeTransform() const
{
    return CGAffineTransformInvert(nodeToWorldTransform());
}

CGPoint Node::convertToNodeSpace(CGPoint worldPoint) const
{
    return CGPointApplyAffineTransform(worldPoint, worldToNodeTransform());
}

CGPoint Node::convertToWorldSpace(CGPoint nodePoint) const
{
    return CGPointApplyAffineTransform(nodePoint, nodeToWorldTransform());
}

CGPoint Node::convertToNodeSpaceAR(CGPoint worldPoint) const
{
    return ccpSub(convertToNodeSpace(worldPoint), m_transformAnchor);
}

CGPoint Node::convertToWorldSpaceAR(CGPoint nodePoint) const
{
    return convertToWorldSpace(ccpAdd(nodePoint, m_transformAnchor));
}

CGPoint Node::convertTouchToNodeSpace(const Touch* touch) const
{
    const CGPoint point = Director::sharedDirector()->convertCoordinate(touch->locationInView());
    return convertToNodeSpace(point);
}

CGPoint Node::convertTouchToNodeSpaceAR(const Touch* touch) const
{
    const CGPoint point = Director::sharedDirector()->convertCoordinate(touch->locationInView());
    return convertToNodeSpaceAR(point);
}

// --- dump --------------------------------------------------------------------------------------

void Node::dumpProperties(PropertySink& out) const
{
    const CGPoint world = m_parent ? m_parent->convertToWorldSpace(m_position) : m_position;
    out.set("class", className());
    out.set("tag", m_tag);
    out.set("z", m_zOrder);
    out.setNumbers("position", { m_position.x, m_position.y });
    out.setNumbers("worldPosition", { world.x, world.y });
    out.set("rotation", m_rotation);
    out.set("scaleX", m_scaleX);
    out.set("scaleY", m_scaleY);
    out.set("visible", m_visible);
    out.setNumbers("contentSize", { m_contentSize.width, m_contentSize.height });
}

// --- platform views ------------------------------------------------------------------------------

EAGLView* Node::view() const { return Director::sharedDirector()->openGLView(); }

void Node::presentModalView(View* modalView)
{
    EAGLView* root = view();
    if (!modalView || !root)
        return;
    const CGRect own = modalView->bounds();
    const CGRect whole = root->bounds();
    modalView->setBounds(CGRectMake(own.origin.x, own.origin.y, whole.size.width, own.size.height));
    modalView->setCenter(CGPointMake(whole.size.width * 0.5f, own.size.height * 0.5f));
    root->addSubview(modalView);
    ViewTransition moveIn;
    moveIn.type = ViewTransition::Type::MoveIn;
    moveIn.duration = 0.35;
    modalView->addTransition(std::move(moveIn));
}

void Node::dismissModalView(View* modalView)
{
    EAGLView* root = view();
    if (!modalView)
        return;
    if (root) {
        ViewTransition fade;
        fade.type = ViewTransition::Type::Fade;
        fade.duration = 0.15;
        root->addTransition(std::move(fade));
    }
    modalView->removeFromSuperview();
}
