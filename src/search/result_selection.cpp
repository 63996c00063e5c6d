#include "search/result_selection.h"

namespace lanseek::search {

SongEntry cardEntryFrom(const SongEntry& chosen)
{
    SongEntry card;
    card.caption = chosen.caption;
    card.imageIndex = chosen.imageIndex;
    card.subItems = chosen.subItems.mid(0, kSongRowSubItems);
    return card;
}

} // namespace lanseek::search
