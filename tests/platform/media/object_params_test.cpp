#include "platform/media/object_params.h"

#include <gtest/gtest.h>

using namespace lanseek::platform;

TEST(PlayerObject, ReadsSourceAutostartAndStatusBarFromParameters)
{
    const auto real = playerObjectSettings({{"_ExtentX", "6350"},
                                            {"AUTOSTART", "-1"},
                                            {"SRC", "file:///C:/lanseek/1.rpm"},
                                            {"CONTROLS", "ConrolPane"}});
    EXPECT_EQ(real.source, QStringLiteral("file:///C:/lanseek/1.rpm"));
    EXPECT_TRUE(real.autoStart);
    EXPECT_FALSE(real.showStatusBar);

    const auto wm = playerObjectSettings({{"FILENAME", "file:///x/winmedia.asx "}, {"showstatusbar", "1"}});
    EXPECT_EQ(wm.source, QStringLiteral("file:///x/winmedia.asx "));
    EXPECT_TRUE(wm.autoStart) << "an object without AUTOSTART plays on its own";
    EXPECT_TRUE(wm.showStatusBar);

    for (const char* off : {"0", "false", "FALSE", " 0 ", "no"})
        EXPECT_FALSE(playerObjectSettings({{"src", "a.wav"}, {"AutoStart", off}}).autoStart) << off;
    for (const char* on : {"-1", "1", "true", "True"})
        EXPECT_TRUE(playerObjectSettings({{"src", "a.wav"}, {"AutoStart", on}}).autoStart) << on;
    EXPECT_FALSE(playerObjectSettings({{"ShowStatusBar", "0"}}).showStatusBar);
    EXPECT_TRUE(playerObjectSettings({}).source.isEmpty());
}

TEST(PlayerObject, FormatsTimesAsMinutesAndSeconds)
{
    EXPECT_EQ(formatPlayTime(0), QStringLiteral("0:00"));
    EXPECT_EQ(formatPlayTime(61999), QStringLiteral("1:01"));
    EXPECT_EQ(formatPlayTime(75 * 60000 + 3000), QStringLiteral("75:03"));
    EXPECT_EQ(formatPlayTime(-1), QStringLiteral("--:--"));
}
