#pragma once

// The play list's rules: which songs may join it, what add-to-play copies, and how the list's height
// follows the player view. The handlers apply these decisions to the list views.

#include "platform/model/song_entry.h"

#include <QString>

#include <optional>
#include <vector>

namespace lanseek::playback {

inline const QString kNoSelectionMessage = QStringLiteral("请在搜索栏中选择想播放的文件名！");
inline const QString kTypeConflictMessage = QStringLiteral("文件类型不符,不能追加!");

// The player (and with it the playlist format) that a play list needs. Only its first row decides.
enum class PlayerKind { RealMedia, WindowsMedia };

// "RM" and "RAM", in any case, need the RealMedia player; every other type, empty included, the other.
PlayerKind playerKindForType(const QString& type);

// A row read from a playlist file carries its caption only.
bool isLoadedRow(const SongEntry& row);

// Whether a selection whose topmost row has `selectedType` may be appended to a play list whose first
// row has `firstPlayType`. Types compare as exact texts: RealMedia ("rm", "ram") and Windows Media
// ("asf", "wma") songs never share a list, every other type mixes with everything.
bool typesMayMix(const QString& selectedType, const QString& firstPlayType);

// A play list (and card list) row made from a search result row: caption, icon and the four song
// columns. Rows with fewer columns (chart rows) get empty texts for the missing ones.
SongEntry playRowFrom(const SongEntry& resultRow);

struct AddToPlayPlan
{
    enum class Outcome { NothingSelected, TypeConflict, Append };
    Outcome outcome = Outcome::NothingSelected;
    bool emptyPlayListFirst = false; // the play list holds loaded rows, which the selection replaces
    std::vector<SongEntry> rows;     // appended to the play list and to the card list, in this order
};

// Decides add-to-play. `selected` are the selected search result rows in list order; `firstPlayRow` is
// the play list's first row, absent when the list is empty.
AddToPlayPlan planAddToPlay(const std::vector<SongEntry>& selected,
                            const std::optional<SongEntry>& firstPlayRow);

// The play list shares the panel with the player view: showing a page shortens a tall list, clearing
// the list makes a short one tall again.
inline constexpr int kTallPlayListHeight = 140;
inline constexpr int kClearedPlayListHeight = 145;
int heightAfterClear(int height);
int heightAfterShowPage(int height, int reduction);

} // namespace lanseek::playback
