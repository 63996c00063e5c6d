#pragma once

#include "skin/controls/se_skinned_widget.h"

#include <QScrollBar>
#include <QStyle>

// A scroll bar whose track, arrow buttons and thumb come from the "ScrollBar" skin object. Memos and
// list views carry two of them in place of their plain scroll bars.
class TSeSkinScrollBar : public lanseek::skin::SkinnedWidget<QScrollBar>
{
    Q_OBJECT
public:
    explicit TSeSkinScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    // The state a part is drawn in: 8 disabled, 6 while pressed, 5 under the mouse, else 0.
    int partState(QStyle::SubControl part) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void drawSkin(TSeCanvas& canvas) override;

private:
    QRect partRect(QStyle::SubControl part) const;

    QStyle::SubControl m_pressed = QStyle::SC_None;
};

class QAbstractScrollArea;

namespace lanseek::skin {
// Hands the engine on to the skinned scroll bars of a scrolling control (plain ones are left alone).
void setScrollBarsEngine(QAbstractScrollArea& area, TSeSkinEngine* engine);
} // namespace lanseek::skin
