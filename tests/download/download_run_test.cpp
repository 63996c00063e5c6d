#include "download/download_run.h"

#include <gtest/gtest.h>

using namespace lanseek::download;

namespace {

QStringList states(std::initializer_list<const QString*> texts)
{
    QStringList out;
    for (const QString* text : texts)
        out << *text;
    return out;
}

} // namespace

TEST(EndedFiles, AreReportedOnceInTheOrderTheyEnded)
{
    DownloadRun run;
    for (int r = 0; r < 4; ++r)
        run.addInProgressRow(true);
    run.fileEnded(2);
    run.fileEnded(0);
    run.fileEnded(2); // a second end of the same file changes nothing
    const QStringList shown = states({&kStateEnded, &kStateRunning, &kStateEnded, &kStateRunning});
    EXPECT_EQ(run.takeRowsToReport(shown), (std::vector<int>{2, 0}));
    EXPECT_TRUE(run.isReported(0));
    EXPECT_TRUE(run.isReported(2));
    EXPECT_FALSE(run.isReported(1));
    // The same texts a moment later (before the rows show their final state) give nothing new.
    EXPECT_EQ(run.takeRowsToReport(shown), std::vector<int>{});
    // A reported file is never queued again.
    run.fileEnded(0);
    EXPECT_TRUE(run.endedRows.isEmpty());

    run.fileEnded(3);
    run.fileEnded(1);
    EXPECT_EQ(run.takeRowsToReport(states({&kStateDone, &kStateEnded, &kStateIncomplete, &kStateEnded})),
              (std::vector<int>{3, 1}));
}

TEST(EndedFiles, RowsShowingTheEndWithoutBeingQueuedFollowInListOrder)
{
    DownloadRun run;
    run.addInProgressRow(true);
    run.addInProgressRow(true);
    run.fileEnded(1);
    // Row 0 and a row the per-row lists do not know yet show the end as well.
    EXPECT_EQ(run.takeRowsToReport(states({&kStateEnded, &kStateEnded, &kStateEnded})),
              (std::vector<int>{1, 0, 2}));
    EXPECT_TRUE(run.isReported(2));
    // A queued row whose text no longer says it ended (or that is gone) is dropped, not reported.
    run.addInProgressRow(true);
    run.fileEnded(3);
    run.fileEnded(7);
    EXPECT_EQ(run.takeRowsToReport(states({&kStateDone, &kStateDone, &kStateDone, &kStateRunning})),
              std::vector<int>{});
}

TEST(EndedFiles, OneShortWorkerMakesTheFileIncomplete)
{
    DownloadRun run;
    run.addInProgressRow(true);
    run.addInProgressRow(false); // no worker could start
    EXPECT_TRUE(run.isComplete(0));
    EXPECT_FALSE(run.isComplete(1));
    run.markIncomplete(0);
    run.markIncomplete(5); // out of range: ignored
    EXPECT_FALSE(run.isComplete(0));
    EXPECT_FALSE(run.isComplete(5));
}

TEST(EndedFiles, APathIsInUseWhileItsSlotHasWorkers)
{
    DownloadRun run;
    run.slotSavePath = {QStringLiteral("/m/a.mp3"), QStringLiteral("/m/b.mp3"), QString()};
    EXPECT_TRUE(run.pathInUse(QStringLiteral("/m//a.mp3"), {1, 0, 0}));
    EXPECT_FALSE(run.pathInUse(QStringLiteral("/m/a.mp3"), {0, 3, 0}));
    EXPECT_TRUE(run.pathInUse(QStringLiteral("/m/b.mp3"), {0, 3, 0}));
    EXPECT_FALSE(run.pathInUse(QStringLiteral("/m/c.mp3"), {5, 5, 5}));
}
