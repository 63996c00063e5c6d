#pragma once

// A session bus of the test's own: a dbus-daemon started for the test and ended with it, so that tests of
// the desktop integration never meet the machine's own session or each other.

#include <QDBusConnection>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace lanseek::test {

class PrivateSessionBus
{
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool isUp() const { return !m_address.isEmpty(); }
    // Why there is no bus (no dbus-daemon on the machine, or it did not start).
    QString whyNot() const { return m_whyNot; }
    QString address() const { return m_address; }

    // A connection of its own to the bus under `name` (each name is a separate client).
    QDBusConnection connect(const QString& name) const;
    // The environment of a child process that should find this bus as its session bus.
    QProcessEnvironment childEnvironment() const;

private:
    QTemporaryDir m_folder; // the configuration and the socket
    QProcess m_daemon;
    mutable QStringList m_connections; // closed before the daemon ends
    QString m_address;
    QString m_whyNot;
};

} // namespace lanseek::test
