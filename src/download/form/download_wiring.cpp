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

    onClicks({{dragdownbtn, &TForm1::dragdownbtnClick},
              {delbtn, &TForm1::delbtnClick},
              {delallbtn, &TForm1::delallbtnClick},
              {downbtn, &TForm1::downbtnClick},
              {SeSkinButton1, &TForm1::SeSkinButton1Click},
              {SeSkinButton3, &TForm1::SeSkinButton3Click}});
    on(Timer1, &QTimer::timeout, &TForm1::Timer1Timer);
    on(downloadnow, &TSeSkinSListView::rowSelectionChanged, &TForm1::downloadnowSelectItem);

    // The chooser is a window of its own that the main window owns; it stays hidden until asked for.
    Form2 = new TForm2(this);
}
