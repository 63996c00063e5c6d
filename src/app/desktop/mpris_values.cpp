#include "app/desktop/mpris_values.h"

namespace lanseek::app::mpris {

QString statusWord(PlayStatus status)
{
    switch (status) {
    case PlayStatus::Playing:
        return QStringLiteral("Playing");
    case PlayStatus::Paused:
        return QStringLiteral("Paused");
    case PlayStatus::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

QDBusObjectPath trackId(int row)
{
    if (row < 0)
        return QDBusObjectPath(kNoTrack);
    return QDBusObjectPath(QStringLiteral("/org/lanseek/lanseek/track/%1").arg(row));
}

QVariantMap metadata(const NowPlaying& now)
{
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId(now.row)));
    if (now.row < 0)
        return map;
    if (!now.title.isEmpty())
        map.insert(QStringLiteral("xesam:title"), now.title);
    if (!now.url.isEmpty())
        map.insert(QStringLiteral("xesam:url"), now.url.toString(QUrl::FullyEncoded));
    if (now.lengthMs > 0)
        map.insert(QStringLiteral("mpris:length"), toMicroseconds(now.lengthMs));
    return map;
}

} // namespace lanseek::app::mpris
