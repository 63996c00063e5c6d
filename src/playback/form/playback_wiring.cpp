// Connects the playback controls of the main window to their handlers.

#include "app/mp3.h"

#include "platform/web/web_browser.h"
#include "playback/player/player_object.h"

void TForm1::wirePlayback()
{
    connect(dragplaybtn, &QAbstractButton::clicked, this,
            [this] { guarded([this] { dragplaybtnClick(); }); });
    connect(playdelbtn, &QAbstractButton::clicked, this, [this] { guarded([this] { playdelbtnClick(); }); });
    connect(playclear, &QAbstractButton::clicked, this, [this] { guarded([this] { playclearClick(); }); });
    connect(playsavebtn, &QAbstractButton::clicked, this,
            [this] { guarded([this] { playsavebtnClick(); }); });
    connect(playloadbtn, &QAbstractButton::clicked, this,
            [this] { guarded([this] { playloadbtnClick(); }); });
    connect(SeSkinButton4, &QAbstractButton::clicked, this,
            [this] { guarded([this] { SeSkinButton4Click(); }); });
    connect(WebBrowser3, &TWebBrowser::OnProgressChange, this, [this](int progress, int progressMax) {
        guarded([&] { WebBrowser3ProgressChange(progress, progressMax); });
    });
    connect(WebBrowser3, &TWebBrowser::OnDocumentComplete, this,
            [this](TWebBrowser* sender, const QString& url) {
                guarded([&] { WebBrowser3DocumentComplete(sender, url); });
            });
    // The player view and the card preview host our player wherever a page asks for one of the two
    // player objects.
    WebBrowser3->setObjectFactory(lanseek::playback::createPlayerObject);
    WebBrowser4->setObjectFactory(lanseek::playback::createPlayerObject);
}
