#pragma once

#include "skin/controls/se_skinned_widget.h"

#include <QFrame>

// A panel: a frame with an optional caption strip across its top. Skinned, the "Panel" object's
// "Frame" draws the panel, its "Caption" the strip (as high as that object) with the caption in
// "Title", and a roll or hide button may sit at the strip's right end.
class TSeSkinPanel : public lanseek::skin::SkinnedWidget<QFrame, lanseek::skin::SkinnedPaint::Own>
{
    Q_OBJECT
public:
    explicit TSeSkinPanel(const QString& caption, QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption) { setAndRepaint(m_caption, caption); }
    bool ShowCaption() const { return m_showCaption; }
    void setShowCaption(bool show) { setAndRepaint(m_showCaption, show); }
    int captionHeight() const;

    // A button at the caption's right end that rolls the panel up to its caption and down again.
    bool ShowRollButton() const { return m_rollButton; }
    void setShowRollButton(bool show) { setAndRepaint(m_rollButton, show); }
    // A button at the caption's right end that hides the panel.
    bool ShowHideButton() const { return m_hideButton; }
    void setShowHideButton(bool show) { setAndRepaint(m_hideButton, show); }
    bool isRolledUp() const { return m_rolled; }
    void setRolledUp(bool rolled);
    QRect rollButtonRect() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void skinCopyTaken(TSeSkinObject* copy) override;
    void drawSkin(TSeCanvas& canvas) override;
    void drawSkinText(QPainter& painter) override;
    std::optional<std::size_t> faceKey() const override;
    bool drawsSkinText() const override;

private:
    bool hasCaptionButton() const { return m_showCaption && (m_rollButton || m_hideButton); }
    int buttonState() const;

    QString m_caption;
    bool m_showCaption = false;
    bool m_rollButton = false;
    bool m_hideButton = false;
    bool m_rolled = false;
    bool m_buttonPressed = false;
    int m_unrolledHeight = 0;
};

// A tool bar: a strip of controls laid left to right over the "ToolBar" object's "Frame".
class TSeSkinToolBar : public lanseek::skin::SkinnedWidget<QFrame>
{
    Q_OBJECT
public:
    explicit TSeSkinToolBar(QWidget* parent = nullptr);
    // Appends a control at the right end of the bar.
    void addControl(QWidget* control, int gapBefore = 0);

protected:
    void drawSkin(TSeCanvas& canvas) override;
    std::optional<std::size_t> faceKey() const override;
    bool drawsSkinText() const override { return false; }

private:
    int m_nextLeft = 2;
};
