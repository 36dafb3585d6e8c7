#pragma once
// The rendering view: the GL ES 1.1 surface the director draws into, and the door through
// which the host's touches enter the engine.
//
// It is the root of the platform views (Engine/View.h): its subviews are drawn over the scene,
// and touches that begin on one of them go there instead of to the touch delegate. The window
// the rendering view is placed in is described by a WindowInfo; "attached" means it has one.

#include "Engine/Support/Geometry.h"
#include "Engine/Support/Ref.h"
#include "Engine/Support/Touch.h"
#include "Engine/View.h"
#include "Platform/Host.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

inline constexpr const char* kEAGLColorFormatRGB565 = "RGB565";
inline constexpr const char* kEAGLColorFormatRGBA8 = "RGBA8";

// What the host's window or view contributes to attachment.
struct WindowInfo {
    CGRect frame = CGRectMake(0, 0, 320, 480); // points
    bool userInteractionEnabled = true;
    bool multipleTouchEnabled = false;
};

class EAGLView;

class EAGLViewDelegate {
public:
    virtual ~EAGLViewDelegate() = default;
    virtual void didResizeEAGLSurfaceForView(EAGLView* view) = 0;
};

// Receives the four platform touch events, unchanged.
class EAGLTouchDelegate {
public:
    virtual ~EAGLTouchDelegate() = default;
    virtual void touchesBegan(const TouchSet& touches, TouchEvent* event) = 0;
    virtual void touchesMoved(const TouchSet& touches, TouchEvent* event) = 0;
    virtual void touchesEnded(const TouchSet& touches, TouchEvent* event) = 0;
    virtual void touchesCancelled(const TouchSet& touches, TouchEvent* event) = 0;
};

class EAGLView : public View {
public:
    // Null when the context or the surface cannot be made.
    static Ref<EAGLView> initWithFrame(CGRect frame);
    static Ref<EAGLView> initWithFrame(CGRect frame, const std::string& format);
    // depthFormat: 0, GL_DEPTH_COMPONENT16_OES or GL_DEPTH_COMPONENT24_OES.
    static Ref<EAGLView> initWithFrame(
        CGRect frame, const std::string& format, unsigned depthFormat, bool preserveBackbuffer);
    ~EAGLView() override;
    const char* className() const override { return "EAGLView"; }

    // --- the view ---
    void setFrame(CGRect frame) override;
    const std::optional<WindowInfo>& window() const { return m_window; }
    void addToWindow(const WindowInfo& window) { m_window = window; }
    void removeFromWindow() { m_window.reset(); }

    // --- the surface ---
    bool setCurrentContext();
    bool isCurrentContext() const;
    void clearCurrentContext();
    void swapBuffers();
    // Recreates the surface when auto-resizing and the bounds changed.
    void layoutSubviews();
    void setAutoresizesEAGLSurface(bool autoresize);
    bool autoresizesSurface() const { return m_autoresize; }

    const std::string& pixelFormat() const { return m_format; }
    unsigned depthFormat() const { return m_depthFormat; }
    // The host surface's default framebuffer: always 0 here.
    unsigned framebuffer() const { return m_framebuffer; }
    // The host swaps without keeping the back buffer; recorded for completeness.
    bool preservesBackbuffer() const { return m_preserveBackbuffer; }
    // Pixels; differs from the frame size on a scaled (HiDPI) surface.
    CGSize surfaceSize() const { return m_size; }
    CGPoint convertPointFromViewToSurface(CGPoint point) const;
    CGRect convertRectFromViewToSurface(CGRect rect) const;

    EAGLViewDelegate* delegate() const { return m_delegate; }
    void setDelegate(EAGLViewDelegate* delegate) { m_delegate = delegate; }
    EAGLTouchDelegate* touchDelegate() const { return m_touchDelegate; }
    void setTouchDelegate(EAGLTouchDelegate* delegate) { m_touchDelegate = delegate; }

    // --- touches from the host ---
    // Keeps one Touch per finger id from began to ended/cancelled. A finger that lands on a
    // subview belongs to that view for its whole life; the others go to the touch delegate.
    // Views hear of their touches first.
    void handleHostTouches(HostTouchPhase phase, const std::vector<HostTouchPoint>& points, double timestamp);
    // The desktop mouse's wheel and secondary-button drag, view points: they go to the subview
    // under the pointer (the drag stays with the one it began on); false when none took them.
    bool handleWheel(float x, float y, float notches);
    bool handleSecondaryDrag(HostTouchPhase phase, float x, float y);
    // Fingers currently down, in the order they went down.
    TouchSet activeTouches() const;

private:
    EAGLView(CGRect frame, std::string format, unsigned depthFormat, bool preserveBackbuffer);
    bool createSurface();
    void destroySurface();

    std::string m_format;
    unsigned m_depthFormat = 0;
    bool m_preserveBackbuffer = false;
    bool m_autoresize = false;
    unsigned m_framebuffer = 0;
    CGSize m_size;
    bool m_hasBeenCurrent = false;
    bool m_hasSurface = false;
    EAGLViewDelegate* m_delegate = nullptr;
    EAGLTouchDelegate* m_touchDelegate = nullptr; // the shared touch dispatcher, which is never freed

    std::optional<WindowInfo> m_window;

    struct Finger {
        std::int64_t id;
        Ref<Touch> touch;
        Ref<View> view; // the subview it landed on, or null for the touch delegate
    };
    std::vector<Finger> m_touches; // in finger-down order
    // Kept between deliveries so that a dragging finger costs no allocation.
    std::vector<std::pair<Ref<View>, TouchSet>> m_changedScratch;
    std::vector<std::int64_t> m_finishedScratch;
    Ref<TouchEvent> m_event;
    bool m_delivering = false;
    Ref<View> m_secondaryDragView;
};
