// Connects the playback controls of the main window to their handlers.

#include "app/mp3.h"

#include "platform/web/web_browser.h"
#include "playback/player/player_object.h"

void TForm1::wirePlayback()
{
    onClicks({{dragplaybtn, &TForm1::dragplaybtnClick},
              {playdelbtn, &TForm1::playdelbtnClick},
              {playclear, &TForm1::playclearClick},
              {playsavebtn, &TForm1::playsavebtnClick},
              {playloadbtn, &TForm1::playloadbtnClick},
              {SeSkinButton4, &TForm1::SeSkinButton4Click}});
    on(WebBrowser3, &TWebBrowser::OnProgressChange, &TForm1::WebBrowser3ProgressChange);
    on(WebBrowser3, &TWebBrowser::OnDocumentComplete, &TForm1::WebBrowser3DocumentComplete);
    // The player view and the card preview host our player wherever a page asks for one of the two
    // player objects.
    WebBrowser3->setObjectFactory(lanseek::playback::createPlayerObject);
}

void TForm1::wireCardPlayer()
{
    WebBrowser4->setObjectFactory(lanseek::playback::createPlayerObject);
}
