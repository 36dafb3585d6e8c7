#pragma once
// The photo picker: a full-screen view with a scrollable grid of the pictures in the user's
// picture folder (thumbnails arrive as the host makes them), a Cancel button, and a picture
// dropped on the window while it is open; or, where the platform has a picker of its own, that
// one over a plain page. It answers its delegate once, then is done.
#include "Engine/View.h"

#include <map>
#include <string>
#include <vector>

class ImagePickerController;
class LabelView;
class PhotoLibrary;
class Timer;

class ImagePickerControllerDelegate {
public:
    virtual ~ImagePickerControllerDelegate() = default;
    virtual void imagePickerControllerDidFinishPickingImage(ImagePickerController* picker, Image* image) = 0;
    virtual void imagePickerControllerDidCancel(ImagePickerController* picker) = 0;
    // The chosen file could not be used; message says why, for the player.
    virtual void imagePickerControllerDidFail(ImagePickerController* picker, const std::string& message) = 0;
};

// A tappable text: the action runs when a finger goes up on it.
class ButtonView : public View {
public:
    static Ref<ButtonView> buttonWithFrame(
        CGRect frame, const std::string& title, std::function<void()> action);
    const char* className() const override { return "ButtonView"; }
    const std::string& title() const;
    void touchesBegan(const TouchSet& touches, TouchEvent* event) override;
    void touchesEnded(const TouchSet& touches, TouchEvent* event) override;
    void touchesCancelled(const TouchSet& touches, TouchEvent* event) override;
    void touchesMoved(const TouchSet&, TouchEvent*) override { }

protected:
    explicit ButtonView(CGRect frame);
    Ref<LabelView> m_label;
    std::function<void()> m_action;
    bool m_pressed = false;
};

// The grid of thumbnails; scrolls by drag and by the mouse wheel, a tap picks.
class PhotoGridView : public View {
public:
    PhotoGridView(CGRect frame, ImagePickerController* picker);
    const char* className() const override { return "PhotoGridView"; }
    void setPictures(const std::vector<std::string>& paths);
    void thumbnailArrived(const std::string& path, const HostImage& thumbnail);
    const std::vector<std::string>& pictures() const { return m_paths; }
    float contentHeight() const;
    void scrollTo(float offset);

    void touchesBegan(const TouchSet& touches, TouchEvent* event) override;
    void touchesMoved(const TouchSet& touches, TouchEvent* event) override;
    void touchesEnded(const TouchSet& touches, TouchEvent* event) override;
    void touchesCancelled(const TouchSet&, TouchEvent*) override { m_tracking = nullptr; }
    bool wheel(CGPoint point, float notches) override;

    static constexpr int kColumns = 4;
    static constexpr float kCell = 75, kGap = 4;

private:
    void requestVisible();
    ImagePickerController* m_picker; // owns this view
    std::vector<std::string> m_paths;
    std::vector<Ref<ImageView>> m_cells;
    std::map<std::string, std::size_t> m_indexOf;
    Touch* m_tracking = nullptr;
    CGPoint m_start {};
    bool m_moved = false;
};

class ImagePickerController : public Object {
public:
    static Ref<ImagePickerController> picker();
    ~ImagePickerController() override;
    const char* className() const override { return "ImagePickerController"; }

    // 0 photo library, 1 camera.
    int sourceType() const { return m_sourceType; }
    void setSourceType(int type) { m_sourceType = type; }
    bool allowsImageEditing() const { return m_allowsImageEditing; }
    void setAllowsImageEditing(bool allows) { m_allowsImageEditing = allows; }
    // Not retained.
    void setDelegate(ImagePickerControllerDelegate* delegate) { m_delegate = delegate; }

    // Built on first use; 320 x 480.
    View* view();
    PhotoGridView* grid() const { return m_grid; }

    // What choosing that file does: reads it, then tells the delegate (picked or failed).
    void pickFile(const std::string& path);
    void cancel();
    bool isDone() const { return m_done; }

    // Each frame while shown: thumbnails made meanwhile, a file dropped on the window.
    void poll(float elapsed);
    void requestThumbnail(const std::string& path, int maxSide);

    // The picker whose view is on screen, or null (script commands, dumps).
    static ImagePickerController* current();

    // Largest picture taken, by side and by pixel count.
    static constexpr int kMaxSide = 4096;
    static constexpr long long kMaxPixels = 16 * 1000 * 1000;

protected:
    ImagePickerController() = default;
    void finish();
    void startPolling();
    PhotoLibrary* library() const;

    int m_sourceType = 0;
    bool m_allowsImageEditing = false;
    ImagePickerControllerDelegate* m_delegate = nullptr;
    Ref<View> m_view;
    PhotoGridView* m_grid = nullptr; // a subview of m_view
    Ref<Timer> m_timer;
    bool m_done = false;
};
