#include "Classes/FaceSelector.h"

#include "Classes/Configuration.h"
#include "Classes/FaceCropper.h"
#include "Classes/Ragdoll.h"
#include "Engine/AlertView.h"
#include "Engine/Director.h"
#include "Engine/Label.h"
#include "Engine/Menu.h"
#include "Engine/Sprite.h"
#include "Platform/PhotoLibrary.h"

MW_OPTIONS_PAGE(FaceSelectorScene);

namespace {

const RagdollClass* chosenRagdoll()
{
    const RagdollClass* cls = Ragdoll::classFromConfig();
    return cls ? cls : Ragdoll::classNamed("Nerd");
}

} // namespace

Ref<FaceSelectorScene> FaceSelectorScene::node() { return Ref<FaceSelectorScene>(new FaceSelectorScene); }

FaceSelectorScene::FaceSelectorScene()
{
    initWithTitle("Change Face");
    addChild(FaceSelectorLayer::node().get());
}

Ref<FaceSelectorLayer> FaceSelectorLayer::node() { return Ref<FaceSelectorLayer>(new FaceSelectorLayer); }

FaceSelectorLayer::FaceSelectorLayer()
{
    initWithTitle("Change Face");
    using Self = FaceSelectorLayer;
    m_setCustomFaceMenuItem = MenuItemFont::itemFromString(
        "Set Custom Face", this, MenuItem::Callback(&Self::custom_Tapped, "custom_Tapped:"));
    m_restoreMenuItem = MenuItemFont::itemFromString(
        "Restore Default Face", this, MenuItem::Callback(&Self::restore_Tapped, "restore_Tapped:"));
    m_noCustomFaceLabel = Label::labelWithString("Narwhal does not support custom faces.",
        CGSizeMake(300, 15), UITextAlignmentCenter, "Helvetica", 13);

    Ref<MenuItemFont> back = backMenuItem();
    Ref<MenuItemFont> done = returnToGameMenuItem();
    Ref<Menu> menu = Menu::menuWithItems({ m_setCustomFaceMenuItem.get(), m_restoreMenuItem.get(),
        spacerMenuItem().get(), spacerMenuItem().get(), back.get(), done.get() });
    menu->alignItemsVertically();
    addChild(menu.get());
    layOutPageMenu(menu.get(), back.get(), done.get());

    m_noCustomFaceLabel->setPosition(CGPointMake(160, 120));
    addChild(m_noCustomFaceLabel.get());
    updateFaceDisplay();
}

FaceSelectorLayer::~FaceSelectorLayer() { closePicker(); }

void FaceSelectorLayer::updateFaceDisplay()
{
    if (m_faceSprite)
        removeChild(m_faceSprite.get(), true);
    m_faceSprite = nullptr;
    const RagdollClass* ragdoll = chosenRagdoll();
    if (ragdoll && ragdoll->headSprite)
        m_faceSprite = ragdoll->headSprite();
    if (m_faceSprite) {
        const float width = view() ? view()->bounds().size.width : 320;
        m_faceSprite->setPosition(CGPointMake(width * 0.5f, 190));
        m_faceSprite->setScale(2.0f);
        addChild(m_faceSprite.get());
    }
    Configuration* config = Configuration::current();
    m_setCustomFaceMenuItem->setIsEnabled(config->ragdollClass() != "Narwhal");
    m_restoreMenuItem->setIsEnabled(config->customFaceImage().has_value());
    m_noCustomFaceLabel->setVisible(!m_setCustomFaceMenuItem->isEnabled());
}

void FaceSelectorLayer::custom_Tapped(Object*)
{
    PhotoLibrary* photos = Host::current().photoLibrary();
    const bool library = photos && photos->libraryAvailable();
    const bool camera = photos && photos->cameraAvailable();
    if (!library && !camera) {
        AlertView::alertWithTitle(
            "No Image Source Available", "You do not appear to have a photo library or a camera.", { "OK" })
            ->show(this);
    } else if (library && !camera) {
        showPhotoPickerWithSourceType(0);
    } else if (camera && !library) {
        showPhotoPickerWithSourceType(1);
    } else {
        showSheet(ActionSheet::actionSheetWithTitle(
            "", "Cancel", "", { "Choose Existing Photo", "Take a Picture" }));
    }
}

void FaceSelectorLayer::restore_Tapped(Object*)
{
    showSheet(ActionSheet::actionSheetWithTitle(kRestoreSheetTitle, "Do Not Restore", "Restore Default", {}));
}

void FaceSelectorLayer::showSheet(Ref<ActionSheet> sheet)
{
    m_sheet = sheet;
    sheet->setHandler([this](AlertView* shown, int index) {
        actionSheetClickedButtonAtIndex(static_cast<ActionSheet*>(shown), index);
    });
    sheet->show(this);
}

void FaceSelectorLayer::actionSheetClickedButtonAtIndex(ActionSheet* sheet, int index)
{
    Ref<ActionSheet> keep(sheet);
    const std::string button = sheet->buttonTitleAtIndex(index);
    if (sheet->title() == kRestoreSheetTitle) {
        if (button == "Restore Default") {
            Configuration::current()->setCustomFaceImage(std::nullopt);
            updateFaceDisplay();
        }
    } else if (button != "Cancel") {
        showPhotoPickerWithSourceType(button == "Take a Picture" ? 1 : 0);
    }
    if (m_sheet == sheet)
        m_sheet = nullptr;
}

void FaceSelectorLayer::showPhotoPickerWithSourceType(int sourceType)
{
    closePicker();
    m_picker = ImagePickerController::picker();
    m_picker->setAllowsImageEditing(false);
    m_picker->setSourceType(sourceType);
    m_picker->setDelegate(this);
    presentModalView(m_picker->view());
}

void FaceSelectorLayer::closePicker()
{
    if (!m_picker)
        return;
    Ref<ImagePickerController> picker = std::move(m_picker);
    picker->setDelegate(nullptr);
    picker->cancel();
    if (picker->view()->superview())
        dismissModalView(picker->view());
}

void FaceSelectorLayer::imagePickerControllerDidFinishPickingImage(
    ImagePickerController* picker, Image* image)
{
    Ref<ImagePickerController> keep(picker);
    dismissModalView(picker->view());
    m_picker = nullptr;
    OptionsScene::next(FaceCropperScene::nodeWithImage(image).get());
}

void FaceSelectorLayer::imagePickerControllerDidCancel(ImagePickerController* picker)
{
    Ref<ImagePickerController> keep(picker);
    dismissModalView(picker->view());
    m_picker = nullptr;
}

void FaceSelectorLayer::imagePickerControllerDidFail(
    ImagePickerController* picker, const std::string& message)
{
    // The picker goes first: the alert is drawn with the page, under any view.
    Ref<ImagePickerController> keep(picker);
    dismissModalView(picker->view());
    m_picker = nullptr;
    AlertView::alertWithTitle("Picture Not Usable", message, { "OK" })->show(this);
}

void FaceSelectorLayer::back_Tapped(Object* sender)
{
    closePicker();
    OptionsLayer::back_Tapped(sender);
}

void FaceSelectorLayer::done_Tapped(Object* sender)
{
    closePicker();
    OptionsLayer::done_Tapped(sender);
}
