#pragma once

// Fetching one page into a parsed document. Runs on a worker thread: it blocks until the page is loaded,
// has failed, or was cancelled, and touches nothing but its arguments.

#include "platform/web/web_document.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

namespace lanseek::platform {

// Limits of one load. A body beyond kMaxPageBytes fails the load rather than exhausting memory.
inline constexpr std::int64_t kMaxPageBytes = 32 * 1024 * 1024;
inline constexpr long kConnectTimeoutSeconds = 10;
inline constexpr long kTotalTimeoutSeconds = 60;
// Redirects are followed the way a browser follows them, up to this many.
inline constexpr long kMaxRedirects = 5;

struct LoadOutcome
{
    std::shared_ptr<WebDocument> document; // null when the load failed or was cancelled
    QString error;                         // why it failed, for diagnostics
    std::int64_t received = 0;             // body bytes received
};

// Called with the bytes received so far and the announced total (0 while unknown).
using ProgressSink = std::function<void(std::int64_t received, std::int64_t total)>;

// Loads an http://, https://, file: or about:blank address. `cancelled` is polled during the transfer and
// ends it early; a cancelled load returns no document.
LoadOutcome loadPage(const QString& address, const std::atomic<bool>& cancelled,
                     const ProgressSink& progress);

} // namespace lanseek::platform
