#include "app/desktop/mpris_player_adaptor.h"

#include "app/desktop/mpris_values.h"

namespace lanseek::app {

MprisPlayerAdaptor::MprisPlayerAdaptor(QObject* host, PlayerRemote& player, ErrorPolicy& errors)
    : QDBusAbstractAdaptor(host), m_player(player), m_errors(errors)
{
}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return mpris::statusWord(m_player.playStatus());
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return mpris::metadata(m_player.nowPlaying());
}

void MprisPlayerAdaptor::setVolume(double volume)
{
    run([&] { m_player.setVolume(volume); });
}

qlonglong MprisPlayerAdaptor::position() const
{
    return mpris::toMicroseconds(m_player.positionMs());
}

void MprisPlayerAdaptor::Next()
{
    run([this] { m_player.next(); });
}

void MprisPlayerAdaptor::Previous()
{
    run([this] { m_player.previous(); });
}

void MprisPlayerAdaptor::Pause()
{
    run([this] { m_player.pause(); });
}

void MprisPlayerAdaptor::PlayPause()
{
    run([this] {
        if (m_player.playStatus() == PlayStatus::Playing)
            m_player.pause();
        else
            m_player.play();
    });
}

void MprisPlayerAdaptor::Stop()
{
    run([this] { m_player.stop(); });
}

void MprisPlayerAdaptor::Play()
{
    run([this] { m_player.play(); });
}

void MprisPlayerAdaptor::Seek(qlonglong offset)
{
    run([this, offset] {
        if (!m_player.canSeek())
            return;
        const qint64 target = m_player.positionMs() + offset / 1000;
        const qint64 length = m_player.nowPlaying().lengthMs;
        // A seek past the end moves on to the next item, as the protocol asks; before the start it
        // goes to the start.
        if (length > 0 && target > length) {
            m_player.next();
            return;
        }
        m_player.seekTo(target < 0 ? 0 : target);
    });
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong position)
{
    run([&] {
        const NowPlaying now = m_player.nowPlaying();
        // A request meant for an item that has since ended is stale; one outside the item is ignored.
        if (trackId != mpris::trackId(now.row) || position < 0 || !m_player.canSeek())
            return;
        if (now.lengthMs > 0 && position / 1000 > now.lengthMs)
            return;
        m_player.seekTo(position / 1000);
    });
}

} // namespace lanseek::app
