#pragma once

#include "skin/controls/se_paint.h"

#include <QScrollBar>
#include <QStyle>

// A scroll bar whose track, arrow buttons and thumb come from the "ScrollBar" skin object. Memos and
// list views carry two of them in place of their plain scroll bars.
class TSeSkinScrollBar : public QScrollBar, public TSeSkinControl
{
    Q_OBJECT
public:
    explicit TSeSkinScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);
    ~TSeSkinScrollBar() override;

    // The state a part is drawn in: 8 disabled, 6 while pressed, 5 under the mouse, else 0.
    int partState(QStyle::SubControl part) const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void drawSkin(TSeCanvas& canvas) override;

private:
    QRect partRect(QStyle::SubControl part) const;

    QStyle::SubControl m_pressed = QStyle::SC_None;
};
