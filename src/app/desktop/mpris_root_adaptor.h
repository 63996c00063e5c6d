#pragma once

// The media player protocol's root interface: who the player is, and bringing its window back or
// closing it.

#include "app/shared/error_policy.h"
#include "app/shared/window_links.h"

#include <QDBusAbstractAdaptor>
#include <QStringList>

namespace lanseek::app {

class MprisRootAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)

public:
    MprisRootAdaptor(QObject* host, WindowPresence& window, ErrorPolicy& errors);

    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const { return QStringLiteral("聆澜"); }
    // The menu entry's name without ".desktop", by which desktops find the program's icon.
    QString desktopEntry() const { return QStringLiteral("org.lanseek.lanseek"); }
    // Nothing is opened by address from outside.
    QStringList supportedUriSchemes() const { return {}; }
    QStringList supportedMimeTypes() const { return {}; }

public slots:
    void Raise();
    void Quit();

private:
    WindowPresence& m_window;
    ErrorPolicy& m_errors;
};

} // namespace lanseek::app
