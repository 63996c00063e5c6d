#pragma once

// Keeping the window alive while the UI thread waits. A blocking call made "on the UI thread" runs on a
// short-lived helper thread while the UI thread runs a nested event loop, so painting, timers and clicks go
// on. Handlers must therefore expect re-entry: a click can arrive while an earlier handler is still waiting
// here. Nested waits unwind innermost first: an outer wait whose call has ended returns only after every
// wait started inside it has returned.

#include <functional>

namespace lanseek::platform {

// The anti-freeze interval: pending events are processed at least this often while a call blocks.
inline constexpr int kIdleTimeoutMs = 200;

// Runs call to its end and rethrows on the calling thread whatever it threw. On the application's thread
// the call runs on a helper thread while pending events are processed (at least every idleTimeoutMs, and at
// once when the call ends); on any other thread, or without a QCoreApplication, call simply runs inline.
void runBlocking(const std::function<void()>& call, int idleTimeoutMs = kIdleTimeoutMs);

// Processes events for about ms milliseconds (at least once). On other threads it only sleeps.
void processEventsFor(int ms);

// Processes events until ready() returns true; ready() is checked before the first wait, after every batch
// of events and at least every pollMs. Returns false when timeoutMs (if not negative) passes first. On other
// threads it polls with sleeps of pollMs.
bool waitUntil(const std::function<bool()>& ready, int timeoutMs = -1, int pollMs = 50);

// Runs work on the application's thread and waits for it, rethrowing what it threw. From the application's
// thread, or without a QCoreApplication, it runs inline. The application's thread must be processing events
// (for example inside runBlocking) or this waits until it does.
void runOnUiThread(const std::function<void()>& work);

} // namespace lanseek::platform
