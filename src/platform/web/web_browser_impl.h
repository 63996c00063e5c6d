#pragma once

// The browser's private state, shared by its loading half (web_browser.cpp) and its page view
// (page_view.cpp). Not for use outside this folder.

#include "platform/web/page_layout.h"
#include "platform/web/page_loader.h"
#include "platform/web/web_browser.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace lanseek::platform::detail {

// Progress events are posted at most this often; the final figures always follow.
inline constexpr auto kProgressInterval = std::chrono::milliseconds(50);

// Shared by the browser and its loads. A load posts its events through it; the browser's destructor clears
// the target under the lock first, so no event is ever posted to a browser that is going away (events already
// queued are discarded by Qt together with the object).
struct Mailbox
{
    std::mutex mutex;
    TWebBrowser* browser = nullptr;
};

} // namespace lanseek::platform::detail

struct TWebBrowser::Impl
{
    struct Load
    {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> cancelled;
        std::shared_ptr<std::atomic<bool>> finished;
    };

    std::shared_ptr<lanseek::platform::detail::Mailbox> mailbox =
        std::make_shared<lanseek::platform::detail::Mailbox>();
    std::vector<Load> loads;
    quint64 generation = 0;
    bool busy = false;
    std::shared_ptr<const lanseek::platform::WebDocument> document;
    QString lastError;

    // Page view.
    ObjectFactory objectFactory;
    SaveAsHandler saveAsHandler;
    std::unique_ptr<lanseek::platform::PageLayout> layout;
    bool viewStale = false; // the document changed while the view was hidden
    std::vector<QPointer<QWidget>> hosted;
    QPixmap background;
    QTimer marqueeTimer;
    QElapsedTimer marqueeClock;
    QScrollBar* scrollBar = nullptr;

    void abandonCurrent()
    {
        ++generation;
        busy = false;
        if (!loads.empty()) {
            loads.back().cancelled->store(true);
        }
    }

    // Joins the threads of loads that have ended, so that a long session does not collect them.
    void reap()
    {
        for (auto it = loads.begin(); it != loads.end();) {
            if (it->finished->load()) {
                it->thread.join();
                it = loads.erase(it);
            } else {
                ++it;
            }
        }
    }

    // The body of a load's thread: fetches and parses the page and posts its events to the browser.
    static void run(std::shared_ptr<lanseek::platform::detail::Mailbox> mailbox, quint64 generation,
                    QString address, std::shared_ptr<std::atomic<bool>> cancelled,
                    std::shared_ptr<std::atomic<bool>> finished);
};
