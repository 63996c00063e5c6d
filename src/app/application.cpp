#include "app/application.h"

#include "app/shared/app_log.h"

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
        qCCritical(lanseek::app::appLog).noquote()
            << QStringLiteral("an exception escaped event delivery: %1").arg(message);
    return false;
}
