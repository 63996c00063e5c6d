#include "platform/web/web_browser.h"

#include "platform/web/web_browser_impl.h"

#include <QMetaObject>

using lanseek::platform::WebDocument;

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
    documentChanged();
    emit OnDocumentComplete(this, url);
}
