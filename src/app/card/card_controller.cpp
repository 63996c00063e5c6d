// The music card's commands: markup, colour and font, background picture, the card list, generating,
// previewing and saving the card.

#include "app/card/card_controller.h"

#include "card/card_markup.h"
#include "card/card_page.h"
#include "card/card_save.h"
#include "platform/model/failure.h"
#include "platform/text/gbk.h"
#include "platform/ui/dialogs.h"
#include "platform/web/address.h"
#include "platform/web/web_browser.h"
#include "search/result_selection.h"
#include "skin/controls/se_controls.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextCursor>

#include <stdexcept>

namespace lanseek::app {

using namespace lanseek::card;

namespace {

// A card or its picture that cannot be read or written; the policy tells the user and leaves the rest be.
lanseek::platform::Failure cardFailure(const QString& message)
{
    return {lanseek::platform::FailureKind::CardFile, message};
}

lanseek::card::EditorState editorState(const QLineEdit* edit)
{
    EditorState state;
    state.text = edit->text();
    state.selectionStart = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    state.selectionLength = static_cast<int>(edit->selectedText().size());
    state.hasFocus = QApplication::focusWidget() == edit;
    return state;
}

lanseek::card::EditorState editorState(const QPlainTextEdit* memo)
{
    EditorState state;
    const QTextCursor cursor = memo->textCursor();
    state.text = memo->toPlainText();
    state.selectionStart = cursor.selectionStart();
    state.selectionLength = cursor.selectionEnd() - cursor.selectionStart();
    state.hasFocus = QApplication::focusWidget() == memo;
    return state;
}

QString cardPath(const QString& programFolder)
{
    return programFolder + QStringLiteral("card.html");
}

} // namespace

CardController::CardController(const SharedFolders& folders, ViewSwitch& views, platform::Dialogs& dialogs,
                               ErrorPolicy& errors, std::function<void()> buildView, QObject* parent)
    : QObject(parent), m_folders(folders), m_views(views), m_dialogs(dialogs), m_errors(errors),
      m_buildView(std::move(buildView))
{
    setObjectName(QStringLiteral("cardController"));
}

void CardController::replaceCardSong(const SongEntry& song)
{
    if (!hasView() && m_buildView)
        m_buildView();
    if (!hasView())
        return;
    m_view.cardlistview->Clear();
    m_view.cardlistview->appendRow(song);
}

void CardController::addCardSongs(const std::vector<SongEntry>& songs)
{
    if (!hasView() && m_buildView)
        m_buildView();
    if (!hasView())
        return;
    for (const SongEntry& song : songs)
        m_view.cardlistview->appendRow(song);
}

void CardController::applyCardMarkup(const MarkupOutcome& outcome)
{
    switch (outcome.action) {
    case MarkupOutcome::Action::Nothing:
        return;
    case MarkupOutcome::Action::AskForSelection:
        m_dialogs.message(m_view.window, kAskForSelection);
        return;
    case MarkupOutcome::Action::SetTitle:
        m_view.nameedit->setText(outcome.replacement);
        return;
    case MarkupOutcome::Action::ReplaceTextSelection: {
        // The insertion leaves no undo record: the editor's undo history ends here.
        m_view.iememo->document()->setUndoRedoEnabled(false);
        QTextCursor cursor = m_view.iememo->textCursor();
        cursor.insertText(outcome.replacement);
        m_view.iememo->setTextCursor(cursor);
        m_view.iememo->document()->setUndoRedoEnabled(true);
        return;
    }
    }
}

void CardController::runTagCommand(const TagCommand& command)
{
    applyCardMarkup(wrap(command, editorState(m_view.iememo), editorState(m_view.nameedit)));
}

void CardController::htmlrunbtnClick()
{
    runTagCommand(tagCommand(CardTag::Marquee));
}
void CardController::h1btnClick()
{
    runTagCommand(tagCommand(CardTag::Heading1));
}
void CardController::h2btnClick()
{
    runTagCommand(tagCommand(CardTag::Heading2));
}
void CardController::h3btnClick()
{
    runTagCommand(tagCommand(CardTag::Heading3));
}
void CardController::h4btnClick()
{
    runTagCommand(tagCommand(CardTag::Heading4));
}
void CardController::bigbtnClick()
{
    runTagCommand(tagCommand(CardTag::Big));
}
void CardController::strongbtnClick()
{
    runTagCommand(tagCommand(CardTag::Strong));
}
void CardController::ibtnClick()
{
    runTagCommand(tagCommand(CardTag::Italic));
}
void CardController::ubtnClick()
{
    runTagCommand(tagCommand(CardTag::Underline));
}
void CardController::centrebtnClick()
{
    runTagCommand(tagCommand(CardTag::Centre));
}

void CardController::colorcomboxChange()
{
    const QString opening =
        fontOpeningTag(m_view.colorcombox->currentData().toString(), m_view.fontsizecombox->currentText());
    applyCardMarkup(applyFont(opening, editorState(m_view.iememo), editorState(m_view.nameedit)));
}

void CardController::fontsizecomboxChange()
{
    colorcomboxChange();
}

void CardController::picbtnClick()
{
    lanseek::platform::FileDialogRequest request;
    request.filter = QStringLiteral("jpg图片(*.jpg);jpeg图片(*.jpeg);gif图片(*.gif)|*.jpg;*.jpeg;*.gif|"
                                    "jpeg图片(*.jpeg)|*.jpeg|gif图片(*.gif)|*.gif");
    request.initialDir = m_pictureFolder;
    const std::optional<QString> chosen = m_dialogs.openFile(m_view.window, request);
    if (!chosen)
        return;
    m_cardBackground = *chosen;
    m_view.cardsurebtn->click();
}

void CardController::backbtnClick()
{
    if (QApplication::focusWidget() == m_view.iememo)
        m_view.iememo->undo();
    else
        m_view.nameedit->undo();
}

void CardController::dragcardbtnClick()
{
    if (const std::optional<lanseek::SongEntry> chosen =
            lanseek::search::firstSelectedEntry(*m_view.ListView1)) {
        m_view.cardlistview->Clear();
        m_view.cardlistview->appendRow(lanseek::search::cardEntryFrom(*chosen));
    }
    m_views.showCardView();
}

void CardController::cancelbtnClick()
{
    m_view.cardlistview->Clear();
}

void CardController::cardsurebtnClick()
{
    writeCard();
}

void CardController::writeCard()
{
    if (m_view.cardlistview->Count() == 0)
        return;
    CardContent card;
    card.background = m_cardBackground;
    card.title = m_view.nameedit->text();
    card.address = m_view.cardlistview->subItem(0, 1);
    card.type = m_view.cardlistview->subItem(0, 3);
    card.lines = m_view.iememo->visualLines();
    const QString path = cardPath(m_folders.programFolder());
    if (QFile::exists(path) && !QFile::remove(path))
        throw cardFailure(QStringLiteral("贺卡无法保存：") + path);
    const QStringList lines = cardLines(card);
    try {
        lanseek::platform::writeGbkLines(path.toStdString(),
                                         std::vector<QString>(lines.begin(), lines.end()));
    } catch (const std::runtime_error&) {
        throw cardFailure(QStringLiteral("贺卡无法保存：") + path);
    }
}

void CardController::previewbtnClick()
{
    m_view.cardsurebtn->click();
    m_view.WebBrowser4->Navigate(QStringLiteral("file:///") + cardPath(m_folders.programFolder()));
}

void CardController::iesetbtnClick()
{
    if (m_view.WebBrowser4->Document())
        m_view.WebBrowser4->ExecWB(TWebBrowser::kSaveAs, 0);
}

namespace {

// Where a save dialog for the user's own documents opens: the documents folder, or home without one.
QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

QByteArray readWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw cardFailure(QStringLiteral("贺卡无法读取: ") + file.errorString());
    return file.readAll();
}

// Copies the picture into the companion folder, replacing an older copy; false when there is no picture
// to copy (a missing background is not an error: the card shows without it, saved or not).
bool copyPicture(const QString& picture, const QString& folder, const QString& copy)
{
    if (!QFileInfo(picture).isFile())
        return false;
    if (QFileInfo(picture).canonicalFilePath() == QFileInfo(copy).canonicalFilePath())
        return true;
    if (!QDir().mkpath(folder))
        throw cardFailure(QStringLiteral("贺卡图片文件夹无法建立"));
    if (QFile::exists(copy) && !QFile::remove(copy))
        throw cardFailure(QStringLiteral("贺卡图片无法替换"));
    if (!QFile::copy(picture, copy))
        throw cardFailure(QStringLiteral("贺卡图片无法复制"));
    return true;
}

} // namespace

void CardController::saveCardAs(const lanseek::platform::WebDocument& document)
{
    // The preview shows local pages only; the bytes saved are the page's own, as it lies on disk.
    if (!lanseek::platform::isFileAddress(document.url))
        return;
    const QString source = lanseek::platform::localPathOf(document.url);
    QByteArray page = readWholeFile(source);

    lanseek::platform::FileDialogRequest request;
    request.filter = QStringLiteral("网页，全部(*.html;*.htm)|*.html;*.htm");
    request.initialDir = documentsFolder();
    request.proposedName = QStringLiteral("card.html");
    const std::optional<QString> chosen = m_dialogs.saveFile(m_view.window, request);
    if (!chosen || chosen->isEmpty())
        return;
    const QFileInfo target(*chosen);

    // The picture goes beside the page, and the saved page (never the program's own card) names the copy.
    if (const std::optional<ByteSpan> span = findBodyBackground(page)) {
        const QString written = lanseek::platform::fromGbk(
            std::string_view(page.constData() + span->start, static_cast<std::size_t>(span->length)));
        const QString address = lanseek::platform::resolveAddress(document.url, written);
        if (lanseek::platform::isFileAddress(address)) {
            const QString picture = lanseek::platform::localPathOf(address);
            const QString folderName = companionFolderName(target.fileName());
            const QString folder = target.dir().filePath(folderName);
            const QString pictureName = QFileInfo(picture).fileName();
            if (copyPicture(picture, folder, QDir(folder).filePath(pictureName)))
                page = withBackground(page, *span, companionReference(folderName, pictureName));
        }
    }

    QSaveFile file(target.filePath());
    if (!file.open(QIODevice::WriteOnly) || file.write(page) != page.size() || !file.commit())
        throw cardFailure(QStringLiteral("贺卡无法保存: ") + file.errorString());
}

} // namespace lanseek::app
