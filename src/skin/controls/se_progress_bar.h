#pragma once

#include "skin/controls/se_skinned_widget.h"

#include <QProgressBar>

// A progress bar whose position is stored unchanged even outside its range. Skinned, it draws the
// "ProgressBar" object's "Frame" over the whole control and its bar ("BarHorz" or "BarVert", else
// "Bar") across the filled part of the content; the plain look shows the position clamped.
class TSeSkinProgressBar : public lanseek::skin::SkinnedWidget<QProgressBar>
{
    Q_OBJECT
public:
    explicit TSeSkinProgressBar(QWidget* parent = nullptr);

    int Min() const { return m_min; }
    int Max() const { return m_max; }
    int Position() const { return m_position; }
    void setMin(int value);
    void setMax(int value);
    // A position whose filled share differs from the old one is shown at once.
    void setPosition(int value);
    int BorderWidth() const { return m_borderWidth; }
    void setBorderWidth(int width);

    // The filled share: 0 when Min is negative, Position lies outside Min..Max or Min equals Max;
    // else (Position - Min) / (Max - Min).
    static double fraction(int min, int max, int position);
    double fraction() const { return fraction(m_min, m_max, m_position); }
    // The control inset by the frame's margins (by the border width without a frame).
    QRect contentRect() const;
    // The rectangle the bar object is laid out to.
    QRect barRect() const;

protected:
    void drawSkin(TSeCanvas& canvas) override;
    std::optional<std::size_t> faceKey() const override;
    bool drawsSkinText() const override { return false; }

private:
    void sync();
    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
    int m_borderWidth = 0;
};
