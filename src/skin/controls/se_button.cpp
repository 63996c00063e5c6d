#include "skin/controls/se_button.h"

#include <QEvent>
#include <QPainter>

using namespace lanseek::skin;

TSeSkinButton::TSeSkinButton(const QString& caption, QWidget* parent)
    : SkinnedWidget("Button", caption, parent)
{
    setAttribute(Qt::WA_Hover);
    repaintOn({QEvent::HoverEnter, QEvent::HoverLeave, QEvent::EnabledChange});
}

int TSeSkinButton::skinState() const
{
    if (!isEnabled())
        return StateDisabled;
    if (State() == kbsPressed)
        return StatePressed;
    if (underMouse())
        return StateHot;
    if (hasFocus() || m_activeDefault)
        return StateFocused;
    return StateNormal;
}

void TSeSkinButton::skinCopyTaken(TSeSkinObject* copy)
{
    TSeSkinObject* face = copy->findObject("Face");
    setTransparent(isMaskedFace(face));
}

void TSeSkinButton::drawSkin(TSeCanvas& canvas)
{
    drawPart(canvas, skinPartOrCopy("Face"), rect(), skinState());
}

std::optional<std::size_t> TSeSkinButton::faceKey() const
{
    return std::size_t(skinState());
}

void TSeSkinButton::drawSkinText(QPainter& painter)
{
    const int state = skinState();
    QRect content = rect().adjusted(4, 2, -4, -2);
    if (m_showGlyph && !icon().isNull()) {
        const QSize glyph = iconSize();
        const int textWidth =
            m_showCaption && !text().isEmpty() ? fontMetrics().horizontalAdvance(text()) : 0;
        const int total = glyph.width() + (textWidth > 0 ? 4 + textWidth : 0);
        const QPoint at(content.left() + (content.width() - total) / 2,
                        content.top() + (content.height() - glyph.height()) / 2);
        icon().paint(&painter, QRect(at, glyph), Qt::AlignCenter,
                     isEnabled() ? QIcon::Normal : QIcon::Disabled);
        content.setLeft(at.x() + glyph.width() + 4);
        content.setWidth(textWidth);
    }
    if (!m_showCaption || text().isEmpty())
        return;
    TSeSkinObject* holder = skinPartOrCopy("Text");
    holder->setState(state);
    const QFont font = fontOf(*holder);
    painter.setFont(font);
    painter.setPen(fontColorOf(*holder));
    // The caption is measured first (wrapped to the content width when asked to), and the measured
    // rectangle is centred in the content rectangle.
    const QFontMetrics metrics(font);
    const int flags = Qt::AlignCenter | (m_wordWrap ? Qt::TextWordWrap : Qt::TextSingleLine);
    const QRect measured = m_wordWrap ? metrics.boundingRect(content, flags, text())
                                      : QRect(0, 0, metrics.horizontalAdvance(text()), metrics.height());
    const QRect placed(content.left() + (content.width() - measured.width()) / 2,
                       content.top() + (content.height() - measured.height()) / 2, measured.width(),
                       measured.height());
    painter.setLayoutDirection(layoutDirection());
    painter.drawText(placed, flags, text());
}
