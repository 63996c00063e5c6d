#pragma once

#include "skin/controls/se_skinned_widget.h"

#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>

// A one-line edit framed by the "Edit" object's "Frame" and written in its "Text" font.
class TSeSkinEdit : public lanseek::skin::SkinnedWidget<QLineEdit, lanseek::skin::SkinnedPaint::Own>
{
    Q_OBJECT
public:
    explicit TSeSkinEdit(QWidget* parent = nullptr);

    // 8 disabled, 5 under the mouse, 7 focused, else 0.
    int skinState() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void skinChanged() override;
    void drawSkin(TSeCanvas& canvas) override;
    std::optional<std::size_t> faceKey() const override;
    bool drawsSkinText() const override { return false; }

private:
    bool m_lookApplied = false;
    QMargins m_plainMargins;
};

// A multi-line edit; its lines are the paragraphs of the text. Skinned, its two-pixel border comes
// from the "Edit" object's "Frame" and its scroll bars are skinned scroll bars.
class TSeSkinMemo
    : public lanseek::skin::SkinnedWidget<QPlainTextEdit, lanseek::skin::SkinnedPaint::ScrollAreaFrame>
{
    Q_OBJECT
public:
    explicit TSeSkinMemo(QWidget* parent = nullptr);
    void Clear() { clear(); }
    void Add(const QString& line) { appendPlainText(line); }
    QStringList Lines() const;
    // The lines as shown: every wrapped piece of a paragraph counts as a line of its own.
    QStringList visualLines() const;

    void setSkinEngine(TSeSkinEngine* engine) override;

protected:
    void skinChanged() override;
    void drawSkin(TSeCanvas& canvas) override;
    std::optional<std::size_t> faceKey() const override;
    bool drawsSkinText() const override { return false; }

private:
    bool m_lookApplied = false;
};

namespace lanseek::skin {
// The border width a framed scrolling control uses while skinned: the frame's widest margin, at
// least one pixel.
int frameWidthOf(const TSeSkinObject* frame);
// A framed scrolling control's border while skinned: a plain box of the given width, which the
// control's skinned painting then covers.
void showSkinnedFrame(QFrame& control, int width);
// The border of the plain look: one sunken panel pixel.
void showPlainFrame(QFrame& control);
} // namespace lanseek::skin
