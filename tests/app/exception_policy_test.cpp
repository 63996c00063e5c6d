#include "app/download/download_controller.h"
#include "support/form_fixture.h"
#include "support/log_capture.h"

#include "app/application.h"
#include "download/download_recovery.h"
#include "platform/model/failure.h"
#include "platform/net/id_http.h"
#include "platform/net/net_error.h"

#include <QCoreApplication>
#include <QEvent>

using lanseek::test::FormTest;

namespace {

QWidget* shownView(TForm1& form)
{
    if (form.Iesetpanel->isVisibleTo(&form))
        return form.Iesetpanel;
    if (form.setpanel->isVisibleTo(&form))
        return form.setpanel;
    return form.ListView1;
}

} // namespace

class ExceptionPolicy : public FormTest
{
protected:
    void addRows(int count)
    {
        for (int i = 0; i < count; ++i)
            addDownloadRow(QString::number(i + 1), QStringLiteral("歌%1").arg(i));
    }
    void giveSlotsClients()
    {
        for (auto& slot : form->downloads().state().slotClients)
            for (int i = 0; i < 5; ++i)
                slot[i] = std::make_shared<TIdHTTP>();
    }
};

TEST_F(ExceptionPolicy, OtherMessagesAreOnlyLogged)
{
    addRows(2);
    form->downloads().state().resumeRow = 1;
    lanseek::test::LogCapture log;
    form->myexception(QStringLiteral("Invalid stream operation"));
    EXPECT_EQ(form->downinimemo->Lines(), (QStringList{"Invalid stream operation", "2"}));
    // One warning for a problem report; the download log the user sees is as it was.
    const auto warnings = log.warnings(QStringLiteral("lanseek.app"));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].text.contains(QStringLiteral("Invalid stream operation")));
    EXPECT_EQ(form->downloads().state().resumeRow, 1);
    EXPECT_EQ(shownView(*form), form->ListView1);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(ExceptionPolicy, NoRowAtTheResumeRowLogsTheMessageAlone)
{
    form->myexception(QStringLiteral("HTTP/1.1 404 Not Found"));
    EXPECT_EQ(form->downinimemo->Lines(), QStringList{"HTTP/1.1 404 Not Found"});
    EXPECT_EQ(form->downloads().state().resumeRow, 0);
}

TEST_F(ExceptionPolicy, AccessShowsTheFatalMessageAndCloses)
{
    form->show();
    form->myexception(QStringLiteral("Access violation at address 0"));
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("出现致命错误，应用程序将关闭！！！")});
    EXPECT_EQ(dialogs.exits, std::vector<int>{0});
}

TEST_F(ExceptionPolicy, AccessRefusedAtTheCloseQueryGoesOn)
{
    addRows(3);
    form->show();
    form->downloads().state().slotWorkers = {1, 0, 0};
    form->downloads().state().sizeProbeFlag = true;
    dialogs.yesNoAnswers = {false};
    // "access" closes through the close query; refused, the "40" rules apply next.
    form->myexception(QStringLiteral("ACCESS denied: HTTP/1.1 403 Forbidden"));
    EXPECT_EQ(dialogs.questions.size(), 1);
    EXPECT_TRUE(dialogs.exits.empty());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->downloads().state().resumeRow, 1);
    EXPECT_TRUE(form->downinimemo->Lines().contains(QStringLiteral("歌0不能下载")));
}

TEST_F(ExceptionPolicy, FailedProbeMovesToTheNextRowAndShowsDownloads)
{
    addRows(3);
    giveSlotsClients();
    form->downloads().state().sizeProbeFlag = true;
    form->myexception(QStringLiteral("HTTP/1.1 404 Not Found"));
    EXPECT_EQ(form->downinimemo->Lines(), (QStringList{"HTTP/1.1 404 Not Found", "1", "歌0不能下载"}));
    EXPECT_EQ(form->downloads().state().resumeRow, 1);
    EXPECT_EQ(shownView(*form), form->Iesetpanel);
    // While the probe runs the slots keep their clients.
    EXPECT_NE(form->downloads().state().slotClients[0][0], nullptr);
}

TEST_F(ExceptionPolicy, FailedProbeOnTheLastRowStaysThere)
{
    addRows(3);
    form->downloads().state().resumeRow = 2;
    form->downloads().state().sizeProbeFlag = true;
    form->myexception(QStringLiteral("Socket Error # 10061 Connection refused."));
    EXPECT_EQ(form->downloads().state().resumeRow, 2);
    EXPECT_EQ(shownView(*form), form->ListView1);
    EXPECT_EQ(form->downinimemo->Lines().last(), QStringLiteral("歌2不能下载"));
}

TEST_F(ExceptionPolicy, SocketErrorOutsideTheProbeGivesUpSlotsOnMultiplesOfThree)
{
    addRows(5);
    giveSlotsClients();
    std::weak_ptr<TIdHTTP> kept = form->downloads().state().slotClients[0][0];
    auto heldByWorker = form->downloads().state().slotClients[0][1];
    form->myexception(QStringLiteral("Socket Error # 10054"));
    // Slot 0 at resume row 0: its clients are given up and the row advances; 1 is no multiple of 3, so
    // slots 1 and 2 keep theirs.
    for (const auto& client : form->downloads().state().slotClients[0])
        EXPECT_EQ(client, nullptr);
    EXPECT_NE(form->downloads().state().slotClients[1][0], nullptr);
    EXPECT_NE(form->downloads().state().slotClients[2][0], nullptr);
    EXPECT_EQ(form->downloads().state().resumeRow, 1);
    EXPECT_EQ(shownView(*form), form->Iesetpanel);
    EXPECT_TRUE(kept.expired());
    EXPECT_NE(heldByWorker, nullptr); // a client still held by its worker stays valid
}

TEST_F(ExceptionPolicy, OnTheLastRowEverySlotIsGivenUpAndTheRowStays)
{
    addRows(4);
    giveSlotsClients();
    form->downloads().state().resumeRow = 3;
    form->myexception(QStringLiteral("HTTP/1.1 400 Bad Request"));
    for (const auto& slot : form->downloads().state().slotClients)
        for (const auto& client : slot)
            EXPECT_EQ(client, nullptr);
    EXPECT_EQ(form->downloads().state().resumeRow, 3);
    EXPECT_EQ(shownView(*form), form->ListView1);
}

TEST_F(ExceptionPolicy, NonMultipleOfThreeKeepsEverything)
{
    addRows(5);
    giveSlotsClients();
    form->downloads().state().resumeRow = 2;
    form->myexception(QStringLiteral("socket closed"));
    EXPECT_EQ(form->downloads().state().resumeRow, 2);
    EXPECT_NE(form->downloads().state().slotClients[0][0], nullptr);
}

TEST_F(ExceptionPolicy, ASaveFileThatCannotBeCreatedIsOnlyLoggedWhateverItsPathSays)
{
    addRows(4);
    giveSlotsClients();
    form->show();
    const QString path = QStringLiteral("/home/access/socket40/歌0.mp3");
    form->myexception(lanseek::download::TargetFileError(path));
    EXPECT_EQ(form->downinimemo->Lines(), (QStringList{QStringLiteral("无法创建文件：") + path, "1"}));
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(dialogs.exits.empty());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->downloads().state().resumeRow, 0);
    EXPECT_NE(form->downloads().state().slotClients[0][0], nullptr);
    // The same words in any other error keep their meaning.
    form->myexception(std::runtime_error("Socket Error # 104"));
    EXPECT_EQ(form->downloads().state().resumeRow, 1);
}

TEST_F(ExceptionPolicy, OurFailuresAreActedOnByTheirKindWhateverTheirWordsSay)
{
    using lanseek::platform::Failure;
    using lanseek::platform::FailureKind;
    addRows(4);
    giveSlotsClients();
    form->show();
    // A play list or card that cannot be written tells the user, in Chinese, and leaves the queue be.
    const QString playlist = QStringLiteral("无法写入文件：/nonexistent-40/socket.rpm");
    form->myexception(Failure(FailureKind::PlaylistFile, playlist));
    const QString card = QStringLiteral("贺卡无法保存：/access/40");
    form->myexception(Failure(FailureKind::CardFile, card));
    EXPECT_EQ(form->downinimemo->Lines(), (QStringList{playlist, card}));
    EXPECT_EQ(dialogs.messages, (QStringList{playlist, card}));
    EXPECT_TRUE(dialogs.exits.empty());
    EXPECT_EQ(form->downloads().state().resumeRow, 0);
    EXPECT_NE(form->downloads().state().slotClients[0][0], nullptr);
    EXPECT_EQ(shownView(*form), form->ListView1);

    // The HTTP client's failures are failed downloads, whatever their text.
    form->myexception(lanseek::platform::HttpStatusError(500, "HTTP/1.1 500 Internal Server Error"));
    EXPECT_EQ(form->downloads().state().slotClients[0][0], nullptr);
    EXPECT_EQ(form->downloads().state().resumeRow, 1);
    EXPECT_TRUE(form->downinimemo->Lines().contains(QStringLiteral("歌0不能下载")));

    // A fatal failure closes the window even without "access" in it.
    form->myexception(Failure(FailureKind::Fatal, QStringLiteral("内存不足")));
    EXPECT_EQ(dialogs.messages.last(), QStringLiteral("出现致命错误，应用程序将关闭！！！"));
    EXPECT_EQ(dialogs.exits, std::vector<int>{0});
}

namespace {
class ThrowingObject : public QObject
{
public:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("thrown inside event delivery");
        return QObject::event(e);
    }
};
} // namespace

TEST_F(ExceptionPolicy, ExceptionsEscapingEventDeliveryReachTheHandler)
{
    auto* app = dynamic_cast<LanseekApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    app->setExceptionHandler([this](const QString& message) { form->myexception(message); });
    ThrowingObject target;
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    app->setExceptionHandler({});
    EXPECT_EQ(form->downinimemo->Lines(), QStringList{"thrown inside event delivery"});
}

TEST_F(ExceptionPolicy, HandlersThatThrowAreGuarded)
{
    QObject::connect(form->cancelbtn, &QPushButton::clicked, form.get(),
                     [this] { form->guarded([] { throw std::runtime_error("Invalid stream operation"); }); });
    form->cancelbtn->click();
    EXPECT_EQ(form->downinimemo->Lines(), QStringList{"Invalid stream operation"});
}
