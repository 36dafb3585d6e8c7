#pragma once
// "Change Face": the current head at double size, "Set Custom Face" (the photo picker, then
// the crop page) and "Restore Default Face". The narwhal takes no custom face.
#include "Classes/Options.h"
#include "Classes/PhotoPicker.h"

class ActionSheet;
class AlertView;
class Label;
class Sprite;

class FaceSelectorScene : public OptionsScene {
public:
    static Ref<FaceSelectorScene> node();
    const char* className() const override { return "FaceSelectorScene"; }

protected:
    FaceSelectorScene();
};

class FaceSelectorLayer : public OptionsLayer, public ImagePickerControllerDelegate {
public:
    static Ref<FaceSelectorLayer> node();
    ~FaceSelectorLayer() override;
    const char* className() const override { return "FaceSelectorLayer"; }

    MenuItemFont* setCustomFaceMenuItem() const { return m_setCustomFaceMenuItem.get(); }
    MenuItemFont* restoreMenuItem() const { return m_restoreMenuItem.get(); }
    Sprite* faceSprite() const { return m_faceSprite.get(); }
    Label* noCustomFaceLabel() const { return m_noCustomFaceLabel.get(); }
    ImagePickerController* picker() const { return m_picker.get(); }

    void custom_Tapped(Object* sender);
    void restore_Tapped(Object* sender);
    // 0 photo library, 1 camera.
    void showPhotoPickerWithSourceType(int sourceType);
    void updateFaceDisplay();

    void actionSheetClickedButtonAtIndex(ActionSheet* sheet, int index);
    void imagePickerControllerDidFinishPickingImage(ImagePickerController* picker, Image* image) override;
    void imagePickerControllerDidCancel(ImagePickerController* picker) override;
    void imagePickerControllerDidFail(ImagePickerController* picker, const std::string& message) override;

    void back_Tapped(Object* sender) override;
    void done_Tapped(Object* sender) override;

    static constexpr const char* kRestoreSheetTitle
        = "Are you sure you want to restore the default face? This will cause your custom face to be lost.";

protected:
    FaceSelectorLayer();
    void closePicker();
    void showSheet(Ref<ActionSheet> sheet);

    Ref<MenuItemFont> m_setCustomFaceMenuItem;
    Ref<MenuItemFont> m_restoreMenuItem;
    Ref<Sprite> m_faceSprite;
    Ref<Label> m_noCustomFaceLabel;
    Ref<ImagePickerController> m_picker;
    Ref<ActionSheet> m_sheet;
};
