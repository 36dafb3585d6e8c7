#include "Engine/AlertView.h"

#include "Engine/Director.h"
#include "Engine/Label.h"
#include "Engine/TouchDispatcher.h"

#include <GLES/gl.h>

#include <climits>

namespace {

// Ahead of every menu and control: nothing under a modal alert may be touched.
constexpr int kAlertTouchPriority = INT_MIN;
constexpr float kBoxWidth = 270;
constexpr float kBoxHeight = 170;
constexpr float kButtonHeight = 44;
constexpr int kAlertZ = 100000;

void fillRect(CGRect r)
{
    const float x0 = r.origin.x, y0 = r.origin.y;
    const float x1 = x0 + r.size.width, y1 = y0 + r.size.height;
    const GLfloat v[8] = { x0, y0, x1, y0, x0, y1, x1, y1 };
    glVertexPointer(2, GL_FLOAT, 0, v);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

bool contains(CGRect r, CGPoint p)
{
    return p.x >= r.origin.x && p.x <= r.origin.x + r.size.width && p.y >= r.origin.y
        && p.y <= r.origin.y + r.size.height;
}

} // namespace

Ref<AlertView> AlertView::alertWithTitle(
    const std::string& title, const std::string& message, const std::vector<std::string>& buttonTitles)
{
    Ref<AlertView> alert(new AlertView);
    alert->m_title = title;
    alert->m_message = message;
    alert->m_buttonTitles = buttonTitles;
    alert->m_isTouchEnabled = true;

    const CGRect box = alert->boxRect();
    const float cx = box.origin.x + box.size.width / 2;
    const float top = box.origin.y + box.size.height;
    Ref<Label> heading = Label::labelWithString(
        title, CGSizeMake(kBoxWidth - 20, 24), UITextAlignmentCenter, "Helvetica", 18);
    heading->setPosition(CGPointMake(cx, top - 22));
    heading->setColor({ 0, 0, 0 });
    alert->addChild(heading.get());
    Ref<Label> text = Label::labelWithString(
        message, CGSizeMake(kBoxWidth - 30, 72), UITextAlignmentCenter, "Helvetica", 14);
    text->setPosition(CGPointMake(cx, top - 36 - 38));
    text->setColor({ 0, 0, 0 });
    alert->addChild(text.get());
    for (std::size_t i = 0; i < buttonTitles.size(); ++i) {
        const CGRect r = alert->buttonRect(i);
        Ref<Label> button = Label::labelWithString(
            buttonTitles[i], CGSizeMake(r.size.width, 24), UITextAlignmentCenter, "Helvetica", 17);
        button->setPosition(CGPointMake(r.origin.x + r.size.width / 2, r.origin.y + r.size.height / 2));
        button->setColor({ 20, 100, 230 });
        alert->addChild(button.get());
    }
    return alert;
}

CGRect AlertView::boxRect() const
{
    const CGSize s = Director::sharedDirector()->winSize();
    return CGRectMake((s.width - kBoxWidth) / 2, (s.height - kBoxHeight) / 2, kBoxWidth, kBoxHeight);
}

CGRect AlertView::buttonRect(std::size_t index) const
{
    const CGRect box = boxRect();
    const float width
        = box.size.width / static_cast<float>(m_buttonTitles.empty() ? 1 : m_buttonTitles.size());
    return CGRectMake(box.origin.x + width * static_cast<float>(index), box.origin.y, width, kButtonHeight);
}

void AlertView::show(Node* parent)
{
    if (parent && !m_parent)
        parent->addChild(this, kAlertZ);
}

bool AlertView::dismissWithButtonTitle(const std::string& title)
{
    for (std::size_t i = 0; i < m_buttonTitles.size(); ++i)
        if (m_buttonTitles[i] == title) {
            dismissWithClickedButtonIndex(static_cast<int>(i));
            return true;
        }
    return false;
}

void AlertView::dismissWithClickedButtonIndex(int index)
{
    Ref<AlertView> keep(this);
    m_clickedButtonIndex = index;
    if (m_parent)
        m_parent->removeChild(this, true);
    if (Handler handler = std::move(m_handler))
        handler(this, index);
}

const std::string& AlertView::buttonTitleAtIndex(int index) const
{
    static const std::string kNone;
    return index >= 0 && static_cast<std::size_t>(index) < m_buttonTitles.size()
        ? m_buttonTitles[static_cast<std::size_t>(index)]
        : kNone;
}

// --- ActionSheet ---------------------------------------------------------------------------------

namespace {
constexpr float kSheetButtonHeight = 44;
constexpr float kSheetGap = 8;
} // namespace

Ref<ActionSheet> ActionSheet::actionSheetWithTitle(const std::string& title,
    const std::string& cancelButtonTitle, const std::string& destructiveButtonTitle,
    const std::vector<std::string>& otherButtonTitles)
{
    Ref<ActionSheet> sheet(new ActionSheet);
    sheet->m_title = title;
    sheet->m_isTouchEnabled = true;
    if (!destructiveButtonTitle.empty()) {
        sheet->m_destructiveButtonIndex = static_cast<int>(sheet->m_buttonTitles.size());
        sheet->m_buttonTitles.push_back(destructiveButtonTitle);
    }
    for (const std::string& other : otherButtonTitles)
        sheet->m_buttonTitles.push_back(other);
    if (!cancelButtonTitle.empty()) {
        sheet->m_cancelButtonIndex = static_cast<int>(sheet->m_buttonTitles.size());
        sheet->m_buttonTitles.push_back(cancelButtonTitle);
    }

    const CGRect box = sheet->boxRect();
    if (!title.empty()) {
        Ref<Label> heading = Label::labelWithString(
            title, CGSizeMake(box.size.width - 20, 48), UITextAlignmentCenter, "Helvetica", 13);
        heading->setPosition(
            CGPointMake(box.origin.x + box.size.width / 2, box.origin.y + box.size.height - 8 - 24));
        heading->setColor({ 70, 70, 70 });
        sheet->addChild(heading.get());
    }
    for (std::size_t i = 0; i < sheet->m_buttonTitles.size(); ++i) {
        const CGRect r = sheet->buttonRect(i);
        Ref<Label> button = Label::labelWithString(
            sheet->m_buttonTitles[i], CGSizeMake(r.size.width, 24), UITextAlignmentCenter, "Helvetica", 18);
        button->setPosition(CGPointMake(r.origin.x + r.size.width / 2, r.origin.y + r.size.height / 2));
        const bool destructive = static_cast<int>(i) == sheet->m_destructiveButtonIndex;
        button->setColor(destructive ? Color3B { 220, 30, 30 } : Color3B { 20, 100, 230 });
        sheet->addChild(button.get());
    }
    return sheet;
}

CGRect ActionSheet::boxRect() const
{
    const CGSize s = Director::sharedDirector()->winSize();
    const float height = kSheetGap + titleHeight()
        + static_cast<float>(m_buttonTitles.size()) * (kSheetButtonHeight + kSheetGap);
    return CGRectMake(0, 0, s.width, height);
}

CGRect ActionSheet::buttonRect(std::size_t index) const
{
    // The first button is at the top; the cancel button sits alone at the bottom.
    const std::size_t fromBottom = m_buttonTitles.size() - 1 - index;
    return CGRectMake(10, kSheetGap + static_cast<float>(fromBottom) * (kSheetButtonHeight + kSheetGap),
        boxRect().size.width - 20, kSheetButtonHeight);
}

void ActionSheet::draw()
{
    const CGSize s = Director::sharedDirector()->winSize();
    const CGRect box = boxRect();
    glEnableClientState(GL_VERTEX_ARRAY);
    glColor4ub(0, 0, 0, 110);
    fillRect(CGRectMake(0, 0, s.width, s.height));
    glColor4ub(60, 64, 72, 240);
    fillRect(box);
    for (std::size_t i = 0; i < m_buttonTitles.size(); ++i) {
        if (static_cast<int>(i) == m_cancelButtonIndex)
            glColor4ub(215, 215, 220, 255);
        else
            glColor4ub(250, 250, 250, 255);
        fillRect(buttonRect(i));
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glColor4ub(255, 255, 255, 255);
}

AlertView* AlertView::alertIn(Node* root)
{
    if (!root)
        return nullptr;
    if (auto* alert = dynamic_cast<AlertView*>(root))
        return alert;
    for (const Ref<Node>& child : root->children())
        if (AlertView* alert = alertIn(child.get()))
            return alert;
    return nullptr;
}

void AlertView::registerWithTouchDispatcher()
{
    TouchDispatcher::sharedDispatcher()->addTargetedDelegate(this, kAlertTouchPriority, true);
}

int AlertView::buttonAt(const Touch* touch) const
{
    const CGPoint p = convertTouchToNodeSpace(touch);
    for (std::size_t i = 0; i < m_buttonTitles.size(); ++i)
        if (contains(buttonRect(i), p))
            return static_cast<int>(i);
    return -1;
}

bool AlertView::onTouchBegan(Touch* touch, TouchEvent*)
{
    // Every touch is ours while shown, on a button or not.
    m_pressedButton = buttonAt(touch);
    return true;
}

void AlertView::onTouchEnded(Touch* touch, TouchEvent*)
{
    const int button = buttonAt(touch);
    const int pressed = m_pressedButton;
    m_pressedButton = -1;
    if (button >= 0 && button == pressed)
        dismissWithClickedButtonIndex(button);
}

bool AlertView::onKey(HostKey key)
{
    int button = -1;
    if (key == HostKey::Enter)
        button = defaultButtonIndex();
    else if (key == HostKey::Escape)
        button = cancelButtonIndex();
    if (button >= 0) {
        Ref<AlertView> self(this);
        dismissWithClickedButtonIndex(button);
    }
    return true; // modal: nothing under it hears keys either
}

void AlertView::draw()
{
    const CGSize s = Director::sharedDirector()->winSize();
    const CGRect box = boxRect();
    glEnableClientState(GL_VERTEX_ARRAY);
    glColor4ub(0, 0, 0, 110);
    fillRect(CGRectMake(0, 0, s.width, s.height));
    glColor4ub(245, 245, 245, 255);
    fillRect(box);
    glColor4ub(200, 200, 200, 255);
    fillRect(CGRectMake(box.origin.x, box.origin.y + kButtonHeight, box.size.width, 1));
    for (std::size_t i = 1; i < m_buttonTitles.size(); ++i) {
        const CGRect r = buttonRect(i);
        fillRect(CGRectMake(r.origin.x, r.origin.y, 1, kButtonHeight));
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glColor4ub(255, 255, 255, 255);
}

void AlertView::dumpProperties(PropertySink& out) const
{
    Layer::dumpProperties(out);
    out.set("title", m_title);
    out.set("message", m_message);
    const float height = Director::sharedDirector()->winSize().height;
    out.beginList("buttons");
    for (std::size_t i = 0; i < m_buttonTitles.size(); ++i) {
        const CGRect r = buttonRect(i);
        out.beginRecord();
        out.set("title", m_buttonTitles[i]);
        out.setNumbers(
            "tapPoint", { r.origin.x + r.size.width / 2, height - (r.origin.y + r.size.height / 2) });
        out.end();
    }
    out.end();
}
