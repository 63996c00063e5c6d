// The main window's playback handlers: the play list commands, playlist files and the player view.

#include "app/mp3.h"

#include "platform/web/web_browser.h"
#include "playback/play_list.h"
#include "playback/player_pages.h"
#include "playback/playlist_files.h"

#include <QDate>
#include <QFileInfo>

using namespace lanseek;
using namespace lanseek::playback;

namespace {

std::vector<SongEntry> allRows(const TSeSkinSListView* list)
{
    std::vector<SongEntry> rows;
    rows.reserve(static_cast<size_t>(list->Count()));
    for (int i = 0; i < list->Count(); ++i)
        rows.push_back(list->row(i));
    return rows;
}

std::vector<SongEntry> selectedRows(const TSeSkinSListView* list)
{
    std::vector<SongEntry> rows;
    for (int i : list->selectedRowIndexes())
        rows.push_back(list->row(i));
    return rows;
}

// An empty play list, or one read from a file, has no songs to play or save.
bool holdsSongs(const TSeSkinSListView* list)
{
    return list->Count() > 0 && list->subItemCount(0) > 0;
}

void setHeight(QWidget* widget, int height)
{
    widget->resize(widget->width(), height);
}

// The folder to open a file dialog in: the one of the name chosen last, if any.
QString folderOf(const QString& path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).absolutePath();
}

} // namespace

void TForm1::dragplaybtnClick()
{
    std::optional<SongEntry> firstPlayRow;
    if (playListView->Count() > 0)
        firstPlayRow = playListView->row(0);
    const AddToPlayPlan plan = planAddToPlay(selectedRows(ListView1), firstPlayRow);
    switch (plan.outcome) {
    case AddToPlayPlan::Outcome::NothingSelected:
        dialogs().message(this, kNoSelectionMessage);
        return;
    case AddToPlayPlan::Outcome::TypeConflict:
        dialogs().message(this, kTypeConflictMessage);
        return;
    case AddToPlayPlan::Outcome::Append:
        break;
    }
    if (plan.emptyPlayListFirst)
        playListView->Clear();
    for (const SongEntry& row : plan.rows)
        playListView->appendRow(row);
    // The card list collects every song sent to the play list; it is not emptied first.
    ensureCardView();
    for (const SongEntry& row : plan.rows)
        cardlistview->appendRow(row);
}

void TForm1::playdelbtnClick()
{
    const int selected = playListView->firstSelectedRow();
    if (selected >= 0)
        playListView->deleteRow(selected);
}

void TForm1::playclearClick()
{
    playListView->Clear();
    setHeight(playListView, heightAfterClear(playListView->height()));
}

void TForm1::playsavebtnClick()
{
    if (!holdsSongs(playListView))
        dragplaybtnClick();
    if (!holdsSongs(playListView))
        return;
    const PlaylistFormat format = saveFormatForType(playListView->subItem(0, song::kType));
    const std::vector<QString> lines = savedPlaylistLines(allRows(playListView), format);

    platform::FileDialogRequest request;
    request.filter = kSaveFilter;
    request.initialDir = folderOf(SaveDialog1FileName);
    request.proposedName = proposedSaveName(QDate::currentDate(), Edit1->text(), format);
    const std::optional<QString> path = dialogs().saveFile(this, request);
    if (!path)
        return;
    SaveDialog1FileName = *path;
    writeTextLines(*path, lines);
}

void TForm1::playloadbtnClick()
{
    platform::FileDialogRequest request;
    request.filter = kLoadFilter;
    request.initialDir = folderOf(OpenDialog2FileName);
    request.proposedName =
        OpenDialog2FileName.isEmpty() ? QString() : QFileInfo(OpenDialog2FileName).fileName();
    const std::optional<QString> path = dialogs().openFile(this, request);
    if (!path)
        return;
    OpenDialog2FileName = *path;

    playListView->Clear();
    const PlaylistFormat format = loadFormatForPath(*path);
    for (const SongEntry& row : loadedPlaylistRows(format, readTextLines(*path)))
        playListView->appendRow(row);
    // The player plays the chosen file itself; the rows only name what it holds.
    const LoadedPage page = loadedPlaylistPage(format, *path);
    writeTextLines(programFolder + page.page, page.lines);
    showPlayerPage(page.page, kLoadedPageReduction);
}

void TForm1::SeSkinButton4Click()
{
    playListView->Clear();
    dragplaybtnClick();
    if (!holdsSongs(playListView))
        return;
    const PlayOnlinePlan plan = playOnlinePlan(allRows(playListView), programFolder);
    writeTextLines(programFolder + plan.sideFile, plan.sideLines);
    writeTextLines(programFolder + plan.page, plan.pageLines);
    showPlayerPage(plan.page, plan.reduction);
}

void TForm1::showPlayerPage(const QString& page, int reduction)
{
    setHeight(playListView, heightAfterShowPage(playListView->height(), reduction));
    WebBrowser3->setVisible(true);
    WebBrowser3->raise();
    WebBrowser3->Navigate(fileAddress(programFolder + page));
}

void TForm1::WebBrowser3ProgressChange(int, int)
{
    // The label lies inside the player view's area, and the view was brought to the front when its page
    // was shown; the label has to come in front of it to be seen.
    SeSkinLabel4->show();
    SeSkinLabel4->raise();
}

void TForm1::WebBrowser3DocumentComplete(TWebBrowser*, const QString&)
{
    SeSkinLabel4->hide();
}
