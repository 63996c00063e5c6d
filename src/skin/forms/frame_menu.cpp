#include "skin/forms/frame_menu.h"

namespace lanseek::skin {

std::vector<FrameMenuItem> builtInSystemMenu(TSeWindowState state, TSeBorderIcons icons)
{
    // The captions speak the program's language; the commands are those of the frame's caption buttons.
    std::vector<FrameMenuItem> items;
    auto add = [&items](FrameCommand command, const QString& caption, const QString& shortcut = {}) {
        items.push_back({false, command, caption, shortcut});
    };
    const bool hidden = state == kwsMinimized || state == kwsTray;
    if (state != kwsNormal)
        add(FrameCommand::Restore, QStringLiteral("还原(&R)"));
    if (icons.has(kbiMinimize) && !hidden)
        add(FrameCommand::Minimize, QStringLiteral("最小化(&N)"));
    if (icons.has(kbiMaximize) && (state == kwsNormal || state == kwsRollup))
        add(FrameCommand::Maximize, QStringLiteral("最大化(&X)"));
    if (icons.has(kbiRollup) && (state == kwsNormal || state == kwsMaximized))
        add(FrameCommand::Rollup, QStringLiteral("收缩(&L)"));
    if (icons.has(kbiTray) && !hidden)
        add(FrameCommand::MinimizeToTray, QStringLiteral("缩为图标(&T)"));
    if (icons.has(kbiClose)) {
        if (!items.empty())
            items.push_back({true, FrameCommand::Close, {}, {}});
        add(FrameCommand::Close, QStringLiteral("关闭(&C)"), QStringLiteral("Alt+F4"));
    }
    return items;
}

} // namespace lanseek::skin
