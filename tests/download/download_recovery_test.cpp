#include "download/download_recovery.h"

#include "platform/net/net_error.h"

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

TEST(DownloadRecovery, OurFailuresAreJudgedByTheirKindNotTheirWords)
{
    using lanseek::platform::Failure;
    using lanseek::platform::FailureKind;
    // Paths are the user's text: "40", "socket" or "access" in them mean nothing.
    const Failure playlist(FailureKind::PlaylistFile,
                           QStringLiteral("无法写入文件：/nonexistent-40/socket.rpm"));
    EXPECT_EQ(kindOf(playlist), FailureKind::PlaylistFile);
    EXPECT_EQ(downloadRecovery(kindOf(playlist), {0, 5, false}), std::vector<RecoveryAction>{});
    EXPECT_EQ(kindOf(TargetFileError(QStringLiteral("/access/40.mp3"))), FailureKind::TargetFile);
    EXPECT_EQ(downloadRecovery(FailureKind::TargetFile, {0, 5, true}), std::vector<RecoveryAction>{});
    EXPECT_EQ(downloadRecovery(FailureKind::CardFile, {0, 5, false}), std::vector<RecoveryAction>{});

    // The HTTP client's failures are failed downloads whatever they say.
    EXPECT_EQ(kindOf(lanseek::platform::HttpStatusError(500, "HTTP/1.1 500 Internal Server Error")),
              FailureKind::HttpStatus);
    EXPECT_EQ(kindOf(lanseek::platform::SocketError(0, "Connection closed gracefully")),
              FailureKind::Network);
    EXPECT_EQ(downloadRecovery(FailureKind::HttpStatus, {0, 3, true}),
              downloadRecovery(QStringLiteral("HTTP/1.1 404 Not Found"), {0, 3, true}));

    // Only what comes from outside is read by the text rules.
    EXPECT_EQ(kindOf(std::runtime_error("HTTP/1.1 404")), FailureKind::Unknown);
    EXPECT_EQ(kindOfMessage(QStringLiteral("Access violation")), FailureKind::Fatal);
    EXPECT_EQ(kindOfMessage(QStringLiteral("HTTP/1.1 404")), FailureKind::Network);
    EXPECT_EQ(kindOfMessage(QStringLiteral("Invalid stream operation")), FailureKind::Unknown);
}
