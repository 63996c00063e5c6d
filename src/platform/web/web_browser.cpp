#include "platform/web/web_browser.h"

#include "platform/web/page_loader.h"

#include <QMetaObject>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

using lanseek::platform::WebDocument;

namespace {

// Progress events are posted at most this often; the final figures always follow.
constexpr auto kProgressInterval = std::chrono::milliseconds(50);

// Shared by the browser and its loads. A load posts its events through it; the browser's destructor clears
// the target under the lock first, so no event is ever posted to a browser that is going away (events already
// queued are discarded by Qt together with the object).
struct Mailbox
{
    std::mutex mutex;
    TWebBrowser* browser = nullptr;
};

} // namespace

struct TWebBrowser::Impl
{
    struct Load
    {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> cancelled;
        std::shared_ptr<std::atomic<bool>> finished;
    };

    std::shared_ptr<Mailbox> mailbox = std::make_shared<Mailbox>();
    std::vector<Load> loads;
    quint64 generation = 0;
    bool busy = false;
    std::shared_ptr<const WebDocument> document;
    QString lastError;

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

    static void run(std::shared_ptr<Mailbox> mailbox, quint64 generation, QString address,
                    std::shared_ptr<std::atomic<bool>> cancelled, std::shared_ptr<std::atomic<bool>> finished)
    {
        // Hands an event to the browser's thread, unless the browser is gone or the load was abandoned.
        auto post = [&](std::function<void(TWebBrowser*)> deliver) {
            std::lock_guard lock(mailbox->mutex);
            TWebBrowser* browser = mailbox->browser;
            if (browser && !cancelled->load()) {
                QMetaObject::invokeMethod(
                    browser, [browser, deliver = std::move(deliver)] { deliver(browser); },
                    Qt::QueuedConnection);
            }
        };
        auto lastPost = std::chrono::steady_clock::time_point();
        auto progress = [&](std::int64_t received, std::int64_t total) {
            const auto now = std::chrono::steady_clock::now();
            if (now - lastPost < kProgressInterval) {
                return;
            }
            lastPost = now;
            // Without an announced length the bar runs ahead of the bytes, at half of its length.
            const std::int64_t max = total > 0 ? total : received * 2;
            post([generation, received, max](TWebBrowser* browser) {
                browser->deliverProgress(generation, static_cast<int>(received), static_cast<int>(max));
            });
        };
        lanseek::platform::LoadOutcome outcome = lanseek::platform::loadPage(address, *cancelled, progress);
        // The last progress event always shows the bar full, whether the page came or not.
        const int total = static_cast<int>(std::max<std::int64_t>(outcome.received, 1));
        post([generation, total](TWebBrowser* browser) {
            browser->deliverProgress(generation, total, total);
        });
        post([generation, address, document = std::move(outcome.document), error = outcome.error](
                 TWebBrowser* browser) { browser->deliverComplete(generation, address, document, error); });
        finished->store(true);
    }
};

TWebBrowser::TWebBrowser(QWidget* parent) : QWidget(parent), m_impl(std::make_unique<Impl>())
{
    m_impl->mailbox->browser = this;
}

TWebBrowser::~TWebBrowser()
{
    {
        std::lock_guard lock(m_impl->mailbox->mutex);
        m_impl->mailbox->browser = nullptr;
    }
    for (auto& load : m_impl->loads) {
        load.cancelled->store(true);
    }
    for (auto& load : m_impl->loads) {
        load.thread.join();
    }
}

void TWebBrowser::Navigate(const QString& url)
{
    m_impl->abandonCurrent();
    m_impl->reap();
    m_impl->busy = true;
    Impl::Load load;
    load.cancelled = std::make_shared<std::atomic<bool>>(false);
    load.finished = std::make_shared<std::atomic<bool>>(false);
    load.thread =
        std::thread(&Impl::run, m_impl->mailbox, m_impl->generation, url, load.cancelled, load.finished);
    m_impl->loads.push_back(std::move(load));
}

void TWebBrowser::Stop()
{
    if (m_impl->busy) {
        m_impl->abandonCurrent();
    }
}

const WebDocument* TWebBrowser::Document() const
{
    return m_impl->document.get();
}

bool TWebBrowser::Busy() const
{
    return m_impl->busy;
}

QString TWebBrowser::lastError() const
{
    return m_impl->lastError;
}

void TWebBrowser::deliverProgress(quint64 generation, int progress, int progressMax)
{
    if (generation != m_impl->generation || !m_impl->busy) {
        return;
    }
    emit OnProgressChange(progress, progressMax);
}

void TWebBrowser::deliverComplete(quint64 generation, const QString& url,
                                  std::shared_ptr<WebDocument> document, const QString& error)
{
    if (generation != m_impl->generation || !m_impl->busy) {
        return;
    }
    m_impl->busy = false;
    m_impl->document = std::move(document);
    m_impl->lastError = error;
    documentChanged();
    emit OnDocumentComplete(this, url);
}

void TWebBrowser::documentChanged()
{
    update();
}
