#include "Classes/FaceCropper.h"

#include "Classes/Configuration.h"
#include "Classes/Ragdoll.h"
#include "Engine/Director.h"
#include "Engine/Menu.h"
#include "Engine/Sprite.h"

#include <cmath>
#include <cstdio>

namespace {

const RagdollClass* chosenRagdoll()
{
    const RagdollClass* cls = Ragdoll::classFromConfig();
    return cls ? cls : Ragdoll::classNamed("Nerd");
}

// The cropper's pictures are read at one pixel a point: the mask's pixels are the crop's.
Ref<Image> bundleImage(const char* name)
{
    if (!name)
        return nullptr;
    const std::string path = Host::current().resourcePath(name);
    return path.empty() ? nullptr : Image::imageWithContentsOfFile(path);
}

// Touches that are the canvas's: those that landed on it and those a view hands on to it.
std::size_t touchesFor(const View* canvas, const TouchEvent* event)
{
    std::size_t count = 0;
    for (const Ref<Touch>& touch : event->allTouches()) {
        const View* hit = touch->hitView();
        if (hit == canvas)
            ++count;
        else if (auto* redirect = dynamic_cast<const TouchRedirectImageView*>(hit);
                 redirect && redirect->receiverView() == canvas)
            ++count;
    }
    return count;
}

constexpr float kMouseFingerSpread = 50; // points from the centre to each made-up finger
constexpr float kWheelStep = 1.1f; // scale per notch

} // namespace

// --- ImageCanvasView ----------------------------------------------------------------------------

ImageCanvasView::ImageCanvasView(CGRect frame, Image* image)
    : View(frame)
{
    setMultipleTouchEnabled(true);
    setBackgroundColor(Color4F { 1, 1, 1, 1 });
    setOpaque(true);
    // A scroll view: what lies outside is not shown.
    setClipsToBounds(true);

    m_transformView = View::viewWithFrame(CGRectMake(0, 0, frame.size.width, frame.size.height));
    m_transformView->setOpaque(false);
    // Fingers belong to the canvas itself, whatever lies under them.
    m_transformView->setUserInteractionEnabled(false);
    addSubview(m_transformView);
    m_imageView = ImageView::imageViewWithImage(image);
    m_imageView->setCenter(CGPointMake(frame.size.width * 0.5f, frame.size.height * 0.5f));
    m_transformView->addSubview(m_imageView);
}

void ImageCanvasView::touchesBegan(const TouchSet&, TouchEvent*)
{
    m_lastMultiTouchAngle = kNoSample;
    m_lastMultiTouchDistance = kNoSample;
}

void ImageCanvasView::touchesMoved(const TouchSet& touches, TouchEvent*)
{
    if (touches.size() == 1 && m_inMultiTouch == 0) {
        const Touch* touch = touches.anyObject();
        const CGPoint location = locationOfTouch(touch), previous = previousLocationOfTouch(touch);
        const float vx = (location.x - previous.x) * 0.5f, vy = (location.y - previous.y) * 0.5f;
        const CGAffineTransform t = m_transformView->transform();
        const CGPoint m = m_imageView->center();
        const double a = t.a, b = t.b, c = t.c, d = t.d, tx = t.tx, ty = t.ty;
        const double x = a * m.x + c * m.y + tx + vx, y = b * m.x + d * m.y + ty + vy;
        const double det = a * d - b * c;
        if (det != 0) {
            const double ix = (d * (x - tx) - c * (y - ty)) / det;
            const double iy = (-b * (x - tx) + a * (y - ty)) / det;
            m_imageView->setCenter(CGPointMake(static_cast<float>(ix), static_cast<float>(iy)));
        }
    }
    if (touches.size() == 2) {
        m_inMultiTouch = 1;
        auto it = touches.begin();
        const CGPoint p1 = locationOfTouch(it->get());
        const CGPoint p2 = locationOfTouch((++it)->get());
        const float dx = p2.x - p1.x, dy = p2.y - p1.y;
        const float angle = static_cast<float>(std::atan2(static_cast<double>(dy), static_cast<double>(dx)));
        const float distance = std::sqrt(std::fabs(dx) * std::fabs(dx) + std::fabs(dy) * std::fabs(dy));
        CGAffineTransform t = m_transformView->transform();
        if (m_lastMultiTouchAngle != kNoSample)
            t = CGAffineTransformRotate(t, angle - m_lastMultiTouchAngle);
        if (m_lastMultiTouchDistance != kNoSample && distance > 0) {
            const float s = (distance - m_lastMultiTouchDistance) / distance + 1;
            t = CGAffineTransformScale(t, s, s);
        }
        m_transformView->setTransform(t);
        m_lastMultiTouchAngle = angle;
        m_lastMultiTouchDistance = distance;
    } else {
        m_lastMultiTouchAngle = kNoSample;
        m_lastMultiTouchDistance = kNoSample;
    }
}

void ImageCanvasView::touchesEnded(const TouchSet& touches, TouchEvent* event)
{
    // Fingers on the matte count too: it covers the whole canvas, so counting only those that
    // landed on the canvas itself would never see every finger lifted.
    if (touches.size() == touchesFor(this, event)) {
        m_inMultiTouch = 0;
        m_lastMultiTouchAngle = kNoSample;
        m_lastMultiTouchDistance = kNoSample;
    }
}

void ImageCanvasView::touchesCancelled(const TouchSet&, TouchEvent*)
{
    m_inMultiTouch = 0;
    m_lastMultiTouchAngle = kNoSample;
    m_lastMultiTouchDistance = kNoSample;
}

void ImageCanvasView::twoFingerSample(float angle, float distance, HostTouchPhase phase)
{
    const CGPoint centre = CGPointMake(CGRectGetMidX(m_bounds), CGRectGetMidY(m_bounds));
    const float ux = std::cos(angle) * distance * 0.5f, uy = std::sin(angle) * distance * 0.5f;
    const CGPoint places[2] = { convertPointToAncestor(CGPointMake(centre.x - ux, centre.y - uy), nullptr),
        convertPointToAncestor(CGPointMake(centre.x + ux, centre.y + uy), nullptr) };
    const double now = Host::current().absoluteTime();
    TouchSet both;
    for (int i = 0; i < 2; ++i) {
        if (phase == HostTouchPhase::Began) {
            m_mouseFingers[i] = make<Touch>();
            m_mouseFingers[i]->begin(places[i], 1, now, nullptr);
            m_mouseFingers[i]->setHitView(this);
        } else {
            m_mouseFingers[i]->update(
                phase == HostTouchPhase::Ended ? TouchPhase::Ended : TouchPhase::Moved, places[i], 1, now);
        }
        both.insert(m_mouseFingers[i].get());
    }
    Ref<TouchEvent> event = make<TouchEvent>(both, now);
    switch (phase) {
    case HostTouchPhase::Began:
        touchesBegan(both, event.get());
        break;
    case HostTouchPhase::Moved:
        touchesMoved(both, event.get());
        break;
    default:
        touchesEnded(both, event.get());
        m_mouseFingers[0] = m_mouseFingers[1] = nullptr;
        break;
    }
}

bool ImageCanvasView::wheel(CGPoint, float notches)
{
    if (m_mouseFingers[0] || notches == 0)
        return true;
    // A pinch whose second sample scales by kWheelStep per notch: s = 2 - d0 / d1.
    const float factor = std::clamp(std::pow(kWheelStep, notches), 0.5f, 1.9f);
    const float d0 = 2 * kMouseFingerSpread;
    twoFingerSample(0, d0, HostTouchPhase::Began);
    twoFingerSample(0, d0, HostTouchPhase::Moved);
    twoFingerSample(0, d0 / (2 - factor), HostTouchPhase::Moved);
    twoFingerSample(0, d0 / (2 - factor), HostTouchPhase::Ended);
    return true;
}

bool ImageCanvasView::secondaryDrag(HostTouchPhase phase, CGPoint rootPoint)
{
    // Turning about the centre: the made-up fingers lie on the line from the centre to the
    // pointer, at a fixed spread, so only the angle changes.
    const CGPoint p = convertPointFromAncestor(rootPoint, nullptr);
    const float angle = std::atan2(p.y - CGRectGetMidY(m_bounds), p.x - CGRectGetMidX(m_bounds));
    const float d = 2 * kMouseFingerSpread;
    if (phase == HostTouchPhase::Began) {
        if (m_mouseFingers[0])
            return true;
        twoFingerSample(angle, d, HostTouchPhase::Began);
        twoFingerSample(angle, d, HostTouchPhase::Moved);
    } else if (m_mouseFingers[0]) {
        twoFingerSample(
            angle, d, phase == HostTouchPhase::Moved ? HostTouchPhase::Moved : HostTouchPhase::Ended);
    }
    return true;
}

// --- TouchRedirectImageView -----------------------------------------------------------------------

TouchRedirectImageView::TouchRedirectImageView(Image* image, View* receiverView)
    : ImageView(image)
    , m_receiverView(receiverView)
{
    setUserInteractionEnabled(true);
    setMultipleTouchEnabled(true);
}

void TouchRedirectImageView::touchesBegan(const TouchSet& touches, TouchEvent* event)
{
    if (m_receiverView)
        m_receiverView->touchesBegan(touches, event);
}

void TouchRedirectImageView::touchesMoved(const TouchSet& touches, TouchEvent* event)
{
    if (m_receiverView)
        m_receiverView->touchesMoved(touches, event);
}

void TouchRedirectImageView::touchesEnded(const TouchSet& touches, TouchEvent* event)
{
    if (m_receiverView)
        m_receiverView->touchesEnded(touches, event);
}

void TouchRedirectImageView::touchesCancelled(const TouchSet& touches, TouchEvent* event)
{
    if (m_receiverView)
        m_receiverView->touchesCancelled(touches, event);
}

bool TouchRedirectImageView::wheel(CGPoint point, float notches)
{
    return m_receiverView && m_receiverView->wheel(point, notches);
}

bool TouchRedirectImageView::secondaryDrag(HostTouchPhase phase, CGPoint rootPoint)
{
    return m_receiverView && m_receiverView->secondaryDrag(phase, rootPoint);
}

// --- FaceCropperHelpView --------------------------------------------------------------------------

FaceCropperHelpView::FaceCropperHelpView(CGRect frame)
    : View(frame)
{
    setOpaque(false);
    Ref<ImageView> picture = ImageView::imageViewWithImage(Image::imageNamed("FaceCropperHelp.png").get());
    addSubview(picture);
}

void FaceCropperHelpView::touchesBegan(const TouchSet&, TouchEvent*) { fadeOut(); }

void FaceCropperHelpView::fadeOut()
{
    View* parent = superview();
    if (!parent)
        return;
    ViewTransition fade;
    fade.type = ViewTransition::Type::Fade;
    fade.duration = 0.35;
    parent->addTransition(std::move(fade));
    removeFromSuperview();
}

// --- FaceCropperScene / FaceCropperLayer ------------------------------------------------------------

Ref<FaceCropperScene> FaceCropperScene::nodeWithImage(Image* image)
{
    return Ref<FaceCropperScene>(new FaceCropperScene(image));
}

FaceCropperScene::FaceCropperScene(Image* image)
{
    initWithTitle("Crop Face");
    addChild(FaceCropperLayer::nodeWithImage(image).get());
}

Ref<FaceCropperLayer> FaceCropperLayer::nodeWithImage(Image* image)
{
    return Ref<FaceCropperLayer>(new FaceCropperLayer(image));
}

FaceCropperLayer::FaceCropperLayer(Image* image)
    : m_image(image)
{
    initWithTitle("Crop Face");
    using Self = FaceCropperLayer;
    Ref<MenuItemFont> accept = MenuItemFont::itemFromString(
        "Accept Face", this, MenuItem::Callback(&Self::accept_Tapped, "accept_Tapped:"));
    Ref<MenuItemFont> cancel = MenuItemFont::itemFromString(
        "Cancel Face", this, MenuItem::Callback(&Self::back_Tapped, "back_Tapped:"));
    Ref<Menu> menu = Menu::menuWithItems({ accept.get(), cancel.get() });
    menu->alignItemsVertically();
    addChild(menu.get());
    layOutPageMenu(menu.get(), accept.get(), cancel.get());
    // As long as the slide-in, so the views do not ride in with the page.
    schedule(Selector<float>(&Self::addNativeUI, "addNativeUI:"), 0.3f);
}

FaceCropperLayer::~FaceCropperLayer() { removeNativeUI(); }

void FaceCropperLayer::addNativeUI(float)
{
    unschedule(Selector<float>(&FaceCropperLayer::addNativeUI, "addNativeUI:"));
    EAGLView* root = view();
    if (m_imageCanvasView || !root || !m_image)
        return;
    const RagdollClass* ragdoll = chosenRagdoll();
    Ref<Image> matte = ragdoll
        ? Image::imageNamed(ragdoll->headCropperMatteImage ? ragdoll->headCropperMatteImage : "")
        : nullptr;

    m_imageCanvasView = make<ImageCanvasView>(CGRectMake(30, 167, 260, 211), m_image.get());
    Ref<TouchRedirectImageView> matteView
        = make<TouchRedirectImageView>(matte.get(), m_imageCanvasView.get());
    if (!matte)
        matteView->setFrame(m_imageCanvasView->frame());
    matteView->setCenter(m_imageCanvasView->center());
    matteView->setBackgroundColor(std::nullopt);
    matteView->setOpaque(false);
    m_matteView = matteView;
    m_helpView = make<FaceCropperHelpView>(CGRectMake(50, 187, 220, 171));

    root->addSubview(m_imageCanvasView);
    root->addSubview(m_matteView);
    root->addSubview(m_helpView);
    schedule(Selector<float>(&FaceCropperLayer::hideHelp, "hideHelp:"), 10);
}

void FaceCropperLayer::hideHelp(float)
{
    unschedule(Selector<float>(&FaceCropperLayer::hideHelp, "hideHelp:"));
    if (m_helpView)
        m_helpView->fadeOut();
}

void FaceCropperLayer::removeNativeUI()
{
    // Left before the views came: they must not come on the way out.
    unschedule(Selector<float>(&FaceCropperLayer::addNativeUI, "addNativeUI:"));
    unschedule(Selector<float>(&FaceCropperLayer::hideHelp, "hideHelp:"));
    for (View* v : { static_cast<View*>(m_imageCanvasView.get()), m_matteView.get(),
             static_cast<View*>(m_helpView.get()) })
        if (v)
            v->removeFromSuperview();
}

Ref<Image> FaceCropperLayer::croppedFace(ImageCanvasView* canvas, const RagdollClass& ragdoll)
{
    Ref<Image> mask = bundleImage(ragdoll.headCropperAlphaMaskImage);
    if (!canvas || !mask || !ragdoll.headSprite)
        return nullptr;
    const CGSize maskSize = mask->size();
    Ref<View> frame = View::viewWithFrame(CGRectMake(0, 0, maskSize.width, maskSize.height));
    frame->addSubview(canvas);
    canvas->setCenter(CGPointMake(maskSize.width * 0.5f, maskSize.height * 0.5f));
    Ref<Image> rendered = frame->renderToImage();
    canvas->removeFromSuperview();
    if (!rendered)
        return nullptr;
    Ref<Image> cut = rendered->applyAlphaMask(*mask);
    Ref<Sprite> head = ragdoll.headSprite();
    if (!cut || !head)
        return nullptr;
    return cut->imageScaledToSize(head->contentSize());
}

void FaceCropperLayer::accept_Tapped(Object* sender)
{
    const RagdollClass* ragdoll = chosenRagdoll();
    Ref<Image> face = ragdoll && m_imageCanvasView ? croppedFace(m_imageCanvasView.get(), *ragdoll) : nullptr;
    std::vector<std::uint8_t> png;
    // Only a whole, encoded face is stored; anything less leaves the old one.
    if (face && face->pngData(png))
        Configuration::current()->setCustomFaceImage(std::move(png));
    else
        std::fprintf(stderr, "Crop Face: the face could not be made; the setting is unchanged\n");
    removeNativeUI();
    OptionsLayer::back_Tapped(sender);
}

void FaceCropperLayer::back_Tapped(Object* sender)
{
    removeNativeUI();
    OptionsLayer::back_Tapped(sender);
}
