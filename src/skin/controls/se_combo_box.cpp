#include "skin/controls/se_combo_box.h"

#include "skin/controls/se_list_box.h"

#include <QEvent>
#include <QPainter>

using namespace lanseek::skin;

TSeSkinComboBox::TSeSkinComboBox(QWidget* parent) : SkinnedWidget("ComboBox", parent)
{
    setAttribute(Qt::WA_Hover);
    repaintOn({QEvent::HoverEnter, QEvent::HoverLeave, QEvent::HoverMove, QEvent::FocusIn, QEvent::FocusOut,
               QEvent::EnabledChange});
    setMouseTracking(true);
    m_list = new TSeSkinListBox;
    setView(m_list);
}

void TSeSkinComboBox::setSkinEngine(TSeSkinEngine* engine)
{
    TSeSkinControl::setSkinEngine(engine);
    m_list->setSkinEngine(engine);
}

int TSeSkinComboBox::skinState() const
{
    if (!isEnabled())
        return StateDisabled;
    if (underMouse())
        return StateHot;
    if (hasFocus() || m_open)
        return StateFocused;
    return StateNormal;
}

int TSeSkinComboBox::buttonState() const
{
    if (!isEnabled())
        return StateDisabled;
    if (m_open)
        return StatePressed;
    if (underMouse() && buttonRect().contains(mapFromGlobal(QCursor::pos())))
        return StateHot;
    return StateNormal;
}

QRect TSeSkinComboBox::buttonRect() const
{
    const TSeSkinObject* button = skinPart("Button");
    if (!button)
        return {};
    const int inset = std::clamp(button->top(), 0, height() / 2);
    const int w = std::min(button->width(), width());
    return QRect(width() - w - inset, inset, w, height() - 2 * inset);
}

void TSeSkinComboBox::showPopup()
{
    m_open = true;
    update();
    QComboBox::showPopup();
}

void TSeSkinComboBox::hidePopup()
{
    m_open = false;
    update();
    QComboBox::hidePopup();
}

void TSeSkinComboBox::drawSkin(TSeCanvas& canvas)
{
    drawPart(canvas, skinPartOrCopy("Frame"), rect(), skinState());
    drawPart(canvas, skinPart("Button"), buttonRect(), buttonState());
}

void TSeSkinComboBox::drawSkinText(QPainter& painter)
{
    QRect content = rect();
    const QRect button = buttonRect();
    if (!button.isEmpty())
        content.setRight(button.left() - 1);
    int margin = 4;
    TSeSkinObject* text = skinPart("Text");
    if (text) {
        text->setState(skinState());
        margin = std::max(text->TextMarginLeft, 2);
    }
    content.setLeft(content.left() + margin);
    if (const QIcon icon = itemIcon(currentIndex()); !icon.isNull()) {
        const QSize size = iconSize();
        icon.paint(&painter,
                   QRect(content.left(), (height() - size.height()) / 2, size.width(), size.height()),
                   Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        content.setLeft(content.left() + size.width() + 4);
    }
    painter.setFont(text ? fontOf(*text) : font());
    // With nothing chosen the box names what it chooses, dimmed as an edit's hint is.
    const bool hint = currentIndex() < 0 && !placeholderText().isEmpty();
    painter.setPen(hint   ? palette().color(QPalette::PlaceholderText)
                   : text ? fontColorOf(*text)
                          : palette().color(QPalette::ButtonText));
    painter.drawText(content, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     painter.fontMetrics().elidedText(hint ? placeholderText() : currentText(),
                                                      Qt::ElideRight, content.width()));
}
