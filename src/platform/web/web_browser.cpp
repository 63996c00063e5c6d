#include "platform/web/web_browser.h"

#include "platform/log/exception_cause.h"
#include "platform/log/platform_log.h"
#include "platform/web/web_browser_impl.h"

#include <QMetaObject>

#include <exception>
#include <limits>
#include <utility>

using lanseek::platform::WebDocument;

namespace {

int clampToInt(std::int64_t value)
{
    return static_cast<int>(std::clamp<std::int64_t>(value, 0, std::numeric_limits<int>::max()));
}

} // namespace

void TWebBrowser::Impl::run(std::shared_ptr<lanseek::platform::detail::Mailbox> mailbox, quint64 generation,
                            QString address, std::shared_ptr<std::atomic<bool>> cancelled,
                            std::shared_ptr<std::atomic<bool>> finished)
{
    // Hands an event to the browser's thread, unless the browser is gone or the load was abandoned.
    auto post = [&](std::function<void(TWebBrowser*)> deliver) {
        std::lock_guard lock(mailbox->mutex);
        TWebBrowser* browser = mailbox->browser;
        if (browser && !cancelled->load()) {
            QMetaObject::invokeMethod(
                browser, [browser, deliver = std::move(deliver)] { deliver(browser); }, Qt::QueuedConnection);
        }
    };
    std::pair<int, int> lastFigures{-1, -1};
    auto postProgress = [&](int progress, int max) {
        if (lastFigures == std::pair(progress, max)) {
            return;
        }
        lastFigures = {progress, max};
        post([generation, progress, max](TWebBrowser* browser) {
            browser->deliverProgress(generation, progress, max);
        });
    };
    auto lastPost = std::chrono::steady_clock::time_point();
    auto progress = [&](std::int64_t received, std::int64_t total) {
        const auto now = std::chrono::steady_clock::now();
        if (now - lastPost < lanseek::platform::detail::kProgressInterval) {
            return;
        }
        lastPost = now;
        // Without an announced length the bar runs ahead of the bytes, at half of its length.
        postProgress(clampToInt(received), clampToInt(total > 0 ? total : received * 2));
    };
    lanseek::platform::LoadOutcome outcome = lanseek::platform::loadPage(address, *cancelled, progress);
    // The last progress event always shows the bar full, whether the page came or not.
    const int total = clampToInt(std::max<std::int64_t>(outcome.received, 1));
    postProgress(total, total);
    post([generation, address, document = std::move(outcome.document), error = outcome.error](
             TWebBrowser* browser) { browser->deliverComplete(generation, address, document, error); });
    finished->store(true);
}

TWebBrowser::TWebBrowser(QWidget* parent) : QWidget(parent), m_impl(std::make_unique<Impl>())
{
    m_impl->mailbox->browser = this;
    setupView();
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
    // The program hears of a failed load through lastError(); the log keeps its cause for a report.
    if (!error.isEmpty())
        qCDebug(lanseek::platform::platformLog).noquote()
            << QStringLiteral("page %1 did not load: %2").arg(url, error);
    // The view is brought up to date before the program hears of the page. If that fails (a hosted
    // control's factory throws), the program still gets its one complete event, and then the error.
    std::exception_ptr viewError;
    try {
        documentChanged();
    } catch (...) {
        viewError = std::current_exception();
        // Logged here, where the page is still known: what catches it later knows only the message.
        qCWarning(lanseek::platform::platformLog).noquote()
            << QStringLiteral("the view of page %1 could not be brought up to date: %2")
                   .arg(url, lanseek::platform::exceptionCause(viewError));
    }
    emit OnDocumentComplete(this, url);
    if (viewError) {
        std::rethrow_exception(viewError);
    }
}
