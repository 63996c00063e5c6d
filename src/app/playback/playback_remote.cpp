// The play list's controller as the desktop's player: the commands of media keys and desktop widgets,
// answered by the player object the shown page hosts and by the play list's rows.

#include "app/playback/playback_controller.h"

#include "app/playback/play_list_rows.h"

#include "platform/media/media_player_control.h"
#include "playback/player_pages.h"
#include "playback/playlist_files.h"
#include "skin/controls/se_controls.h"

#include <algorithm>
#include <cmath>

namespace lanseek::app {

using platform::MediaPipeline;

void PlaybackController::adoptPlayer(platform::MediaPlayerControl* player)
{
    // The rows it plays are those of the page written last; until now the old page's player was playing
    // the old page's rows.
    m_player = player;
    m_firstRow = m_pageFirstRow;
    player->pipeline().setVolume(m_volume);
    // The connections end with the player, which the page view deletes with its page.
    MediaPipeline* pipeline = &player->pipeline();
    connect(pipeline, &MediaPipeline::stateChanged, this, &PlaybackController::notifyPlayer);
    connect(pipeline, &MediaPipeline::itemChanged, this, &PlaybackController::notifyPlayer);
    connect(pipeline, &MediaPipeline::durationChanged, this, &PlaybackController::notifyPlayer);
    connect(pipeline, &MediaPipeline::titleChanged, this, &PlaybackController::notifyPlayer);
    connect(pipeline, &MediaPipeline::volumeChanged, this, &PlaybackController::notifyPlayer);
    // The position slider of the player seeks as a bus call does; the desktop hears of both.
    connect(pipeline, &MediaPipeline::seeked, this, [this](qint64 positionMs) {
        if (m_observer)
            m_observer->playerSeeked(positionMs);
    });
    connect(player, &QObject::destroyed, this, &PlaybackController::notifyPlayer);
    notifyPlayer();
}

void PlaybackController::notifyPlayer() const
{
    if (m_observer)
        m_observer->playerChanged();
}

int PlaybackController::currentRow() const
{
    if (!m_player || m_player->currentIndex() < 0)
        return -1;
    const int row = m_firstRow + m_player->currentIndex();
    return row < m_view.playListView->Count() ? row : -1;
}

PlayStatus PlaybackController::playStatus() const
{
    if (!m_player)
        return PlayStatus::Stopped;
    switch (m_player->state()) {
    case MediaPipeline::State::Playing:
        return PlayStatus::Playing;
    case MediaPipeline::State::Paused:
        return PlayStatus::Paused;
    case MediaPipeline::State::Loading:
        // Opening or connecting on the way to playing; asked to pause meanwhile, it is paused.
        return m_player->pipeline().isRunning() ? PlayStatus::Playing : PlayStatus::Paused;
    case MediaPipeline::State::Stopped:
        break;
    }
    return PlayStatus::Stopped;
}

NowPlaying PlaybackController::nowPlaying() const
{
    NowPlaying now;
    now.row = currentRow();
    if (now.row < 0)
        return now;
    const TSeSkinSListView* list = m_view.playListView;
    // A song row names its song; a row read from a playlist file holds only the file's line, and the
    // item's own tags name it better when they carry a title.
    if (list->subItemCount(now.row) > song::kName)
        now.title = list->subItem(now.row, song::kName);
    else if (!m_player->pipeline().title().isEmpty())
        now.title = m_player->pipeline().title();
    else
        now.title = list->caption(now.row);
    now.url = m_player->pipeline().currentUrl();
    now.lengthMs = m_player->durationMs();
    return now;
}

qint64 PlaybackController::positionMs() const
{
    return m_player ? m_player->positionMs() : 0;
}

void PlaybackController::setVolume(double linear)
{
    const double volume = std::isnan(linear) ? 0.0 : std::clamp(linear, 0.0, MediaPipeline::kMaximumVolume);
    if (volume == m_volume)
        return;
    m_volume = volume;
    if (m_player)
        m_player->pipeline().setVolume(volume);
    else
        notifyPlayer();
}

bool PlaybackController::canPlay() const
{
    return m_player || holdsSongs(m_view.playListView);
}

bool PlaybackController::canPause() const
{
    return m_player && m_player->state() != MediaPipeline::State::Stopped;
}

bool PlaybackController::canSeek() const
{
    return m_player && m_player->durationMs() > 0 &&
           (m_player->state() == MediaPipeline::State::Playing ||
            m_player->state() == MediaPipeline::State::Paused);
}

bool PlaybackController::canGoNext() const
{
    const int row = currentRow();
    return row >= 0 && row + 1 < m_view.playListView->Count() && holdsSongs(m_view.playListView);
}

bool PlaybackController::canGoPrevious() const
{
    return currentRow() > 0 && holdsSongs(m_view.playListView);
}

void PlaybackController::play()
{
    if (m_player) {
        m_player->play();
        return;
    }
    // Nothing shown yet: the play list plays from its chosen row, or from its first.
    if (holdsSongs(m_view.playListView))
        playFromRow(std::max(0, m_view.playListView->firstSelectedRow()));
}

void PlaybackController::pause()
{
    if (m_player)
        m_player->pause();
}

void PlaybackController::stop()
{
    if (m_player)
        m_player->stop();
}

void PlaybackController::next()
{
    if (canGoNext())
        playFromRow(currentRow() + 1);
}

void PlaybackController::previous()
{
    if (canGoPrevious())
        playFromRow(currentRow() - 1);
}

void PlaybackController::seekTo(qint64 positionMs)
{
    if (!canSeek())
        return;
    const qint64 target = std::clamp<qint64>(positionMs, 0, m_player->durationMs());
    m_player->seek(target);
}

void PlaybackController::playFromRow(int row)
{
    TSeSkinSListView* list = m_view.playListView;
    for (int selected : list->selectedRowIndexes())
        list->setRowSelected(selected, false);
    list->setRowSelected(row, true);
    const std::vector<SongEntry> rows = allRows(list);
    const std::vector<SongEntry> fromRow(rows.begin() + row, rows.end());
    const playback::PlayOnlinePlan plan = playback::playOnlinePlan(fromRow, m_folders.programFolder());
    playback::writeTextLines(m_folders.programFolder() + plan.sideFile, plan.sideLines);
    playback::writeTextLines(m_folders.programFolder() + plan.page, plan.pageLines);
    m_pageFirstRow = row;
    showPlayerPage(plan.page, plan.reduction);
}

} // namespace lanseek::app
