#include "skin/controls/se_label.h"

#include <QEvent>

using namespace lanseek::skin;

TSeSkinLabel::TSeSkinLabel(const QString& caption, QWidget* parent) : SkinnedWidget("Label", caption, parent)
{
}

bool TSeSkinLabel::event(QEvent* event)
{
    if (isSkinned() && (event->type() == QEvent::Enter || event->type() == QEvent::Leave))
        applyLook(event->type() == QEvent::Enter);
    return SkinnedWidget::event(event);
}

void TSeSkinLabel::skinChanged()
{
    if (isSkinned()) {
        applyLook(underMouse());
    } else if (m_lookApplied) {
        m_lookApplied = false;
        setPalette(m_plainPalette);
        setFont(m_plainFont);
        setAutoFillBackground(m_plainAutoFill);
    }
}

void TSeSkinLabel::applyLook(bool hot)
{
    TSeSkinObject* object = skinCopy();
    if (!object)
        return;
    if (!m_lookApplied) {
        m_plainPalette = palette();
        m_plainFont = font();
        m_plainAutoFill = autoFillBackground();
        m_lookApplied = true;
    }
    object->setState(hot ? StateHot : StateNormal);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, fontColorOf(*object));
    if (object->currentColor() != clNone) {
        pal.setColor(QPalette::Window, toQColor(object->currentColor()));
        setAutoFillBackground(true);
    } else {
        setAutoFillBackground(m_plainAutoFill);
    }
    setPalette(pal);
    setFont(fontOf(*object));
}
