#pragma once
// Everything drawn is a Node in a tree rooted at the running Scene.
//
// Ownership: a node holds its children (Ref), a child points back at its parent (plain
// pointer). A node owns its timers; neither the scheduler nor the action manager owns the node,
// and a node that goes takes its timers and actions with it. So a scene that leaves the stage
// keeps its timers and actions for a later return, and is freed when its last owner lets go.

#include "Engine/Support/Geometry.h"
#include "Engine/Support/Ref.h"
#include "Engine/Support/Selector.h"

#include "Engine/Support/PropertySink.h"

#include <string>
#include <utility>
#include <vector>

class Action;
class Camera;
class EAGLView;
class View;
class Timer;
class Touch;

inline constexpr int kNodeTagInvalid = -1;

class Node : public Object {
public:
    static Ref<Node> node();
    Node();
    ~Node() override;

    const char* className() const override { return "Node"; }
    std::string description() const override;

    // --- properties ---
    float rotation() const { return m_rotation; }
    virtual void setRotation(float degrees);
    float scaleX() const { return m_scaleX; }
    virtual void setScaleX(float scale);
    float scaleY() const { return m_scaleY; }
    virtual void setScaleY(float scale);
    // Raises "Node scale:" when the two factors differ.
    float scale() const;
    virtual void setScale(float scale);
    CGPoint position() const { return m_position; }
    virtual void setPosition(CGPoint position);
    bool relativeAnchorPoint() const { return m_relativeAnchorPoint; }
    virtual void setRelativeAnchorPoint(bool relative);
    CGPoint transformAnchor() const { return m_transformAnchor; }
    virtual void setTransformAnchor(CGPoint anchor);
    CGPoint anchorPoint() const { return m_anchorPoint; }
    virtual void setAnchorPoint(CGPoint anchor);
    CGSize contentSize() const { return m_contentSize; }
    virtual void setContentSize(CGSize size);
    float vertexZ() const { return m_vertexZ; }
    void setVertexZ(float z) { m_vertexZ = z; }
    bool visible() const { return m_visible; }
    virtual void setVisible(bool visible) { m_visible = visible; }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    int zOrder() const { return m_zOrder; }
    Node* parent() const { return m_parent; }
    void setParent(Node* parent) { m_parent = parent; }
    const std::vector<Ref<Node>>& children() const { return m_children; }
    // Created on first request.
    Camera* camera();
    bool hasCamera() const { return static_cast<bool>(m_camera); }
    void* data() const { return m_data; }
    void setData(void* data) { m_data = data; }
    bool isRunning() const { return m_isRunning; }

    // --- children; each add returns the receiver ---
    Node* addChild(Node* child);
    Node* addChild(Node* child, int z);
    virtual Node* addChild(Node* child, int z, int tag);
    virtual void removeChild(Node* child, bool cleanup);
    void removeChildByTag(int tag, bool cleanup);
    virtual void removeAllChildrenWithCleanup(bool cleanup);
    virtual void reorderChild(Node* child, int z);
    Node* getChildByTag(int tag) const;

    // --- life cycle ---
    virtual void onEnter();
    virtual void onEnterTransitionDidFinish();
    virtual void onExit();
    virtual void cleanup();

    // --- drawing (GL ES model-view matrix) ---
    virtual void visit();
    virtual void transform();
    void transformAncestors();
    // Draws the node around its own origin; nothing in the base class.
    virtual void draw();
    // Whether draw() sets up textured drawing itself; every other draw gets the resting GL state.
    virtual bool drawsInTexturedState() const { return false; }

    // --- actions ---
    Action* runAction(Action* action);
    void stopAllActions();
    void stopAction(Action* action);
    void stopActionByTag(int tag);
    Action* getActionByTag(int tag) const;
    int numberOfRunningActions() const;

    // --- timers ---
    void schedule(Selector<float> selector, float interval = 0);
    void unschedule(Selector<float> selector);
    // The node's timers by selector, in the order they were scheduled.
    const std::vector<std::pair<Selector<float>, Ref<Timer>>>& scheduledSelectors() const
    {
        return m_scheduledSelectors;
    }

    // --- space conversion ---
    CGAffineTransform nodeToParentTransform() const;
    CGAffineTransform parentToNodeTransform() const;
    CGAffineTransform nodeToWorldTransform() const;
    CGAffineTransform worldToNodeTransform() const;
    CGPoint convertToNodeSpace(CGPoint worldPoint) const;
    CGPoint convertToWorldSpace(CGPoint nodePoint) const;
    CGPoint convertToNodeSpaceAR(CGPoint worldPoint) const;
    CGPoint convertToWorldSpaceAR(CGPoint nodePoint) const;
    CGPoint convertTouchToNodeSpace(const Touch* touch) const;
    CGPoint convertTouchToNodeSpaceAR(const Touch* touch) const;

    // --- platform views ---
    // The director's rendering view, the root under which platform views (Engine/View.h) are
    // placed; null before the director has one.
    EAGLView* view() const;
    // Shows the view full width at the top of the rendering view, sliding in from the top
    // (0.35 s, ease-in-ease-out). Its own height and bounds origin are kept.
    void presentModalView(View* modalView);
    // Takes the view off the rendering view, which fades the change (0.15 s).
    void dismissModalView(View* modalView);

    // --- description for dumps ---
    // class, tag, z, position, worldPosition, rotation, scaleX, scaleY, visible, contentSize.
    virtual void dumpProperties(PropertySink& out) const;

protected:
    void setDirty();
    void insertChild(Node* child, int z);
    void detachChild(Node* child, bool cleanup);
    // Unschedules and invalidates every timer of this node and forgets them.
    void dropTimers();

    float m_rotation = 0;
    float m_scaleX = 1, m_scaleY = 1;
    CGPoint m_position;
    bool m_relativeAnchorPoint = true;
    CGPoint m_transformAnchor;
    CGPoint m_anchorPoint;
    CGSize m_contentSize;
    mutable CGAffineTransform m_transform;
    mutable CGAffineTransform m_inverse;
    mutable bool m_isTransformDirty = true;
    mutable bool m_isInverseDirty = true;
    float m_vertexZ = 0;
    bool m_visible = true;
    Ref<Camera> m_camera;
    int m_zOrder = 0;
    std::vector<Ref<Node>> m_children;
    bool m_isRunning = false;
    Node* m_parent = nullptr;
    int m_tag = kNodeTagInvalid;
    std::vector<std::pair<Selector<float>, Ref<Timer>>> m_scheduledSelectors;
    void* m_data = nullptr; // not owned
};
