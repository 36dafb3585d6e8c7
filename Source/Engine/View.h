#pragma once
// Platform views: plain rectangles laid over the GL surface, the stand-in for the phone's view
// system. Option pages put image views, the photo picker and the crop canvas on them; the game
// scene puts its banner there.
//
// Geometry is in view points with the origin at the top left and y down, as on the phone:
//  - bounds: the view's own coordinate space (origin usually 0, 0);
//  - center: where the middle of the bounds sits in the superview's space;
//  - transform: applied about the center (rotation, scale);
//  - frame: the superview-space box around the transformed bounds. Setting it sets center and
//    bounds size (meant for untransformed views, as on the phone).
//
// The rendering view (EAGLView, Node::view()) is the root: its subviews are drawn after the
// scene every frame, in subview order (later on top), and a touch that begins on one of them
// goes to that view instead of the engine's touch dispatcher, with all its later phases.
//
// Ownership: a view retains its subviews; the superview pointer is a back-pointer.
// Everything runs on the main thread.

#include "Engine/Image.h"
#include "Engine/Support/Color.h"
#include "Engine/Support/Geometry.h"
#include "Engine/Support/Ref.h"
#include "Engine/Support/Touch.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Image;

enum class ViewAnimationCurve { EaseInOut, Linear };

// A transition on a view's layer: how its next change of content shows.
struct ViewTransition {
    enum class Type {
        MoveIn, // the view slides in from the top edge of its superview area
        Fade, // subviews added or removed in the view cross-fade in or out
    };
    Type type = Type::Fade;
    double duration = 0.25; // seconds
    ViewAnimationCurve curve = ViewAnimationCurve::EaseInOut;
    // Called once when the transition has run to its end.
    std::function<void()> didStop;
};

class View : public Object {
public:
    static Ref<View> viewWithFrame(CGRect frame);
    explicit View(CGRect frame = CGRectZero);
    ~View() override;
    const char* className() const override { return "View"; }

    // --- geometry (see the top of this file) ---
    CGRect frame() const;
    virtual void setFrame(CGRect frame);
    CGRect bounds() const { return m_bounds; }
    void setBounds(CGRect bounds);
    CGPoint center() const { return m_center; }
    void setCenter(CGPoint center);
    CGAffineTransform transform() const { return m_transform; }
    void setTransform(CGAffineTransform transform);

    // --- look ---
    // 0 to 1; at 0 (or hidden) the view is neither drawn nor touched.
    float alpha() const { return m_alpha; }
    void setAlpha(float alpha);
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden) { m_hidden = hidden; }
    // None (clear) by default.
    const std::optional<Color4F>& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(std::optional<Color4F> color) { m_backgroundColor = color; }
    // A promise that the view fills its bounds; recorded, drawing does not depend on it.
    bool isOpaque() const { return m_opaque; }
    void setOpaque(bool opaque) { m_opaque = opaque; }
    // Subviews are cut at the bounds (axis-aligned on screen: the box around a turned view).
    bool clipsToBounds() const { return m_clipsToBounds; }
    void setClipsToBounds(bool clips) { m_clipsToBounds = clips; }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    // --- tree ---
    View* superview() const { return m_superview; }
    const std::vector<Ref<View>>& subviews() const { return m_subviews; }
    // On top of the others; taken from its old superview first.
    void addSubview(View* view);
    void insertSubview(View* view, std::size_t index);
    void bringSubviewToFront(View* view);
    void removeFromSuperview();
    bool isDescendantOfView(const View* view) const;
    // The first view with the tag, this one or below, depth first.
    View* viewWithTag(int tag);

    // --- coordinates ---
    // Maps the view's bounds space into its superview's space (center, transform, bounds origin).
    CGAffineTransform transformToSuperview() const;
    // Point in this view's bounds space from/to the space of an ancestor (null: the root).
    CGPoint convertPointFromAncestor(CGPoint point, const View* ancestor) const;
    CGPoint convertPointToAncestor(CGPoint point, const View* ancestor) const;

    // --- touches ---
    bool userInteractionEnabled() const { return m_userInteractionEnabled; }
    void setUserInteractionEnabled(bool enabled) { m_userInteractionEnabled = enabled; }
    // Off: a second finger that lands while one is down is ignored by this view.
    bool multipleTouchEnabled() const { return m_multipleTouchEnabled; }
    void setMultipleTouchEnabled(bool enabled) { m_multipleTouchEnabled = enabled; }
    // The deepest visible, touchable view under the point (in this view's bounds space),
    // topmost subview first; null when the point is outside.
    virtual View* hitTest(CGPoint point);
    virtual bool pointInside(CGPoint point) const;
    // The touches that began on this view; locations are the touches' view points (convert
    // with convertPointFromAncestor(p, nullptr)). Nothing happens by default.
    virtual void touchesBegan(const TouchSet& touches, TouchEvent* event);
    virtual void touchesMoved(const TouchSet& touches, TouchEvent* event);
    virtual void touchesEnded(const TouchSet& touches, TouchEvent* event);
    virtual void touchesCancelled(const TouchSet& touches, TouchEvent* event);
    // Desktop mouse: a wheel turn over the view (point in its bounds space, notches positive
    // away from the player) and a drag with the secondary button (root points), which stays
    // with the view it began on. What a view does not handle goes to its superview; true when
    // handled.
    virtual bool wheel(CGPoint point, float notches);
    virtual bool secondaryDrag(HostTouchPhase phase, CGPoint rootPoint);
    // A touch's location in this view's bounds space.
    CGPoint locationOfTouch(const Touch* touch) const;
    CGPoint previousLocationOfTouch(const Touch* touch) const;

    // --- content ---
    // A picture drawn into the bounds (stretched), over the background; none in a plain view.
    virtual const Image* contentImage() const { return nullptr; }

    // --- animations ---
    // Changes made to alpha, center, frame and transform inside `changes` move there over
    // `duration` with the curve (the model values change at once; drawing follows). The
    // completion runs once all of them have arrived (finished) or one was replaced by a newer
    // animation of the same property (not finished).
    static void animate(double duration, const std::function<void()>& changes,
        std::function<void(bool finished)> completion = {},
        ViewAnimationCurve curve = ViewAnimationCurve::EaseInOut);
    void addTransition(ViewTransition transition);
    bool isAnimating() const;
    // Advances every running animation; the director calls it once a frame.
    static void advanceAnimations(double seconds);
    // Ends every running animation at once (tests, a director going away); completions run.
    static void finishAllAnimations();
    // What is drawn this frame.
    float presentationAlpha() const;
    CGPoint presentationCenter() const;
    CGAffineTransform presentationTransform() const;

    // --- drawing ---
    // Draws the subviews (not the view itself) with GL over whatever is on the surface, in
    // view points of this view's bounds. Called by the director for the rendering view.
    void drawSubviewsGL(float viewportX, float viewportY, float viewportWidth, float viewportHeight);
    // The view and its subviews at their model values, drawn into a new picture of the bounds'
    // size at one pixel per point, off screen (the CPU does the drawing, no GL is needed).
    Ref<Image> renderToImage() const;

    // --- name for dumps and lookups ---
    // The views under root (root excluded), depth first in drawing order.
    static std::vector<View*> allSubviews(const View* root);

protected:
    virtual void didMoveToSuperview() { }
    // The view's model values changed in an animation block: start one from what is drawn now.
    void willAnimate(int property);
    // How far above its place a view moving in is drawn now.
    float moveInOffset() const;

    struct GLDrawState;
    void drawGL(GLDrawState& state, const CGAffineTransform& toRoot, float parentAlpha) const;
    struct Raster;
    void paint(Raster& raster, const CGAffineTransform& toImage, float parentAlpha) const;

    CGRect m_bounds {};
    CGPoint m_center {};
    CGAffineTransform m_transform = CGAffineTransformIdentity;
    float m_alpha = 1;
    bool m_hidden = false;
    std::optional<Color4F> m_backgroundColor;
    bool m_opaque = false;
    bool m_clipsToBounds = false;
    int m_tag = 0;
    bool m_userInteractionEnabled = true;
    bool m_multipleTouchEnabled = false;
    View* m_superview = nullptr;
    std::vector<Ref<View>> m_subviews;

    struct Animation;
    std::vector<std::shared_ptr<Animation>> m_animations;
    struct Transition;
    std::unique_ptr<Transition> m_transition;
    friend struct ViewAnimationRegistry;
};

// Shows a picture, stretched to its bounds.
class ImageView : public View {
public:
    // Framed at the picture's own size in points, at the origin.
    static Ref<ImageView> imageViewWithImage(Image* image);
    explicit ImageView(Image* image);
    const char* className() const override { return "ImageView"; }
    Image* image() const { return m_image.get(); }
    void setImage(Image* image) { m_image = image; }
    const Image* contentImage() const override { return m_image.get(); }

protected:
    Ref<Image> m_image;
};

// A line or a few of text as a picture, centred in its bounds.
class LabelView : public View {
public:
    static Ref<LabelView> labelWithFrame(CGRect frame, const std::string& text, float fontSize,
        Color4B color = { 0, 0, 0, 255 }, int alignment = 1);
    const char* className() const override { return "LabelView"; }
    const std::string& text() const { return m_text; }
    void setText(const std::string& text);
    const Image* contentImage() const override { return m_rendered.get(); }

protected:
    LabelView(CGRect frame);
    void render();
    std::string m_text;
    float m_fontSize = 17;
    Color4B m_color {};
    int m_alignment = 1;
    Ref<Image> m_rendered;
};
