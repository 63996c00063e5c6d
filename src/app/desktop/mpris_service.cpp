#include "app/desktop/mpris_service.h"

#include "app/desktop/desktop_log.h"
#include "app/desktop/mpris_player_adaptor.h"
#include "app/desktop/mpris_root_adaptor.h"
#include "app/desktop/mpris_values.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QMetaObject>
#include <QStringList>

namespace lanseek::app {

MprisService::MprisService(const QDBusConnection& bus, PlayerRemote& player, WindowPresence& window,
                           ErrorPolicy& errors, QObject* parent)
    : QObject(parent), m_bus(bus), m_player(player)
{
    new MprisRootAdaptor(&m_host, window, errors);
    m_playerAdaptor = new MprisPlayerAdaptor(&m_host, player, errors);
}

MprisService::~MprisService()
{
    m_player.setPlayerObserver(nullptr);
    if (!m_serviceName.isEmpty()) {
        m_bus.unregisterObject(mpris::kObjectPath);
        m_bus.unregisterService(m_serviceName);
    }
}

bool MprisService::start(QString* why)
{
    if (!m_bus.isConnected()) {
        *why = QStringLiteral("not connected to a session bus");
        return false;
    }
    if (!m_bus.registerObject(mpris::kObjectPath, &m_host, QDBusConnection::ExportAdaptors)) {
        *why = QStringLiteral("the bus refused the object %1").arg(mpris::kObjectPath);
        return false;
    }
    // The protocol lets a second player of the same kind add an instance part to the name.
    const QStringList names = {mpris::kServiceName, mpris::kServiceName + QStringLiteral(".instance") +
                                                        QString::number(QCoreApplication::applicationPid())};
    for (const QString& name : names) {
        if (m_bus.registerService(name)) {
            m_serviceName = name;
            break;
        }
    }
    if (m_serviceName.isEmpty()) {
        m_bus.unregisterObject(mpris::kObjectPath);
        *why = QStringLiteral("the bus gave none of the names %1").arg(names.join(QStringLiteral(", ")));
        return false;
    }
    m_told = currentProperties();
    m_player.setPlayerObserver(this);
    return true;
}

void MprisService::playerChanged()
{
    // A change often comes in a burst (a new page: a new player, its item, its state); the bus hears it
    // once the burst is over, with the state it settled in.
    if (m_changePending)
        return;
    m_changePending = true;
    QMetaObject::invokeMethod(this, &MprisService::tellChanges, Qt::QueuedConnection);
}

void MprisService::playerSeeked(qint64 positionMs)
{
    emit m_playerAdaptor->Seeked(mpris::toMicroseconds(positionMs));
}

QVariantMap MprisService::currentProperties() const
{
    const MprisPlayerAdaptor& p = *m_playerAdaptor;
    return {
        {QStringLiteral("PlaybackStatus"), p.playbackStatus()},
        {QStringLiteral("Metadata"), p.metadata()},
        {QStringLiteral("Volume"), p.volume()},
        {QStringLiteral("CanGoNext"), p.canGoNext()},
        {QStringLiteral("CanGoPrevious"), p.canGoPrevious()},
        {QStringLiteral("CanPlay"), p.canPlay()},
        {QStringLiteral("CanPause"), p.canPause()},
        {QStringLiteral("CanSeek"), p.canSeek()},
    };
}

void MprisService::tellChanges()
{
    m_changePending = false;
    const QVariantMap now = currentProperties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (m_told.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    m_told = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(mpris::kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << mpris::kPlayerInterface << changed << QStringList();
    if (!m_bus.send(signal))
        qCWarning(lcDesktop) << "could not tell the bus of a player change:" << m_bus.lastError().message();
}

} // namespace lanseek::app
