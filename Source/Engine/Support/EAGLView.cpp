#include "Engine/Support/EAGLView.h"

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
    , m_frame(frame)
{
}

EAGLView::~EAGLView() { destroySurface(); }

void EAGLView::setFrame(CGRect frame)
{
    m_frame = frame;
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
        if (!host->createSurface(static_cast<int>(std::lround(m_frame.size.width)),
                static_cast<int>(std::lround(m_frame.size.height)), colorBits, depthBits))
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
        std::printf("OpenGL error 0x%04X in %s\n", error, "EAGLView::createSurface");
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
        std::printf("Failed to swap renderbuffer in %s\n", "EAGLView::swapBuffers");
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

TouchSet EAGLView::activeTouches() const
{
    TouchSet all;
    for (const auto& entry : m_touches)
        all.insert(entry.second.get());
    return all;
}

void EAGLView::handleHostTouches(
    HostTouchPhase phase, const std::vector<HostTouchPoint>& points, double timestamp)
{
    if (!m_userInteractionEnabled)
        return;
    auto find = [this](std::int64_t id) {
        return std::find_if(
            m_touches.begin(), m_touches.end(), [id](const auto& e) { return e.first == id; });
    };

    TouchSet nestedChanged;
    std::vector<std::int64_t> nestedFinished;
    const bool nested = m_delivering;
    TouchSet& changed = nested ? nestedChanged : m_changed;
    std::vector<std::int64_t>& finished = nested ? nestedFinished : m_finished;
    changed.clear();
    finished.clear();
    for (const HostTouchPoint& p : points) {
        const CGPoint location = CGPointMake(p.x, p.y);
        auto it = find(p.id);
        switch (phase) {
        case HostTouchPhase::Began:
            if (it != m_touches.end()) {
                it->second->begin(location, p.tapCount, timestamp, this);
                changed.insert(it->second.get());
                break;
            }
            // A view without multiple touch follows only the first finger down.
            if (!m_multipleTouchEnabled && !m_touches.empty())
                break;
            {
                Ref<Touch> touch = make<Touch>();
                touch->begin(location, p.tapCount, timestamp, this);
                m_touches.emplace_back(p.id, touch);
                changed.insert(touch.get());
            }
            break;
        case HostTouchPhase::Moved:
            if (it == m_touches.end())
                break;
            it->second->update(TouchPhase::Moved, location, p.tapCount, timestamp);
            changed.insert(it->second.get());
            break;
        case HostTouchPhase::Ended:
        case HostTouchPhase::Cancelled:
            if (it == m_touches.end())
                break;
            it->second->update(phase == HostTouchPhase::Ended ? TouchPhase::Ended : TouchPhase::Cancelled,
                location, p.tapCount, timestamp);
            changed.insert(it->second.get());
            finished.push_back(p.id);
            break;
        }
    }
    if (changed.empty())
        return;

    // A delegate that kept the last event gets to keep it unchanged.
    Ref<TouchEvent> event = m_event;
    if (nested || !event || event->retainCount() > 2)
        event = make<TouchEvent>(TouchSet(), timestamp);
    else
        event->reset(timestamp);
    for (const auto& entry : m_touches)
        event->mutableAllTouches().insert(entry.second.get());
    if (!nested)
        m_event = event;
    m_delivering = true;
    struct Delivering {
        bool& flag;
        bool was;
        ~Delivering() { flag = was; }
    } delivering { m_delivering, nested };
    // Ended fingers are dropped only after delivery: delegates look them up by identity.
    if (m_touchDelegate) {
        switch (phase) {
        case HostTouchPhase::Began:
            m_touchDelegate->touchesBegan(changed, event.get());
            break;
        case HostTouchPhase::Moved:
            m_touchDelegate->touchesMoved(changed, event.get());
            break;
        case HostTouchPhase::Ended:
            m_touchDelegate->touchesEnded(changed, event.get());
            break;
        case HostTouchPhase::Cancelled:
            m_touchDelegate->touchesCancelled(changed, event.get());
            break;
        }
    }
    for (std::int64_t id : finished) {
        auto it = find(id);
        if (it != m_touches.end())
            m_touches.erase(it);
    }
}
