#pragma once

// The music card: the markup commands of its editor, its colour and font boxes, the background picture,
// the card list, and generating, previewing and saving the card. It owns the card's state (its background
// picture and where the picture dialog opens) and drives the controls of the card view, which the window
// may build after its first paint: until the view is attached, songs sent to the card list ask the window
// to build it first. The handlers keep the names the window's design gives them.

#include "app/shared/error_policy.h"
#include "app/shared/shared_folders.h"
#include "app/shared/window_links.h"
#include "platform/web/web_browser.h"
#include "skin/controls/se_controls.h"

#include <QObject>
#include <QString>

#include <functional>

namespace lanseek::card {
struct TagCommand;
struct MarkupOutcome;
} // namespace lanseek::card
namespace lanseek::platform {
class Dialogs;
struct WebDocument;
} // namespace lanseek::platform

namespace lanseek::app {

// The controls the card drives. The window owns them all.
struct CardView
{
    QWidget* window = nullptr;             // dialogs open over it
    TSeSkinSListView* ListView1 = nullptr; // the search results a song is taken from
    TSeSkinSpeedButton* dragcardbtn = nullptr;
    TSeSkinSListView* cardlistview = nullptr;
    TSeSkinButton* cancelbtn = nullptr;
    TWebBrowser* WebBrowser4 = nullptr; // card preview
    TSeSkinSpeedButton* htmlrunbtn = nullptr;
    TSeSkinSpeedButton* h1btn = nullptr;
    TSeSkinSpeedButton* h2btn = nullptr;
    TSeSkinSpeedButton* h3btn = nullptr;
    TSeSkinSpeedButton* h4btn = nullptr;
    TSeSkinSpeedButton* bigbtn = nullptr;
    TSeSkinSpeedButton* strongbtn = nullptr;
    TSeSkinSpeedButton* ibtn = nullptr;
    TSeSkinSpeedButton* ubtn = nullptr;
    TSeSkinSpeedButton* centrebtn = nullptr;
    TSeSkinSpeedButton* picbtn = nullptr;
    TSeSkinSpeedButton* backbtn = nullptr;
    TSeSkinComboBox* colorcombox = nullptr;
    TSeSkinComboBox* fontsizecombox = nullptr;
    TSeSkinEdit* nameedit = nullptr; // card title
    TSeSkinMemo* iememo = nullptr;   // card text
    TSeSkinButton* previewbtn = nullptr;
    TSeSkinButton* iesetbtn = nullptr;
    TSeSkinButton* cardsurebtn = nullptr; // hidden
};

class CardController : public QObject, public CardIntake
{
public:
    // buildView: asks the window to build the card view (it then calls attachView).
    CardController(const SharedFolders& folders, ViewSwitch& views, platform::Dialogs& dialogs,
                   ErrorPolicy& errors, std::function<void()> buildView, QObject* parent = nullptr);

    // Takes the card view once it is built, fills its boxes and connects its controls to the handlers.
    void attachView(const CardView& view);
    bool hasView() const { return m_view.cardlistview != nullptr; }

    // The card's background picture (the default one in the program's "pic" folder at start-up) and the
    // folder the picture dialog opens in.
    const QString& cardBackground() const { return m_cardBackground; }
    void setCardBackground(const QString& picture) { m_cardBackground = picture; }
    const QString& pictureFolder() const { return m_pictureFolder; }
    void setPictureFolder(const QString& folder) { m_pictureFolder = folder; }

    void replaceCardSong(const SongEntry& song) override;
    void addCardSongs(const std::vector<SongEntry>& songs) override;

    void htmlrunbtnClick();
    void h1btnClick();
    void h2btnClick();
    void h3btnClick();
    void h4btnClick();
    void bigbtnClick();
    void strongbtnClick();
    void ibtnClick();
    void ubtnClick();
    void centrebtnClick();
    void picbtnClick();
    void backbtnClick();
    void colorcomboxChange();
    void fontsizecomboxChange();
    void dragcardbtnClick();
    void cancelbtnClick();
    void cardsurebtnClick();
    void previewbtnClick();
    void iesetbtnClick();
    // The font families of the display, each drawn in its own font; slow, so left until after start-up.
    void fillFontBox();
    // The card preview's save as: asks where, then writes the shown card and a copy of its picture.
    void saveCardAs(const platform::WebDocument& document);

private:
    void wire();
    void runTagCommand(const card::TagCommand& command);
    void applyCardMarkup(const card::MarkupOutcome& outcome);
    void writeCard();

    CardView m_view;
    const SharedFolders& m_folders;
    ViewSwitch& m_views;
    platform::Dialogs& m_dialogs;
    ErrorPolicy& m_errors;
    std::function<void()> m_buildView;
    QString m_cardBackground; // the picture behind the card
    QString m_pictureFolder;  // OpenDialog1's InitialDir
};

} // namespace lanseek::app
