// The main window's music card commands: markup, colour and font, background picture, the card list,
// generating, previewing and saving the card.

#include "app/mp3.h"

#include "card/card_markup.h"
#include "card/card_page.h"
#include "card/card_save.h"
#include "platform/text/gbk.h"
#include "platform/web/address.h"
#include "platform/web/web_browser.h"
#include "search/result_selection.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTextCursor>

#include <stdexcept>

using namespace lanseek::card;

namespace {

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

void TForm1::applyCardMarkup(const MarkupOutcome& outcome)
{
    switch (outcome.action) {
    case MarkupOutcome::Action::Nothing:
        return;
    case MarkupOutcome::Action::AskForSelection:
        dialogs().message(this, kAskForSelection);
        return;
    case MarkupOutcome::Action::SetTitle:
        nameedit->setText(outcome.replacement);
        return;
    case MarkupOutcome::Action::ReplaceTextSelection: {
        // The insertion leaves no undo record: the editor's undo history ends here.
        iememo->document()->setUndoRedoEnabled(false);
        QTextCursor cursor = iememo->textCursor();
        cursor.insertText(outcome.replacement);
        iememo->setTextCursor(cursor);
        iememo->document()->setUndoRedoEnabled(true);
        return;
    }
    }
}

void TForm1::runTagCommand(const TagCommand& command)
{
    applyCardMarkup(wrap(command, editorState(iememo), editorState(nameedit)));
}

void TForm1::htmlrunbtnClick()
{
    runTagCommand(tagCommand(CardTag::Marquee));
}
void TForm1::h1btnClick()
{
    runTagCommand(tagCommand(CardTag::Heading1));
}
void TForm1::h2btnClick()
{
    runTagCommand(tagCommand(CardTag::Heading2));
}
void TForm1::h3btnClick()
{
    runTagCommand(tagCommand(CardTag::Heading3));
}
void TForm1::h4btnClick()
{
    runTagCommand(tagCommand(CardTag::Heading4));
}
void TForm1::bigbtnClick()
{
    runTagCommand(tagCommand(CardTag::Big));
}
void TForm1::strongbtnClick()
{
    runTagCommand(tagCommand(CardTag::Strong));
}
void TForm1::ibtnClick()
{
    runTagCommand(tagCommand(CardTag::Italic));
}
void TForm1::ubtnClick()
{
    runTagCommand(tagCommand(CardTag::Underline));
}
void TForm1::centrebtnClick()
{
    runTagCommand(tagCommand(CardTag::Centre));
}

void TForm1::colorcomboxChange()
{
    const QString opening =
        fontOpeningTag(colorcombox->currentData().toString(), fontsizecombox->currentText());
    applyCardMarkup(applyFont(opening, editorState(iememo), editorState(nameedit)));
}

void TForm1::fontsizecomboxChange()
{
    colorcomboxChange();
}

void TForm1::picbtnClick()
{
    lanseek::platform::FileDialogRequest request;
    request.filter = QStringLiteral("jpg图片(*.jpg);jpeg图片(*.jpeg);gif图片(*.gif)|*.jpg;*.jpeg;*.gif|"
                                    "jpeg图片(*.jpeg)|*.jpeg|gif图片(*.gif)|*.gif");
    request.initialDir = OpenDialog1InitialDir;
    const std::optional<QString> chosen = dialogs().openFile(this, request);
    if (!chosen)
        return;
    cardBackground = *chosen;
    cardsurebtn->click();
}

void TForm1::backbtnClick()
{
    if (QApplication::focusWidget() == iememo)
        iememo->undo();
    else
        nameedit->undo();
}

void TForm1::dragcardbtnClick()
{
    if (const std::optional<lanseek::SongEntry> chosen = lanseek::search::firstSelectedEntry(*ListView1)) {
        cardlistview->Clear();
        cardlistview->appendRow(lanseek::search::cardEntryFrom(*chosen));
    }
    Button5Click();
}

void TForm1::cancelbtnClick()
{
    cardlistview->Clear();
}

void TForm1::cardsurebtnClick()
{
    writeCard();
}

void TForm1::writeCard()
{
    if (cardlistview->Count() == 0)
        return;
    CardContent card;
    card.background = cardBackground;
    card.title = nameedit->text();
    card.address = cardlistview->subItem(0, 1);
    card.type = cardlistview->subItem(0, 3);
    card.lines = iememo->visualLines();
    const QString path = cardPath(programFolder);
    if (QFile::exists(path) && !QFile::remove(path))
        throw std::runtime_error("cannot replace " + path.toStdString());
    const QStringList lines = cardLines(card);
    lanseek::platform::writeGbkLines(path.toStdString(), std::vector<QString>(lines.begin(), lines.end()));
}

void TForm1::previewbtnClick()
{
    cardsurebtn->click();
    WebBrowser4->Navigate(QStringLiteral("file:///") + cardPath(programFolder));
}

void TForm1::iesetbtnClick()
{
    if (WebBrowser4->Document())
        WebBrowser4->ExecWB(TWebBrowser::kSaveAs, 0);
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
        throw std::runtime_error("贺卡无法读取: " + file.errorString().toStdString());
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
        throw std::runtime_error("贺卡图片文件夹无法建立");
    if (QFile::exists(copy) && !QFile::remove(copy))
        throw std::runtime_error("贺卡图片无法替换");
    if (!QFile::copy(picture, copy))
        throw std::runtime_error("贺卡图片无法复制");
    return true;
}

} // namespace

void TForm1::saveCardAs(const lanseek::platform::WebDocument& document)
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
    const std::optional<QString> chosen = dialogs().saveFile(this, request);
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
        throw std::runtime_error("贺卡无法保存: " + file.errorString().toStdString());
}
