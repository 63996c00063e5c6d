#pragma once

// The media player protocol's player interface over the program's player: its status, what plays, where
// and how loud, and the commands of media keys and desktop widgets. Every command runs under the error
// policy, as a click on the window's own buttons does.

#include "app/shared/error_policy.h"
#include "app/shared/player_remote.h"

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QString>
#include <QVariantMap>

namespace lanseek::app {

class MprisPlayerAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)

public:
    MprisPlayerAdaptor(QObject* host, PlayerRemote& player, ErrorPolicy& errors);

    QString playbackStatus() const;
    // The player plays at its own speed only; a request for another rate changes nothing.
    double rate() const { return 1.0; }
    void setRate(double) {}
    QVariantMap metadata() const;
    double volume() const { return m_player.volume(); }
    void setVolume(double volume);
    qlonglong position() const;
    bool canGoNext() const { return m_player.canGoNext(); }
    bool canGoPrevious() const { return m_player.canGoPrevious(); }
    bool canPlay() const { return m_player.canPlay(); }
    bool canPause() const { return m_player.canPause(); }
    bool canSeek() const { return m_player.canSeek(); }
    bool canControl() const { return true; }

public slots:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    // `offset` in microseconds, either way from the current position.
    void Seek(qlonglong offset);
    void SetPosition(const QDBusObjectPath& trackId, qlonglong position);

signals:
    void Seeked(qlonglong position);

private:
    template <typename Fn> void run(Fn&& fn) { guarded(m_errors, std::forward<Fn>(fn)); }

    PlayerRemote& m_player;
    ErrorPolicy& m_errors;
};

} // namespace lanseek::app
