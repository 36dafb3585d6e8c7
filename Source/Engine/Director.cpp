#include "Engine/Director.h"
#include "Platform/Log.h"

#include "Engine/ActionManager.h"
#include "Engine/Camera.h"
#include "Engine/KeyHandler.h"
#include "Engine/LabelAtlas.h"
#include "Engine/Scheduler.h"
#include "Engine/Support/Exception.h"
#include "Engine/Support/GLCheck.h"
#include "Engine/Support/GLState.h"
#include "Engine/Support/glu.h"
#include "Engine/TextureMgr.h"
#include "Engine/TouchDispatcher.h"
#include "Engine/Transition.h"

#include <GLES/gl.h>
#include <GLES/glext.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <utility>

namespace {
// One retain, released only by purgeSharedDirector (see the scheduler's shared instance).
Director* s_sharedDirector = nullptr;
bool s_allocating = false;
std::recursive_mutex s_directorLock;
Director::TickProbe s_tickProbe = nullptr;

Director::FPSLabelFactory& fpsLabelFactory()
{
    static Director::FPSLabelFactory factory;
    return factory;
}
Director::FPSLabelTextSetter& fpsLabelTextSetter()
{
    static Director::FPSLabelTextSetter setter;
    return setter;
}

// The phone's screen, used for sizes before a view exists.
constexpr CGSize kScreenSize { 320, 480 };

template <class T> Director* installShared()
{
    s_allocating = true;
    Director* director = new T();
    s_allocating = false;
    director->retain();
    s_sharedDirector = director;
    return director;
}
} // namespace

Director* Director::sharedDirector()
{
    std::lock_guard<std::recursive_mutex> lock(s_directorLock);
    if (!s_sharedDirector)
        installShared<Director>();
    return s_sharedDirector;
}

void Director::useDisplayLinkDirector()
{
    std::lock_guard<std::recursive_mutex> lock(s_directorLock);
    MW_ASSERT(s_sharedDirector == nullptr,
        "A Director was alloced. To use Display Link Director this must be the first call to Director");
    // Every host here has a display-refresh callback, so there is no older system to fall back for.
    installShared<DisplayLinkDirector>();
}

Director* Director::existingDirector() { return s_sharedDirector; }

void Director::purgeSharedDirector()
{
    Director* old = s_sharedDirector;
    if (!old)
        return;
    // The frame callback points at the director.
    old->stopAnimation();
    // Scenes leave while this is still the shared director: whatever they call on the way out
    // must find it, not build a second one.
    old->leaveScenes();
    {
        std::lock_guard<std::recursive_mutex> lock(s_directorLock);
        s_sharedDirector = nullptr;
    }
    old->release();
}

void Director::leaveScenes()
{
    Ref<Director> self(this);
    m_nextScene = nullptr;
    if (Ref<Scene> running = std::move(m_runningScene))
        running->onExit();
    std::vector<Ref<Scene>> stack = std::move(m_scenesStack);
    m_scenesStack.clear();
}

void Director::setFPSLabelHooks(FPSLabelFactory factory, FPSLabelTextSetter setText)
{
    fpsLabelFactory() = std::move(factory);
    fpsLabelTextSetter() = std::move(setText);
}

void Director::setTickProbe(TickProbe probe) { s_tickProbe = probe; }

Director::Director()
{
    MW_ASSERT(s_allocating, "Attempted to allocate a second instance of a singleton.");
    m_scenesStack.reserve(10);
}

Director::~Director()
{
    if (m_animationTimer)
        if (Host* host = Host::currentOrNull())
            host->setDisplayLink({}, 1);
}

// --- set-up ------------------------------------------------------------------------------------

void Director::setPixelFormat(int format)
{
    if (isOpenGLAttached())
        raiseException(
            "DirectorAlreadyInitialized", "Can't change the pixel format after the director was initialized");
    m_pixelFormat = format;
}

void Director::setDepthBufferFormat(int format)
{
    if (isOpenGLAttached())
        raiseException("DirectorAlreadyInitialized",
            "Can't change the depth buffer format after the director was initialized");
    m_depthBufferFormat = format;
}

bool Director::attachInWindow(const WindowInfo& window) { return attachInView(window); }

bool Director::attachInView(const WindowInfo& view)
{
    return attachInView(view, CGRectMake(0, 0, view.frame.size.width, view.frame.size.height));
}

bool Director::attachInView(const WindowInfo& view, CGRect frame)
{
    if (isOpenGLAttached())
        raiseException("kException_OpenGLViewAlreadyAttached",
            "Can't re-attach the OpenGL View, because it is already attached. Detach it first.");
    if (m_openGLView) {
        m_openGLView->setFrame(frame);
    } else {
        const char* format
            = m_pixelFormat == kPixelFormatRGBA8888 ? kEAGLColorFormatRGBA8 : kEAGLColorFormatRGB565;
        const unsigned depth = m_depthBufferFormat == kDepthBuffer16 ? GL_DEPTH_COMPONENT16_OES
            : m_depthBufferFormat == kDepthBuffer24                  ? GL_DEPTH_COMPONENT24_OES
                                                                     : 0;
        m_openGLView = EAGLView::initWithFrame(frame, format, depth, false);
        if (!m_openGLView)
            raiseException("kException_OpenGLViewCantInit", "Could not alloc and init the OpenGL View.");
        m_openGLView->setAutoresizesEAGLSurface(true);
    }
    m_openGLView->setTouchDelegate(TouchDispatcher::sharedDispatcher());
    m_openGLView->setUserInteractionEnabled(view.userInteractionEnabled);
    TouchDispatcher::sharedDispatcher()->setDispatchEvents(view.userInteractionEnabled);
    m_openGLView->setMultipleTouchEnabled(view.multipleTouchEnabled);
    m_openGLView->addToWindow(view);

    if (!isOpenGLAttached())
        raiseException("kException_OpenGLViewCantAttach", "Can't attach the OpenGL View.");
    initGLDefaultValues();
    return true;
}

bool Director::detach()
{
    if (!isOpenGLAttached())
        raiseException("kException_OpenGLViewNotAttached",
            "Can't detach the OpenGL View, because it is not attached. Attach it first.");
    m_openGLView->removeFromWindow();
    if (isOpenGLAttached())
        raiseException("kException_OpenGLViewCantDetach",
            "Can't detach the OpenGL View, it is still attached to the superview.");
    return true;
}

bool Director::isOpenGLAttached() const { return m_openGLView && m_openGLView->window().has_value(); }

void Director::setDeviceOrientation(int orientation)
{
    if (orientation == m_deviceOrientation)
        return;
    m_deviceOrientation = orientation;
    int statusBar = 0;
    switch (orientation) {
    case kDeviceOrientationPortrait:
    case kDeviceOrientationPortraitUpsideDown:
        statusBar = 1; // portrait
        break;
    case kDeviceOrientationLandscapeLeft:
        statusBar = 3; // the platform's landscape right
        break;
    case kDeviceOrientationLandscapeRight:
        statusBar = 4; // the platform's landscape left
        break;
    default:
        logLine(LogLevel::Warning, "Director: Unknown device orientation");
        return;
    }
    if (Host* host = Host::currentOrNull())
        host->setStatusBarOrientation(statusBar);
}

void Director::setLandscape(bool landscape)
{
    setDeviceOrientation(landscape ? kDeviceOrientationLandscapeLeft : kDeviceOrientationPortrait);
}

void Director::setAnimationInterval(double seconds)
{
    m_animationInterval = seconds;
    if (m_animationTimer) {
        stopAnimation();
        startAnimation();
    }
}

// --- GL state ----------------------------------------------------------------------------------

void Director::setAlphaBlending(bool on)
{
    if (on) {
        glEnable(GL_BLEND);
        // Textures carry premultiplied alpha.
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
}

void Director::setDepthTest(bool on)
{
    if (on) {
        glClearDepthf(1.0f);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
}

void Director::setTexture2D(bool on)
{
    if (on)
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
}

void Director::setDefaultProjection() { set3Dprojection(); }

void Director::set2Dprojection()
{
    const CGSize s = displaySize();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrthof(0, s.width, 0, s.height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void Director::set3Dprojection()
{
    const CGSize s = displaySize();
    // The viewport is in pixels, everything else in points: a 2x surface still shows 320 x 480.
    int x = 0, y = 0, width = static_cast<int>(s.width), height = static_cast<int>(s.height);
    if (Host* host = Host::currentOrNull(); host && host->hasSurface())
        host->surfaceViewport(x, y, width, height);
    MW_GL_CHECK(glViewport(x, y, width, height));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, s.width / s.height, 0.5f, 1500.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(s.width / 2, s.height / 2, Camera::getZEye(), s.width / 2, s.height / 2, 0, 0, 1, 0);
}

// --- sizes and coordinates ---------------------------------------------------------------------

CGSize Director::displaySize() const { return m_openGLView ? m_openGLView->frame().size : kScreenSize; }

CGSize Director::winSize() const
{
    const CGSize s = displaySize();
    if (m_deviceOrientation == kDeviceOrientationLandscapeLeft
        || m_deviceOrientation == kDeviceOrientationLandscapeRight)
        return CGSizeMake(s.height, s.width);
    return s;
}

CGPoint Director::convertCoordinate(CGPoint p) const
{
    const CGSize s = displaySize();
    const float w = s.width, h = s.height;
    switch (m_deviceOrientation) {
    case kDeviceOrientationPortrait:
        return CGPointMake(p.x, h - p.y);
    case kDeviceOrientationPortraitUpsideDown:
        return CGPointMake(w - p.x, p.y);
    case kDeviceOrientationLandscapeLeft:
        return CGPointMake(p.y, p.x);
    case kDeviceOrientationLandscapeRight:
        return CGPointMake(h - p.y, w - p.x);
    default:
        return p;
    }
}

// --- scenes ------------------------------------------------------------------------------------

void Director::runWithScene(Scene* scene)
{
    MW_ASSERT(scene != nullptr, "Argument must be non-nil");
    MW_ASSERT(!m_runningScene,
        "You can't run an scene if another Scene is running. Use replaceScene or pushScene instead");
    pushScene(scene);
    startAnimation();
}

void Director::pushScene(Scene* scene)
{
    MW_ASSERT(scene != nullptr, "Argument must be non-nil");
    m_scenesStack.emplace_back(scene);
    m_nextScene = scene;
}

void Director::replaceScene(Scene* scene)
{
    MW_ASSERT(scene != nullptr, "Argument must be non-nil");
    // Nothing to replace before a scene runs; run or push the first one.
    MW_ASSERT(!m_scenesStack.empty(), "A running Scene is needed");
    m_scenesStack.back() = scene;
    m_nextScene = scene;
}

void Director::popScene()
{
    MW_ASSERT(m_runningScene, "A running Scene is needed");
    if (!m_scenesStack.empty())
        m_scenesStack.pop_back();
    if (!m_scenesStack.empty())
        m_nextScene = m_scenesStack.back();
    else
        end();
}

void Director::end()
{
    Ref<Director> self(this);
    // Cleared first: a transition that is running out must not think it hands over.
    m_nextScene = nullptr;
    if (Ref<Scene> running = m_runningScene) {
        running->onExit();
        running->cleanup();
    }
    m_runningScene = nullptr;
    m_nextScene = nullptr;
    std::vector<Ref<Scene>> stack = std::move(m_scenesStack);
    m_scenesStack.clear();
    stack.clear();

    TouchDispatcher::sharedDispatcher()->removeAllDelegates();
    stopAnimation();
    if (isOpenGLAttached())
        detach();

    // The manager first: it unschedules its timer from the scheduler it ticks on.
    ActionManager::purgeSharedManager();
    Scheduler::purgeSharedScheduler();
    TextureMgr::purgeSharedTextureMgr();
}

// --- run state ---------------------------------------------------------------------------------

void Director::readClockOrRaise()
{
    if (!Host::current().gettimeofday(m_lastUpdate))
        raiseException("GetTimeOfDay", "GetTimeOfDay abnormal error");
}

void Director::startAnimation()
{
    MW_ASSERT(!m_animationTimer, "animationTimer must be nil. Calling startAnimation twice?");
    readClockOrRaise();
    // The host has no free-running timer; its frame callback at the nearest whole number of
    // refreshes (60 Hz) stands in for one.
    const int refreshes = std::max(1, static_cast<int>(std::lround(m_animationInterval * 60.0)));
    Host::current().setDisplayLink([this] { mainLoop(); }, refreshes);
    m_animationTimer = true;
}

void Director::stopAnimation()
{
    if (!m_animationTimer)
        return;
    if (Host* host = Host::currentOrNull())
        host->setDisplayLink({}, 1);
    m_animationTimer = false;
}

void Director::pause()
{
    if (m_isPaused)
        return;
    m_oldAnimationInterval = m_animationInterval;
    setAnimationInterval(1.0 / 4.0);
    m_isPaused = true;
}

void Director::resume()
{
    if (!m_isPaused)
        return;
    setAnimationInterval(m_oldAnimationInterval);
    readClockOrRaise();
    m_isPaused = false;
    m_dt = 0;
}

bool Director::dispatchKey(HostKey key)
{
    // Mid-transition both pages are on screen and neither is ready for input.
    if (m_isPaused || m_nextScene || !m_runningScene || dynamic_cast<TransitionScene*>(m_runningScene.get()))
        return false;
    return ::dispatchKey(m_runningScene.get(), key);
}

void Director::calculateDeltaTime()
{
    HostTimeValue now;
    if (!Host::current().gettimeofday(now)) {
        m_dt = 0;
        return;
    }
    if (m_nextDeltaTimeZero) {
        m_dt = 0;
        m_nextDeltaTimeZero = false;
    } else {
        m_dt = static_cast<float>(now.tv_sec - m_lastUpdate.tv_sec)
            + static_cast<float>(now.tv_usec - m_lastUpdate.tv_usec) / 1000000.0f;
        m_dt = std::max(0.0f, m_dt);
    }
    m_lastUpdate = now;
}

void Director::mainLoop()
{
    // A timer or action may end the director or switch scenes; keep ourselves for the frame.
    Ref<Director> self(this);
    calculateDeltaTime();
    if (!m_isPaused) {
        if (s_tickProbe)
            s_tickProbe(false);
        Scheduler::sharedScheduler()->tick(m_dt);
        if (s_tickProbe)
            s_tickProbe(true);
    }
    if (m_nextScene)
        setNextScene();

    // Cleared after the tick, once the scene to draw is known; nothing is drawn in between.
    GLState::invalidate();
    const Host* host = Host::currentOrNull();
    if (!m_runningScene || !m_runningScene->coversView() || m_depthBufferFormat != kDepthBufferNone
        || (host && host->surfaceHasMargins()))
        MW_GL_CHECK(glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT));

    glPushMatrix();
    applyLandscape();
    if (m_runningScene)
        m_runningScene->visit();
    if (m_displayFPS)
        showFPS();
    glPopMatrix();
    GLState::enterResting();

    // Platform views lie over the scene and move on whatever the director's pause.
    View::advanceAnimations(m_dt);
    if (m_openGLView)
        drawViews();

    // One look per frame catches what the drawing code left behind, in debug builds.
    MW_GL_CHECK_PENDING("drawing the frame");
    if (m_openGLView)
        m_openGLView->swapBuffers();
}

void Director::drawViews()
{
    const CGSize s = displaySize();
    int x = 0, y = 0, width = static_cast<int>(s.width), height = static_cast<int>(s.height);
    if (Host* host = Host::currentOrNull(); host && host->hasSurface())
        host->surfaceViewport(x, y, width, height);
    m_openGLView->drawSubviewsGL(
        static_cast<float>(x), static_cast<float>(y), static_cast<float>(width), static_cast<float>(height));
}

void Director::setNextScene()
{
    const bool runningIsTransition = m_runningScene && m_runningScene->isTransition();
    const bool newIsTransition = m_nextScene->isTransition();

    // A transition takes over the outgoing scene's exit itself.
    if (!newIsTransition && m_runningScene)
        m_runningScene->onExit();

    Ref<Scene> previous = std::move(m_runningScene);
    m_runningScene = std::move(m_nextScene);
    m_nextScene = nullptr;

    // A finishing transition has already entered its incoming scene.
    if (!runningIsTransition) {
        m_runningScene->onEnter();
        m_runningScene->onEnterTransitionDidFinish();
    }
    // The previous scene keeps its timers and actions: whoever still holds it may show it
    // again; otherwise it goes with its last owner, here.
}

bool Director::isOnStack(const Scene* scene) const
{
    for (const Ref<Scene>& s : m_scenesStack)
        if (s.get() == scene)
            return true;
    return false;
}

void Director::applyLandscape()
{
    // Derived from the view so the rotation pivots on the screen centre whatever its size.
    const CGSize s = displaySize();
    const float cx = s.width / 2, cy = s.height / 2;
    switch (m_deviceOrientation) {
    case kDeviceOrientationPortraitUpsideDown:
        glTranslatef(cx, cy, 0);
        glRotatef(180, 0, 0, 1);
        glTranslatef(-cx, -cy, 0);
        break;
    case kDeviceOrientationLandscapeLeft:
        glTranslatef(cx, cy, 0);
        glRotatef(-90, 0, 0, 1);
        glTranslatef(-cy, -cx, 0);
        break;
    case kDeviceOrientationLandscapeRight:
        glTranslatef(cx, cy, 0);
        glRotatef(90, 0, 0, 1);
        glTranslatef(-cy, -cx, 0);
        break;
    default:
        break;
    }
}

void Director::showFPS()
{
    ++m_frames;
    m_accumDt += m_dt;
    if (m_accumDt > 0.1f) {
        m_frameRate = static_cast<float>(m_frames) / m_accumDt;
        m_frames = 0;
        m_accumDt = 0;
    }
    if (!m_FPSLabel)
        return;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(m_frameRate));
    if (fpsLabelTextSetter())
        fpsLabelTextSetter()(m_FPSLabel.get(), text);
    else if (auto* label = dynamic_cast<LabelAtlas*>(m_FPSLabel.get()))
        label->setString(text);
    // Drawn, not visited: at the scene origin after the orientation transform.
    m_FPSLabel->draw();
}

void Director::initGLDefaultValues()
{
    MW_ASSERT(m_openGLView, "openGLView_ must be initialized");
    setAlphaBlending(true);
    setDepthTest(true);
    setDefaultProjection();
    MW_GL_CHECK(glClearColor(0.0f, 0.0f, 0.0f, 1.0f));
    if (!m_FPSLabel)
        m_FPSLabel = fpsLabelFactory()
            ? fpsLabelFactory()()
            : Ref<Node>(LabelAtlas::labelAtlasWithString("00.0", "fps_images.png", 16, 24, '.'));
}

// --- DisplayLinkDirector -----------------------------------------------------------------------

int DisplayLinkDirector::frameInterval() const
{
    if (m_animationInterval < 1.0 / 45.0)
        return 1;
    if (m_animationInterval < 2.0 / 45.0)
        return 2;
    return 3;
}

void DisplayLinkDirector::startAnimation()
{
    readClockOrRaise();
    Host::current().setDisplayLink([this] { preMainLoop(); }, frameInterval());
    m_displayLink = true;
}

void DisplayLinkDirector::stopAnimation()
{
    if (!m_displayLink)
        return;
    if (Host* host = Host::currentOrNull())
        host->setDisplayLink({}, 1);
    m_displayLink = false;
}
