#include "support/private_session_bus.h"

#include <QFile>
#include <QStandardPaths>

namespace lanseek::test {

PrivateSessionBus::PrivateSessionBus()
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        m_whyNot = QStringLiteral("dbus-daemon is not installed");
        return;
    }
    // A bus of the session's kind, but with no service files: nothing of the machine's own (a notification
    // service, a remote's helper) is started on it behind the test's back.
    QFile config(m_folder.filePath(QStringLiteral("bus.conf")));
    if (!m_folder.isValid() || !config.open(QIODevice::WriteOnly)) {
        m_whyNot = QStringLiteral("cannot write the bus configuration");
        return;
    }
    config.write(QStringLiteral("<busconfig>\n"
                                "  <type>session</type>\n"
                                "  <listen>unix:dir=%1</listen>\n"
                                "  <policy context=\"default\">\n"
                                "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                                "    <allow eavesdrop=\"true\"/>\n"
                                "    <allow own=\"*\"/>\n"
                                "  </policy>\n"
                                "</busconfig>\n")
                     .arg(m_folder.path().toHtmlEscaped())
                     .toUtf8());
    config.close();
    // The daemon prints its address once it listens; the first line is all it says on standard output.
    m_daemon.start(daemon, {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
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
