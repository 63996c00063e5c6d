#include "download/download_recovery.h"

#include <gtest/gtest.h>

using namespace lanseek::download;
using Kind = RecoveryAction::Kind;

TEST(DownloadRecovery, OnlySocketAndFortyMessagesTouchTheQueue)
{
    EXPECT_TRUE(isDownloadFailure(QStringLiteral("Socket Error # 111 Connection refused.")));
    EXPECT_TRUE(isDownloadFailure(QStringLiteral("SOCKET closed")));
    EXPECT_TRUE(isDownloadFailure(QStringLiteral("HTTP/1.1 404 Not Found")));
    EXPECT_FALSE(isDownloadFailure(QStringLiteral("Invalid stream operation")));
    EXPECT_FALSE(isDownloadFailure(QStringLiteral("无法创建文件：/music/a.mp3")));
    EXPECT_EQ(downloadRecovery(QStringLiteral("Invalid stream operation"), {0, 5, true}),
              std::vector<RecoveryAction>{});
}

TEST(DownloadRecovery, AFailedProbeMovesOnToTheNextRow)
{
    EXPECT_EQ(downloadRecovery(QStringLiteral("HTTP/1.1 404 Not Found"), {0, 3, true}),
              (std::vector<RecoveryAction>{{Kind::ReportCannotDownload, 0},
                                           {Kind::DisconnectProbe},
                                           {Kind::SetResumeRow, 1},
                                           {Kind::ShowDownloadView}}));
    // On the last row the probe is left alone and the row stays.
    EXPECT_EQ(downloadRecovery(QStringLiteral("socket"), {2, 3, true}),
              (std::vector<RecoveryAction>{{Kind::ReportCannotDownload, 2}}));
    // No row at the resume row: nothing to name, nothing to move.
    EXPECT_EQ(downloadRecovery(QStringLiteral("socket"), {0, 0, true}), std::vector<RecoveryAction>{});
}

TEST(DownloadRecovery, OutsideTheProbeSlotsAreGivenUpWhileTheRowIsAMultipleOfThree)
{
    // Row 0 gives up slot 0 and moves to row 1; 1 is no multiple of three, so slots 1 and 2 keep theirs.
    EXPECT_EQ(downloadRecovery(QStringLiteral("Socket Error # 104"), {0, 5, false}),
              (std::vector<RecoveryAction>{{Kind::ReportCannotDownload, 0},
                                           {Kind::GiveUpSlot, 0},
                                           {Kind::SetResumeRow, 1},
                                           {Kind::ShowDownloadView}}));
    // On the last row every slot is given up and the row stays.
    EXPECT_EQ(downloadRecovery(QStringLiteral("HTTP/1.1 400 Bad Request"), {3, 4, false}),
              (std::vector<RecoveryAction>{{Kind::ReportCannotDownload, 3},
                                           {Kind::GiveUpSlot, 0},
                                           {Kind::GiveUpSlot, 1},
                                           {Kind::GiveUpSlot, 2}}));
    EXPECT_EQ(downloadRecovery(QStringLiteral("socket closed"), {2, 5, false}),
              (std::vector<RecoveryAction>{{Kind::ReportCannotDownload, 2}}));
}

TEST(DownloadRecovery, AProbeMovingOntoAMultipleOfThreeStillKeepsTheSlots)
{
    // The probe moves from row 2 to row 3; while it runs the slots are never given up.
    EXPECT_EQ(downloadRecovery(QStringLiteral("socket"), {2, 6, true}),
              (std::vector<RecoveryAction>{{Kind::ReportCannotDownload, 2},
                                           {Kind::DisconnectProbe},
                                           {Kind::SetResumeRow, 3},
                                           {Kind::ShowDownloadView}}));
}
