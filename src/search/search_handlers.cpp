// The main window's search handlers: starting a search and asking for the next result page.

#include "app/mp3.h"

#include "platform/web/web_browser.h"
#include "search/search_query.h"

using namespace lanseek::search;

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
