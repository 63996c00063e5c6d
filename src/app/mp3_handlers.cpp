// The window's handlers by the names its design gives them, each forwarded to the controller that owns
// its subsystem. The controls reach the controllers directly; these are for callers that name a handler
// (the hidden buttons' routines, the tests, the desktop's own controls).

#include "app/mp3.h"

#include "app/card/card_controller.h"
#include "app/download/download_controller.h"
#include "app/playback/playback_controller.h"
#include "app/search/search_controller.h"

// ---- Search -------------------------------------------------------------------------------------

void TForm1::Button1Click()
{
    m_search->Button1Click();
}
void TForm1::SeSkinComboBox1Change()
{
    m_search->SeSkinComboBox1Change();
}
void TForm1::Button9Click()
{
    m_search->Button9Click();
}
void TForm1::Button7Click()
{
    m_search->Button7Click();
}
void TForm1::ListView1DblClick()
{
    m_search->ListView1DblClick();
}
void TForm1::stopbtnClick()
{
    m_search->stopbtnClick();
}
void TForm1::SeSkinSpeedButton2Click()
{
    m_search->SeSkinSpeedButton2Click();
}
void TForm1::manlistbtnClick()
{
    m_search->manlistbtnClick();
}
void TForm1::womanlistbtnClick()
{
    m_search->womanlistbtnClick();
}
void TForm1::musiclistClick()
{
    m_search->musiclistClick();
}
void TForm1::singerlistbtnClick()
{
    m_search->singerlistbtnClick();
}
void TForm1::menubtnClick()
{
    m_search->menubtnClick();
}
void TForm1::WebBrowser1DocumentComplete(TWebBrowser*, const QString&)
{
    m_search->WebBrowser1DocumentComplete();
}
void TForm1::WebBrowser1ProgressChange(int progress, int progressMax)
{
    m_search->WebBrowser1ProgressChange(progress, progressMax);
}
void TForm1::ListView1SelectItem(int index, bool selected)
{
    m_search->ListView1SelectItem(index, selected);
}
void TForm1::WebBrowser2DocumentComplete(TWebBrowser*, const QString&)
{
    m_search->WebBrowser2DocumentComplete();
}
void TForm1::WebBrowser2ProgressChange(int progress, int progressMax)
{
    m_search->WebBrowser2ProgressChange(progress, progressMax);
}

// ---- Downloads ----------------------------------------------------------------------------------

void TForm1::dragdownbtnClick()
{
    m_downloads->dragdownbtnClick();
}
void TForm1::delbtnClick()
{
    m_downloads->delbtnClick();
}
void TForm1::delallbtnClick()
{
    m_downloads->delallbtnClick();
}
void TForm1::downbtnClick()
{
    m_downloads->downbtnClick();
}
void TForm1::Timer1Timer()
{
    m_downloads->Timer1Timer();
}
void TForm1::SeSkinButton1Click()
{
    m_downloads->SeSkinButton1Click();
}
void TForm1::SeSkinButton3Click()
{
    m_downloads->SeSkinButton3Click();
}
void TForm1::IdHTTP1WorkBegin(std::int64_t announcedLength)
{
    m_downloads->IdHTTP1WorkBegin(announcedLength);
}
void TForm1::IdHTTP1Work(int tag, std::int64_t bytesSoFar)
{
    m_downloads->IdHTTP1Work(tag, bytesSoFar);
}
void TForm1::IdHTTP1WorkEnd(int tag, bool segmentComplete)
{
    m_downloads->IdHTTP1WorkEnd(tag, segmentComplete);
}
void TForm1::downloadnowSelectItem(int row, bool selected)
{
    m_downloads->downloadnowSelectItem(row, selected);
}

// ---- Playback -----------------------------------------------------------------------------------

void TForm1::dragplaybtnClick()
{
    m_playback->dragplaybtnClick();
}
void TForm1::playdelbtnClick()
{
    m_playback->playdelbtnClick();
}
void TForm1::playclearClick()
{
    m_playback->playclearClick();
}
void TForm1::playsavebtnClick()
{
    m_playback->playsavebtnClick();
}
void TForm1::playloadbtnClick()
{
    m_playback->playloadbtnClick();
}
void TForm1::SeSkinButton4Click()
{
    m_playback->SeSkinButton4Click();
}
void TForm1::WebBrowser3ProgressChange(int, int)
{
    m_playback->WebBrowser3ProgressChange();
}
void TForm1::WebBrowser3DocumentComplete(TWebBrowser*, const QString&)
{
    m_playback->WebBrowser3DocumentComplete();
}

// ---- Music card ---------------------------------------------------------------------------------

void TForm1::htmlrunbtnClick()
{
    m_card->htmlrunbtnClick();
}
void TForm1::h1btnClick()
{
    m_card->h1btnClick();
}
void TForm1::h2btnClick()
{
    m_card->h2btnClick();
}
void TForm1::h3btnClick()
{
    m_card->h3btnClick();
}
void TForm1::h4btnClick()
{
    m_card->h4btnClick();
}
void TForm1::bigbtnClick()
{
    m_card->bigbtnClick();
}
void TForm1::strongbtnClick()
{
    m_card->strongbtnClick();
}
void TForm1::ibtnClick()
{
    m_card->ibtnClick();
}
void TForm1::ubtnClick()
{
    m_card->ubtnClick();
}
void TForm1::centrebtnClick()
{
    m_card->centrebtnClick();
}
void TForm1::picbtnClick()
{
    m_card->picbtnClick();
}
void TForm1::backbtnClick()
{
    m_card->backbtnClick();
}
void TForm1::colorcomboxChange()
{
    m_card->colorcomboxChange();
}
void TForm1::fontsizecomboxChange()
{
    m_card->fontsizecomboxChange();
}
void TForm1::dragcardbtnClick()
{
    m_card->dragcardbtnClick();
}
void TForm1::cancelbtnClick()
{
    m_card->cancelbtnClick();
}
void TForm1::cardsurebtnClick()
{
    m_card->cardsurebtnClick();
}
void TForm1::previewbtnClick()
{
    m_card->previewbtnClick();
}
void TForm1::iesetbtnClick()
{
    m_card->iesetbtnClick();
}
