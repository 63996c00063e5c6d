#include "download/download_queue.h"

#include "platform/model/song_entry.h"

#include <algorithm>
#include <unordered_map>

namespace lanseek::download {

platform::ListRow QueuedSong::toRow() const
{
    return {caption, imageIndex, {name, address, sizeText, type, savePath}};
}

QueuedSong QueuedSong::fromRow(const platform::ListRow& row)
{
    QueuedSong song;
    song.caption = row.caption;
    song.imageIndex = row.imageIndex;
    song.name = row.subItem(song::kName);
    song.address = row.subItem(song::kAddress);
    song.sizeText = row.subItem(song::kSize);
    song.type = row.subItem(song::kType);
    song.savePath = row.subItem(song::kSavePath);
    return song;
}

SongId DownloadQueue::add(QueuedSong song)
{
    song.id = ++m_lastId;
    m_songs.push_back(std::move(song));
    return m_songs.back().id;
}

void DownloadQueue::keepOnly(const std::vector<SongId>& order)
{
    std::unordered_map<SongId, std::size_t> position;
    for (std::size_t i = 0; i < m_songs.size(); ++i)
        position.emplace(m_songs[i].id, i);
    std::vector<QueuedSong> kept;
    kept.reserve(order.size());
    for (SongId id : order) {
        const auto it = position.find(id);
        if (it == position.end())
            continue;
        kept.push_back(std::move(m_songs[it->second]));
        position.erase(it); // an id listed twice is kept once
    }
    m_songs = std::move(kept);
}

int DownloadQueue::indexOf(SongId id) const
{
    const auto it =
        std::find_if(m_songs.begin(), m_songs.end(), [id](const QueuedSong& s) { return s.id == id; });
    return it == m_songs.end() || id == 0 ? -1 : static_cast<int>(it - m_songs.begin());
}

const QueuedSong* DownloadQueue::find(SongId id) const
{
    const int index = indexOf(id);
    return index < 0 ? nullptr : &m_songs[static_cast<std::size_t>(index)];
}

QueuedSong* DownloadQueue::find(SongId id)
{
    const int index = indexOf(id);
    return index < 0 ? nullptr : &m_songs[static_cast<std::size_t>(index)];
}

std::vector<SongId> DownloadQueue::idsFrom(int index) const
{
    std::vector<SongId> ids;
    for (int i = std::max(index, 0); i < size(); ++i)
        ids.push_back(at(i).id);
    return ids;
}

std::vector<TakenPath> DownloadQueue::takenPathsBefore(int end) const
{
    std::vector<TakenPath> taken;
    const int rows = std::min(end, size());
    for (int i = 0; i < rows; ++i)
        taken.push_back({at(i).savePath, at(i).address});
    return taken;
}

} // namespace lanseek::download
