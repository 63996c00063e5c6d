#include "support/private_session_bus.h"

#include <QStandardPaths>

namespace lanseek::test {

PrivateSessionBus::PrivateSessionBus()
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        m_whyNot = QStringLiteral("dbus-daemon is not installed");
        return;
    }
    // The daemon prints its address once it listens; the first line is all it says on standard output.
    m_daemon.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                            QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    if (!m_daemon.waitForStarted(5000)) {
        m_whyNot = QStringLiteral("dbus-daemon did not start: ") + m_daemon.errorString();
        return;
    }
    while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(5000)) {
    }
    const QString line = QString::fromUtf8(m_daemon.readLine()).trimmed();
    if (line.isEmpty())
        m_whyNot = QStringLiteral("dbus-daemon printed no address: ") +
                   QString::fromUtf8(m_daemon.readAllStandardError());
    else
        m_address = line;
}

PrivateSessionBus::~PrivateSessionBus()
{
    for (const QString& name : std::as_const(m_connections))
        QDBusConnection::disconnectFromBus(name);
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(3000))
            m_daemon.kill();
        m_daemon.waitForFinished(1000);
    }
}

QDBusConnection PrivateSessionBus::connect(const QString& name) const
{
    m_connections << name;
    return QDBusConnection::connectToBus(m_address, name);
}

QProcessEnvironment PrivateSessionBus::childEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
    return environment;
}

} // namespace lanseek::test
