#include "Engine/View.h"

#include "Engine/Image.h"
#include "Engine/Support/GLState.h"
#include "Engine/Support/Texture2D.h"
#include "Platform/Host.h"

#include <GLES/gl.h>

#include <algorithm>
#include <cmath>

// --- animation bookkeeping -------------------------------------------------------------------

namespace {

enum Property { kAlpha, kCenter, kTransform };

struct AnimationGroup {
    int pending = 0;
    bool finished = true;
    bool done = false;
    std::function<void(bool)> completion;
};

struct AnimationBlock {
    double duration;
    ViewAnimationCurve curve;
    std::shared_ptr<AnimationGroup> group;
};

std::vector<AnimationBlock> s_blocks; // nested animate() calls, innermost last

// The ease-in-ease-out timing curve of the phone's animations: a cubic Bezier through
// (0.42, 0) and (0.58, 1), solved for x by bisection.
float easeInOut(float t)
{
    if (t <= 0)
        return 0;
    if (t >= 1)
        return 1;
    auto bezier = [](float p1, float p2, float s) {
        const float u = 1 - s;
        return 3 * u * u * s * p1 + 3 * u * s * s * p2 + s * s * s;
    };
    float lo = 0, hi = 1, s = t;
    for (int i = 0; i < 30; ++i) {
        s = (lo + hi) / 2;
        if (bezier(0.42f, 0.58f, s) < t)
            lo = s;
        else
            hi = s;
    }
    return bezier(0, 1, s);
}

float progressOf(double elapsed, double duration, ViewAnimationCurve curve)
{
    const float t = duration > 0 ? static_cast<float>(std::min(1.0, elapsed / duration)) : 1.0f;
    return curve == ViewAnimationCurve::EaseInOut ? easeInOut(t) : t;
}

float mix(float a, float b, float t) { return a + (b - a) * t; }

void finishGroup(const std::shared_ptr<AnimationGroup>& group, std::vector<std::function<void()>>& calls)
{
    if (!group || group->done || group->pending > 0)
        return;
    group->done = true;
    if (group->completion)
        calls.push_back(
            [completion = group->completion, finished = group->finished] { completion(finished); });
}

} // namespace

struct View::Animation {
    int property = kAlpha;
    float fromAlpha = 1;
    CGPoint fromCenter;
    CGAffineTransform fromTransform;
    double elapsed = 0, duration = 0;
    ViewAnimationCurve curve = ViewAnimationCurve::EaseInOut;
    std::shared_ptr<AnimationGroup> group;
    float progress() const { return progressOf(elapsed, duration, curve); }
};

struct View::Transition {
    ViewTransition spec;
    double elapsed = 0;
    std::vector<Ref<View>> before; // subviews when it started, for the fade
    float progress() const { return progressOf(elapsed, spec.duration, spec.curve); }
};

// Views with animations or transitions running, kept alive until they end.
struct ViewAnimationRegistry {
    static std::vector<Ref<View>>& views()
    {
        static std::vector<Ref<View>> s_views;
        return s_views;
    }
    static std::vector<std::shared_ptr<AnimationGroup>>& emptyGroups()
    {
        static std::vector<std::shared_ptr<AnimationGroup>> s_groups;
        return s_groups;
    }
    static void add(View* view)
    {
        auto& all = views();
        if (std::find(all.begin(), all.end(), view) == all.end())
            all.emplace_back(view);
    }
};

// --- View ------------------------------------------------------------------------------------

Ref<View> View::viewWithFrame(CGRect frame) { return make<View>(frame); }

View::View(CGRect frame) { setFrame(frame); }

View::~View()
{
    for (const Ref<View>& sub : m_subviews)
        sub->m_superview = nullptr;
}

CGRect View::frame() const { return CGRectApplyAffineTransform(m_bounds, transformToSuperview()); }

void View::setFrame(CGRect frame)
{
    setBounds(CGRectMake(m_bounds.origin.x, m_bounds.origin.y, frame.size.width, frame.size.height));
    setCenter(CGPointMake(CGRectGetMidX(frame), CGRectGetMidY(frame)));
}

void View::setBounds(CGRect bounds) { m_bounds = bounds; }

void View::setCenter(CGPoint center)
{
    if (!s_blocks.empty() && !(center == m_center))
        willAnimate(kCenter);
    m_center = center;
}

void View::setTransform(CGAffineTransform transform)
{
    if (!s_blocks.empty() && !(transform == m_transform))
        willAnimate(kTransform);
    m_transform = transform;
}

void View::setAlpha(float alpha)
{
    alpha = std::isnan(alpha) ? 0 : std::clamp(alpha, 0.0f, 1.0f);
    if (!s_blocks.empty() && alpha != m_alpha)
        willAnimate(kAlpha);
    m_alpha = alpha;
}

void View::addSubview(View* view)
{
    insertSubview(view, m_subviews.size() + (view && view->m_superview == this ? 0 : 1));
}

void View::insertSubview(View* view, std::size_t index)
{
    if (!view || view == this || isDescendantOfView(view))
        return;
    Ref<View> keep(view);
    if (view->m_superview)
        view->removeFromSuperview();
    index = std::min(index, m_subviews.size());
    m_subviews.insert(m_subviews.begin() + static_cast<std::ptrdiff_t>(index), keep);
    view->m_superview = this;
    view->didMoveToSuperview();
}

void View::bringSubviewToFront(View* view)
{
    auto it = std::find(m_subviews.begin(), m_subviews.end(), view);
    if (it == m_subviews.end())
        return;
    Ref<View> keep = *it;
    m_subviews.erase(it);
    m_subviews.push_back(keep);
}

void View::removeFromSuperview()
{
    View* parent = m_superview;
    if (!parent)
        return;
    Ref<View> keep(this);
    auto it = std::find(parent->m_subviews.begin(), parent->m_subviews.end(), this);
    if (it != parent->m_subviews.end())
        parent->m_subviews.erase(it);
    m_superview = nullptr;
    didMoveToSuperview();
}

bool View::isDescendantOfView(const View* view) const
{
    for (const View* v = this; v; v = v->m_superview)
        if (v == view)
            return true;
    return false;
}

View* View::viewWithTag(int tag)
{
    if (m_tag == tag)
        return this;
    for (const Ref<View>& sub : m_subviews)
        if (View* found = sub->viewWithTag(tag))
            return found;
    return nullptr;
}

CGAffineTransform View::transformToSuperview() const
{
    const CGPoint mid = CGPointMake(CGRectGetMidX(m_bounds), CGRectGetMidY(m_bounds));
    return CGAffineTransformConcat(
        CGAffineTransformConcat(CGAffineTransformMakeTranslation(-mid.x, -mid.y), m_transform),
        CGAffineTransformMakeTranslation(m_center.x, m_center.y));
}

CGPoint View::convertPointToAncestor(CGPoint point, const View* ancestor) const
{
    for (const View* v = this; v && v != ancestor && v->m_superview; v = v->m_superview)
        point = CGPointApplyAffineTransform(point, v->transformToSuperview());
    return point;
}

CGPoint View::convertPointFromAncestor(CGPoint point, const View* ancestor) const
{
    CGAffineTransform toAncestor = CGAffineTransformIdentity;
    for (const View* v = this; v && v != ancestor && v->m_superview; v = v->m_superview)
        toAncestor = CGAffineTransformConcat(toAncestor, v->transformToSuperview());
    return CGPointApplyAffineTransform(point, CGAffineTransformInvert(toAncestor));
}

bool View::pointInside(CGPoint point) const { return CGRectContainsPoint(m_bounds, point); }

View* View::hitTest(CGPoint point)
{
    if (m_hidden || m_alpha < 0.01f || !m_userInteractionEnabled || !pointInside(point))
        return nullptr;
    for (auto it = m_subviews.rbegin(); it != m_subviews.rend(); ++it) {
        View* sub = it->get();
        const CGPoint local
            = CGPointApplyAffineTransform(point, CGAffineTransformInvert(sub->transformToSuperview()));
        if (View* hit = sub->hitTest(local))
            return hit;
    }
    return this;
}

// As the phone's responder chain: what a view does not handle goes to its superview.
void View::touchesBegan(const TouchSet& touches, TouchEvent* event)
{
    if (m_superview)
        m_superview->touchesBegan(touches, event);
}

void View::touchesMoved(const TouchSet& touches, TouchEvent* event)
{
    if (m_superview)
        m_superview->touchesMoved(touches, event);
}

void View::touchesEnded(const TouchSet& touches, TouchEvent* event)
{
    if (m_superview)
        m_superview->touchesEnded(touches, event);
}

void View::touchesCancelled(const TouchSet& touches, TouchEvent* event)
{
    if (m_superview)
        m_superview->touchesCancelled(touches, event);
}

bool View::wheel(CGPoint point, float notches)
{
    return m_superview
        && m_superview->wheel(CGPointApplyAffineTransform(point, transformToSuperview()), notches);
}

bool View::secondaryDrag(HostTouchPhase phase, CGPoint rootPoint)
{
    return m_superview && m_superview->secondaryDrag(phase, rootPoint);
}

CGPoint View::locationOfTouch(const Touch* touch) const
{
    return convertPointFromAncestor(touch->locationInView(), nullptr);
}

CGPoint View::previousLocationOfTouch(const Touch* touch) const
{
    return convertPointFromAncestor(touch->previousLocationInView(), nullptr);
}

std::vector<View*> View::allSubviews(const View* root)
{
    std::vector<View*> out;
    if (!root)
        return out;
    for (const Ref<View>& sub : root->m_subviews) {
        out.push_back(sub.get());
        std::vector<View*> below = allSubviews(sub.get());
        out.insert(out.end(), below.begin(), below.end());
    }
    return out;
}

// --- animations ------------------------------------------------------------------------------

void View::animate(double duration, const std::function<void()>& changes,
    std::function<void(bool finished)> completion, ViewAnimationCurve curve)
{
    auto group = std::make_shared<AnimationGroup>();
    group->completion = std::move(completion);
    s_blocks.push_back({ std::max(0.0, duration), curve, group });
    try {
        if (changes)
            changes();
    } catch (...) {
        s_blocks.pop_back();
        throw;
    }
    s_blocks.pop_back();
    if (group->pending == 0)
        ViewAnimationRegistry::emptyGroups().push_back(group);
}

void View::willAnimate(int property)
{
    auto animation = std::make_shared<Animation>();
    animation->property = property;
    animation->fromAlpha = presentationAlpha();
    animation->fromCenter = presentationCenter();
    animation->fromTransform = presentationTransform();
    const AnimationBlock& block = s_blocks.back();
    animation->duration = block.duration;
    animation->curve = block.curve;
    animation->group = block.group;
    ++block.group->pending;

    std::vector<std::function<void()>> calls;
    for (auto it = m_animations.begin(); it != m_animations.end();) {
        if ((*it)->property == property) {
            // Replaced mid-way: its group did not finish.
            (*it)->group->finished = false;
            --(*it)->group->pending;
            finishGroup((*it)->group, calls);
            it = m_animations.erase(it);
        } else {
            ++it;
        }
    }
    m_animations.push_back(animation);
    ViewAnimationRegistry::add(this);
    for (auto& call : calls)
        call();
}

void View::addTransition(ViewTransition transition)
{
    if (m_transition && m_transition->spec.didStop) {
        auto didStop = std::move(m_transition->spec.didStop);
        m_transition.reset();
        didStop();
    }
    m_transition = std::make_unique<Transition>();
    m_transition->spec = std::move(transition);
    m_transition->before = m_subviews;
    ViewAnimationRegistry::add(this);
}

float View::moveInOffset() const
{
    if (!m_transition || m_transition->spec.type != ViewTransition::Type::MoveIn)
        return 0;
    // Starts just above the superview's top edge.
    const CGRect f = frame();
    const float top = m_superview ? m_superview->m_bounds.origin.y : 0;
    return (1 - m_transition->progress()) * (f.origin.y + f.size.height - top);
}

bool View::isAnimating() const { return !m_animations.empty() || m_transition; }

void View::advanceAnimations(double seconds)
{
    std::vector<std::function<void()>> calls;
    for (auto& group : ViewAnimationRegistry::emptyGroups())
        finishGroup(group, calls);
    ViewAnimationRegistry::emptyGroups().clear();

    // Completions may start new animations; they act on a list we no longer walk.
    std::vector<Ref<View>> views = ViewAnimationRegistry::views();
    for (const Ref<View>& view : views) {
        for (auto it = view->m_animations.begin(); it != view->m_animations.end();) {
            Animation& a = **it;
            a.elapsed += seconds;
            if (a.elapsed >= a.duration) {
                --a.group->pending;
                finishGroup(a.group, calls);
                it = view->m_animations.erase(it);
            } else {
                ++it;
            }
        }
        if (view->m_transition) {
            view->m_transition->elapsed += seconds;
            if (view->m_transition->elapsed >= view->m_transition->spec.duration) {
                auto didStop = std::move(view->m_transition->spec.didStop);
                view->m_transition.reset();
                if (didStop)
                    calls.push_back(std::move(didStop));
            }
        }
    }
    auto& live = ViewAnimationRegistry::views();
    live.erase(std::remove_if(live.begin(), live.end(), [](const Ref<View>& v) { return !v->isAnimating(); }),
        live.end());
    for (auto& call : calls)
        call();
}

void View::finishAllAnimations()
{
    // Completions may start more; a few rounds settle any sane chain.
    for (int round = 0; round < 8; ++round) {
        if (ViewAnimationRegistry::views().empty() && ViewAnimationRegistry::emptyGroups().empty())
            return;
        advanceAnimations(1e9);
    }
}

float View::presentationAlpha() const
{
    for (const auto& a : m_animations)
        if (a->property == kAlpha)
            return mix(a->fromAlpha, m_alpha, a->progress());
    return m_alpha;
}

CGPoint View::presentationCenter() const
{
    for (const auto& a : m_animations)
        if (a->property == kCenter) {
            const float t = a->progress();
            return CGPointMake(mix(a->fromCenter.x, m_center.x, t), mix(a->fromCenter.y, m_center.y, t));
        }
    return m_center;
}

CGAffineTransform View::presentationTransform() const
{
    for (const auto& a : m_animations)
        if (a->property == kTransform) {
            const float t = a->progress();
            const CGAffineTransform& f = a->fromTransform;
            const CGAffineTransform& m = m_transform;
            return { mix(f.a, m.a, t), mix(f.b, m.b, t), mix(f.c, m.c, t), mix(f.d, m.d, t),
                mix(f.tx, m.tx, t), mix(f.ty, m.ty, t) };
        }
    return m_transform;
}

// --- drawing with GL -------------------------------------------------------------------------

namespace {

// Calls draw(view, alpha factor) for each subview as a running fade has it; removed ones still
// fading out come last (they were usually on top). Nothing is allocated: this runs every frame.
template <class Draw>
void forEachDrawn(const std::vector<Ref<View>>& subviews, const std::vector<Ref<View>>* before,
    float progress, const Draw& draw)
{
    for (const Ref<View>& sub : subviews) {
        const bool isNew = before && std::find(before->begin(), before->end(), sub) == before->end();
        draw(sub.get(), isNew ? progress : 1.0f);
    }
    if (before)
        for (const Ref<View>& old : *before)
            if (std::find(subviews.begin(), subviews.end(), old) == subviews.end())
                draw(old.get(), 1 - progress);
}

// Superview-space placement as drawn this frame, with a move-in still sliding.
CGAffineTransform presentedToSuperview(const View& view, float moveInOffset)
{
    const CGRect b = view.bounds();
    const CGPoint c = view.presentationCenter();
    return CGAffineTransformConcat(
        CGAffineTransformConcat(CGAffineTransformMakeTranslation(-CGRectGetMidX(b), -CGRectGetMidY(b)),
            view.presentationTransform()),
        CGAffineTransformMakeTranslation(c.x, c.y - moveInOffset));
}

void loadAffine(const CGAffineTransform& t)
{
    const GLfloat m[16] = { t.a, t.b, 0, 0, t.c, t.d, 0, 0, 0, 0, 1, 0, t.tx, t.ty, 0, 1 };
    glLoadMatrixf(m);
}

// Draws here: GL reads client arrays at the draw call, so the vertices must outlive it.
void drawQuad(CGRect r)
{
    const float x0 = r.origin.x, y0 = r.origin.y, x1 = x0 + r.size.width, y1 = y0 + r.size.height;
    const GLfloat v[8] = { x0, y0, x1, y0, x0, y1, x1, y1 };
    glVertexPointer(2, GL_FLOAT, 0, v);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

} // namespace

struct View::GLDrawState {
    float vx, vy, vw, vh; // viewport in pixels
    float rootWidth, rootHeight; // root bounds in points
    CGPoint rootOrigin;
    bool scissor = false;
    GLint box[4] = { 0, 0, 0, 0 };
};

void View::drawSubviewsGL(float viewportX, float viewportY, float viewportWidth, float viewportHeight)
{
    if (m_subviews.empty() && !(m_transition && !m_transition->before.empty()))
        return;
    GLDrawState state { viewportX, viewportY, viewportWidth, viewportHeight, m_bounds.size.width,
        m_bounds.size.height, m_bounds.origin };
    // Views set GL directly, from the state every plain draw starts in.
    GLState::enterResting();
    const GLboolean depth = glIsEnabled(GL_DEPTH_TEST);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    GLint box[4];
    glGetIntegerv(GL_SCISSOR_BOX, box);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_SCISSOR_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrthof(m_bounds.origin.x, m_bounds.origin.x + m_bounds.size.width,
        m_bounds.origin.y + m_bounds.size.height, m_bounds.origin.y, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glEnableClientState(GL_VERTEX_ARRAY);

    const bool fading = m_transition && m_transition->spec.type == ViewTransition::Type::Fade;
    forEachDrawn(m_subviews, fading ? &m_transition->before : nullptr, fading ? m_transition->progress() : 1,
        [&state](View* sub, float factor) {
            sub->drawGL(state, presentedToSuperview(*sub, sub->moveInOffset()), factor);
        });

    glDisableClientState(GL_VERTEX_ARRAY);
    glColor4f(1, 1, 1, 1);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glScissor(box[0], box[1], box[2], box[3]);
    if (scissor)
        glEnable(GL_SCISSOR_TEST);
    if (depth)
        glEnable(GL_DEPTH_TEST);
    GLState::invalidate();
}

void View::drawGL(GLDrawState& state, const CGAffineTransform& toRoot, float parentAlpha) const
{
    const float alpha = parentAlpha * presentationAlpha();
    if (m_hidden || alpha <= 0.002f)
        return;
    loadAffine(toRoot);
    if (m_backgroundColor && m_backgroundColor->a > 0) {
        const Color4F& c = *m_backgroundColor;
        const float a = c.a * alpha;
        glColor4f(c.r * a, c.g * a, c.b * a, a);
        drawQuad(m_bounds);
    }
    if (const Image* image = contentImage()) {
        if (Texture2D* texture = image->texture()) {
            const float s = texture->maxS(), t = texture->maxT();
            const GLfloat coords[8] = { 0, 0, s, 0, 0, t, s, t };
            glEnable(GL_TEXTURE_2D);
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glBindTexture(GL_TEXTURE_2D, texture->name());
            glTexCoordPointer(2, GL_FLOAT, 0, coords);
            glColor4f(alpha, alpha, alpha, alpha);
            drawQuad(m_bounds);
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
            glDisable(GL_TEXTURE_2D);
        }
    }

    const bool hadScissor = state.scissor;
    GLint oldBox[4] = { state.box[0], state.box[1], state.box[2], state.box[3] };
    if (m_clipsToBounds) {
        const CGRect r = CGRectApplyAffineTransform(m_bounds, toRoot);
        const float sx = state.vw / state.rootWidth, sy = state.vh / state.rootHeight;
        GLint x0 = static_cast<GLint>(std::floor(state.vx + (r.origin.x - state.rootOrigin.x) * sx));
        GLint x1
            = static_cast<GLint>(std::ceil(state.vx + (r.origin.x + r.size.width - state.rootOrigin.x) * sx));
        GLint y0 = static_cast<GLint>(std::floor(
            state.vy + (state.rootHeight - (r.origin.y + r.size.height - state.rootOrigin.y)) * sy));
        GLint y1 = static_cast<GLint>(
            std::ceil(state.vy + (state.rootHeight - (r.origin.y - state.rootOrigin.y)) * sy));
        if (state.scissor) {
            x0 = std::max(x0, state.box[0]);
            y0 = std::max(y0, state.box[1]);
            x1 = std::min(x1, state.box[0] + state.box[2]);
            y1 = std::min(y1, state.box[1] + state.box[3]);
        }
        state.box[0] = x0;
        state.box[1] = y0;
        state.box[2] = std::max(0, x1 - x0);
        state.box[3] = std::max(0, y1 - y0);
        state.scissor = true;
        glEnable(GL_SCISSOR_TEST);
        glScissor(state.box[0], state.box[1], state.box[2], state.box[3]);
    }

    const bool fading = m_transition && m_transition->spec.type == ViewTransition::Type::Fade;
    forEachDrawn(m_subviews, fading ? &m_transition->before : nullptr, fading ? m_transition->progress() : 1,
        [&](View* sub, float factor) {
            sub->drawGL(state,
                CGAffineTransformConcat(presentedToSuperview(*sub, sub->moveInOffset()), toRoot),
                alpha * factor);
        });

    if (m_clipsToBounds) {
        state.scissor = hadScissor;
        std::copy(oldBox, oldBox + 4, state.box);
        if (hadScissor)
            glScissor(oldBox[0], oldBox[1], oldBox[2], oldBox[3]);
        else
            glDisable(GL_SCISSOR_TEST);
    }
}

// --- drawing on the CPU ----------------------------------------------------------------------

struct View::Raster {
    int width = 0, height = 0;
    std::vector<float> rgba; // premultiplied, 0 to 1
    // Clipping ancestors: image space to their bounds space, and those bounds.
    std::vector<std::pair<CGAffineTransform, CGRect>> clips;
};

namespace {

bool inside(CGRect r, CGPoint p)
{
    return p.x >= r.origin.x && p.x < r.origin.x + r.size.width && p.y >= r.origin.y
        && p.y < r.origin.y + r.size.height;
}

} // namespace

void View::paint(Raster& raster, const CGAffineTransform& toImage, float parentAlpha) const
{
    const float alpha = parentAlpha * m_alpha;
    if (m_hidden || alpha <= 0)
        return;
    const CGAffineTransform fromImage = CGAffineTransformInvert(toImage);
    const Image* image = contentImage();
    const bool hasBackground = m_backgroundColor && m_backgroundColor->a > 0;
    if (hasBackground || image) {
        const CGRect box = CGRectApplyAffineTransform(m_bounds, toImage);
        const int x0 = std::max(0, static_cast<int>(std::floor(box.origin.x)));
        const int y0 = std::max(0, static_cast<int>(std::floor(box.origin.y)));
        const int x1 = std::min(raster.width, static_cast<int>(std::ceil(box.origin.x + box.size.width)));
        const int y1 = std::min(raster.height, static_cast<int>(std::ceil(box.origin.y + box.size.height)));
        const float iw = image ? static_cast<float>(image->pixelWidth()) : 0;
        const float ih = image ? static_cast<float>(image->pixelHeight()) : 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const CGPoint p = CGPointMake(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
                const CGPoint local = CGPointApplyAffineTransform(p, fromImage);
                if (!inside(m_bounds, local))
                    continue;
                bool clipped = false;
                for (const auto& [toClip, rect] : raster.clips)
                    if (!inside(rect, CGPointApplyAffineTransform(p, toClip))) {
                        clipped = true;
                        break;
                    }
                if (clipped)
                    continue;
                float* dst = raster.rgba.data() + (static_cast<std::size_t>(y) * raster.width + x) * 4;
                auto over = [dst](float r, float g, float b, float a) {
                    dst[0] = r * a + dst[0] * (1 - a);
                    dst[1] = g * a + dst[1] * (1 - a);
                    dst[2] = b * a + dst[2] * (1 - a);
                    dst[3] = a + dst[3] * (1 - a);
                };
                if (hasBackground) {
                    const Color4F& c = *m_backgroundColor;
                    over(c.r, c.g, c.b, c.a * alpha);
                }
                if (image) {
                    float s[4];
                    image->sample((local.x - m_bounds.origin.x) / m_bounds.size.width * iw,
                        (local.y - m_bounds.origin.y) / m_bounds.size.height * ih, s);
                    over(s[0] / 255, s[1] / 255, s[2] / 255, s[3] / 255 * alpha);
                }
            }
    }
    if (m_clipsToBounds)
        raster.clips.emplace_back(fromImage, m_bounds);
    for (const Ref<View>& sub : m_subviews)
        sub->paint(raster, CGAffineTransformConcat(sub->transformToSuperview(), toImage), alpha);
    if (m_clipsToBounds)
        raster.clips.pop_back();
}

Ref<Image> View::renderToImage() const
{
    Raster raster;
    raster.width = static_cast<int>(std::ceil(m_bounds.size.width));
    raster.height = static_cast<int>(std::ceil(m_bounds.size.height));
    if (raster.width <= 0 || raster.height <= 0)
        return nullptr;
    raster.rgba.assign(static_cast<std::size_t>(raster.width) * raster.height * 4, 0);
    // The view's own placement is not part of its picture: only its bounds space is drawn.
    View* self = const_cast<View*>(this);
    const float savedAlpha = m_alpha;
    self->m_alpha = 1;
    if (m_clipsToBounds) {
        // The picture edge clips anyway; skip the work.
        self->m_clipsToBounds = false;
        paint(raster, CGAffineTransformMakeTranslation(-m_bounds.origin.x, -m_bounds.origin.y), savedAlpha);
        self->m_clipsToBounds = true;
    } else {
        paint(raster, CGAffineTransformMakeTranslation(-m_bounds.origin.x, -m_bounds.origin.y), savedAlpha);
    }
    self->m_alpha = savedAlpha;

    HostImage out;
    out.width = raster.width;
    out.height = raster.height;
    out.hasAlpha = true;
    out.rgba.resize(raster.rgba.size());
    for (std::size_t i = 0; i < raster.rgba.size(); i += 4) {
        const float a = raster.rgba[i + 3];
        for (int k = 0; k < 3; ++k)
            out.rgba[i + k] = a > 0
                ? static_cast<std::uint8_t>(std::clamp(std::lround(raster.rgba[i + k] / a * 255), 0L, 255L))
                : 0;
        out.rgba[i + 3] = static_cast<std::uint8_t>(std::clamp(std::lround(a * 255), 0L, 255L));
    }
    return Image::imageWithBitmap(std::move(out));
}

// --- ImageView, LabelView --------------------------------------------------------------------

Ref<ImageView> ImageView::imageViewWithImage(Image* image) { return make<ImageView>(image); }

ImageView::ImageView(Image* image)
    : m_image(image)
{
    // Pictures are not controls: touches pass to what is behind them unless asked for.
    m_userInteractionEnabled = false;
    if (image)
        setFrame(CGRectMake(0, 0, image->size().width, image->size().height));
}

Ref<LabelView> LabelView::labelWithFrame(
    CGRect frame, const std::string& text, float fontSize, Color4B color, int alignment)
{
    Ref<LabelView> label(new LabelView(frame));
    label->m_fontSize = fontSize;
    label->m_color = color;
    label->m_alignment = alignment;
    label->setText(text);
    return label;
}

LabelView::LabelView(CGRect frame)
    : View(frame)
{
    m_userInteractionEnabled = false;
}

void LabelView::setText(const std::string& text)
{
    m_text = text;
    render();
}

void LabelView::render()
{
    m_rendered = nullptr;
    Host* host = Host::currentOrNull();
    if (!host || m_text.empty())
        return;
    HostTextRequest request;
    request.text = m_text;
    request.fontName = "Helvetica";
    request.fontSize = m_fontSize;
    request.width = m_bounds.size.width;
    request.height = 0; // as tall as the text; centred vertically below
    request.alignment = m_alignment;
    request.scale = std::max(1.0f, host->contentScale());
    HostTextBitmap bitmap;
    if (!host->renderText(request, bitmap) || bitmap.width <= 0 || bitmap.height <= 0)
        return;
    HostImage image;
    image.width = std::max(bitmap.width, static_cast<int>(std::ceil(m_bounds.size.width * request.scale)));
    image.height = std::max(bitmap.height, static_cast<int>(std::ceil(m_bounds.size.height * request.scale)));
    image.hasAlpha = true;
    image.rgba.assign(static_cast<std::size_t>(image.width) * image.height * 4, 0);
    const int top = (image.height - bitmap.height) / 2;
    for (int y = 0; y < bitmap.height; ++y)
        for (int x = 0; x < bitmap.width; ++x) {
            std::uint8_t* o = image.rgba.data() + (static_cast<std::size_t>(y + top) * image.width + x) * 4;
            o[0] = m_color.r;
            o[1] = m_color.g;
            o[2] = m_color.b;
            o[3] = static_cast<std::uint8_t>(
                bitmap.alpha[static_cast<std::size_t>(y) * bitmap.width + x] * m_color.a / 255);
        }
    m_rendered = Image::imageWithBitmap(std::move(image), request.scale);
}
