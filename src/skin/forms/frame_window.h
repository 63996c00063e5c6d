#pragma once

// The frameless top-level window a skinned frame puts around its owner. It only hands its events to
// the frame component; all decisions are the component's.

#include <QWidget>

class TSeCustomForm;

namespace lanseek::skin {

class FrameWindow : public QWidget
{
    Q_OBJECT
public:
    // `parent` is the window the owner belonged to (or nullptr): the frame window is a window of its
    // own that the parent owns, as the owner was.
    FrameWindow(TSeCustomForm* form, QWidget* parent);
    ~FrameWindow() override;

    // The frame component whose window this is.
    TSeCustomForm* form() const { return m_form; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    TSeCustomForm* m_form;
};

} // namespace lanseek::skin
