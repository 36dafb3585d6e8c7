#include "Classes/PhotoPicker.h"

#include "Engine/Scheduler.h"
#include "Platform/PhotoLibrary.h"

#include <algorithm>
#include <cmath>

namespace {

ImagePickerController* s_current = nullptr;

constexpr float kBarHeight = 44;
constexpr int kThumbnailPixels = 150; // sharp at 2x on a 75-point cell

// The middle square of a picture, so a cell is filled without stretching.
HostImage centreSquare(const HostImage& image)
{
    const int side = std::min(image.width, image.height);
    if (side <= 0 || image.width == image.height)
        return image;
    HostImage out;
    out.width = out.height = side;
    out.hasAlpha = image.hasAlpha;
    out.rgba.resize(static_cast<std::size_t>(side) * side * 4);
    const int x0 = (image.width - side) / 2, y0 = (image.height - side) / 2;
    for (int y = 0; y < side; ++y)
        std::copy_n(image.rgba.data() + ((static_cast<std::size_t>(y + y0) * image.width + x0) * 4),
            static_cast<std::size_t>(side) * 4, out.rgba.data() + static_cast<std::size_t>(y) * side * 4);
    return out;
}

} // namespace

// --- ButtonView ---------------------------------------------------------------------------------

Ref<ButtonView> ButtonView::buttonWithFrame(
    CGRect frame, const std::string& title, std::function<void()> action)
{
    Ref<ButtonView> button(new ButtonView(frame));
    button->m_label = LabelView::labelWithFrame(
        CGRectMake(0, 0, frame.size.width, frame.size.height), title, 17, { 255, 255, 255, 255 });
    button->addSubview(button->m_label);
    button->m_action = std::move(action);
    return button;
}

ButtonView::ButtonView(CGRect frame)
    : View(frame)
{
}

const std::string& ButtonView::title() const { return m_label->text(); }

void ButtonView::touchesBegan(const TouchSet&, TouchEvent*)
{
    m_pressed = true;
    setAlpha(0.5f);
}

void ButtonView::touchesEnded(const TouchSet& touches, TouchEvent*)
{
    const bool inside = pointInside(locationOfTouch(touches.anyObject()));
    const bool fire = m_pressed && inside;
    m_pressed = false;
    setAlpha(1);
    if (fire && m_action) {
        Ref<ButtonView> keep(this);
        m_action();
    }
}

void ButtonView::touchesCancelled(const TouchSet&, TouchEvent*)
{
    m_pressed = false;
    setAlpha(1);
}

// --- PhotoGridView ------------------------------------------------------------------------------

PhotoGridView::PhotoGridView(CGRect frame, ImagePickerController* picker)
    : View(frame)
    , m_picker(picker)
{
    setClipsToBounds(true);
    setBackgroundColor(Color4F { 0.96f, 0.96f, 0.96f, 1 });
}

void PhotoGridView::setPictures(const std::vector<std::string>& paths)
{
    for (const Ref<ImageView>& cell : m_cells)
        cell->removeFromSuperview();
    m_cells.clear();
    m_indexOf.clear();
    m_paths = paths;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const float x = kGap + static_cast<float>(i % kColumns) * (kCell + kGap);
        const float y = kGap + static_cast<float>(i / kColumns) * (kCell + kGap);
        Ref<ImageView> cell = ImageView::imageViewWithImage(nullptr);
        cell->setFrame(CGRectMake(x, y, kCell, kCell));
        cell->setBackgroundColor(Color4F { 0.8f, 0.8f, 0.82f, 1 });
        addSubview(cell);
        m_cells.push_back(cell);
        m_indexOf[paths[i]] = i;
    }
    scrollTo(0);
}

float PhotoGridView::contentHeight() const
{
    const std::size_t rows = (m_paths.size() + kColumns - 1) / kColumns;
    return kGap + static_cast<float>(rows) * (kCell + kGap);
}

void PhotoGridView::scrollTo(float offset)
{
    const float most = std::max(0.0f, contentHeight() - m_bounds.size.height);
    setBounds(
        CGRectMake(0, std::clamp(std::round(offset), 0.0f, most), m_bounds.size.width, m_bounds.size.height));
    requestVisible();
}

void PhotoGridView::requestVisible()
{
    // Rows in sight and one beyond either edge; the rest wait until scrolled to.
    const float top = m_bounds.origin.y - (kCell + kGap),
                bottom = m_bounds.origin.y + m_bounds.size.height + kCell;
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        const CGRect f = m_cells[i]->frame();
        if (f.origin.y + f.size.height >= top && f.origin.y <= bottom && !m_cells[i]->image())
            m_picker->requestThumbnail(m_paths[i], kThumbnailPixels);
    }
}

void PhotoGridView::thumbnailArrived(const std::string& path, const HostImage& thumbnail)
{
    auto it = m_indexOf.find(path);
    if (it == m_indexOf.end())
        return;
    if (Ref<Image> image = Image::imageWithBitmap(centreSquare(thumbnail)))
        m_cells[it->second]->setImage(image);
    else // unreadable: a darker cell says so; picking it gives the reason
        m_cells[it->second]->setBackgroundColor(Color4F { 0.55f, 0.55f, 0.58f, 1 });
}

void PhotoGridView::touchesBegan(const TouchSet& touches, TouchEvent*)
{
    if (m_tracking)
        return;
    m_tracking = touches.anyObject();
    m_start = m_tracking->locationInView();
    m_moved = false;
}

void PhotoGridView::touchesMoved(const TouchSet& touches, TouchEvent*)
{
    if (!m_tracking || !touches.contains(m_tracking))
        return;
    const CGPoint now = m_tracking->locationInView(), before = m_tracking->previousLocationInView();
    if (std::fabs(now.y - m_start.y) > 6 || std::fabs(now.x - m_start.x) > 6)
        m_moved = true;
    if (m_moved)
        scrollTo(m_bounds.origin.y - (now.y - before.y));
}

void PhotoGridView::touchesEnded(const TouchSet& touches, TouchEvent*)
{
    if (!m_tracking || !touches.contains(m_tracking))
        return;
    Touch* touch = m_tracking;
    m_tracking = nullptr;
    if (m_moved)
        return;
    const CGPoint p = locationOfTouch(touch);
    for (std::size_t i = 0; i < m_cells.size(); ++i)
        if (CGRectContainsPoint(m_cells[i]->frame(), p)) {
            m_picker->pickFile(m_paths[i]);
            return;
        }
}

bool PhotoGridView::wheel(CGPoint, float notches)
{
    scrollTo(m_bounds.origin.y - notches * (kCell + kGap));
    return true;
}

// --- ImagePickerController ----------------------------------------------------------------------

Ref<ImagePickerController> ImagePickerController::picker()
{
    return Ref<ImagePickerController>(new ImagePickerController);
}

ImagePickerController::~ImagePickerController()
{
    if (s_current == this)
        s_current = nullptr;
}

PhotoLibrary* ImagePickerController::library() const
{
    Host* host = Host::currentOrNull();
    return host ? host->photoLibrary() : nullptr;
}

ImagePickerController* ImagePickerController::current() { return s_current; }

View* ImagePickerController::view()
{
    if (m_view)
        return m_view.get();
    m_view = View::viewWithFrame(CGRectMake(0, 0, 320, 480));
    m_view->setBackgroundColor(Color4F { 0.96f, 0.96f, 0.96f, 1 });
    m_view->setOpaque(true);

    Ref<View> bar = View::viewWithFrame(CGRectMake(0, 0, 320, kBarHeight));
    bar->setBackgroundColor(Color4F { 0.16f, 0.2f, 0.28f, 1 });
    m_view->addSubview(bar);
    PhotoLibrary* photos = library();
    const std::string folder = photos ? photos->folder() : "";
    const std::string::size_type slash = folder.find_last_of('/');
    const std::string name
        = folder.empty() ? "Photos" : folder.substr(slash == std::string::npos ? 0 : slash + 1);
    bar->addSubview(
        LabelView::labelWithFrame(CGRectMake(80, 0, 160, kBarHeight), name, 18, { 255, 255, 255, 255 }));
    Ref<ButtonView> cancelButton
        = ButtonView::buttonWithFrame(CGRectMake(244, 4, 72, 36), "Cancel", [this] { cancel(); });
    cancelButton->setBackgroundColor(Color4F { 0.3f, 0.36f, 0.48f, 1 });
    bar->addSubview(cancelButton);

    if (photos && photos->hasSystemPicker()) {
        // The system's own picker covers this view while it is open; the view stays behind it
        // for a browser that does not say when its chooser was closed without a choice.
        photos->takeDroppedFile();
        photos->takeSystemPickerCancelled();
        m_view->addSubview(LabelView::labelWithFrame(
            CGRectMake(20, 170, 280, 60), "Choose a picture for the face.", 15, { 90, 90, 90, 255 }));
        Ref<ButtonView> again = ButtonView::buttonWithFrame(
            CGRectMake(90, 240, 140, 44), "Choose Photo", [photos] { photos->presentSystemPicker(); });
        again->setBackgroundColor(Color4F { 0.3f, 0.36f, 0.48f, 1 });
        m_view->addSubview(again);
        startPolling();
        photos->presentSystemPicker();
        return m_view.get();
    }

    Ref<PhotoGridView> grid = make<PhotoGridView>(CGRectMake(0, kBarHeight, 320, 480 - kBarHeight), this);
    m_view->addSubview(grid);
    m_grid = grid.get();
    const std::vector<std::string> pictures = photos ? photos->pictures() : std::vector<std::string> {};
    if (pictures.empty()) {
        const std::string text = folder.empty() ? "No pictures" : "No pictures in " + folder;
        m_view->addSubview(
            LabelView::labelWithFrame(CGRectMake(20, 200, 280, 60), text, 15, { 90, 90, 90, 255 }));
        m_view->addSubview(LabelView::labelWithFrame(CGRectMake(20, 250, 280, 40),
            "Drop a picture on the window to use it.", 13, { 90, 90, 90, 255 }));
    }
    if (photos)
        photos->takeDroppedFile(); // one dropped before the picker opened is not meant for it
    grid->setPictures(pictures);
    startPolling();
    return m_view.get();
}

void ImagePickerController::startPolling()
{
    s_current = this;
    m_timer = Timer::timerWithTarget(this, Selector<float>(&ImagePickerController::poll, "poll:"), 0);
    Scheduler::sharedScheduler()->scheduleTimer(m_timer.get());
}

void ImagePickerController::requestThumbnail(const std::string& path, int maxSide)
{
    if (PhotoLibrary* photos = library())
        photos->requestThumbnail(path, maxSide);
}

void ImagePickerController::poll(float)
{
    PhotoLibrary* photos = library();
    if (m_done || !photos)
        return;
    for (const auto& [path, thumbnail] : photos->takeFinishedThumbnails())
        if (m_grid)
            m_grid->thumbnailArrived(path, thumbnail);
    const std::string dropped = photos->takeDroppedFile();
    if (!dropped.empty())
        pickFile(dropped);
    else if (photos->takeSystemPickerCancelled())
        cancel();
}

void ImagePickerController::finish()
{
    m_done = true;
    if (s_current == this)
        s_current = nullptr;
    if (m_timer) {
        Scheduler::sharedScheduler()->unscheduleTimer(m_timer.get());
        m_timer = nullptr;
    }
    if (PhotoLibrary* photos = library())
        photos->cancelThumbnails();
}

void ImagePickerController::pickFile(const std::string& path)
{
    if (m_done)
        return;
    Ref<ImagePickerController> keep(this);
    HostImage bitmap;
    std::string error = "There is no picture library here.";
    PhotoLibrary* photos = library();
    const bool loaded = photos && photos->loadPicture(path, kMaxSide, kMaxPixels, bitmap, error);
    Ref<Image> image = loaded ? Image::imageWithBitmap(std::move(bitmap)) : nullptr;
    finish();
    if (!m_delegate)
        return;
    if (image)
        m_delegate->imagePickerControllerDidFinishPickingImage(this, image.get());
    else
        m_delegate->imagePickerControllerDidFail(this, loaded ? "The picture is empty." : error);
}

void ImagePickerController::cancel()
{
    if (m_done)
        return;
    Ref<ImagePickerController> keep(this);
    finish();
    if (m_delegate)
        m_delegate->imagePickerControllerDidCancel(this);
}
