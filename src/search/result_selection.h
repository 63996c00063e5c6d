#pragma once

// What the search result list offers to the commands that take songs out of it: the selected rows in
// list order (the play and download commands copy them all), the first selected row (the card command
// and the double-click take that one), and how a row is told to be a chart row.

#include "platform/model/song_entry.h"

#include <concepts>
#include <optional>
#include <vector>

namespace lanseek::search {

// Any list that hands out its rows by index and tells which are selected; the result list view is one.
template <typename List>
concept SelectableRows = requires(const List& list, int index)
{
    {
        list.Count()
        } -> std::convertible_to<int>;
    {
        list.row(index)
        } -> std::convertible_to<SongEntry>;
    {
        list.isRowSelected(index)
        } -> std::convertible_to<bool>;
};

// Chart rows carry a name and an address only; song rows carry size and type as well.
inline constexpr int kSongRowSubItems = 4;
inline bool isChartRow(const SongEntry& row)
{
    return row.subItems.size() < 3;
}

// Every selected row, with caption, icon and sub-items, in list order.
template <SelectableRows List> std::vector<SongEntry> selectedEntries(const List& list)
{
    std::vector<SongEntry> rows;
    const int count = list.Count();
    for (int i = 0; i < count; ++i)
        if (list.isRowSelected(i))
            rows.push_back(list.row(i));
    return rows;
}

// The first selected row, or nothing when no row is selected.
template <SelectableRows List> std::optional<SongEntry> firstSelectedEntry(const List& list)
{
    const int count = list.Count();
    for (int i = 0; i < count; ++i)
        if (list.isRowSelected(i))
            return list.row(i);
    return std::nullopt;
}

// The card list's row for a chosen result row: its caption, icon and sub-items 0 to 3 (name, address,
// size, type). A row with fewer sub-items (a chart row) gives just the ones it has, never invented ones.
SongEntry cardEntryFrom(const SongEntry& chosen);

} // namespace lanseek::search
