#include "skin/controls/se_scroll_bar.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QMouseEvent>
#include <QStyleOptionSlider>

using namespace lanseek::skin;

TSeSkinScrollBar::TSeSkinScrollBar(Qt::Orientation orientation, QWidget* parent)
    : SkinnedWidget("ScrollBar", orientation, parent)
{
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    repaintOn({QEvent::HoverMove, QEvent::HoverLeave});
}

QRect TSeSkinScrollBar::partRect(QStyle::SubControl part) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, part, this);
}

int TSeSkinScrollBar::partState(QStyle::SubControl part) const
{
    if (!isEnabled() || minimum() == maximum())
        return StateDisabled;
    if (m_pressed == part || (part == QStyle::SC_ScrollBarSlider && isSliderDown()))
        return StatePressed;
    if (underMouse() && partRect(part).contains(mapFromGlobal(QCursor::pos())))
        return StateHot;
    return StateNormal;
}

void TSeSkinScrollBar::mousePressEvent(QMouseEvent* event)
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    m_pressed =
        style()->hitTestComplexControl(QStyle::CC_ScrollBar, &option, event->position().toPoint(), this);
    QScrollBar::mousePressEvent(event);
    update();
}

void TSeSkinScrollBar::mouseReleaseEvent(QMouseEvent* event)
{
    m_pressed = QStyle::SC_None;
    QScrollBar::mouseReleaseEvent(event);
    update();
}

void TSeSkinScrollBar::drawSkin(TSeCanvas& canvas)
{
    const bool vertical = orientation() == Qt::Vertical;
    const int track = isEnabled() ? StateNormal : StateDisabled;
    drawPart(canvas, vertical ? skinPart({"VertFrame", "Frame"}) : skinPart({"HorzFrame", "Frame"}), rect(),
             track);
    drawPart(canvas, skinPart(vertical ? "TopButton" : "LeftButton"), partRect(QStyle::SC_ScrollBarSubLine),
             partState(QStyle::SC_ScrollBarSubLine));
    drawPart(canvas, skinPart(vertical ? "BottomButton" : "RightButton"),
             partRect(QStyle::SC_ScrollBarAddLine), partState(QStyle::SC_ScrollBarAddLine));
    if (minimum() != maximum()) {
        drawPart(canvas, vertical ? skinPart({"VertSlider", "Slider"}) : skinPart({"HorzSlider", "Slider"}),
                 partRect(QStyle::SC_ScrollBarSlider), partState(QStyle::SC_ScrollBarSlider));
    }
}

namespace lanseek::skin {
void setScrollBarsEngine(QAbstractScrollArea& area, TSeSkinEngine* engine)
{
    for (QScrollBar* bar : {area.verticalScrollBar(), area.horizontalScrollBar()}) {
        if (auto* skinned = dynamic_cast<TSeSkinScrollBar*>(bar))
            skinned->setSkinEngine(engine);
    }
}
} // namespace lanseek::skin
