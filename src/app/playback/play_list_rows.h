#pragma once

// The play list's rows as the playback handlers and the desktop's player read them.

#include "platform/model/song_entry.h"
#include "skin/controls/se_controls.h"

#include <vector>

namespace lanseek::app {

inline std::vector<SongEntry> allRows(const TSeSkinSListView* list)
{
    std::vector<SongEntry> rows;
    rows.reserve(static_cast<size_t>(list->Count()));
    for (int i = 0; i < list->Count(); ++i)
        rows.push_back(list->row(i));
    return rows;
}

// An empty play list, or one read from a file, has no songs to play or save.
inline bool holdsSongs(const TSeSkinSListView* list)
{
    return list->Count() > 0 && list->subItemCount(0) > 0;
}

} // namespace lanseek::app
