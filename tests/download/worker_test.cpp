#include "download/mp3thread.h"
#include "download/segments.h"
#include "platform/net/anti_freeze.h"
#include "platform/net/id_http.h"

#include "support/fault_http_server.h"
#include "support/log_capture.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

using lanseek::download::WorkerEvents;
using lanseek::download::WorkerJob;
using lanseek::test::FaultHttpServer;
using lanseek::test::LogCapture;
using lanseek::test::RangeHandling;
using lanseek::test::ServedFile;

namespace {

std::string blob(std::size_t size)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return bytes;
}

// Runs the workers of one file the way the queue starts them and records what they report, on this
// (the application's) thread.
class WorkerRun
{
public:
    struct End
    {
        int tag;
        bool complete;
    };

    WorkerRun()
    {
        auto events = std::make_shared<WorkerEvents>();
        events->work = [this](int tag, std::int64_t bytes) { work[tag].push_back(bytes); };
        events->workEnd = [this](int tag, bool complete) {
            // Every work event of a worker arrives before its end.
            endedBeforeLastWork |= !work[tag].empty() && ended.count(tag) > 0;
            ended.insert(tag);
            ends.push_back({tag, complete});
        };
        m_events = events;
        EXPECT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("target.mp3"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    }

    // Applied to the clients of later starts; the workers' own default is a minute at 1 KiB/s.
    std::optional<std::pair<long, long>> lowSpeedLimit;

    void start(const std::string& address, std::int64_t fileSize, int workers)
    {
        WorkerJob job;
        job.segmentLength = lanseek::download::segmentLength(fileSize, workers);
        job.workers = workers;
        job.savePath = path;
        job.address = address;
        job.fileSize = fileSize;
        for (int i = 0; i < workers; ++i) {
            auto client = std::make_shared<TIdHTTP>();
            client->Tag = 100 + i;
            if (lowSpeedLimit)
                client->setLowSpeedLimit(lowSpeedLimit->first, lowSpeedLimit->second);
            job.workerIndex = i;
            new tmp3download(client, job, m_events, &context, &context);
        }
        expected += static_cast<std::size_t>(workers);
    }

    bool waitForEnds(int timeoutMs = 20000)
    {
        return lanseek::platform::waitUntil([this] { return ends.size() >= expected; }, timeoutMs);
    }

    std::string contents() const
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll().toStdString();
    }

    bool allComplete() const
    {
        return std::all_of(ends.begin(), ends.end(), [](const End& e) { return e.complete; });
    }

    QTemporaryDir dir;
    QString path;
    QObject context;
    std::map<int, std::vector<std::int64_t>> work;
    std::set<int> ended;
    std::vector<End> ends;
    bool endedBeforeLastWork = false;
    std::size_t expected = 0;

private:
    std::shared_ptr<const WorkerEvents> m_events;
};

std::multiset<std::string> rangesOnTheWire(const FaultHttpServer& server)
{
    std::multiset<std::string> ranges;
    for (const auto& request : server.requests())
        ranges.insert(request.header("Range").value_or("(none)"));
    return ranges;
}

} // namespace

TEST(TransferWorker, FiveWorkersFetchTheirRangesIntoOneFile)
{
    FaultHttpServer server;
    const std::string body = blob(1'000'003);
    server.serve("/song.mp3", ServedFile{body});
    WorkerRun run;
    run.start(server.url("/song.mp3"), 1'000'003, 5);
    ASSERT_TRUE(run.waitForEnds());

    EXPECT_EQ(rangesOnTheWire(server),
              (std::multiset<std::string>{"bytes=0-200000", "bytes=200000-400000", "bytes=400000-600000",
                                          "bytes=600000-800000", "bytes=800000-1000003"}));
    EXPECT_TRUE(run.contents() == body);
    EXPECT_TRUE(run.allComplete());
    EXPECT_EQ(run.ended, (std::set<int>{100, 101, 102, 103, 104}));
    EXPECT_FALSE(run.endedBeforeLastWork);
    // Each worker's counts rise to what its reply carried: its segment and the shared byte.
    for (int tag = 100; tag < 104; ++tag) {
        const auto& counts = run.work[tag];
        ASSERT_FALSE(counts.empty());
        EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
        EXPECT_EQ(counts.back(), 200'001) << tag;
    }
    EXPECT_EQ(run.work[104].back(), 200'003);
}

TEST(TransferWorker, TwoWorkersSplitTheFileAtItsMiddle)
{
    FaultHttpServer server;
    const std::string body = blob(1'000'003);
    server.serve("/song.mp3", ServedFile{body});
    WorkerRun run;
    run.start(server.url("/song.mp3"), 1'000'003, 2);
    ASSERT_TRUE(run.waitForEnds());
    EXPECT_EQ(rangesOnTheWire(server),
              (std::multiset<std::string>{"bytes=0-500001", "bytes=500001-1000003"}));
    EXPECT_TRUE(run.contents() == body);
    EXPECT_TRUE(run.allComplete());
}

TEST(TransferWorker, AServerIgnoringRangesStillGivesTheFileByteForByte)
{
    FaultHttpServer server;
    const std::string body = blob(1'000'003);
    ServedFile file{body};
    file.ranges = RangeHandling::Ignore;
    server.serve("/song.mp3", file);
    WorkerRun run;
    run.start(server.url("/song.mp3"), 1'000'003, 5);
    ASSERT_TRUE(run.waitForEnds());
    ASSERT_EQ(run.contents().size(), body.size());
    EXPECT_TRUE(run.contents() == body);
    EXPECT_TRUE(run.allComplete());
}

TEST(TransferWorker, ABrokenConnectionLeavesItsSegmentShortAndIsReportedIncomplete)
{
    FaultHttpServer server;
    const std::string body = blob(1'000'003);
    ServedFile file{body};
    file.dropAfterBodyBytes = 300'000;
    server.serve("/song.mp3", file);
    WorkerRun run;
    run.start(server.url("/song.mp3"), 1'000'003, 2);
    ASSERT_TRUE(run.waitForEnds());
    EXPECT_EQ(run.ends.size(), 2u);
    EXPECT_FALSE(run.ends[0].complete);
    EXPECT_FALSE(run.ends[1].complete);
    const std::string got = run.contents();
    ASSERT_EQ(got.size(), 500'001u + 300'000u);
    // What arrived is in place; the rest of the first segment is still zero.
    EXPECT_TRUE(got.compare(0, 300'000, body, 0, 300'000) == 0);
    EXPECT_EQ(got.find_first_not_of('\0', 300'000), 500'001u);
    EXPECT_TRUE(got.compare(500'001, 300'000, body, 500'001, 300'000) == 0);
}

TEST(TransferWorker, AnErrorReplyWritesNothing)
{
    FaultHttpServer server;
    ServedFile missing{"<html>not here</html>"};
    missing.status = 404;
    server.serve("/song.mp3", missing);
    ServedFile moved{"moved"};
    moved.status = 302;
    moved.location = "/elsewhere.mp3";
    server.serve("/moved.mp3", moved);

    WorkerRun run;
    run.start(server.url("/song.mp3"), 1000, 2);
    run.start(server.url("/moved.mp3"), 1000, 1);
    ASSERT_TRUE(run.waitForEnds());
    EXPECT_EQ(run.contents(), "");
    EXPECT_EQ(run.ends.size(), 3u);
    for (const auto& end : run.ends)
        EXPECT_FALSE(end.complete);
}

TEST(TransferWorker, AFileThatChangedSinceTheProbeIsNotMixedIn)
{
    FaultHttpServer server;
    server.serve("/song.mp3", ServedFile{blob(1200)});
    WorkerRun run;
    run.start(server.url("/song.mp3"), 1000, 2); // the probe saw 1000 bytes
    ASSERT_TRUE(run.waitForEnds());
    EXPECT_EQ(run.contents(), "");
    ASSERT_EQ(run.ends.size(), 2u);
    EXPECT_FALSE(run.ends[0].complete);
    EXPECT_FALSE(run.ends[1].complete);
}

TEST(TransferWorker, AMissingTargetFileEndsTheWorkerWithoutFetching)
{
    FaultHttpServer server;
    server.serve("/song.mp3", ServedFile{blob(1000)});
    WorkerRun run;
    QFile::remove(run.path);
    run.start(server.url("/song.mp3"), 1000, 1);
    ASSERT_TRUE(run.waitForEnds());
    EXPECT_FALSE(run.ends.at(0).complete);
    EXPECT_FALSE(QFile::exists(run.path));
    EXPECT_EQ(server.requestCount(), 0u);
}

TEST(TransferWorker, AWorkerOfUnreachableHostStillReportsItsEnd)
{
    WorkerRun run;
    run.start("http://127.0.0.1:" + std::to_string(FaultHttpServer::closedPort()) + "/x.mp3", 1000, 1);
    ASSERT_TRUE(run.waitForEnds());
    EXPECT_EQ(run.ended, (std::set<int>{100}));
    EXPECT_FALSE(run.ends.at(0).complete);
}

TEST(TransferWorker, ATricklingServerEndsTheWorkerAsIncomplete)
{
    FaultHttpServer server;
    const std::string body = blob(100'000);
    ServedFile trickle{body};
    trickle.bytesPerSecond = 200; // far below the limit, yet never silent long enough to stall
    server.serve("/song.mp3", trickle);
    server.serve("/quick.mp3", ServedFile{body});
    WorkerRun run;
    run.lowSpeedLimit = std::make_pair(1024L, 1L);
    run.start(server.url("/song.mp3"), 100'000, 1);
    ASSERT_TRUE(run.waitForEnds(15000));
    ASSERT_EQ(run.ends.size(), 1u);
    EXPECT_FALSE(run.ends[0].complete);
    const std::string got = run.contents();
    EXPECT_LT(got.size(), body.size());
    EXPECT_TRUE(got.compare(0, got.size(), body, 0, got.size()) == 0);

    // A transfer that keeps above the limit is not touched by it.
    WorkerRun fast;
    fast.lowSpeedLimit = std::make_pair(1024L, 1L);
    fast.start(server.url("/quick.mp3"), 100'000, 2);
    ASSERT_TRUE(fast.waitForEnds());
    EXPECT_TRUE(fast.allComplete());
    EXPECT_TRUE(fast.contents() == body);
}

// A worker's outcome says only whether its bytes all arrived; why they did not is told once in the
// download log category, and a stop the owner asked for is not told as a failure.
namespace {

const QString kDownloadCategory = QStringLiteral("lanseek.download");

QString systemText(int errorNumber)
{
    return QString::fromStdString(std::generic_category().message(errorNumber));
}

} // namespace

TEST(WorkerLog, AWriteThatFailsIsOneWarningWithItsCauseAndTheEndIsStillReported)
{
    const QString full = QStringLiteral("/dev/full"); // every write to it fails for want of space
    if (!QFileInfo(full).isWritable())
        GTEST_SKIP() << "no /dev/full on this machine";
    FaultHttpServer server;
    server.serve("/song.mp3", ServedFile{blob(70'000)});
    LogCapture log;
    WorkerRun run;
    run.path = full;
    run.start(server.url("/song.mp3"), 70'000, 1);
    ASSERT_TRUE(run.waitForEnds());

    ASSERT_EQ(run.ends.size(), 1u);
    EXPECT_EQ(run.ends[0].tag, 100);
    EXPECT_FALSE(run.ends[0].complete);
    EXPECT_FALSE(run.work[100].empty()); // the bytes did arrive; only writing them failed
    const auto warnings = log.warnings(kDownloadCategory);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].text.contains(full)) << warnings[0].text.toStdString();
    EXPECT_TRUE(warnings[0].text.contains(systemText(ENOSPC))) << warnings[0].text.toStdString();
}

TEST(WorkerLog, ATransferThatFailsIsOneWarningPerWorkerNamingAddressAndCause)
{
    FaultHttpServer server;
    ServedFile missing{"<html>not here</html>"};
    missing.status = 404;
    server.serve("/gone.mp3", missing);
    LogCapture log;
    WorkerRun run;
    run.start(server.url("/gone.mp3"), 1000, 2);
    run.start("http://127.0.0.1:" + std::to_string(FaultHttpServer::closedPort()) + "/x.mp3", 1000, 1);
    ASSERT_TRUE(run.waitForEnds());

    EXPECT_EQ(run.ends.size(), 3u);
    EXPECT_FALSE(run.allComplete());
    const auto warnings = log.warnings(kDownloadCategory);
    ASSERT_EQ(warnings.size(), 3u);
    int refused = 0;
    int unreachable = 0;
    for (const auto& warning : warnings) {
        const std::string text = warning.text.toStdString();
        if (warning.text.contains(QStringLiteral("/gone.mp3"))) {
            ++refused;
            EXPECT_TRUE(warning.text.contains(QStringLiteral("404"))) << text; // the status line is the cause
        } else if (warning.text.contains(QStringLiteral("/x.mp3"))) {
            ++unreachable;
            EXPECT_TRUE(warning.text.contains(systemText(ECONNREFUSED))) << text;
        }
    }
    EXPECT_EQ(refused, 2);
    EXPECT_EQ(unreachable, 1);
}

TEST(WorkerLog, AMissingTargetFileIsAWarningNamingTheFile)
{
    FaultHttpServer server;
    server.serve("/song.mp3", ServedFile{blob(1000)});
    LogCapture log;
    WorkerRun run;
    QFile::remove(run.path);
    run.start(server.url("/song.mp3"), 1000, 1);
    ASSERT_TRUE(run.waitForEnds());
    EXPECT_FALSE(run.ends.at(0).complete);
    const auto warnings = log.warnings(kDownloadCategory);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].text.contains(run.path)) << warnings[0].text.toStdString();
    EXPECT_TRUE(warnings[0].text.contains(systemText(ENOENT))) << warnings[0].text.toStdString();
}

TEST(WorkerLog, CompleteWorkersAndAStoppedOneLogNoWarning)
{
    FaultHttpServer server;
    const std::string body = blob(200'000);
    server.serve("/song.mp3", ServedFile{body});
    ServedFile trickle{body};
    trickle.bytesPerSecond = 2000;
    server.serve("/slow.mp3", trickle);
    LogCapture log;
    log.enableDebug(kDownloadCategory);

    WorkerRun run;
    run.start(server.url("/song.mp3"), 200'000, 3);
    ASSERT_TRUE(run.waitForEnds());
    EXPECT_TRUE(run.allComplete());

    WorkerRun stopped;
    stopped.start(server.url("/slow.mp3"), 200'000, 1);
    ASSERT_TRUE(lanseek::platform::waitUntil([&] { return !stopped.work[100].empty(); }, 10000));
    const auto workers = stopped.context.findChildren<tmp3download*>();
    ASSERT_EQ(workers.size(), 1);
    workers.front()->stopAndWait();
    ASSERT_TRUE(stopped.waitForEnds());
    EXPECT_FALSE(stopped.ends.at(0).complete);

    EXPECT_TRUE(log.warnings(kDownloadCategory).empty());
    // The stop is traced for whoever turned the debug lines on.
    const auto traced = log.messages(QtDebugMsg, kDownloadCategory);
    ASSERT_EQ(traced.size(), 1u);
    EXPECT_TRUE(traced[0].text.contains(QStringLiteral("/slow.mp3"))) << traced[0].text.toStdString();
}
