#pragma once

#include "skin/controls/se_skinned_widget.h"

#include <QLabel>

// A text label. Skinned, it takes its colour and font from its object (the font of state 5 while the
// mouse is over it) and writes its text plainly; otherwise it keeps its own colour and font.
class TSeSkinLabel : public lanseek::skin::SkinnedWidget<QLabel, lanseek::skin::SkinnedPaint::Own>
{
    Q_OBJECT
public:
    explicit TSeSkinLabel(const QString& caption, QWidget* parent = nullptr);

protected:
    bool event(QEvent* event) override;
    void skinChanged() override;
    void drawSkin(TSeCanvas& canvas) override { (void)canvas; }
    bool paintsWholeControl() const override { return false; }

private:
    void applyLook(bool hot);
    bool m_lookApplied = false;
    QPalette m_plainPalette;
    QFont m_plainFont;
    bool m_plainAutoFill = false;
};
