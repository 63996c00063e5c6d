// The search handlers: starting a search, asking for the next result page, reading result and chart
// pages into the result list, and the result list's own commands.

#include "app/search/search_controller.h"

#include "platform/ui/dialogs.h"
#include "platform/web/web_browser.h"
#include "search/harvest_document.h"
#include "search/result_selection.h"
#include "search/search_query.h"
#include "skin/controls/se_controls.h"

#include <QMetaObject>

namespace lanseek::app {

using namespace lanseek::search;

namespace {

const QString kNetworkMessage = QStringLiteral("请检查网络连接!");

} // namespace

SearchController::SearchController(const SearchView& view, search::ServiceEndpoints service,
                                   platform::Dialogs& dialogs, CardIntake& card, ErrorPolicy& errors,
                                   QObject* parent)
    : QObject(parent), m_view(view), m_service(service), m_defaultService(std::move(service)),
      m_dialogs(dialogs), m_card(card), m_errors(errors)
{
    setObjectName(QStringLiteral("searchController"));
}

QString SearchController::searchText() const
{
    return m_view.Edit1->text();
}

void SearchController::Button1Click()
{
    m_stopFlag = false;
    if (m_view.Edit1->text().isEmpty()) {
        m_view.Edit1->setFocus();
        return;
    }
    m_view.ListView1->Clear();
    m_rowCounter = 0;
    const int media = m_view.SeSkinComboBox1->currentIndex();
    m_view.ListView1->setHeaderImage(mediaTypeIcon(media));
    m_view.WebBrowser1->Navigate(firstPageAddress(m_service, m_view.Edit1->text(), media));
    m_view.WebBrowser1->setVisible(false);
    m_pageNumber = 1;
}

void SearchController::SeSkinComboBox1Change()
{
    if (!m_view.SeSkinComboBox1->currentText().isEmpty() && !m_view.Edit1->text().isEmpty())
        Button1Click();
}

void SearchController::Button9Click()
{
    m_view.WebBrowser1->setVisible(false);
    const int media = m_view.SeSkinComboBox1->currentIndex();
    if (!followUpAllowed(m_pageNumber))
        return;
    m_view.WebBrowser1->Navigate(
        followUpAddress(m_service, m_view.Edit1->text(), media, m_pageNumber, m_localIp));
    m_view.WebBrowser1->setVisible(false);
}

// ---- Result pages ------------------------------------------------------------------------------------

void SearchController::WebBrowser1DocumentComplete()
{
    m_view.Memo1->Clear();
    const lanseek::platform::WebDocument* document = m_view.WebBrowser1->Document();
    if (!document) {
        m_dialogs.message(m_view.window, kNetworkMessage);
        return;
    }
    m_view.Memo1->Add(document->bodyText);
    Button7Click();
}

void SearchController::Button7Click()
{
    HarvestRequest request;
    // The memo's lines as they were added: its plain-text export would turn no-break spaces into blanks,
    // and a link text holding one would no longer be found on its line.
    request.pageText = m_view.Memo1->Lines().join(QLatin1Char('\n'));
    if (const lanseek::platform::WebDocument* document = m_view.WebBrowser1->Document())
        request.links = document->links;
    request.service = m_service;
    request.countLabel = m_view.resultlabel->text();
    request.localIp = m_localIp;
    request.windowCaption = m_view.window->windowTitle();
    for (int i = 0; i < m_view.ListView1->Count(); ++i)
        request.listedAddresses << m_view.ListView1->subItem(i, lanseek::song::kAddress);
    request.rowCounter = m_rowCounter;
    request.pageNumber = m_pageNumber;
    request.stopFlag = m_stopFlag;
    request.rowIcon = m_view.ListView1->headerImage();

    const HarvestChanges changes = harvestPage(request);

    if (changes.countLabel)
        m_view.resultlabel->setText(*changes.countLabel);
    m_localIp = changes.localIp;
    for (const lanseek::SongEntry& row : changes.rows)
        m_view.ListView1->appendRow(row);
    m_rowCounter = changes.rowCounter;
    if (changes.windowCaption)
        m_view.window->setWindowTitle(*changes.windowCaption);
    m_pageNumber = changes.pageNumber;
    if (changes.requestNextPage)
        Button9Click();
}

void SearchController::WebBrowser1ProgressChange(int progress, int progressMax)
{
    m_view.SeSkinProgressBar6->setMax(progressMax);
    m_view.SeSkinProgressBar6->setPosition(progress);
}

// ---- The result list ---------------------------------------------------------------------------------

void SearchController::ListView1SelectItem(int index, bool selected)
{
    if (!selected || index < 0 || index >= m_view.ListView1->Count())
        return;
    if (m_view.ListView1->subItemCount(index) >= 3)
        return;
    // The search empties the list, so it runs once the list has finished reporting this selection change
    // rather than from inside it. Rows chosen together (Ctrl+A, Shift+click) are reported one by one
    // before any of their searches runs; the first search replaces the chart, and a later row that is no
    // longer there is not searched for. So several rows chosen at once search for the first one, the way
    // a search run at the moment of the first choice would.
    const QString name = m_view.ListView1->subItem(index, lanseek::song::kName);
    QMetaObject::invokeMethod(
        this,
        [this, index, name] {
            guarded(m_errors, [this, index, &name] {
                const bool stillListed = index < m_view.ListView1->Count() &&
                                         m_view.ListView1->subItemCount(index) < 3 &&
                                         m_view.ListView1->subItem(index, lanseek::song::kName) == name;
                if (!stillListed)
                    return;
                m_view.Edit1->setText(name);
                Button1Click();
            });
        },
        Qt::QueuedConnection);
}

void SearchController::ListView1DblClick()
{
    const std::optional<lanseek::SongEntry> chosen = firstSelectedEntry(*m_view.ListView1);
    if (!chosen)
        return;
    m_card.replaceCardSong(cardEntryFrom(*chosen));
}

void SearchController::stopbtnClick()
{
    m_stopFlag = true;
    m_view.WebBrowser1->Stop();
}

void SearchController::SeSkinSpeedButton2Click()
{
    m_view.ListView1->Clear();
    Button1Click();
}

// ---- Charts, singer lists and albums -----------------------------------------------------------------

void SearchController::loadChartPage(const QString& path)
{
    m_view.ListView1->Clear();
    m_view.WebBrowser2->setVisible(false);
    m_view.WebBrowser2->Navigate(m_service.base + path);
    m_view.WebBrowser2->setVisible(false);
}

void SearchController::manlistbtnClick()
{
    loadChartPage(QStringLiteral("/ngeshou.html"));
}

void SearchController::womanlistbtnClick()
{
    loadChartPage(QStringLiteral("/ygeshou.html"));
}

void SearchController::musiclistClick()
{
    loadChartPage(QStringLiteral("/mp3.html"));
}

void SearchController::singerlistbtnClick()
{
    loadChartPage(QStringLiteral("/singer/singers.html"));
}

void SearchController::menubtnClick()
{
    if (m_view.Edit1->text().isEmpty()) {
        m_view.Edit1->setFocus();
        return;
    }
    m_view.ListView1->Clear();
    m_rowCounter = 0;
    m_view.WebBrowser2->Navigate(
        firstPageAddress(m_service, m_view.Edit1->text(), m_view.SeSkinComboBox1->currentIndex()));
    m_view.WebBrowser2->setVisible(false);
}

void SearchController::WebBrowser2DocumentComplete()
{
    const lanseek::platform::WebDocument* document = m_view.WebBrowser2->Document();
    if (!document) {
        m_dialogs.message(m_view.window, kNetworkMessage);
        return;
    }
    for (const lanseek::SongEntry& row : chartRows(document->links, m_service, m_view.ListView1->Count()))
        m_view.ListView1->appendRow(row);
}

void SearchController::WebBrowser2ProgressChange(int progress, int progressMax)
{
    m_view.SeSkinProgressBar6->setMax(progressMax);
    m_view.SeSkinProgressBar6->setPosition(progress);
}

} // namespace lanseek::app
