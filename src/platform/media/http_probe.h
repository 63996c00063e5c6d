#pragma once

// A request of our own to a web item that failed to play, for when the network source did not say
// why: whether the server could be reached at all and what it answered.

#include "platform/media/play_failure.h"

#include <QUrl>

#include <atomic>

namespace lanseek::platform {

// Blocking, for a few seconds at most: the pipeline runs it on a helper thread. Redirects are
// followed as the network sources follow them; the body is not read. `cancel`, when set, ends the
// request early (the outcome is then NotTried).
ProbeResult probeHttp(const QUrl& url, const std::atomic<bool>* cancel = nullptr);

} // namespace lanseek::platform
