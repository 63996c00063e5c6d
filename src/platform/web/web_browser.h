#pragma once

// The embedded browser the program drives: it loads http:// and file:/// addresses off the UI thread,
// parses the page and exposes what the program reads from a document (visible body text, links) and,
// for the visible instances, renders the page.

#include "platform/web/web_document.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace lanseek::platform {

struct PageLayout;

} // namespace lanseek::platform

class TWebBrowser : public QWidget
{
    Q_OBJECT
public:
    explicit TWebBrowser(QWidget* parent = nullptr);
    ~TWebBrowser() override;

    // Starts loading and returns at once. Loading ends in exactly one OnDocumentComplete, unless a later
    // Navigate or Stop abandons it first (an abandoned load raises no further event).
    void Navigate(const QString& url);
    // Abandons the current load, if any; no further event comes from it.
    void Stop();
    // The document of the last completed load; nullptr when nothing was loaded or the load failed.
    const lanseek::platform::WebDocument* Document() const;
    bool Busy() const;

    // Why the last load failed (empty after a successful one); for logs and tests, never shown to users.
    QString lastError() const;

    // The page view of visible instances. In place of each <object> the view hosts the widget the factory
    // makes for it (judging by its CLASSID and PARAMs), sized to the object's WIDTH and HEIGHT; without a
    // factory, or when it returns nullptr, a plain box stands there. The view owns the hosted widgets: they
    // are made when a page is first shown and deleted as soon as another page (or a failed load) replaces it.
    using ObjectFactory = std::function<QWidget*(const lanseek::platform::HtmlNode& object, QWidget* parent)>;
    void setObjectFactory(ObjectFactory factory);
    // What "save as" does with the current document (the program asks the user where to save it).
    using SaveAsHandler = std::function<void(const lanseek::platform::WebDocument& document)>;
    void setSaveAsHandler(SaveAsHandler handler);
    // Runs a browser command. Only save as (4) is known: it calls the save-as handler with the current
    // document and returns true; with no handler, no document or another command nothing happens (false).
    bool ExecWB(int cmd, int opt);
    static constexpr int kSaveAs = 4;

    // The layout of the shown page, or nullptr while nothing is laid out (no page, or never shown).
    const lanseek::platform::PageLayout* pageLayout() const;
    // The widgets hosted for the shown page's objects, in document order.
    std::vector<QWidget*> hostedObjects() const;
    // How far the page is scrolled down, in pixels.
    int scrollPosition() const;
    void setScrollPosition(int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

signals:
    void OnProgressChange(int progress, int progressMax);
    void OnDocumentComplete(TWebBrowser* sender, const QString& url);

private:
    void deliverProgress(quint64 generation, int progress, int progressMax);
    void deliverComplete(quint64 generation, const QString& url,
                         std::shared_ptr<lanseek::platform::WebDocument> document, const QString& error);
    // The shown page changed; the page view lays it out again.
    void documentChanged();
    // Lays the page out again at the current size; with newPage, also replaces the hosted widgets and the
    // background picture.
    void refreshView(bool newPage);
    void placeHostedObjects();
    void setupView();

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
