#pragma once
// The rendering view: the GL ES 1.1 surface the director draws into, and the door through
// which the host's touches enter the engine.
//
// There is no platform view hierarchy on this host. The window or view the rendering view is
// placed in is described by a WindowInfo; "attached" means the view has such a superview.

#include "Engine/Support/Geometry.h"
#include "Engine/Support/Ref.h"
#include "Engine/Support/Touch.h"
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

class EAGLView : public Object {
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
    CGRect frame() const { return m_frame; }
    void setFrame(CGRect frame);
    CGRect bounds() const { return CGRectMake(0, 0, m_frame.size.width, m_frame.size.height); }
    const std::optional<WindowInfo>& superview() const { return m_superview; }
    void addToSuperview(const WindowInfo& superview) { m_superview = superview; }
    void removeFromSuperview() { m_superview.reset(); }
    bool userInteractionEnabled() const { return m_userInteractionEnabled; }
    void setUserInteractionEnabled(bool enabled) { m_userInteractionEnabled = enabled; }
    bool multipleTouchEnabled() const { return m_multipleTouchEnabled; }
    void setMultipleTouchEnabled(bool enabled) { m_multipleTouchEnabled = enabled; }

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
    // Keeps one Touch per finger id from began to ended/cancelled and forwards the changed
    // touches to the touch delegate.
    void handleHostTouches(HostTouchPhase phase, const std::vector<HostTouchPoint>& points, double timestamp);
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

    CGRect m_frame;
    std::optional<WindowInfo> m_superview;
    bool m_userInteractionEnabled = true;
    bool m_multipleTouchEnabled = false;

    std::vector<std::pair<std::int64_t, Ref<Touch>>> m_touches; // by finger id, in finger-down order
    // Kept between deliveries so that a dragging finger costs no allocation; a delivery made
    // from inside another uses fresh ones.
    TouchSet m_changed;
    std::vector<std::int64_t> m_finished;
    Ref<TouchEvent> m_event;
    bool m_delivering = false;
};
