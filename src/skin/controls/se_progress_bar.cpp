#include "skin/controls/se_progress_bar.h"

#include <QEvent>

#include <cmath>

using namespace lanseek::skin;

TSeSkinProgressBar::TSeSkinProgressBar(QWidget* parent) : SkinnedWidget("ProgressBar", parent)
{
    setTextVisible(false);
    setTransparent(true);
    sync();
}

double TSeSkinProgressBar::fraction(int min, int max, int position)
{
    if (min < 0 || position < min || position > max || min == max)
        return 0.0;
    return double(qint64(position) - min) / double(qint64(max) - min);
}

void TSeSkinProgressBar::setMin(int value)
{
    m_min = value;
    sync();
    update();
}

void TSeSkinProgressBar::setMax(int value)
{
    m_max = value;
    sync();
    update();
}

void TSeSkinProgressBar::setPosition(int value)
{
    const double before = fraction();
    m_position = value;
    sync();
    if (fraction() != before && isSkinned() && isVisible()) {
        // The bar is painted now rather than when the event loop comes round again, so that progress
        // shows during long work. Only this control is painted: processing every pending event here
        // would let other handlers run in the middle of whoever set the position.
        repaint();
    }
}

void TSeSkinProgressBar::setBorderWidth(int width)
{
    m_borderWidth = std::max(0, width);
    update();
}

void TSeSkinProgressBar::sync()
{
    // The plain bar's range and value also serve the accessibility interface. While skinned, the
    // skinned control decides when it is painted, so the plain bar's own repaints are held back.
    const bool hold = isSkinned() && updatesEnabled();
    if (hold)
        setAttribute(Qt::WA_UpdatesDisabled, true);
    const int low = std::min(m_min, m_max);
    const int high = std::max(m_min, m_max);
    setRange(low, high);
    setValue(std::clamp(m_position, low, high));
    if (hold)
        setAttribute(Qt::WA_UpdatesDisabled, false);
}

QRect TSeSkinProgressBar::contentRect() const
{
    if (const TSeSkinObject* frame = skinPart("Frame"))
        return rect().adjusted(frame->MarginLeft, frame->MarginTop, -frame->MarginRight,
                               -frame->MarginBottom);
    return rect().adjusted(m_borderWidth, m_borderWidth, -m_borderWidth, -m_borderWidth);
}

QRect TSeSkinProgressBar::barRect() const
{
    const QRect content = contentRect();
    if (orientation() == Qt::Vertical) {
        const int length = int(std::lround(fraction() * content.height()));
        return QRect(content.left(), content.bottom() + 1 - length, content.width(), length);
    }
    const int length = int(std::lround(fraction() * content.width()));
    return QRect(content.left(), content.top(), length, content.height());
}

std::optional<std::size_t> TSeSkinProgressBar::faceKey() const
{
    const QRect bar = barRect();
    return qHashMulti(0, enabledState(), int(orientation()), bar.x(), bar.y(), bar.width(), bar.height());
}

void TSeSkinProgressBar::drawSkin(TSeCanvas& canvas)
{
    const int state = enabledState();
    TSeSkinObject* bar =
        orientation() == Qt::Vertical ? skinPart({"BarVert", "Bar"}) : skinPart({"BarHorz", "Bar"});
    drawPart(canvas, skinPart("Frame"), rect(), state);
    drawPart(canvas, bar, barRect(), state);
}
