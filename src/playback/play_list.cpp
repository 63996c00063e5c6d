#include "playback/play_list.h"

namespace lanseek::playback {

PlayerKind playerKindForType(const QString& type)
{
    const QString upper = type.toUpper();
    return upper == QLatin1String("RM") || upper == QLatin1String("RAM") ? PlayerKind::RealMedia
                                                                         : PlayerKind::WindowsMedia;
}

bool isLoadedRow(const SongEntry& row)
{
    return row.subItems.isEmpty();
}

namespace {

bool isRealMediaText(const QString& type)
{
    return type == QLatin1String("rm") || type == QLatin1String("ram");
}

bool isWindowsMediaText(const QString& type)
{
    return type == QLatin1String("asf") || type == QLatin1String("wma");
}

} // namespace

bool typesMayMix(const QString& selectedType, const QString& firstPlayType)
{
    if (selectedType == firstPlayType)
        return true;
    if (isRealMediaText(selectedType) && isWindowsMediaText(firstPlayType))
        return false;
    if (isWindowsMediaText(selectedType) && isRealMediaText(firstPlayType))
        return false;
    return true;
}

SongEntry playRowFrom(const SongEntry& resultRow)
{
    return {resultRow.caption,
            resultRow.imageIndex,
            {resultRow.subItem(song::kName), resultRow.subItem(song::kAddress),
             resultRow.subItem(song::kSize), resultRow.subItem(song::kType)}};
}

AddToPlayPlan planAddToPlay(const std::vector<SongEntry>& selected,
                            const std::optional<SongEntry>& firstPlayRow)
{
    AddToPlayPlan plan;
    if (selected.empty())
        return plan;
    if (firstPlayRow) {
        if (isLoadedRow(*firstPlayRow)) {
            plan.emptyPlayListFirst = true;
        } else if (!typesMayMix(selected.front().subItem(song::kType), firstPlayRow->subItem(song::kType))) {
            plan.outcome = AddToPlayPlan::Outcome::TypeConflict;
            return plan;
        }
    }
    plan.outcome = AddToPlayPlan::Outcome::Append;
    plan.rows.reserve(selected.size());
    for (const SongEntry& row : selected)
        plan.rows.push_back(playRowFrom(row));
    return plan;
}

int heightAfterClear(int height)
{
    return height < kTallPlayListHeight ? kClearedPlayListHeight : height;
}

int heightAfterShowPage(int height, int reduction)
{
    return height >= kTallPlayListHeight ? height - reduction : height;
}

} // namespace lanseek::playback
