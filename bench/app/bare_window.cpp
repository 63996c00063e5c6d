// The reference for the start-up benchmark: a bare Qt window of the main window's size that reports its
// first paint and ends.

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {
class Window : public QWidget
{
protected:
    bool event(QEvent* e) override
    {
        // Reported once the paint pass is over and the window is shown, as the program reports its own.
        if (e->type() == QEvent::Paint) {
            QMetaObject::invokeMethod(
                this,
                [] {
                    std::printf("painted\n");
                    std::fflush(stdout);
                    std::_Exit(0);
                },
                Qt::QueuedConnection);
        }
        return QWidget::event(e);
    }
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Window window;
    window.resize(696, 604);
    window.show();
    return QApplication::exec();
}
