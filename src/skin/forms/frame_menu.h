#pragma once

// The items of the built-in system menu, for a frame that has no menu of its own linked.

#include "skin/forms/frame_types.h"

#include <QString>

#include <vector>

namespace lanseek::skin {

enum class FrameCommand { Restore, Minimize, Maximize, Rollup, MinimizeToTray, Close };

struct FrameMenuItem
{
    bool separator = false;
    FrameCommand command = FrameCommand::Close;
    QString caption;  // with the mnemonic marked by '&'
    QString shortcut; // shown beside the caption; empty for none
    bool operator==(const FrameMenuItem&) const = default;
};

// In order: restore when the state is not normal; minimize (with the icon) unless minimized or in the
// tray; maximize (with the icon) when normal or rolled up; roll up (with the icon) when normal or
// maximized; minimize to tray (with the icon) unless minimized or in the tray; then, with the close
// icon, a separator when items precede and close with Alt+F4.
std::vector<FrameMenuItem> builtInSystemMenu(TSeWindowState state, TSeBorderIcons icons);

} // namespace lanseek::skin
