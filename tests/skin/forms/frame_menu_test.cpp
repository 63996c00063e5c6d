#include "skin/forms/frame_menu.h"

#include <gtest/gtest.h>

using namespace lanseek::skin;

namespace {

std::vector<FrameCommand> commands(const std::vector<FrameMenuItem>& items, int* separators)
{
    std::vector<FrameCommand> out;
    *separators = 0;
    for (const FrameMenuItem& item : items) {
        if (item.separator)
            ++*separators;
        else
            out.push_back(item.command);
    }
    return out;
}

} // namespace

TEST(BuiltInSystemMenu, TheMainWindowsIconsGiveNoMaximizeOrRollUp)
{
    const TSeBorderIcons icons{kbiClose, kbiSystemMenu, kbiMinimize, kbiTray};
    int separators = 0;
    EXPECT_EQ(commands(builtInSystemMenu(kwsNormal, icons), &separators),
              (std::vector{FrameCommand::Minimize, FrameCommand::MinimizeToTray, FrameCommand::Close}));
    EXPECT_EQ(separators, 1);
    EXPECT_EQ(commands(builtInSystemMenu(kwsRollup, icons), &separators),
              (std::vector{FrameCommand::Restore, FrameCommand::Minimize, FrameCommand::MinimizeToTray,
                           FrameCommand::Close}));
    EXPECT_EQ(commands(builtInSystemMenu(kwsTray, icons), &separators),
              (std::vector{FrameCommand::Restore, FrameCommand::Close}));
}

TEST(BuiltInSystemMenu, ItemsFollowTheStateWithEveryIcon)
{
    const TSeBorderIcons all = TSeBorderIcons::standard();
    int separators = 0;
    EXPECT_EQ(commands(builtInSystemMenu(kwsNormal, all), &separators),
              (std::vector{FrameCommand::Minimize, FrameCommand::Maximize, FrameCommand::Rollup,
                           FrameCommand::MinimizeToTray, FrameCommand::Close}));
    EXPECT_EQ(commands(builtInSystemMenu(kwsMaximized, all), &separators),
              (std::vector{FrameCommand::Restore, FrameCommand::Minimize, FrameCommand::Rollup,
                           FrameCommand::MinimizeToTray, FrameCommand::Close}));
    EXPECT_EQ(commands(builtInSystemMenu(kwsMinimized, all), &separators),
              (std::vector{FrameCommand::Restore, FrameCommand::Close}));
}

TEST(BuiltInSystemMenu, CloseAloneHasNoSeparatorAndCarriesItsShortcut)
{
    const auto items = builtInSystemMenu(kwsNormal, TSeBorderIcons{kbiClose});
    ASSERT_EQ(items.size(), 1u);
    EXPECT_FALSE(items[0].separator);
    EXPECT_EQ(items[0].command, FrameCommand::Close);
    EXPECT_EQ(items[0].shortcut, QStringLiteral("Alt+F4"));
    EXPECT_TRUE(builtInSystemMenu(kwsNormal, TSeBorderIcons{}).empty());
}
