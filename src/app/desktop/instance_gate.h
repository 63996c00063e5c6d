#pragma once

// One running program per session. The first start owns a name of its own on the session bus; a later
// start finds the name taken, asks its owner to bring its window back and ends. The owner answers
// through the desktop's application interface, so a desktop that starts programs by bus name can use it
// too. Without a bus every start runs on its own, as before.

#include "app/shared/window_links.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

namespace lanseek::app {

enum class InstanceRole {
    First,   // this process owns the name and runs the program
    Running, // another process owns it; this one should hand over and end
    Alone,   // no bus, or the bus refused: this process runs without the check
};

class InstanceGate : public QObject
{
public:
    static inline const QString kServiceName = QStringLiteral("org.lanseek.lanseek");
    static inline const QString kObjectPath = QStringLiteral("/org/lanseek/lanseek");

    explicit InstanceGate(const QDBusConnection& bus, QObject* parent = nullptr);
    ~InstanceGate() override;

    // Takes the name if it is free; `why` says why the role is Alone.
    InstanceRole claim(QString* why);
    // For the Running role: asks the owner to show its window. False, with the reason, when it did not
    // answer in time.
    bool showRunningInstance(QString* why);
    // For the First role: the window that later starts bring back. A request that came before is kept
    // for it.
    void attach(WindowPresence* window);

    // Brings the attached window back, or remembers to once there is one.
    void activate();

private:
    QDBusConnection m_bus;
    QObject m_host;
    WindowPresence* m_window = nullptr;
    bool m_activationPending = false;
    bool m_owned = false;
};

// The application interface the gate's owner answers on.
class ApplicationAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    ApplicationAdaptor(QObject* host, InstanceGate& gate);

public slots:
    void Activate(const QVariantMap& platformData);
    // The program opens nothing given on its command line and has no actions: both bring it back.
    void Open(const QStringList& uris, const QVariantMap& platformData);
    void ActivateAction(const QString& name, const QVariantList& parameter, const QVariantMap& platformData);

private:
    InstanceGate& m_gate;
};

} // namespace lanseek::app
