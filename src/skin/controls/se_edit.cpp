#include "skin/controls/se_edit.h"

#include "skin/controls/se_scroll_bar.h"

#include <QEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>

using namespace lanseek::skin;

namespace lanseek::skin {
int frameWidthOf(const TSeSkinObject* frame)
{
    if (!frame)
        return 1;
    return std::clamp(
        std::max({frame->MarginLeft, frame->MarginRight, frame->MarginTop, frame->MarginBottom}), 1, 8);
}

void showSkinnedFrame(QFrame& control, int width)
{
    control.setFrameStyle(QFrame::Box | QFrame::Plain);
    control.setLineWidth(width);
}

void showPlainFrame(QFrame& control)
{
    control.setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    control.setLineWidth(1);
}
} // namespace lanseek::skin

TSeSkinEdit::TSeSkinEdit(QWidget* parent) : SkinnedWidget("Edit", parent)
{
    setAttribute(Qt::WA_Hover);
    repaintOn(
        {QEvent::HoverEnter, QEvent::HoverLeave, QEvent::FocusIn, QEvent::FocusOut, QEvent::EnabledChange});
}

int TSeSkinEdit::skinState() const
{
    if (!isEnabled())
        return StateDisabled;
    if (underMouse())
        return StateHot;
    if (hasFocus())
        return StateFocused;
    return StateNormal;
}

void TSeSkinEdit::skinChanged()
{
    // While skinned the frame is the skin's and the text is written in the skin's font over it; the
    // plain look gets its own frame, palette and font back.
    if (isSkinned()) {
        if (!m_lookApplied)
            m_plainMargins = textMargins();
        m_lookApplied = true;
        setFrame(false);
        QPalette pal = palette();
        pal.setBrush(QPalette::Base, Qt::transparent);
        if (TSeSkinObject* text = skinPart("Text")) {
            text->setState(0);
            pal.setColor(QPalette::Text, fontColorOf(*text));
            setFont(fontOf(*text));
            const TSeSkinObject* frame = skinPart("Frame");
            const int inset = frame ? frame->MarginLeft : 0;
            setTextMargins(std::max(text->TextMarginLeft - 2, inset), 0,
                           std::max(text->TextMarginRight - 2, inset), 0);
        }
        setPalette(pal);
    } else if (m_lookApplied) {
        m_lookApplied = false;
        setFrame(true);
        setPalette(QPalette());
        setFont(QFont());
        setTextMargins(m_plainMargins);
    }
}

void TSeSkinEdit::paintEvent(QPaintEvent* event)
{
    if (isSkinned())
        paintSkinned();
    QLineEdit::paintEvent(event);
}

void TSeSkinEdit::drawSkin(TSeCanvas& canvas)
{
    drawPart(canvas, skinPartOrCopy("Frame"), rect(), skinState());
}

std::optional<std::size_t> TSeSkinEdit::faceKey() const
{
    return std::size_t(skinState());
}

// ---- memo ----

TSeSkinMemo::TSeSkinMemo(QWidget* parent) : SkinnedWidget("Edit", parent)
{
    setVerticalScrollBar(new TSeSkinScrollBar(Qt::Vertical, this));
    setHorizontalScrollBar(new TSeSkinScrollBar(Qt::Horizontal, this));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void TSeSkinMemo::setSkinEngine(TSeSkinEngine* engine)
{
    TSeSkinControl::setSkinEngine(engine);
    setScrollBarsEngine(*this, engine);
}

void TSeSkinMemo::skinChanged()
{
    if (isSkinned()) {
        m_lookApplied = true;
        showSkinnedFrame(*this, 2);
    } else if (m_lookApplied) {
        m_lookApplied = false;
        showPlainFrame(*this);
    }
}

void TSeSkinMemo::drawSkin(TSeCanvas& canvas)
{
    const int state = isEnabled() ? (hasFocus() ? StateFocused : StateNormal) : StateDisabled;
    drawPart(canvas, skinPartOrCopy("Frame"), rect(), state);
}

std::optional<std::size_t> TSeSkinMemo::faceKey() const
{
    return std::size_t(isEnabled() ? (hasFocus() ? StateFocused : StateNormal) : StateDisabled);
}

QStringList TSeSkinMemo::Lines() const
{
    QStringList lines;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    if (lines.size() == 1 && lines.front().isEmpty())
        lines.clear();
    return lines;
}

QStringList TSeSkinMemo::visualLines() const
{
    if (lineWrapMode() == QPlainTextEdit::NoWrap)
        return Lines();
    const qreal width = std::max<qreal>(1, viewport()->width() - 2 * document()->documentMargin() - 1);
    QTextOption option = document()->defaultTextOption();
    option.setWrapMode(wordWrapMode());
    QStringList lines;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        if (text.isEmpty()) {
            lines << QString();
            continue;
        }
        QTextLayout layout(text, font());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << text.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    if (lines.size() == 1 && lines.front().isEmpty())
        lines.clear();
    return lines;
}
