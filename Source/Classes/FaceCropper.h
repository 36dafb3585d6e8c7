#pragma once
// "Crop Face": the picked photo under the head's matte, moved with one finger, turned and
// scaled with two; "Accept Face" cuts it with the head's alpha mask, scales it to the head
// picture's size and stores it as PNG data.
#include "Classes/Options.h"
#include "Engine/View.h"

struct RagdollClass;

// The photo on a white canvas cut at its bounds. One finger drags the photo at half the
// finger's speed; two fingers turn and scale it about the canvas centre. Desktop: the wheel
// and a secondary-button drag go through the same two-finger code.
class ImageCanvasView : public View {
public:
    ImageCanvasView(CGRect frame, Image* image);
    const char* className() const override { return "ImageCanvasView"; }

    View* transformView() const { return m_transformView.get(); }
    ImageView* imageView() const { return m_imageView.get(); }
    float inMultiTouch() const { return m_inMultiTouch; }

    void touchesBegan(const TouchSet& touches, TouchEvent* event) override;
    void touchesMoved(const TouchSet& touches, TouchEvent* event) override;
    void touchesEnded(const TouchSet& touches, TouchEvent* event) override;
    void touchesCancelled(const TouchSet& touches, TouchEvent* event) override;
    bool wheel(CGPoint point, float notches) override;
    bool secondaryDrag(HostTouchPhase phase, CGPoint rootPoint) override;

    static constexpr float kNoSample = -9999;

protected:
    // Two made-up fingers on opposite sides of the centre, the way a mouse pinches and turns.
    void twoFingerSample(float angle, float distance, HostTouchPhase phase);

    float m_inMultiTouch = 0;
    float m_lastMultiTouchAngle = kNoSample;
    float m_lastMultiTouchDistance = kNoSample;
    Ref<View> m_transformView;
    Ref<ImageView> m_imageView;
    Ref<Touch> m_mouseFingers[2];
    float m_mouseAngle = 0;
};

// A picture that hands every touch to another view: the matte over the canvas.
class TouchRedirectImageView : public ImageView {
public:
    TouchRedirectImageView(Image* image, View* receiverView);
    const char* className() const override { return "TouchRedirectImageView"; }
    View* receiverView() const { return m_receiverView.get(); }
    void touchesBegan(const TouchSet& touches, TouchEvent* event) override;
    void touchesMoved(const TouchSet& touches, TouchEvent* event) override;
    void touchesEnded(const TouchSet& touches, TouchEvent* event) override;
    void touchesCancelled(const TouchSet& touches, TouchEvent* event) override;
    bool wheel(CGPoint point, float notches) override;
    bool secondaryDrag(HostTouchPhase phase, CGPoint rootPoint) override;

protected:
    Ref<View> m_receiverView;
};

// How to crop, over the canvas until the first touch on it or 10 s.
class FaceCropperHelpView : public View {
public:
    explicit FaceCropperHelpView(CGRect frame);
    const char* className() const override { return "FaceCropperHelpView"; }
    void touchesBegan(const TouchSet& touches, TouchEvent* event) override;
    // Fades out and leaves its superview; once.
    void fadeOut();
};

class FaceCropperScene : public OptionsScene {
public:
    static Ref<FaceCropperScene> nodeWithImage(Image* image);
    const char* className() const override { return "FaceCropperScene"; }

protected:
    explicit FaceCropperScene(Image* image);
};

class FaceCropperLayer : public OptionsLayer {
public:
    static Ref<FaceCropperLayer> nodeWithImage(Image* image);
    ~FaceCropperLayer() override;
    const char* className() const override { return "FaceCropperLayer"; }

    Image* image() const { return m_image.get(); }
    ImageCanvasView* imageCanvasView() const { return m_imageCanvasView.get(); }
    View* matteView() const { return m_matteView.get(); }
    FaceCropperHelpView* helpView() const { return m_helpView.get(); }

    void accept_Tapped(Object* sender);
    void back_Tapped(Object* sender) override;
    void addNativeUI(float elapsed);
    void hideHelp(float elapsed);
    void removeNativeUI();

    // The crop as it would be stored: the canvas area of the mask's size around its centre,
    // cut by the mask and scaled to the head picture. Null when something is missing.
    static Ref<Image> croppedFace(ImageCanvasView* canvas, const RagdollClass& ragdoll);

protected:
    explicit FaceCropperLayer(Image* image);
    Ref<Image> m_image;
    Ref<ImageCanvasView> m_imageCanvasView;
    Ref<View> m_matteView;
    Ref<FaceCropperHelpView> m_helpView;
};
