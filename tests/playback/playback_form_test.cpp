// The playback handlers on the real main window: the play list commands, saving and loading playlist
// files through scripted dialogs, and play-online up to the page shown in the player view.

#include "support/form_fixture.h"

#include "platform/media/media_player_control.h"
#include "platform/model/song_entry.h"
#include "platform/web/web_browser.h"
#include "playback/player_pages.h"
#include "playback/playlist_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QUrl>

#include <string>

using lanseek::SongEntry;
using lanseek::test::FormTest;
using Kind = lanseek::test::ScriptedDialogs::FileRequest::Kind;

namespace {

const QString kNoSelection = QStringLiteral("请在搜索栏中选择想播放的文件名！");
const QString kConflict = QStringLiteral("文件类型不符,不能追加!");

SongEntry result(int number, const QString& type)
{
    const QString n = QString::number(number);
    return {n,
            1,
            {QStringLiteral("歌") + n, QStringLiteral("http://127.0.0.1:9/") + n + QLatin1Char('.') + type,
             QStringLiteral("3.5M"), type}};
}

// A short silent WAV file (16-bit mono, 8 kHz) for the player to play.
void writeWav(const QString& path, int ms)
{
    const quint32 samples = 8000u * static_cast<quint32>(ms) / 1000u;
    QByteArray bytes;
    auto put = [&bytes](quint32 value, int size) {
        for (int i = 0; i < size; ++i)
            bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    bytes.append("RIFF");
    put(36 + samples * 2, 4);
    bytes.append("WAVEfmt ");
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(8000, 4);
    put(16000, 4);
    put(2, 2);
    put(16, 2);
    bytes.append("data");
    put(samples * 2, 4);
    bytes.append(QByteArray(static_cast<qsizetype>(samples * 2), '\0'));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

std::string fileBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll().toStdString();
}

} // namespace

class PlaybackForm : public FormTest
{
protected:
    // Fills the search result list with rows of the given types and selects the listed rows.
    void results(const QStringList& types, std::initializer_list<int> selected)
    {
        form->ListView1->Clear();
        for (int i = 0; i < types.size(); ++i)
            form->ListView1->appendRow(result(i + 1, types[i]));
        for (int i : selected)
            form->ListView1->setRowSelected(i, true);
    }
    QStringList playTypes() const
    {
        QStringList types;
        for (int i = 0; i < form->playListView->Count(); ++i)
            types << form->playListView->subItem(i, lanseek::song::kType);
        return types;
    }
    QStringList playCaptions() const
    {
        QStringList captions;
        for (int i = 0; i < form->playListView->Count(); ++i)
            captions << form->playListView->caption(i);
        return captions;
    }
    QString inFolder(const QString& name) const { return form->folders().programFolder() + name; }
    // Whether the player view lies in front of the play list.
    bool playerInFront() const
    {
        const QObjectList& siblings = form->SeSkinPanel1->children();
        return siblings.indexOf(form->WebBrowser3) > siblings.indexOf(form->playListView);
    }
    // Waits for the player view to finish loading and returns the address it loaded.
    QString loadedAddress()
    {
        QSignalSpy done(form->WebBrowser3, &TWebBrowser::OnDocumentComplete);
        if (!done.wait(5000))
            return QStringLiteral("<nothing loaded>");
        return done.takeFirst().at(1).toString();
    }
};

// ---- Add-to-play, delete, clear -----------------------------------------------------------------------

TEST_F(PlaybackForm, AddToPlayWithoutSelectionOnlyShowsItsMessage)
{
    results({QStringLiteral("mp3")}, {});
    form->dragplaybtn->click();
    EXPECT_EQ(dialogs.messages, QStringList{kNoSelection});
    EXPECT_EQ(form->playListView->Count(), 0);
    EXPECT_EQ(form->cardlistview->Count(), 0);
}

TEST_F(PlaybackForm, AddToPlayCopiesTheSelectedRowsInListOrderToThePlayAndCardLists)
{
    results({QStringLiteral("mp3"), QStringLiteral("wma"), QStringLiteral("rm")}, {2, 0});
    form->dragplaybtn->click();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    ASSERT_EQ(form->playListView->Count(), 2);
    EXPECT_EQ(form->playListView->row(0), form->ListView1->row(0));
    EXPECT_EQ(form->playListView->row(1), form->ListView1->row(2));
    ASSERT_EQ(form->cardlistview->Count(), 2);
    EXPECT_EQ(form->cardlistview->row(1), form->ListView1->row(2));
}

TEST_F(PlaybackForm, ConflictingTypeLeavesBothListsUnchanged)
{
    results({QStringLiteral("rm")}, {0});
    form->dragplaybtn->click();
    results({QStringLiteral("wma"), QStringLiteral("rm")}, {0, 1});
    form->dragplaybtn->click();
    EXPECT_EQ(dialogs.messages, QStringList{kConflict});
    EXPECT_EQ(playTypes(), QStringList{QStringLiteral("rm")});
    EXPECT_EQ(form->cardlistview->Count(), 1);
    // Only the first play row counts: after an "mp3" start both families get in.
    form->playclear->click();
    results({QStringLiteral("mp3"), QStringLiteral("rm"), QStringLiteral("wma")}, {0});
    form->dragplaybtn->click();
    form->ListView1->setRowSelected(0, false);
    form->ListView1->setRowSelected(1, true);
    form->dragplaybtn->click();
    form->ListView1->setRowSelected(1, false);
    form->ListView1->setRowSelected(2, true);
    form->dragplaybtn->click();
    EXPECT_EQ(playTypes(), (QStringList{QStringLiteral("mp3"), QStringLiteral("rm"), QStringLiteral("wma")}));
    EXPECT_EQ(dialogs.messages.size(), 1);
}

TEST_F(PlaybackForm, CardListGrowsWithEveryAddToPlay)
{
    results({QStringLiteral("mp3")}, {0});
    for (int i = 0; i < 3; ++i)
        form->dragplaybtn->click();
    EXPECT_EQ(form->playListView->Count(), 3);
    EXPECT_EQ(form->cardlistview->Count(), 3);
}

TEST_F(PlaybackForm, LoadedRowsAreReplacedByTheSelectionAddedOnce)
{
    form->playListView->appendRow({QStringLiteral("http://h/a.rm"), -1, {}});
    form->playListView->appendRow({QStringLiteral("http://h/b.rm"), -1, {}});
    results({QStringLiteral("wma"), QStringLiteral("mp3")}, {0, 1});
    form->dragplaybtn->click();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(playCaptions(), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(form->cardlistview->Count(), 2);
}

TEST_F(PlaybackForm, DeleteRemovesOnlyTheSelectedRow)
{
    results({QStringLiteral("mp3"), QStringLiteral("mp3"), QStringLiteral("mp3")}, {0, 1, 2});
    form->dragplaybtn->click();
    form->playdelbtn->click(); // nothing selected
    EXPECT_EQ(form->playListView->Count(), 3);
    form->playListView->setRowSelected(1, true);
    form->playdelbtn->click();
    EXPECT_EQ(playCaptions(), (QStringList{QStringLiteral("1"), QStringLiteral("3")}));
}

TEST_F(PlaybackForm, ClearEmptiesTheListAndMakesAShortListTall)
{
    results({QStringLiteral("mp3")}, {0});
    form->dragplaybtn->click();
    ASSERT_EQ(form->playListView->height(), 137);
    form->playclear->click();
    EXPECT_EQ(form->playListView->Count(), 0);
    EXPECT_EQ(form->playListView->height(), 145);
    form->playclear->click();
    EXPECT_EQ(form->playListView->height(), 145);
    form->playListView->resize(form->playListView->width(), 75);
    form->playclear->click();
    EXPECT_EQ(form->playListView->height(), 145);
    EXPECT_EQ(form->cardlistview->Count(), 1);
}

// ---- Play online -------------------------------------------------------------------------------------

TEST_F(PlaybackForm, PlayOnlineWithoutSelectionWritesNothing)
{
    results({QStringLiteral("mp3")}, {});
    form->SeSkinButton4->click();
    EXPECT_EQ(dialogs.messages, QStringList{kNoSelection});
    EXPECT_FALSE(QFile::exists(inFolder(QStringLiteral("2.html"))));
    EXPECT_FALSE(QFile::exists(inFolder(QStringLiteral("winmedia.asx"))));
    EXPECT_FALSE(form->WebBrowser3->isVisibleTo(form.get()));
}

TEST_F(PlaybackForm, PlayOnlineRealMediaWritesTheListAndPageAndShowsIt)
{
    form->show();
    results({QStringLiteral("mp3"), QStringLiteral("rm"), QStringLiteral("wma")}, {1, 2});
    // A previous list is replaced, not appended to and not type-tested.
    form->playListView->appendRow(result(7, QStringLiteral("asf")));
    ASSERT_FALSE(playerInFront());
    form->SeSkinButton4->click();
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(playTypes(), (QStringList{QStringLiteral("rm"), QStringLiteral("wma")}));
    EXPECT_EQ(fileBytes(inFolder(QStringLiteral("1.rpm"))),
              "http://127.0.0.1:9/2.rm\r\nhttp://127.0.0.1:9/3.wma\r\n");
    const std::string page = fileBytes(inFolder(QStringLiteral("1.html")));
    const std::string src = "<param name=\"SRC\" value=\"file:///" +
                            (inFolder(QStringLiteral("1.rpm"))).toStdString() + "\">\r\n";
    EXPECT_NE(page.find(src), std::string::npos) << page;
    EXPECT_TRUE(form->WebBrowser3->isVisible());
    EXPECT_TRUE(playerInFront());
    EXPECT_EQ(form->playListView->height(), 137); // below 140: kept
    EXPECT_EQ(loadedAddress(), QStringLiteral("file:///") + inFolder(QStringLiteral("1.html")));
    EXPECT_FALSE(QFile::exists(inFolder(QStringLiteral("2.html"))));
}

TEST_F(PlaybackForm, PlayOnlineWindowsMediaWritesTheDemoList)
{
    results({QStringLiteral("mp3"), QStringLiteral("rm")}, {0, 1});
    form->playclear->click(); // 137 -> 145
    form->SeSkinButton4->click();
    EXPECT_EQ(fileBytes(inFolder(QStringLiteral("winmedia.asx"))),
              "<asx version = \"3.0\">\r\n<title>demo</title>\r\n"
              "<entry>\r\n<ref href = \"http://127.0.0.1:9/1.mp3\"/>\r\n</entry>\r\n"
              "<entry>\r\n<ref href = \"http://127.0.0.1:9/2.rm\"/>\r\n</entry>\r\n</asx>\r\n");
    const std::string page = fileBytes(inFolder(QStringLiteral("2.html")));
    EXPECT_NE(page.find("<OBJECT ID=\"WMPlay\" WIDTH=500 HEIGHT=68\r\n"), std::string::npos);
    EXPECT_NE(
        page.find("VALUE=\"file:///" + inFolder(QStringLiteral("winmedia.asx")).toStdString() + " \">\r\n"),
        std::string::npos)
        << page;
    EXPECT_EQ(form->playListView->height(), 70);
    EXPECT_EQ(loadedAddress(), QStringLiteral("file:///") + inFolder(QStringLiteral("2.html")));
    // A second play finds the list short and leaves it so.
    form->SeSkinButton4->click();
    EXPECT_EQ(form->playListView->height(), 70);
}

TEST_F(PlaybackForm, ThePagesPlayerObjectBecomesOurPlayerAndPlaysTheSong)
{
    const QString wav = folder.filePath(QStringLiteral("tone \"1\".wav"));
    writeWav(wav, 500);
    form->show();
    results({QStringLiteral("mp3")}, {0});
    form->ListView1->setSubItem(0, lanseek::song::kAddress, QUrl::fromLocalFile(wav).toString());
    form->SeSkinButton4->click();
    ASSERT_EQ(loadedAddress(), QStringLiteral("file:///") + inFolder(QStringLiteral("2.html")));
    QCoreApplication::processEvents();
    const std::vector<QWidget*> hosted = form->WebBrowser3->hostedObjects();
    ASSERT_EQ(hosted.size(), 1u);
    auto* player = qobject_cast<lanseek::platform::MediaPlayerControl*>(hosted[0]);
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->source(), QStringLiteral("file:///") + inFolder(QStringLiteral("winmedia.asx ")));
    EXPECT_TRUE(player->isStatusBarVisible());
    QSignalSpy firstBuffer(player, &lanseek::platform::MediaPlayerControl::firstBufferReached);
    EXPECT_TRUE(firstBuffer.wait(10000)) << player->statusText().toStdString();
}

TEST_F(PlaybackForm, RealMediaPageHostsOurPlayerOnTheAddressList)
{
    form->show();
    results({QStringLiteral("rm")}, {0});
    form->SeSkinButton4->click();
    ASSERT_EQ(loadedAddress(), QStringLiteral("file:///") + inFolder(QStringLiteral("1.html")));
    QCoreApplication::processEvents();
    const std::vector<QWidget*> hosted = form->WebBrowser3->hostedObjects();
    ASSERT_EQ(hosted.size(), 1u);
    auto* player = qobject_cast<lanseek::platform::MediaPlayerControl*>(hosted[0]);
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->source(), QStringLiteral("file:///") + inFolder(QStringLiteral("1.rpm")));
}

TEST_F(PlaybackForm, CardPreviewHostsOurPlayerForTheSameObjectLines)
{
    std::vector<QString> page{QStringLiteral("<HTML>"), QStringLiteral("<body>")};
    for (const QString& line : lanseek::playback::windowsMediaObjectLines(
             300, 50, QStringLiteral("http://127.0.0.1:9/a.wma"), lanseek::playback::StatusLine::Omitted))
        page.push_back(line);
    page.push_back(QStringLiteral("</body>"));
    page.push_back(QStringLiteral("</html>"));
    lanseek::playback::writeTextLines(inFolder(QStringLiteral("card.html")), page);
    form->show();
    form->Button5Click();
    QSignalSpy done(form->WebBrowser4, &TWebBrowser::OnDocumentComplete);
    form->WebBrowser4->Navigate(QStringLiteral("file:///") + inFolder(QStringLiteral("card.html")));
    ASSERT_TRUE(done.wait(5000));
    QCoreApplication::processEvents();
    const std::vector<QWidget*> hosted = form->WebBrowser4->hostedObjects();
    ASSERT_EQ(hosted.size(), 1u);
    auto* player = qobject_cast<lanseek::platform::MediaPlayerControl*>(hosted[0]);
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->source(), QStringLiteral("http://127.0.0.1:9/a.wma"));
    EXPECT_FALSE(player->isStatusBarVisible());
}

TEST_F(PlaybackForm, LoadingLabelShowsWhileThePlayerViewLoads)
{
    results({QStringLiteral("rm")}, {0});
    QSignalSpy progress(form->WebBrowser3, &TWebBrowser::OnProgressChange);
    bool shownDuringProgress = false;
    QObject::connect(form->WebBrowser3, &TWebBrowser::OnProgressChange, form.get(), [&] {
        shownDuringProgress = shownDuringProgress || form->SeSkinLabel4->isVisibleTo(form.get());
    });
    form->SeSkinButton4->click();
    loadedAddress();
    EXPECT_FALSE(form->SeSkinLabel4->isVisibleTo(form.get()));
    if (!progress.isEmpty()) {
        EXPECT_TRUE(shownDuringProgress);
    }
    // The handlers themselves, whatever the browser reports.
    form->WebBrowser3ProgressChange(1, 10);
    EXPECT_TRUE(form->SeSkinLabel4->isVisibleTo(form.get()));
    // In front of the player view, whose area it shares.
    const QObjectList& siblings = form->SeSkinPanel1->children();
    EXPECT_GT(siblings.indexOf(form->SeSkinLabel4), siblings.indexOf(form->WebBrowser3));
    form->WebBrowser3DocumentComplete(form->WebBrowser3, QString());
    EXPECT_FALSE(form->SeSkinLabel4->isVisibleTo(form.get()));
}

TEST_F(PlaybackForm, UnwritableProgramFolderReachesTheErrorPolicy)
{
    form->folders().setProgramFolder(folder.filePath(QStringLiteral("gone/")));
    results({QStringLiteral("mp3")}, {0});
    form->SeSkinButton4->click();
    EXPECT_TRUE(form->downinimemo->toPlainText().contains(QStringLiteral("winmedia.asx")))
        << form->downinimemo->toPlainText().toStdString();
    // The remaining steps are skipped: no page, the player view stays hidden.
    EXPECT_FALSE(form->WebBrowser3->isVisibleTo(form.get()));
}

// ---- Save and load -----------------------------------------------------------------------------------

TEST_F(PlaybackForm, SaveOffersTheDatedSearchNameAndCancelWritesNothing)
{
    form->Edit1->setText(QStringLiteral("  abc \t"));
    results({QStringLiteral("rm"), QStringLiteral("mp3")}, {0, 1});
    form->playsavebtn->click(); // the empty play list is filled from the selection first
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    const auto& request = dialogs.fileRequests[0];
    EXPECT_EQ(request.kind, Kind::Save);
    EXPECT_EQ(request.request.filter,
              QStringLiteral("real播放列表(*.rpm)|*.rpm|winmedia播放列表(*.asx)|*.asx"));
    EXPECT_TRUE(request.request.proposedName.endsWith(QStringLiteral("abc.rpm")))
        << request.request.proposedName.toStdString();
    EXPECT_FALSE(request.request.proposedName.contains(QLatin1Char(' ')));
    EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral("*.rpm"), QStringLiteral("*.asx")}, QDir::Files),
              QStringList());
    EXPECT_EQ(form->playListView->Count(), 2);
}

TEST_F(PlaybackForm, SaveWritesTheChosenPathAsItIsAndRemembersItsFolder)
{
    QDir(folder.path()).mkdir(QStringLiteral("lists"));
    const QString chosen = folder.filePath(QStringLiteral("lists/mine")); // no extension is added
    results({QStringLiteral("wma"), QStringLiteral("mp3"), QStringLiteral("rm")}, {0, 1, 2});
    dialogs.fileAnswers.push_back(chosen);
    form->playsavebtn->click();
    const std::string bytes = fileBytes(chosen);
    EXPECT_EQ(bytes, "<asx version = \"3.0\">\r\n<title>playlist</title>\r\n"
                     "<entry>\r\n<ref href = \"http://127.0.0.1:9/1.wma\"/>\r\n</entry>\r\n"
                     "<entry>\r\n<ref href = \"http://127.0.0.1:9/2.mp3\"/>\r\n</entry>\r\n"
                     "<entry>\r\n<ref href = \"http://127.0.0.1:9/3.rm\"/>\r\n</entry>\r\n</asx>\r\n");
    // A second save opens where the first one saved; a cancel there changes nothing.
    form->playsavebtn->click();
    form->playsavebtn->click();
    ASSERT_EQ(dialogs.fileRequests.size(), 3u);
    EXPECT_EQ(dialogs.fileRequests[0].request.initialDir, QString());
    EXPECT_EQ(dialogs.fileRequests[1].request.initialDir, folder.filePath(QStringLiteral("lists")));
    EXPECT_EQ(dialogs.fileRequests[2].request.initialDir, folder.filePath(QStringLiteral("lists")));
    EXPECT_EQ(fileBytes(chosen), bytes);
}

TEST_F(PlaybackForm, SavedRpmLoadsBackAsRowsAndPlaysFromTheFile)
{
    const QString list = folder.filePath(QStringLiteral("LIST.RPM"));
    results({QStringLiteral("rm"), QStringLiteral("mp3")}, {0, 1});
    dialogs.fileAnswers.push_back(list);
    form->playsavebtn->click();
    ASSERT_EQ(fileBytes(list), "http://127.0.0.1:9/1.rm\r\nhttp://127.0.0.1:9/2.mp3\r\n");

    form->playclear->click();
    dialogs.fileAnswers.push_back(list);
    form->playloadbtn->click();
    const auto& request = dialogs.fileRequests.back();
    EXPECT_EQ(request.kind, Kind::Open);
    EXPECT_EQ(request.request.filter, QStringLiteral("real列表(*.rpm);winmedia列表(*.asx)|*.rpm;*.asx|"
                                                     "winmedia列表(*.asx)|*.asx|real列表(*.rpm)|*.rpm"));
    EXPECT_EQ(playCaptions(), (QStringList{QStringLiteral("http://127.0.0.1:9/1.rm"),
                                           QStringLiteral("http://127.0.0.1:9/2.mp3")}));
    EXPECT_EQ(form->playListView->subItemCount(0), 0);
    const std::string page = fileBytes(inFolder(QStringLiteral("1.html")));
    EXPECT_NE(page.find("value=\"file:///" + list.toStdString() + "\">\r\n"), std::string::npos) << page;
    EXPECT_EQ(form->playListView->height(), 75); // 145 - 70
    EXPECT_TRUE(playerInFront());
    EXPECT_EQ(loadedAddress(), QStringLiteral("file:///") + inFolder(QStringLiteral("1.html")));
    // The open dialog offers the file chosen last.
    dialogs.fileAnswers.push_back(std::nullopt);
    form->playloadbtn->click();
    EXPECT_EQ(dialogs.fileRequests.back().request.proposedName, QStringLiteral("LIST.RPM"));
    EXPECT_EQ(form->playListView->Count(), 2); // a cancelled load changes nothing
}

TEST_F(PlaybackForm, AnyOtherNameIsReadAsAnAsxList)
{
    const QString list = folder.filePath(QStringLiteral("list.txt"));
    {
        QFile file(list);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<asx version = \"3.0\">\n<title>x</title>\n<entry>\n<ref href = "
                   "\"\xD2\xBB.wma\"/>\r</entry>\r\n</asx>");
    }
    dialogs.fileAnswers.push_back(list);
    form->playloadbtn->click();
    EXPECT_EQ(playCaptions(), QStringList{QStringLiteral("<ref href = \"一.wma\"/>")});
    const std::string page = fileBytes(inFolder(QStringLiteral("2.html")));
    EXPECT_NE(page.find("HEIGHT=65\r\n"), std::string::npos);
    EXPECT_NE(page.find("VALUE=\"file:///" + list.toStdString() + "\">\r\n"), std::string::npos) << page;
    EXPECT_EQ(form->playListView->height(), 137);
}

TEST_F(PlaybackForm, ShortAsxGivesNoRowsButStillShowsThePage)
{
    const QString list = folder.filePath(QStringLiteral("short.asx"));
    {
        QFile file(list);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<asx version = \"3.0\">\r\n<title>playlist</title>\r\n</asx>\r\n");
    }
    form->playListView->appendRow(result(1, QStringLiteral("mp3")));
    dialogs.fileAnswers.push_back(list);
    form->playloadbtn->click();
    EXPECT_EQ(form->playListView->Count(), 0);
    EXPECT_TRUE(QFile::exists(inFolder(QStringLiteral("2.html"))));
    EXPECT_TRUE(form->WebBrowser3->isVisibleTo(form.get()));
}

TEST_F(PlaybackForm, SaveAfterLoadWithoutSelectionKeepsTheLoadedRows)
{
    form->playListView->appendRow({QStringLiteral("http://h/a.rm"), -1, {}});
    results({QStringLiteral("rm")}, {});
    form->playsavebtn->click();
    EXPECT_EQ(dialogs.messages, QStringList{kNoSelection});
    EXPECT_TRUE(dialogs.fileRequests.empty());
    EXPECT_EQ(playCaptions(), QStringList{QStringLiteral("http://h/a.rm")});
}

TEST_F(PlaybackForm, FailedLoadEmptiesThePlayListAndReachesTheErrorPolicy)
{
    form->playListView->appendRow(result(1, QStringLiteral("mp3")));
    dialogs.fileAnswers.push_back(folder.filePath(QStringLiteral("vanished.asx")));
    form->playloadbtn->click();
    EXPECT_EQ(form->playListView->Count(), 0);
    EXPECT_TRUE(form->downinimemo->toPlainText().contains(QStringLiteral("vanished.asx")));
    EXPECT_FALSE(QFile::exists(inFolder(QStringLiteral("2.html"))));
}
