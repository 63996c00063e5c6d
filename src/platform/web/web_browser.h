#pragma once

// The embedded browser the program drives: it loads http:// and file:/// addresses off the UI thread,
// parses the page and exposes what the program reads from a document (visible body text, links) and,
// for the visible instances, renders the page.

#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

namespace lanseek::platform {

struct WebLink
{
    QString href;      // absolute address as resolved against the page's address (or <base href>)
    QString innertext; // the link's text without markup
};

// One node of a parsed page, kept so that a visible browser can render it later.
struct HtmlNode
{
    enum class Type { Element, Text };
    Type type = Type::Element;
    QString tag;                                    // lower-case element name; empty for text nodes
    std::vector<std::pair<QString, QString>> attrs; // lower-case names, values as written
    QString text;                                   // text nodes only
    std::vector<std::unique_ptr<HtmlNode>> children;

    QString attr(const QString& name) const; // empty when absent; name compared case-insensitively
};

// A loaded page, as the program sees it after document complete.
struct WebDocument
{
    QString url;                    // the address that was loaded
    QString bodyText;               // the body's visible text with its line breaks ("\n"), innerText rules
    std::vector<WebLink> links;     // a and area elements with href, in document order
    std::unique_ptr<HtmlNode> root; // the parsed tree (the html element)
};

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

signals:
    void OnProgressChange(int progress, int progressMax);
    void OnDocumentComplete(TWebBrowser* sender, const QString& url);

private:
    void deliverProgress(quint64 generation, int progress, int progressMax);
    void deliverComplete(quint64 generation, const QString& url,
                         std::shared_ptr<lanseek::platform::WebDocument> document, const QString& error);
    // The shown page changed; the page view lays it out again.
    void documentChanged();

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
