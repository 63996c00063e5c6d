#include "app/application.h"

#include <cstdio>
#include <exception>

LanseekApplication::LanseekApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool LanseekApplication::notify(QObject* receiver, QEvent* event)
{
    QString message;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        message = QStringLiteral("unknown error");
    }
    if (m_handler)
        m_handler(message);
    else
        std::fprintf(stderr, "lanseek: %s\n", message.toLocal8Bit().constData());
    return false;
}
