#include "platform/net/anti_freeze.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <exception>
#include <future>
#include <memory>
#include <thread>

namespace lanseek::platform {

namespace {

bool onApplicationThread()
{
    const auto* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

} // namespace

void runBlocking(const std::function<void()>& call, int idleTimeoutMs)
{
    if (!onApplicationThread()) {
        call();
        return;
    }

    struct Outcome
    {
        std::atomic<bool> done{false};
        std::exception_ptr error;
    };
    auto outcome = std::make_shared<Outcome>();
    QEventLoop loop;

    std::thread helper([&call, outcome, &loop] {
        try {
            call();
        } catch (...) {
            outcome->error = std::current_exception();
        }
        outcome->done.store(true);
        // Queued, so it is applied by the loop itself even when it has not started yet. The loop outlives
        // this call: it is destroyed only after the thread has been joined.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    // The tick keeps the wait from depending on the completion message alone and makes sure the nested
    // loop wakes at least every idleTimeoutMs.
    QTimer tick;
    tick.setInterval(idleTimeoutMs > 0 ? idleTimeoutMs : kIdleTimeoutMs);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&loop, outcome] {
        if (outcome->done.load()) {
            loop.quit();
        }
    });
    tick.start();
    loop.exec();
    // The loop also ends when the application is told to quit; the call still has to end before its
    // result can be handed back, so keep serving events (woken by the tick) until it does.
    while (!outcome->done.load()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    tick.stop();
    helper.join();
    if (outcome->error) {
        std::rethrow_exception(outcome->error);
    }
}

void processEventsFor(int ms)
{
    if (!onApplicationThread()) {
        if (ms > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        }
        return;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (ms <= 0) {
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitUntil(const std::function<bool()>& ready, int timeoutMs, int pollMs)
{
    if (pollMs <= 0) {
        pollMs = 1;
    }
    QElapsedTimer clock;
    clock.start();
    const auto timedOut = [&] { return timeoutMs >= 0 && clock.elapsed() >= timeoutMs; };

    if (!onApplicationThread()) {
        while (!ready()) {
            if (timedOut()) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
        }
        return true;
    }

    // The poll timer wakes the blocking wait below so that the clock and the predicate are looked at even
    // when no other event arrives.
    QTimer poll;
    poll.setInterval(pollMs);
    poll.start();
    while (!ready()) {
        if (timedOut()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void runOnUiThread(const std::function<void()>& work)
{
    auto* app = QCoreApplication::instance();
    if (app == nullptr || onApplicationThread()) {
        work();
        return;
    }
    // The posted call alone owns the promise: should the application drop it unrun (while shutting down),
    // the promise dies with it and the wait below ends with std::future_error instead of hanging.
    auto promise = std::make_shared<std::promise<void>>();
    auto done = promise->get_future();
    QMetaObject::invokeMethod(
        app,
        [&work, promise = std::move(promise)] {
            try {
                work();
                promise->set_value();
            } catch (...) {
                promise->set_exception(std::current_exception());
            }
        },
        Qt::QueuedConnection);
    done.get();
}

} // namespace lanseek::platform
