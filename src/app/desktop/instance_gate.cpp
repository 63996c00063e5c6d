#include "app/desktop/instance_gate.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace lanseek::app {

namespace {

// A running program answers at once; one that does not within this time is hung, and a second start
// must not hang with it.
constexpr int kActivateTimeoutMs = 5000;

} // namespace

InstanceGate::InstanceGate(const QDBusConnection& bus, QObject* parent) : QObject(parent), m_bus(bus)
{
    new ApplicationAdaptor(&m_host, *this);
}

InstanceGate::~InstanceGate()
{
    if (m_owned) {
        m_bus.unregisterObject(kObjectPath);
        m_bus.unregisterService(kServiceName);
    }
}

InstanceRole InstanceGate::claim(QString* why)
{
    if (!m_bus.isConnected()) {
        *why = QStringLiteral("not connected to a session bus");
        return InstanceRole::Alone;
    }
    // The object comes first, so that a start racing this one finds someone to answer it.
    if (!m_bus.registerObject(kObjectPath, &m_host, QDBusConnection::ExportAdaptors)) {
        *why = QStringLiteral("the bus refused the object %1").arg(kObjectPath);
        return InstanceRole::Alone;
    }
    // The bus gives a name to one connection only, so of two starts at the same moment exactly one wins.
    QDBusConnectionInterface* busItself = m_bus.interface();
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        busItself->registerService(kServiceName, QDBusConnectionInterface::DontQueueService,
                                   QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_owned = true;
        return InstanceRole::First;
    }
    m_bus.unregisterObject(kObjectPath);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceNotRegistered)
        return InstanceRole::Running;
    *why = QStringLiteral("the bus did not give the name %1: %2").arg(kServiceName, reply.error().message());
    return InstanceRole::Alone;
}

bool InstanceGate::showRunningInstance(QString* why)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        kServiceName, kObjectPath, QStringLiteral("org.freedesktop.Application"), QStringLiteral("Activate"));
    call << QVariantMap();
    const QDBusMessage answer = m_bus.call(call, QDBus::Block, kActivateTimeoutMs);
    if (answer.type() == QDBusMessage::ErrorMessage) {
        *why = answer.errorMessage();
        return false;
    }
    return true;
}

void InstanceGate::attach(WindowPresence* window)
{
    m_window = window;
    if (m_window && m_activationPending) {
        m_activationPending = false;
        m_window->bringToFront();
    }
}

void InstanceGate::activate()
{
    if (m_window)
        m_window->bringToFront();
    else
        m_activationPending = true;
}

ApplicationAdaptor::ApplicationAdaptor(QObject* host, InstanceGate& gate)
    : QDBusAbstractAdaptor(host), m_gate(gate)
{
}

void ApplicationAdaptor::Activate(const QVariantMap&)
{
    m_gate.activate();
}

void ApplicationAdaptor::Open(const QStringList&, const QVariantMap&)
{
    m_gate.activate();
}

void ApplicationAdaptor::ActivateAction(const QString&, const QVariantList&, const QVariantMap&)
{
    m_gate.activate();
}

} // namespace lanseek::app
