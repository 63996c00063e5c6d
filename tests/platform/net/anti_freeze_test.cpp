#include "platform/net/anti_freeze.h"
#include "platform/net/id_http.h"
#include "platform/net/net_error.h"

#include "support/fault_http_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

using namespace lanseek::platform;

namespace {

void sleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

TEST(AntiFreeze, KeepsTheEventLoopRunningDuringABlockingCall)
{
    int ticks = 0;
    QTimer timer;
    timer.setInterval(50);
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start();

    std::thread::id callThread;
    QElapsedTimer clock;
    clock.start();
    runBlocking([&] {
        callThread = std::this_thread::get_id();
        sleepMs(1000);
    });
    const auto elapsed = clock.elapsed();
    timer.stop();

    EXPECT_GE(elapsed, 1000);
    EXPECT_LT(elapsed, 1500) << "the wait ends when the call does, not a whole idle interval later";
    EXPECT_NE(callThread, std::this_thread::get_id());
    EXPECT_GE(ticks, 10) << "a 50 ms timer ticks about 20 times in a second of blocking";
}

TEST(AntiFreeze, RethrowsTheCallsExceptionOnTheCallingThread)
{
    try {
        runBlocking([] { throw SocketError(111, "Connection refused"); });
        FAIL() << "the exception must come through";
    } catch (const SocketError& e) {
        EXPECT_STREQ(e.what(), "Socket Error # 111 Connection refused.");
    }
    EXPECT_THROW(runBlocking([] { throw std::logic_error("x"); }), std::logic_error);
}

TEST(AntiFreeze, LetsAHandlerWaitAgainWhileAnOuterWaitRuns)
{
    // A click arriving while the queue waits may start another blocking call; both must complete.
    bool innerDone = false;
    bool outerDone = false;
    QTimer::singleShot(50, [&] {
        runBlocking([] { sleepMs(100); });
        innerDone = true;
    });
    runBlocking([&] { sleepMs(300); });
    outerDone = true;
    EXPECT_TRUE(innerDone);
    EXPECT_TRUE(outerDone);
}

TEST(AntiFreeze, RunsInlineAwayFromTheApplicationThread)
{
    std::thread::id callThread;
    std::thread other([&] { runBlocking([&] { callThread = std::this_thread::get_id(); }); });
    const auto otherId = other.get_id();
    other.join();
    EXPECT_EQ(callThread, otherId);
}

TEST(AntiFreezeWait, ReturnsOnceAnEventMakesThePredicateTrue)
{
    bool slotFree = false;
    QTimer::singleShot(100, [&] { slotFree = true; });
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(waitUntil([&] { return slotFree; }, 5000));
    EXPECT_GE(clock.elapsed(), 90);
    EXPECT_LT(clock.elapsed(), 1000);
}

TEST(AntiFreezeWait, GivesUpAfterItsTimeout)
{
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(waitUntil([] { return false; }, 200));
    EXPECT_GE(clock.elapsed(), 200);
    EXPECT_LT(clock.elapsed(), 1000);
}

TEST(AntiFreezeWait, ProcessEventsForServesEventsForTheTime)
{
    bool fired = false;
    QTimer::singleShot(20, [&] { fired = true; });
    QElapsedTimer clock;
    clock.start();
    processEventsFor(150);
    EXPECT_TRUE(fired);
    EXPECT_GE(clock.elapsed(), 140);
}

TEST(AntiFreezeUiThread, RunsWorkOnTheApplicationThreadAndRethrows)
{
    const auto uiThread = std::this_thread::get_id();
    std::thread::id ranOn;
    bool rethrown = false;
    std::atomic<bool> done{false};
    std::thread other([&] {
        runOnUiThread([&] { ranOn = std::this_thread::get_id(); });
        try {
            runOnUiThread([] { throw std::runtime_error("from the handler"); });
        } catch (const std::runtime_error&) {
            rethrown = true;
        }
        done = true;
    });
    EXPECT_TRUE(waitUntil([&] { return done.load(); }, 5000));
    other.join();
    EXPECT_EQ(ranOn, uiThread);
    EXPECT_TRUE(rethrown);
}

// The size probe as the queue runs it: the GET blocks on a helper thread while the UI thread serves events,
// and the work-begin handler runs on the UI thread, takes the length and disconnects.
TEST(AntiFreezeProbe, AProbeOnTheUiThreadStopsAtTheAnnouncedLength)
{
    lanseek::test::FaultHttpServer server;
    server.serve("/song.mp3", {.body = std::string(400000, 'x'), .bytesPerSecond = 100000});
    TIdHTTP probe;
    probe.Tag = 6789;
    std::int64_t fileSize = 0;
    std::thread::id handlerThread;
    probe.OnWorkBegin = [&](TIdHTTP& sender, std::int64_t length) {
        runOnUiThread([&] {
            handlerThread = std::this_thread::get_id();
            fileSize = length;
            sender.Disconnect();
        });
    };
    std::vector<char> buffer;
    QElapsedTimer clock;
    clock.start();
    runBlocking([&] { probe.Get(server.url("/song.mp3"), buffer); });

    EXPECT_EQ(fileSize, 400000);
    EXPECT_EQ(handlerThread, std::this_thread::get_id());
    EXPECT_TRUE(buffer.empty());
    EXPECT_LT(clock.elapsed(), 2000) << "the throttled body (4 s) is not read";
}
