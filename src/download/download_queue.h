#pragma once

// The download queue: the songs of the download list as typed items with identities that stay the same
// whatever happens to the list around them. A song's position changes when rows before it are deleted; its
// id never does, so a run, a slot, a report or the error policy that remembers a song by its id always
// finds that song again, or learns that it is gone.
//
// The download list view shows the queue in its order. Rows that reach the view by other means (a test,
// an older caller) are adopted by the controller, so the queue and the view always hold the same songs in
// the same order.

#include "download/download_rules.h"
#include "platform/model/list_row.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace lanseek::download {

// 0 is no song.
using SongId = std::uint64_t;

struct QueuedSong
{
    SongId id = 0;
    QString caption; // the row's number as the list shows it
    int imageIndex = -1;
    QString name;
    QString address;
    QString sizeText;
    QString type;
    QString savePath;

    // The row the download list shows for the song, and the song a shown row describes (without an id).
    platform::ListRow toRow() const;
    static QueuedSong fromRow(const platform::ListRow& row);
};

class DownloadQueue
{
public:
    // Appends a song under a new id and returns the id.
    SongId add(QueuedSong song);
    void clear() { m_songs.clear(); }
    // Keeps exactly the songs of `order`, in that order; ids the queue does not hold are ignored.
    void keepOnly(const std::vector<SongId>& order);

    int size() const { return static_cast<int>(m_songs.size()); }
    const QueuedSong& at(int index) const { return m_songs[static_cast<std::size_t>(index)]; }
    // -1 when the song is not (or no longer) in the queue.
    int indexOf(SongId id) const;
    const QueuedSong* find(SongId id) const;
    QueuedSong* find(SongId id);

    // The ids of the songs from `index` to the end, in list order.
    std::vector<SongId> idsFrom(int index) const;
    // The save paths and addresses of the songs before `end`, which keep theirs.
    std::vector<TakenPath> takenPathsBefore(int end) const;

private:
    std::vector<QueuedSong> m_songs;
    SongId m_lastId = 0;
};

} // namespace lanseek::download
