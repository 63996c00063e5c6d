// Connects the search controls of the main window to their handlers.

#include "app/mp3.h"

#include "platform/web/web_browser.h"

#include <QTreeWidget>

void TForm1::wireSearch()
{
    onClicks({{Button1, &TForm1::Button1Click},
              {Button9, &TForm1::Button9Click},
              {Button7, &TForm1::Button7Click},
              {stopbtn, &TForm1::stopbtnClick},
              {SeSkinSpeedButton2, &TForm1::SeSkinSpeedButton2Click},
              // Charts, singer lists and albums.
              {manlistbtn, &TForm1::manlistbtnClick},
              {womanlistbtn, &TForm1::womanlistbtnClick},
              {musiclist, &TForm1::musiclistClick},
              {singerlistbtn, &TForm1::singerlistbtnClick},
              {SeSkinSpeedButton1, &TForm1::menubtnClick}});
    on(Edit1, &QLineEdit::returnPressed, &TForm1::Button1Click);
    on(SeSkinComboBox1, &QComboBox::currentIndexChanged, &TForm1::SeSkinComboBox1Change);

    // Result pages and chart pages.
    on(WebBrowser1, &TWebBrowser::OnDocumentComplete, &TForm1::WebBrowser1DocumentComplete);
    on(WebBrowser1, &TWebBrowser::OnProgressChange, &TForm1::WebBrowser1ProgressChange);
    on(WebBrowser2, &TWebBrowser::OnDocumentComplete, &TForm1::WebBrowser2DocumentComplete);
    on(WebBrowser2, &TWebBrowser::OnProgressChange, &TForm1::WebBrowser2ProgressChange);

    // The result list.
    on(ListView1, &TSeSkinSListView::rowSelectionChanged, &TForm1::ListView1SelectItem);
    on(ListView1, &QTreeWidget::itemDoubleClicked, &TForm1::ListView1DblClick);
}
