// The playback handlers: the play list commands, playlist files and the player view.

#include "app/playback/playback_controller.h"

#include "app/playback/play_list_rows.h"

#include "platform/ui/dialogs.h"
#include "platform/web/web_browser.h"
#include "playback/play_list.h"
#include "playback/player_pages.h"
#include "playback/playlist_files.h"
#include "skin/controls/se_controls.h"

#include <QDate>
#include <QFileInfo>

namespace lanseek::app {

using namespace lanseek::playback;

namespace {

std::vector<SongEntry> selectedRows(const TSeSkinSListView* list)
{
    std::vector<SongEntry> rows;
    for (int i : list->selectedRowIndexes())
        rows.push_back(list->row(i));
    return rows;
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

PlaybackController::PlaybackController(const PlaybackView& view, const SharedFolders& folders,
                                       const SearchText& searchText, CardIntake& card,
                                       platform::Dialogs& dialogs, ErrorPolicy& errors, QObject* parent)
    : QObject(parent), m_view(view), m_folders(folders), m_searchText(searchText), m_card(card),
      m_dialogs(dialogs), m_errors(errors)
{
    setObjectName(QStringLiteral("playbackController"));
}

void PlaybackController::dragplaybtnClick()
{
    std::optional<SongEntry> firstPlayRow;
    if (m_view.playListView->Count() > 0)
        firstPlayRow = m_view.playListView->row(0);
    const AddToPlayPlan plan = planAddToPlay(selectedRows(m_view.ListView1), firstPlayRow);
    switch (plan.outcome) {
    case AddToPlayPlan::Outcome::NothingSelected:
        m_dialogs.message(m_view.window, kNoSelectionMessage);
        return;
    case AddToPlayPlan::Outcome::TypeConflict:
        m_dialogs.message(m_view.window, kTypeConflictMessage);
        return;
    case AddToPlayPlan::Outcome::Append:
        break;
    }
    if (plan.emptyPlayListFirst)
        m_view.playListView->Clear();
    for (const SongEntry& row : plan.rows)
        m_view.playListView->appendRow(row);
    // The card list collects every song sent to the play list; it is not emptied first.
    m_card.addCardSongs(plan.rows);
}

void PlaybackController::playdelbtnClick()
{
    const int selected = m_view.playListView->firstSelectedRow();
    if (selected >= 0)
        m_view.playListView->deleteRow(selected);
}

void PlaybackController::playclearClick()
{
    m_view.playListView->Clear();
    setHeight(m_view.playListView, heightAfterClear(m_view.playListView->height()));
}

void PlaybackController::playsavebtnClick()
{
    if (!holdsSongs(m_view.playListView))
        dragplaybtnClick();
    if (!holdsSongs(m_view.playListView))
        return;
    const PlaylistFormat format = saveFormatForType(m_view.playListView->subItem(0, song::kType));
    const std::vector<QString> lines = savedPlaylistLines(allRows(m_view.playListView), format);

    platform::FileDialogRequest request;
    request.filter = kSaveFilter;
    request.initialDir = folderOf(m_saveDialogFileName);
    request.proposedName = proposedSaveName(QDate::currentDate(), m_searchText.searchText(), format);
    const std::optional<QString> path = m_dialogs.saveFile(m_view.window, request);
    if (!path)
        return;
    m_saveDialogFileName = *path;
    writeTextLines(*path, lines);
}

void PlaybackController::playloadbtnClick()
{
    platform::FileDialogRequest request;
    request.filter = kLoadFilter;
    request.initialDir = folderOf(m_openDialogFileName);
    request.proposedName =
        m_openDialogFileName.isEmpty() ? QString() : QFileInfo(m_openDialogFileName).fileName();
    const std::optional<QString> path = m_dialogs.openFile(m_view.window, request);
    if (!path)
        return;
    m_openDialogFileName = *path;

    m_view.playListView->Clear();
    const PlaylistFormat format = loadFormatForPath(*path);
    for (const SongEntry& row : loadedPlaylistRows(format, readTextLines(*path)))
        m_view.playListView->appendRow(row);
    // The player plays the chosen file itself; the rows only name what it holds.
    const LoadedPage page = loadedPlaylistPage(format, *path);
    writeTextLines(m_folders.programFolder() + page.page, page.lines);
    m_pageFirstRow = 0;
    showPlayerPage(page.page, kLoadedPageReduction);
}

void PlaybackController::SeSkinButton4Click()
{
    m_view.playListView->Clear();
    dragplaybtnClick();
    if (!holdsSongs(m_view.playListView))
        return;
    const PlayOnlinePlan plan = playOnlinePlan(allRows(m_view.playListView), m_folders.programFolder());
    writeTextLines(m_folders.programFolder() + plan.sideFile, plan.sideLines);
    writeTextLines(m_folders.programFolder() + plan.page, plan.pageLines);
    m_pageFirstRow = 0;
    showPlayerPage(plan.page, plan.reduction);
}

void PlaybackController::showPlayerPage(const QString& page, int reduction)
{
    setHeight(m_view.playListView, heightAfterShowPage(m_view.playListView->height(), reduction));
    m_view.WebBrowser3->setVisible(true);
    m_view.WebBrowser3->raise();
    m_view.WebBrowser3->Navigate(fileAddress(m_folders.programFolder() + page));
}

void PlaybackController::WebBrowser3ProgressChange()
{
    // The label lies inside the player view's area, and the view was brought to the front when its page
    // was shown; the label has to come in front of it to be seen.
    m_view.SeSkinLabel4->show();
    m_view.SeSkinLabel4->raise();
}

void PlaybackController::WebBrowser3DocumentComplete()
{
    m_view.SeSkinLabel4->hide();
}

} // namespace lanseek::app
