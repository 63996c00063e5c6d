#pragma once

// How the player's state is written in the desktop's media player protocol: the names on the bus, the
// playback status words, track ids and the metadata map. Times on the bus are in microseconds.

#include "app/shared/player_remote.h"

#include <QDBusObjectPath>
#include <QString>
#include <QVariantMap>

namespace lanseek::app::mpris {

inline const QString kServiceName = QStringLiteral("org.mpris.MediaPlayer2.lanseek");
inline const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
inline const QString kRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
inline const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
// The id of "no track", which the protocol reserves.
inline const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

QString statusWord(PlayStatus status);
// The id of the item on a play list row; the "no track" id for -1.
QDBusObjectPath trackId(int row);
// The metadata of what plays: an id always, a title and an address when known, the length when known.
QVariantMap metadata(const NowPlaying& now);

inline qlonglong toMicroseconds(qint64 ms)
{
    return qlonglong(ms) * 1000;
}

} // namespace lanseek::app::mpris
