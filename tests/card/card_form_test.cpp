// The music card commands on the real main window.

#include "app/card/card_controller.h"
#include "support/form_fixture.h"

#include "platform/text/gbk.h"
#include "platform/web/web_browser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>
#include <QUrl>

using lanseek::test::FormTest;

class CardForm : public FormTest
{
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void selectInMemo(int start, int length)
    {
        QTextCursor cursor = form->iememo->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        form->iememo->setTextCursor(cursor);
    }
    QByteArray cardBytes() const
    {
        QFile file(form->folders().programFolder() + "card.html");
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void addCardSong(const QString& type)
    {
        form->cardlistview->appendRow({"1", 0, {"晨风", "http://h/a." + type, "3.5M", type}});
    }
};

TEST_F(CardForm, TagCommandsWrapTheFocusedCardText)
{
    form->iememo->setPlainText("hello world");
    form->iememo->setFocus();
    selectInMemo(6, 5);
    form->strongbtn->click();
    EXPECT_EQ(form->iememo->toPlainText(), QStringLiteral("hello <strong>world</strong>"));
    // The caret stands after the insertion, so a second click finds nothing selected anywhere.
    form->strongbtn->click();
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("请选择相应内容后再点击本按钮！")});
    // The insertion is no undoable edit.
    form->backbtn->click();
    EXPECT_EQ(form->iememo->toPlainText(), QStringLiteral("hello <strong>world</strong>"));
}

TEST_F(CardForm, TitleSelectionKeepsOnlyTheWrappedWords)
{
    form->nameedit->setText("two words");
    form->nameedit->setFocus();
    form->nameedit->setSelection(4, 5);
    form->h1btn->click();
    EXPECT_EQ(form->nameedit->text(), QStringLiteral("<h1>words</h1>"));
}

TEST_F(CardForm, ColourChoiceWrapsTheSelectionInAFontTag)
{
    form->iememo->setPlainText("Hi");
    selectInMemo(0, 2);
    form->fontsizecombox->addItem(QStringLiteral("宋体"));
    form->fontsizecombox->setCurrentIndex(form->fontsizecombox->count() - 1);
    const int red = form->colorcombox->findText("clRed");
    ASSERT_GE(red, 0);
    form->colorcombox->setCurrentIndex(red);
    emit form->colorcombox->activated(red);
    EXPECT_EQ(form->iememo->toPlainText(), QStringLiteral("<font color=#FF0000 face='宋体'>Hi</font>"));
    EXPECT_EQ(form->colorcombox->count(), 49);
}

TEST_F(CardForm, FontBoxStartsWithNoFamilySoAColourWritesNoFace)
{
    // The box lists the display's families but shows none of them chosen.
    EXPECT_EQ(form->fontsizecombox->currentIndex(), -1);
    EXPECT_EQ(form->fontsizecombox->currentText(), QString());
    EXPECT_EQ(form->fontsizecombox->placeholderText(), QStringLiteral("字体类型"));
    form->iememo->setPlainText("Hi");
    selectInMemo(0, 2);
    const int blue = form->colorcombox->findText("clBlue");
    ASSERT_GE(blue, 0);
    form->colorcombox->setCurrentIndex(blue);
    emit form->colorcombox->activated(blue);
    EXPECT_EQ(form->iememo->toPlainText(), QStringLiteral("<font color=#0000FF>Hi</font>"));
}

TEST_F(CardForm, GenerateWritesTheCardInGbkWithCrLf)
{
    addCardSong("mp3");
    form->cardsurebtn->click();
    const QByteArray bytes = cardBytes();
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_TRUE(bytes.startsWith("<HTML>\r\n<body background=\"file:///"));
    EXPECT_TRUE(bytes.contains("0103.jpg\"> \r\n\r\n<h2>\xB1\xEA\xCC\xE2</h2>\r\n"));  // 标题 in GBK
    EXPECT_TRUE(bytes.endsWith("<br>\r\n\xC4\xDA\xC8\xDD\r\n</body>\r\n</html>\r\n")); // 内容 in GBK
    EXPECT_TRUE(bytes.contains("<PARAM NAME=\"fileName\" VALUE=\"http://h/a.mp3\">\r\n"));
}

TEST_F(CardForm, EmptyCardListWritesNothingAndKeepsTheOldCard)
{
    addCardSong("rm");
    form->cardsurebtn->click();
    const QByteArray first = cardBytes();
    ASSERT_TRUE(first.contains("<param name=\"SRC\" value=\"http://h/a.rm\">"));
    form->cancelbtn->click();
    EXPECT_EQ(form->cardlistview->Count(), 0);
    form->nameedit->setText("changed");
    form->cardsurebtn->click();
    EXPECT_EQ(cardBytes(), first);
}

TEST_F(CardForm, WrappedLinesOfTheTextBecomeCardLines)
{
    addCardSong("rm");
    form->iememo->setPlainText(
        QString(400, QLatin1Char('x')).replace(QRegularExpression("x{10}"), "xxxxxxxxx "));
    form->cardsurebtn->click();
    const QByteArray bytes = cardBytes();
    EXPECT_GT(bytes.count("<br>x"), 1); // one long paragraph shows as several lines
}

TEST_F(CardForm, SendToCardTakesTheTopmostSelectedRowAndShowsTheCardPanel)
{
    form->ListView1->appendRow({"1", 0, {"a", "http://h/a.mp3", "1.0M", "mp3"}});
    form->ListView1->appendRow({"2", 2, {"b", "http://h/b.wma", "2.0M", "wma"}});
    form->ListView1->setRowSelected(1, true);
    form->ListView1->setRowSelected(0, true);
    form->dragcardbtn->click();
    ASSERT_EQ(form->cardlistview->Count(), 1);
    EXPECT_EQ(form->cardlistview->row(0).subItems, (QStringList{"a", "http://h/a.mp3", "1.0M", "mp3"}));
    EXPECT_TRUE(form->setpanel->isVisible());

    form->Button3->click();
    form->ListView1->clearSelection();
    form->dragcardbtn->click();
    EXPECT_EQ(form->cardlistview->Count(), 1);
    EXPECT_TRUE(form->setpanel->isVisible());
}

TEST_F(CardForm, PictureChoiceRegeneratesTheCard)
{
    addCardSong("mp3");
    dialogs.fileAnswers = {QStringLiteral("/pictures/sea.gif")};
    form->picbtn->click();
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dialogs.fileRequests[0].request.initialDir, form->card().pictureFolder());
    EXPECT_EQ(form->card().cardBackground(), QStringLiteral("/pictures/sea.gif"));
    EXPECT_TRUE(cardBytes().contains("<body background=\"file:////pictures/sea.gif\"> "));

    form->picbtn->click(); // cancelled
    EXPECT_EQ(form->card().cardBackground(), QStringLiteral("/pictures/sea.gif"));
}

TEST_F(CardForm, SaveLocationBeforeAnyPreviewDoesNothing)
{
    addCardSong("mp3");
    form->iesetbtn->click();
    EXPECT_TRUE(dialogs.fileRequests.empty());
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_EQ(form->downinimemo->toPlainText(), QString());
}

TEST_F(CardForm, SaveLocationWritesACardThatShowsItsPictureFromItsNewPlace)
{
    // A background of one colour, so the saved card's picture can be told on screen.
    const QColor paint(200, 30, 40);
    ASSERT_TRUE(QDir().mkpath(folder.filePath("pic")));
    const QString picture = folder.filePath("pic/背景.png");
    QImage tile(8, 8, QImage::Format_RGB32);
    tile.fill(paint);
    ASSERT_TRUE(tile.save(picture));
    form->card().setCardBackground(picture);
    addCardSong("mp3");
    QSignalSpy previewed(form->WebBrowser4, &TWebBrowser::OnDocumentComplete);
    form->previewbtn->click();
    ASSERT_TRUE(previewed.wait(5000));
    const QByteArray generated = cardBytes();

    // Cancelling the dialog saves nothing; the dialog proposes card.html in a folder that exists.
    form->iesetbtn->click();
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    const auto& request = dialogs.fileRequests[0];
    EXPECT_EQ(request.kind, lanseek::test::ScriptedDialogs::FileRequest::Kind::Save);
    EXPECT_EQ(request.request.proposedName, QStringLiteral("card.html"));
    EXPECT_TRUE(QFileInfo(request.request.initialDir).isDir());
    EXPECT_TRUE(request.request.filter.contains(QStringLiteral("*.html")));

    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    const QString target = elsewhere.filePath("我的贺卡.html");
    dialogs.fileAnswers.push_back(target);
    form->iesetbtn->click();
    EXPECT_EQ(form->downinimemo->toPlainText(), QString()); // no error reached the handler

    // The program's own card is untouched; the saved one differs only in naming the copy of the picture.
    EXPECT_EQ(cardBytes(), generated);
    EXPECT_TRUE(QFileInfo(elsewhere.filePath("我的贺卡_files/背景.png")).isFile());
    QFile savedFile(target);
    ASSERT_TRUE(savedFile.open(QIODevice::ReadOnly));
    QByteArray expected = generated;
    expected.replace(QByteArray::fromStdString(lanseek::platform::toGbk("file:///" + picture)),
                     QUrl::toPercentEncoding(QStringLiteral("我的贺卡_files")) + "/" +
                         QUrl::toPercentEncoding(QStringLiteral("背景.png")));
    EXPECT_NE(expected, generated);
    EXPECT_EQ(savedFile.readAll(), expected);

    // With the original picture gone, a fresh browser view shows the saved card with its picture.
    ASSERT_TRUE(QFile::remove(picture));
    TWebBrowser fresh;
    fresh.resize(500, 400);
    fresh.show();
    QSignalSpy loaded(&fresh, &TWebBrowser::OnDocumentComplete);
    fresh.Navigate(QStringLiteral("file:///") + target);
    ASSERT_TRUE(loaded.wait(5000));
    ASSERT_NE(fresh.Document(), nullptr);
    QApplication::processEvents();
    const QImage shown = fresh.grab().toImage();
    EXPECT_EQ(shown.pixelColor(shown.width() - 40, shown.height() - 10), paint);
}
