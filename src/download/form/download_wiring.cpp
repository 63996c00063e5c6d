// Connects the download controls of the main window to their handlers.

#include "app/mp3.h"
#include "download/form/download_hub.h"
#include "download/form/selectdir.h"
#include "platform/net/id_http.h"

void TForm1::wireDownload()
{
    downloadHub = new DownloadHub(this);
    IdHTTP1 = std::make_shared<TIdHTTP>();
    IdHTTP1->Tag = 6789;

    connect(dragdownbtn, &QToolButton::clicked, this, [this] { guarded([this] { dragdownbtnClick(); }); });
    connect(delbtn, &QPushButton::clicked, this, [this] { guarded([this] { delbtnClick(); }); });
    connect(delallbtn, &QPushButton::clicked, this, [this] { guarded([this] { delallbtnClick(); }); });
    connect(downbtn, &QPushButton::clicked, this, [this] { guarded([this] { downbtnClick(); }); });
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(); }); });
    connect(downloadnow, &TSeSkinSListView::rowSelectionChanged, this,
            [this](int row, bool selected) { guarded([=, this] { downloadnowSelectItem(row, selected); }); });
    connect(SeSkinButton1, &QPushButton::clicked, this,
            [this] { guarded([this] { SeSkinButton1Click(); }); });
    connect(SeSkinButton3, &QPushButton::clicked, this,
            [this] { guarded([this] { SeSkinButton3Click(); }); });

    // The chooser is a window of its own that the main window owns; it stays hidden until asked for.
    Form2 = new TForm2(this);
}
