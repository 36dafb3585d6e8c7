#include "Engine/Support/EAGLView.h"
#include "Platform/Log.h"

#include "Engine/Support/GLState.h"

#include <GLES/gl.h>
#include <GLES/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

Ref<EAGLView> EAGLView::initWithFrame(CGRect frame)
{
    return initWithFrame(frame, kEAGLColorFormatRGB565, 0, false);
}

Ref<EAGLView> EAGLView::initWithFrame(CGRect frame, const std::string& format)
{
    return initWithFrame(frame, format, 0, false);
}

Ref<EAGLView> EAGLView::initWithFrame(
    CGRect frame, const std::string& format, unsigned depthFormat, bool preserveBackbuffer)
{
    Ref<EAGLView> view(new EAGLView(frame, format, depthFormat, preserveBackbuffer));
    if (!view->createSurface())
        return nullptr;
    return view;
}

EAGLView::EAGLView(CGRect frame, std::string format, unsigned depthFormat, bool preserveBackbuffer)
    : m_format(std::move(format))
    , m_depthFormat(depthFormat)
    , m_preserveBackbuffer(preserveBackbuffer)
{
    View::setFrame(frame);
    m_userInteractionEnabled = true;
}

EAGLView::~EAGLView() { destroySurface(); }

void EAGLView::setFrame(CGRect frame)
{
    View::setFrame(frame);
    layoutSubviews();
}

bool EAGLView::createSurface()
{
    // Whatever context comes out of this starts from GL's own defaults.
    GLState::invalidate();
    Host* host = Host::currentOrNull();
    if (!host)
        return false;
    if (!host->hasSurface()) {
        const int colorBits = m_format == kEAGLColorFormatRGBA8 ? 32 : 16;
        const int depthBits = m_depthFormat == GL_DEPTH_COMPONENT24_OES ? 24 : m_depthFormat ? 16 : 0;
        if (!host->createSurface(static_cast<int>(std::lround(m_bounds.size.width)),
                static_cast<int>(std::lround(m_bounds.size.height)), colorBits, depthBits))
            return false;
    }
    if (!host->makeCurrent())
        return false;

    // The host surface's default framebuffer is our framebuffer and colour renderbuffer: there is
    // no drawable layer to give renderbuffer storage, so nothing is generated or bound here.
    m_framebuffer = 0;
    m_size = CGSizeMake(
        static_cast<float>(host->surfacePixelWidth()), static_cast<float>(host->surfacePixelHeight()));
    if (!m_hasBeenCurrent) {
        // The host may letterbox the view inside a larger drawable.
        int x = 0, y = 0, width = 0, height = 0;
        host->surfaceViewport(x, y, width, height);
        glViewport(x, y, width, height);
        glScissor(x, y, width, height);
        m_hasBeenCurrent = true;
    }
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR)
        logLine(LogLevel::Warning, "OpenGL error 0x%04X in %s", error, "EAGLView::createSurface");
    m_hasSurface = true;
    if (m_delegate)
        m_delegate->didResizeEAGLSurfaceForView(this);
    return true;
}

void EAGLView::destroySurface()
{
    // The host owns the surface and its framebuffer; there are no GL names of ours to delete.
    m_hasSurface = false;
}

void EAGLView::layoutSubviews()
{
    if (!m_autoresize || !m_hasSurface)
        return;
    Host* host = Host::currentOrNull();
    if (!host)
        return;
    // The host scales points to pixels; a changed pixel size means the surface was resized.
    const CGSize pixels = CGSizeMake(
        static_cast<float>(host->surfacePixelWidth()), static_cast<float>(host->surfacePixelHeight()));
    if (pixels == m_size)
        return;
    destroySurface();
    createSurface();
}

void EAGLView::setAutoresizesEAGLSurface(bool autoresize)
{
    m_autoresize = autoresize;
    if (autoresize)
        layoutSubviews();
}

bool EAGLView::setCurrentContext()
{
    Host* host = Host::currentOrNull();
    return host && host->makeCurrent();
}

bool EAGLView::isCurrentContext() const
{
    Host* host = Host::currentOrNull();
    return host && host->isCurrent();
}

void EAGLView::clearCurrentContext()
{
    // The host keeps its one context current for the life of the surface.
}

void EAGLView::swapBuffers()
{
    Host* host = Host::currentOrNull();
    if (!host)
        return;
    if (!host->isCurrent())
        host->makeCurrent();
    if (!host->swapBuffers())
        logLine(LogLevel::Warning, "Failed to swap renderbuffer in %s", "EAGLView::swapBuffers");
}

CGPoint EAGLView::convertPointFromViewToSurface(CGPoint point) const
{
    const CGRect b = bounds();
    if (b.size.width == 0 || b.size.height == 0)
        return point;
    return CGPointMake((point.x - b.origin.x) / b.size.width * m_size.width,
        (point.y - b.origin.y) / b.size.height * m_size.height);
}

CGRect EAGLView::convertRectFromViewToSurface(CGRect rect) const
{
    const CGRect b = bounds();
    if (b.size.width == 0 || b.size.height == 0)
        return rect;
    return CGRectMake((rect.origin.x - b.origin.x) / b.size.width * m_size.width,
        (rect.origin.y - b.origin.y) / b.size.height * m_size.height,
        rect.size.width / b.size.width * m_size.width, rect.size.height / b.size.height * m_size.height);
}

// --- touches -----------------------------------------------------------------------------------

bool EAGLView::handleWheel(float x, float y, float notches)
{
    View* hit = hitTest(CGPointMake(x, y));
    if (!hit || hit == this)
        return false;
    return hit->wheel(hit->convertPointFromAncestor(CGPointMake(x, y), this), notches);
}

bool EAGLView::handleSecondaryDrag(HostTouchPhase phase, float x, float y)
{
    if (phase == HostTouchPhase::Began) {
        View* hit = hitTest(CGPointMake(x, y));
        m_secondaryDragView = hit == this ? nullptr : hit;
    }
    Ref<View> view = m_secondaryDragView;
    if (phase == HostTouchPhase::Ended || phase == HostTouchPhase::Cancelled)
        m_secondaryDragView = nullptr;
    if (!view || !view->isDescendantOfView(this))
        return false;
    return view->secondaryDrag(phase, CGPointMake(x, y));
}

TouchSet EAGLView::activeTouches() const
{
    TouchSet all;
    for (const Finger& finger : m_touches)
        all.insert(finger.touch.get());
    return all;
}

void EAGLView::handleHostTouches(
    HostTouchPhase phase, const std::vector<HostTouchPoint>& points, double timestamp)
{
    if (!m_userInteractionEnabled)
        return;
    auto find = [this](std::int64_t id) {
        return std::find_if(m_touches.begin(), m_touches.end(), [id](const Finger& f) { return f.id == id; });
    };
    auto fingersOn = [this](const View* view) {
        return std::count_if(
            m_touches.begin(), m_touches.end(), [view](const Finger& f) { return f.view == view; });
    };

    // Changed touches by receiver, in order of first appearance; null is the touch delegate.
    // The lists are kept between deliveries so a dragging finger costs no allocation; a delivery
    // made from inside another uses lists of its own.
    const bool nested = m_delivering;
    std::vector<std::pair<Ref<View>, TouchSet>> nestedChanged;
    std::vector<std::int64_t> nestedFinished;
    auto& changed = nested ? nestedChanged : m_changedScratch;
    auto& finished = nested ? nestedFinished : m_finishedScratch;
    finished.clear();
    std::size_t used = 0; // entries of `changed` in use; those after it keep their storage
    auto note = [&changed, &used](View* view, Touch* touch) {
        for (std::size_t i = 0; i < used; ++i)
            if (changed[i].first.get() == view) {
                changed[i].second.insert(touch);
                return;
            }
        if (used == changed.size())
            changed.emplace_back();
        changed[used].first = view;
        changed[used].second.clear();
        changed[used].second.insert(touch);
        ++used;
    };
    for (const HostTouchPoint& p : points) {
        const CGPoint location = CGPointMake(p.x, p.y);
        auto it = find(p.id);
        switch (phase) {
        case HostTouchPhase::Began: {
            if (it != m_touches.end()) {
                it->touch->begin(location, p.tapCount, timestamp, this);
                note(it->view.get(), it->touch.get());
                break;
            }
            View* hit = hitTest(location);
            if (hit == this)
                hit = nullptr;
            // A view without multiple touch follows only the first finger down on it.
            const bool multiple = hit ? hit->multipleTouchEnabled() : m_multipleTouchEnabled;
            if (!multiple && fingersOn(hit) > 0)
                break;
            Ref<Touch> touch = make<Touch>();
            touch->begin(location, p.tapCount, timestamp, this);
            touch->setHitView(hit);
            m_touches.push_back({ p.id, touch, hit });
            note(hit, touch.get());
            break;
        }
        case HostTouchPhase::Moved:
            if (it == m_touches.end())
                break;
            it->touch->update(TouchPhase::Moved, location, p.tapCount, timestamp);
            note(it->view.get(), it->touch.get());
            break;
        case HostTouchPhase::Ended:
        case HostTouchPhase::Cancelled:
            if (it == m_touches.end())
                break;
            it->touch->update(phase == HostTouchPhase::Ended ? TouchPhase::Ended : TouchPhase::Cancelled,
                location, p.tapCount, timestamp);
            note(it->view.get(), it->touch.get());
            finished.push_back(p.id);
            break;
        }
    }
    if (used == 0)
        return;

    // Ended fingers are dropped only after delivery: receivers look them up by identity.
    // The last event is refilled unless a receiver kept it.
    Ref<TouchEvent> event = m_event;
    if (nested || !event || event->retainCount() > 2)
        event = make<TouchEvent>(TouchSet(), timestamp);
    else
        event->reset(timestamp);
    for (const Finger& finger : m_touches)
        event->mutableAllTouches().insert(finger.touch.get());
    if (!nested)
        m_event = event;
    struct Delivering {
        bool& flag;
        bool was;
        ~Delivering() { flag = was; }
    } delivering { m_delivering, nested };
    m_delivering = true;
    Ref<EAGLView> self(this);
    const auto inUse = changed.begin() + static_cast<std::ptrdiff_t>(used);
    std::stable_partition(changed.begin(), inUse, [](const auto& e) { return e.first != nullptr; });
    for (auto entry = changed.begin(); entry != inUse; ++entry) {
        const Ref<View>& view = entry->first;
        const TouchSet& touches = entry->second;
        if (view) {
            // A view taken off the screen meanwhile hears no more of its fingers.
            if (!view->isDescendantOfView(this))
                continue;
            switch (phase) {
            case HostTouchPhase::Began:
                view->touchesBegan(touches, event.get());
                break;
            case HostTouchPhase::Moved:
                view->touchesMoved(touches, event.get());
                break;
            case HostTouchPhase::Ended:
                view->touchesEnded(touches, event.get());
                break;
            case HostTouchPhase::Cancelled:
                view->touchesCancelled(touches, event.get());
                break;
            }
        } else if (m_touchDelegate) {
            switch (phase) {
            case HostTouchPhase::Began:
                m_touchDelegate->touchesBegan(touches, event.get());
                break;
            case HostTouchPhase::Moved:
                m_touchDelegate->touchesMoved(touches, event.get());
                break;
            case HostTouchPhase::Ended:
                m_touchDelegate->touchesEnded(touches, event.get());
                break;
            case HostTouchPhase::Cancelled:
                m_touchDelegate->touchesCancelled(touches, event.get());
                break;
            }
        }
    }
    for (std::int64_t id : finished) {
        auto it = find(id);
        if (it != m_touches.end())
            m_touches.erase(it);
    }
    // Nothing is held past the delivery: views and touches may go.
    for (auto entry = changed.begin(); entry != inUse; ++entry) {
        entry->first = nullptr;
        entry->second.clear();
    }
}
