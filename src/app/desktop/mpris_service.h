#pragma once

// The program's player on the session bus under the media player protocol, for media keys, the desktop's
// media widgets, phones and command-line remotes. It answers for the player the play list drives and
// tells the bus of every change the player reports, whoever made it.

#include "app/shared/error_policy.h"
#include "app/shared/player_remote.h"
#include "app/shared/window_links.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace lanseek::app {

class MprisPlayerAdaptor;

class MprisService : public QObject, private PlayerObserver
{
public:
    MprisService(const QDBusConnection& bus, PlayerRemote& player, WindowPresence& window,
                 ErrorPolicy& errors, QObject* parent = nullptr);
    ~MprisService() override;

    // Puts the player on the bus. False, with the reason, when the bus refuses the object or every name.
    bool start(QString* why);
    // The name the player got: the protocol's own, or one for this process when another program holds it.
    QString serviceName() const { return m_serviceName; }

private:
    void playerChanged() override;
    void playerSeeked(qint64 positionMs) override;
    // Sends the properties that differ from those last told, in one PropertiesChanged.
    void tellChanges();
    QVariantMap currentProperties() const;

    QDBusConnection m_bus;
    PlayerRemote& m_player;
    MprisPlayerAdaptor* m_playerAdaptor = nullptr;
    QObject m_host; // the object on the bus; the adaptors are its children
    QString m_serviceName;
    QVariantMap m_told;
    bool m_changePending = false;
};

} // namespace lanseek::app
