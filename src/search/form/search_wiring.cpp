// Connects the search controls of the main window to their handlers.

#include "app/mp3.h"

#include "platform/web/web_browser.h"

#include <QTreeWidget>

void TForm1::wireSearch()
{
    connect(Button1, &QPushButton::clicked, this, [this] { guarded([this] { Button1Click(); }); });
    connect(Edit1, &QLineEdit::returnPressed, this, [this] { guarded([this] { Button1Click(); }); });
    connect(SeSkinComboBox1, &QComboBox::currentIndexChanged, this,
            [this] { guarded([this] { SeSkinComboBox1Change(); }); });
    connect(Button9, &QPushButton::clicked, this, [this] { guarded([this] { Button9Click(); }); });

    // Result pages.
    connect(WebBrowser1, &TWebBrowser::OnDocumentComplete, this,
            [this](TWebBrowser* sender, const QString& url) {
                guarded([&] { WebBrowser1DocumentComplete(sender, url); });
            });
    connect(WebBrowser1, &TWebBrowser::OnProgressChange, this,
            [this](int progress, int max) { guarded([&] { WebBrowser1ProgressChange(progress, max); }); });
    connect(Button7, &QPushButton::clicked, this, [this] { guarded([this] { Button7Click(); }); });

    // The result list and its toolbar.
    connect(ListView1, &TSeSkinSListView::rowSelectionChanged, this,
            [this](int index, bool selected) { guarded([&] { ListView1SelectItem(index, selected); }); });
    connect(ListView1, &QTreeWidget::itemDoubleClicked, this,
            [this] { guarded([this] { ListView1DblClick(); }); });
    connect(stopbtn, &QToolButton::clicked, this, [this] { guarded([this] { stopbtnClick(); }); });
    connect(SeSkinSpeedButton2, &QToolButton::clicked, this,
            [this] { guarded([this] { SeSkinSpeedButton2Click(); }); });

    // Charts, singer lists and albums.
    connect(manlistbtn, &QToolButton::clicked, this, [this] { guarded([this] { manlistbtnClick(); }); });
    connect(womanlistbtn, &QToolButton::clicked, this, [this] { guarded([this] { womanlistbtnClick(); }); });
    connect(musiclist, &QToolButton::clicked, this, [this] { guarded([this] { musiclistClick(); }); });
    connect(singerlistbtn, &QToolButton::clicked, this,
            [this] { guarded([this] { singerlistbtnClick(); }); });
    connect(SeSkinSpeedButton1, &QToolButton::clicked, this, [this] { guarded([this] { menubtnClick(); }); });
    connect(WebBrowser2, &TWebBrowser::OnDocumentComplete, this,
            [this](TWebBrowser* sender, const QString& url) {
                guarded([&] { WebBrowser2DocumentComplete(sender, url); });
            });
    connect(WebBrowser2, &TWebBrowser::OnProgressChange, this,
            [this](int progress, int max) { guarded([&] { WebBrowser2ProgressChange(progress, max); }); });
}
