#include "skin/controls/se_panel.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

using namespace lanseek::skin;

namespace {
constexpr int kPlainButtonSide = 16;
}

TSeSkinPanel::TSeSkinPanel(const QString& caption, QWidget* parent)
    : SkinnedWidget("Panel", parent), m_caption(caption)
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_Hover);
    setKeepsPainting(true);
}

int TSeSkinPanel::captionHeight() const
{
    if (!m_showCaption)
        return 0;
    if (isSkinned()) {
        if (const TSeSkinObject* caption = skinPart("Caption"); caption && caption->height() > 0)
            return caption->height();
    }
    return fontMetrics().height() + 6;
}

void TSeSkinPanel::setRolledUp(bool rolled)
{
    if (rolled == m_rolled)
        return;
    m_rolled = rolled;
    if (rolled) {
        m_unrolledHeight = height();
        resize(width(), captionHeight() + 2);
    } else {
        resize(width(), m_unrolledHeight);
    }
    update();
}

QRect TSeSkinPanel::rollButtonRect() const
{
    if (!hasCaptionButton())
        return {};
    int side = kPlainButtonSide;
    if (isSkinned()) {
        if (const TSeSkinObject* b = skinPart({"ButtonRollup", "Button"}))
            side = std::max(1, b->width());
    }
    const int strip = captionHeight();
    return QRect(width() - side - (strip - side) / 2 - 1, (strip - side) / 2, side, side);
}

int TSeSkinPanel::buttonState() const
{
    if (m_buttonPressed)
        return StatePressed;
    if (underMouse() && rollButtonRect().contains(mapFromGlobal(QCursor::pos())))
        return StateHot;
    return StateNormal;
}

bool TSeSkinPanel::event(QEvent* event)
{
    // Only the caption button follows the mouse, so only its rectangle is repainted.
    if (hasCaptionButton() && (event->type() == QEvent::HoverMove || event->type() == QEvent::HoverLeave))
        update(rollButtonRect());
    return SkinnedWidget::event(event);
}

void TSeSkinPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rollButtonRect().contains(event->position().toPoint())) {
        m_buttonPressed = true;
        update();
        return;
    }
    QFrame::mousePressEvent(event);
}

void TSeSkinPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_buttonPressed && event->button() == Qt::LeftButton) {
        m_buttonPressed = false;
        update();
        if (rollButtonRect().contains(event->position().toPoint())) {
            if (m_hideButton)
                hide();
            else
                setRolledUp(!m_rolled);
        }
        return;
    }
    QFrame::mouseReleaseEvent(event);
}

void TSeSkinPanel::skinCopyTaken(TSeSkinObject* copy)
{
    setTransparent(isMaskedFace(copy->findObject("Frame")));
}

void TSeSkinPanel::paintEvent(QPaintEvent* event)
{
    if (isSkinned()) {
        paintSkinned();
        return;
    }
    QFrame::paintEvent(event);
    QPainter p(this);
    if (m_showCaption && !m_caption.isEmpty()) {
        const QRect strip(1, 1, width() - 2, captionHeight());
        p.fillRect(strip, palette().color(QPalette::Button));
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawText(strip.adjusted(5, 0, -5, 0), Qt::AlignLeft | Qt::AlignVCenter, m_caption);
    }
    if (hasCaptionButton()) {
        const QRect b = rollButtonRect();
        p.drawRect(b.adjusted(0, 0, -1, -1));
        p.drawText(b, Qt::AlignCenter,
                   m_hideButton ? QStringLiteral("×")
                   : m_rolled   ? QStringLiteral("▾")
                                : QStringLiteral("▴"));
    }
}

void TSeSkinPanel::drawSkin(TSeCanvas& canvas)
{
    const int state = enabledState();
    drawPart(canvas, skinPartOrCopy("Frame"), rect(), state);
    if (!m_showCaption)
        return;
    TSeSkinObject* caption = skinPart("Caption");
    TSeSkinObject* title = skinPart("Title");
    if (caption) {
        if (title)
            title->setText(m_caption);
        else
            caption->setText(m_caption);
        drawPart(canvas, caption, QRect(0, 0, width(), captionHeight()), state);
    }
    if (hasCaptionButton()) {
        TSeSkinObject* button = m_hideButton ? skinPart({"ButtonHide", "Button"})
                                : m_rolled   ? skinPart({"ButtonRolldown", "Button"})
                                             : skinPart({"ButtonRollup", "Button"});
        drawPart(canvas, button, rollButtonRect(), buttonState());
    }
}

std::optional<std::size_t> TSeSkinPanel::faceKey() const
{
    // The caption and the buttons shown come through setAndRepaint(), which forgets the face.
    return qHashMulti(0, enabledState(), m_rolled, hasCaptionButton() ? buttonState() : -1);
}

bool TSeSkinPanel::drawsSkinText() const
{
    return m_showCaption && !skinPart("Caption") && !m_caption.isEmpty();
}

void TSeSkinPanel::drawSkinText(QPainter& painter)
{
    // Without a caption object the caption is written plainly, inset 5 pixels and centred vertically.
    if (!m_showCaption || skinPart("Caption") || m_caption.isEmpty())
        return;
    const QRect strip(0, 0, width(), captionHeight());
    if (const TSeSkinObject* copy = skinCopy()) {
        painter.setFont(fontOf(*copy));
        painter.setPen(fontColorOf(*copy));
    }
    painter.drawText(strip.adjusted(5, 0, -5, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     m_caption);
}

// ---- tool bar ----

TSeSkinToolBar::TSeSkinToolBar(QWidget* parent) : SkinnedWidget("ToolBar", parent)
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setKeepsPainting(true);
}

void TSeSkinToolBar::addControl(QWidget* control, int gapBefore)
{
    control->setParent(this);
    m_nextLeft += gapBefore;
    const int top = std::max(0, (height() - control->height()) / 2);
    control->move(m_nextLeft, top);
    m_nextLeft += control->width() + 1;
}

void TSeSkinToolBar::drawSkin(TSeCanvas& canvas)
{
    drawPart(canvas, skinPartOrCopy("Frame"), rect(), enabledState());
}

std::optional<std::size_t> TSeSkinToolBar::faceKey() const
{
    return std::size_t(enabledState());
}
