// The main window's search handlers: starting a search, asking for the next result page, reading result
// and chart pages into the result list, and the result list's own commands.

#include "app/mp3.h"

#include "platform/web/web_browser.h"
#include "search/harvest_document.h"
#include "search/result_selection.h"
#include "search/search_query.h"

#include <QMetaObject>

using namespace lanseek::search;

namespace {

const QString kNetworkMessage = QStringLiteral("请检查网络连接!");

} // namespace

void TForm1::Button1Click()
{
    stopFlag = false;
    if (Edit1->text().isEmpty()) {
        Edit1->setFocus();
        return;
    }
    ListView1->Clear();
    rowCounter = 0;
    const int media = SeSkinComboBox1->currentIndex();
    ListView1->setHeaderImage(mediaTypeIcon(media));
    WebBrowser1->Navigate(firstPageAddress(service, Edit1->text(), media));
    WebBrowser1->setVisible(false);
    pageNumber = 1;
}

void TForm1::SeSkinComboBox1Change()
{
    if (!SeSkinComboBox1->currentText().isEmpty() && !Edit1->text().isEmpty())
        Button1Click();
}

void TForm1::Button9Click()
{
    WebBrowser1->setVisible(false);
    const int media = SeSkinComboBox1->currentIndex();
    if (!followUpAllowed(pageNumber))
        return;
    WebBrowser1->Navigate(followUpAddress(service, Edit1->text(), media, pageNumber, localIp));
    WebBrowser1->setVisible(false);
}

// ---- Result pages ------------------------------------------------------------------------------------

void TForm1::WebBrowser1DocumentComplete(TWebBrowser*, const QString&)
{
    Memo1->Clear();
    const lanseek::platform::WebDocument* document = WebBrowser1->Document();
    if (!document) {
        dialogs().message(this, kNetworkMessage);
        return;
    }
    Memo1->Add(document->bodyText);
    Button7Click();
}

void TForm1::Button7Click()
{
    HarvestRequest request;
    // The memo's lines as they were added: its plain-text export would turn no-break spaces into blanks,
    // and a link text holding one would no longer be found on its line.
    request.pageText = Memo1->Lines().join(QLatin1Char('\n'));
    if (const lanseek::platform::WebDocument* document = WebBrowser1->Document())
        request.links = document->links;
    request.service = service;
    request.countLabel = resultlabel->text();
    request.localIp = localIp;
    request.windowCaption = windowTitle();
    for (int i = 0; i < ListView1->Count(); ++i)
        request.listedAddresses << ListView1->subItem(i, lanseek::song::kAddress);
    request.rowCounter = rowCounter;
    request.pageNumber = pageNumber;
    request.stopFlag = stopFlag;
    request.rowIcon = ListView1->headerImage();

    const HarvestChanges changes = harvestPage(request);

    if (changes.countLabel)
        resultlabel->setText(*changes.countLabel);
    localIp = changes.localIp;
    for (const lanseek::SongEntry& row : changes.rows)
        ListView1->appendRow(row);
    rowCounter = changes.rowCounter;
    if (changes.windowCaption)
        setWindowTitle(*changes.windowCaption);
    pageNumber = changes.pageNumber;
    if (changes.requestNextPage)
        Button9Click();
}

void TForm1::WebBrowser1ProgressChange(int progress, int progressMax)
{
    SeSkinProgressBar6->setMax(progressMax);
    SeSkinProgressBar6->setPosition(progress);
}

// ---- The result list ---------------------------------------------------------------------------------

void TForm1::ListView1SelectItem(int index, bool selected)
{
    if (!selected || index < 0 || index >= ListView1->Count())
        return;
    if (ListView1->subItemCount(index) >= 3)
        return;
    // The search empties the list, so it runs once the list has finished reporting this selection change
    // rather than from inside it. Rows chosen together (Ctrl+A, Shift+click) are reported one by one
    // before any of their searches runs; the first search replaces the chart, and a later row that is no
    // longer there is not searched for. So several rows chosen at once search for the first one, the way
    // a search run at the moment of the first choice would.
    const QString name = ListView1->subItem(index, lanseek::song::kName);
    QMetaObject::invokeMethod(
        this,
        [this, index, name] {
            guarded([this, index, &name] {
                const bool stillListed = index < ListView1->Count() && ListView1->subItemCount(index) < 3 &&
                                         ListView1->subItem(index, lanseek::song::kName) == name;
                if (!stillListed)
                    return;
                Edit1->setText(name);
                Button1Click();
            });
        },
        Qt::QueuedConnection);
}

void TForm1::ListView1DblClick()
{
    const std::optional<lanseek::SongEntry> chosen = firstSelectedEntry(*ListView1);
    if (!chosen)
        return;
    ensureCardView();
    cardlistview->Clear();
    cardlistview->appendRow(cardEntryFrom(*chosen));
}

void TForm1::stopbtnClick()
{
    stopFlag = true;
    WebBrowser1->Stop();
}

void TForm1::SeSkinSpeedButton2Click()
{
    ListView1->Clear();
    Button1Click();
}

// ---- Charts, singer lists and albums -----------------------------------------------------------------

void TForm1::loadChartPage(const QString& path)
{
    ListView1->Clear();
    WebBrowser2->setVisible(false);
    WebBrowser2->Navigate(service.base + path);
    WebBrowser2->setVisible(false);
}

void TForm1::manlistbtnClick()
{
    loadChartPage(QStringLiteral("/ngeshou.html"));
}

void TForm1::womanlistbtnClick()
{
    loadChartPage(QStringLiteral("/ygeshou.html"));
}

void TForm1::musiclistClick()
{
    loadChartPage(QStringLiteral("/mp3.html"));
}

void TForm1::singerlistbtnClick()
{
    loadChartPage(QStringLiteral("/singer/singers.html"));
}

void TForm1::menubtnClick()
{
    if (Edit1->text().isEmpty()) {
        Edit1->setFocus();
        return;
    }
    ListView1->Clear();
    rowCounter = 0;
    WebBrowser2->Navigate(firstPageAddress(service, Edit1->text(), SeSkinComboBox1->currentIndex()));
    WebBrowser2->setVisible(false);
}

void TForm1::WebBrowser2DocumentComplete(TWebBrowser*, const QString&)
{
    const lanseek::platform::WebDocument* document = WebBrowser2->Document();
    if (!document) {
        dialogs().message(this, kNetworkMessage);
        return;
    }
    for (const lanseek::SongEntry& row : chartRows(document->links, service, ListView1->Count()))
        ListView1->appendRow(row);
}

void TForm1::WebBrowser2ProgressChange(int progress, int progressMax)
{
    SeSkinProgressBar6->setMax(progressMax);
    SeSkinProgressBar6->setPosition(progress);
}
