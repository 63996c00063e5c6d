#include "skin/forms/frame_window.h"

#include "skin/forms/custom_form.h"

#include <QPainter>

namespace lanseek::skin {

FrameWindow::FrameWindow(TSeCustomForm* form, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_form(form)
{
    // Left without a name: it is the frame's, not one of the program's own controls.
    setMouseTracking(true);
}

FrameWindow::~FrameWindow()
{
    // Destroyed with its parent: the owner inside goes with it, and its frame component must not free
    // this window a second time.
    m_form->m_window = nullptr;
}

bool FrameWindow::event(QEvent* event)
{
    if (event->type() == skinFrameQueryEvent()) {
        static_cast<SeFrameQueryEvent*>(event)->frame = m_form;
        return true;
    }
    if (m_form->frameEvent(event))
        return true;
    return QWidget::event(event);
}

void FrameWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_form->paintFrame(painter);
}

void FrameWindow::resizeEvent(QResizeEvent*)
{
    m_form->frameResized();
}

void FrameWindow::mousePressEvent(QMouseEvent* event)
{
    m_form->frameMousePress(event);
}

void FrameWindow::mouseMoveEvent(QMouseEvent* event)
{
    m_form->frameMouseMove(event);
}

void FrameWindow::mouseReleaseEvent(QMouseEvent* event)
{
    m_form->frameMouseRelease(event);
}

void FrameWindow::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_form->frameMouseDoubleClick(event);
}

void FrameWindow::leaveEvent(QEvent*)
{
    m_form->frameLeave();
}

void FrameWindow::closeEvent(QCloseEvent* event)
{
    m_form->frameClose(event);
}

} // namespace lanseek::skin
