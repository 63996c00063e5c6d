// The download queue, the workers' events and the reports on the real main window, against local servers.

#include "app/download/download_controller.h"
#include "app/download/selectdir.h"
#include "platform/net/anti_freeze.h"
#include "platform/net/id_http.h"
#include "platform/ui/folder_tree.h"
#include "support/fault_http_server.h"
#include "support/file_bytes.h"
#include "support/form_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

#include <gtest/gtest.h>

#include <string>

using lanseek::platform::ListRow;
using lanseek::platform::waitUntil;
using lanseek::test::FaultHttpServer;
using lanseek::test::RangeHandling;
using lanseek::test::ServedFile;

using lanseek::test::blob;
using lanseek::test::readFile;

namespace {

class DownloadQueue : public lanseek::test::FormTest
{
protected:
    // Appends a download-list row for a song that the server holds at "/<name>.mp3".
    void addSong(const QString& name, const std::string& address, const QString& savePath = {})
    {
        form->downloadlistview->appendRow(
            {QString::number(form->downloadlistview->Count() + 1),
             0,
             {name, QString::fromStdString(address), QStringLiteral("1M"), QStringLiteral("mp3"),
              savePath.isEmpty() ? form->folders().musicFolder() + name + QStringLiteral(".mp3")
                                 : savePath}});
    }

    // The run's steps advance on queued events: a press starts it, and it is over once it has started its
    // last song and every worker has ended.
    bool waitForWorkers(int timeoutMs = 30000)
    {
        return waitUntil(
            [this] {
                return !form->downloads().state().run.downloadRunWaiting &&
                       form->downloads().state().activeWorkers == 0;
            },
            timeoutMs);
    }

    // Until the run has started (or given up) its last song.
    bool waitForRun(int timeoutMs = 30000)
    {
        return waitUntil([this] { return !form->downloads().state().run.downloadRunWaiting; }, timeoutMs);
    }

    QStringList log() const { return form->downinimemo->Lines(); }

    QStringList states() const
    {
        QStringList out;
        for (int r = 0; r < form->downloadnow->Count(); ++r)
            out << form->downloadnow->subItem(r, 0);
        return out;
    }

    FaultHttpServer server;
};

} // namespace

TEST_F(DownloadQueue, ThreeFilesDownloadSideBySideWhetherOrNotRangesAreHonoured)
{
    const std::string a = blob(300'001, 1), b = blob(300'002, 2), c = blob(300'003, 3);
    ServedFile fa{a}, fb{b}, fc{c};
    fa.bytesPerSecond = fb.bytesPerSecond = fc.bytesPerSecond = 150'000;
    fb.ranges = RangeHandling::Ignore;
    server.serve("/a.mp3", fa);
    server.serve("/b.mp3", fb);
    server.serve("/c.mp3", fc);
    addSong(QStringLiteral("甲"), server.url("/a.mp3"));
    addSong(QStringLiteral("乙"), server.url("/b.mp3"));
    addSong(QStringLiteral("丙"), server.url("/c.mp3"));

    form->downbtnClick();
    ASSERT_TRUE(waitForRun());
    // The run ends once the last row has started; all three files are on their way.
    EXPECT_EQ(form->downloads().state().slotWorkers, (std::array<int, 3>{5, 5, 5}));
    EXPECT_EQ(form->downloads().state().activeWorkers, 15);
    EXPECT_EQ(states(), (QStringList{QStringLiteral("正在下载"), QStringLiteral("正在下载"),
                                     QStringLiteral("正在下载")}));
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->downloadnow->row(1),
              (ListRow{QStringLiteral("乙"),
                       -1,
                       {QStringLiteral("正在下载"), QStringLiteral("0"), QStringLiteral("1")}}));

    ASSERT_TRUE(waitForWorkers());
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_TRUE(readFile(form->folders().musicFolder() + QStringLiteral("甲.mp3")) == a);
    EXPECT_TRUE(readFile(form->folders().musicFolder() + QStringLiteral("乙.mp3")) == b);
    EXPECT_TRUE(readFile(form->folders().musicFolder() + QStringLiteral("丙.mp3")) == c);
    // The last worker's end wrote the all-ended report for the newest file.
    EXPECT_TRUE(log().contains(QStringLiteral("丙下载完毕!")));
    // The newest file is selected, so the bars show its slot.
    EXPECT_EQ(form->downloadnow->selectedRowIndexes(), std::vector<int>{2});

    form->Timer1Timer();
    EXPECT_EQ(states(), (QStringList{QStringLiteral("下载已经完成"), QStringLiteral("下载已经完成"),
                                     QStringLiteral("下载已经完成")}));
    const QStringList lines = log();
    const int at = static_cast<int>(lines.indexOf(QStringLiteral("乙下载完毕!")));
    ASSERT_GE(at, 1);
    ASSERT_LT(at + 4, lines.size());
    EXPECT_EQ(lines[at + 1],
              QStringLiteral("保存地址：") + form->folders().musicFolder() + QStringLiteral("乙.mp3"));
    EXPECT_TRUE(lines[at + 2].startsWith(QStringLiteral("用时：")));
    EXPECT_EQ(lines[at + 3], QStringLiteral("下载地址：") + QString::fromStdString(server.url("/b.mp3")));
    EXPECT_EQ(lines[at + 4], QStringLiteral("文件大小：1M"));
    // Every started row is selected in the download list.
    EXPECT_EQ(form->downloadlistview->selectedRowIndexes(), (std::vector<int>{0, 1, 2}));
}

TEST_F(DownloadQueue, ProbeAsksWithTheProgramsHeadersAtThePortOfTheAddress)
{
    server.serve("/p.mp3", ServedFile{blob(5000)});
    addSong(QStringLiteral("探"), server.url("/p.mp3"));
    form->downbtnClick();
    ASSERT_TRUE(waitForWorkers());

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 6u); // the probe, then five workers
    const auto& probe = requests.front();
    EXPECT_EQ(probe.requestLine, "GET /p.mp3 HTTP/1.1");
    EXPECT_EQ(probe.header("Host"), "127.0.0.1:" + std::to_string(server.port()));
    EXPECT_EQ(probe.header("Accept"), "text/html, */*");
    EXPECT_EQ(probe.header("User-Agent"), "Mozilla/3.0 (compatible; Indy Library)");
    EXPECT_EQ(probe.header("Range"), std::nullopt);
    EXPECT_EQ(form->downloads().probeClient()->Tag, 6789);
    EXPECT_EQ(form->downloads().state().run.fileSize, 5000);
    EXPECT_TRUE(readFile(form->folders().musicFolder() + QStringLiteral("探.mp3")) == blob(5000));
}

TEST_F(DownloadQueue, RowsThatCannotBeProbedAreLoggedAndSkipped)
{
    ServedFile missing{"gone"};
    missing.status = 404;
    server.serve("/missing.mp3", missing);
    ServedFile moved{""};
    moved.status = 302;
    moved.location = "/elsewhere.mp3";
    server.serve("/moved.mp3", moved);
    ServedFile unsized{blob(100)};
    unsized.framing = lanseek::test::BodyFraming::CloseDelimited;
    server.serve("/unsized.mp3", unsized);
    server.serve("/good.mp3", ServedFile{blob(10'000)});

    addSong(QStringLiteral("无"), server.url("/missing.mp3"));
    addSong(QStringLiteral("转"), server.url("/moved.mp3"));
    addSong(QStringLiteral("长"), server.url("/unsized.mp3"));
    addSong(QStringLiteral("断"),
            "http://127.0.0.1:" + std::to_string(FaultHttpServer::closedPort()) + "/x.mp3");
    addSong(QStringLiteral("怪"), "ftp://127.0.0.1/x.mp3");
    addSong(QStringLiteral("好"), server.url("/good.mp3"));
    form->downbtnClick();
    ASSERT_TRUE(waitForWorkers());

    for (const char* name : {"无", "转", "长", "断", "怪"})
        EXPECT_TRUE(log().contains(QString::fromUtf8(name) + QStringLiteral("不能下载"))) << name;
    EXPECT_FALSE(log().contains(QStringLiteral("好不能下载")));
    ASSERT_EQ(form->downloadnow->Count(), 1);
    EXPECT_EQ(form->downloadnow->subItem(0, 2), QStringLiteral("5"));
    EXPECT_TRUE(readFile(form->folders().musicFolder() + QStringLiteral("好.mp3")) == blob(10'000));
    EXPECT_FALSE(QFile::exists(form->folders().musicFolder() + QStringLiteral("无.mp3")));
}

TEST_F(DownloadQueue, ADroppedConnectionIsReportedIncomplete)
{
    const std::string body = blob(1'000'003);
    ServedFile file{body};
    file.dropAfterBodyBytes = 100'000;
    server.serve("/cut.mp3", file);
    addSong(QStringLiteral("残"), server.url("/cut.mp3"));
    form->downbtnClick();
    ASSERT_TRUE(waitForWorkers());
    form->Timer1Timer();

    EXPECT_EQ(states(), QStringList{QStringLiteral("下载不完整")});
    EXPECT_TRUE(log().contains(QStringLiteral("残下载不完整!")));
    EXPECT_FALSE(log().contains(QStringLiteral("残下载完毕!")));
    EXPECT_FALSE(readFile(form->folders().musicFolder() + QStringLiteral("残.mp3")) == body);
}

TEST_F(DownloadQueue, RowThreeWaitsForTheSlotOfRowZero)
{
    ServedFile slow{blob(500'000, 7)};
    slow.bytesPerSecond = 100'000; // five connections of 100,000 bytes: about a second
    server.serve("/slow.mp3", slow);
    server.serve("/quick.mp3", ServedFile{blob(20'000)});
    addSong(QStringLiteral("慢"), server.url("/slow.mp3"));
    addSong(QStringLiteral("快一"), server.url("/quick.mp3"));
    addSong(QStringLiteral("快二"), server.url("/quick.mp3"));
    addSong(QStringLiteral("后"), server.url("/quick.mp3"));

    // Watch the moment the quick files end: row 3 must not have started, though slots 1 and 2 are free.
    bool sawSlotsFreeWhileRowThreeWaited = false;
    int rowsWhenRowZeroEnded = -1;
    int pressesIgnored = 0;
    QObject::connect(form->downloadnow->model(), &QAbstractItemModel::dataChanged, form.get(), [&] {
        if (form->downloadnow->Count() == 3 && form->downloads().state().slotWorkers[1] == 0 &&
            form->downloads().state().slotWorkers[2] == 0 && form->downloads().state().slotWorkers[0] > 0) {
            sawSlotsFreeWhileRowThreeWaited = true;
            // A press while the run waits is ignored.
            const int before = form->downloadnow->Count();
            form->downbtnClick();
            pressesIgnored += form->downloadnow->Count() == before ? 1 : 0;
        }
        if (rowsWhenRowZeroEnded < 0 && form->downloadnow->subItem(0, 0) == QStringLiteral("下载结束"))
            rowsWhenRowZeroEnded = form->downloadnow->Count();
    });
    form->downbtnClick();
    ASSERT_TRUE(waitForWorkers());

    EXPECT_TRUE(sawSlotsFreeWhileRowThreeWaited);
    EXPECT_GE(pressesIgnored, 1);
    EXPECT_EQ(rowsWhenRowZeroEnded, 3);
    ASSERT_EQ(form->downloadnow->Count(), 4);
    EXPECT_EQ(form->downloadnow->subItem(3, 2), QStringLiteral("3"));
    EXPECT_EQ(form->downloads().state().run.slotRow[0], 3);
    EXPECT_EQ(form->downloads().state().run.currentRow, 4);
    EXPECT_EQ(form->downloads().state().resumeRow, 3);
    EXPECT_TRUE(readFile(form->folders().musicFolder() + QStringLiteral("慢.mp3")) == blob(500'000, 7));
    EXPECT_TRUE(readFile(form->folders().musicFolder() + QStringLiteral("后.mp3")) == blob(20'000));
}

TEST_F(DownloadQueue, ATargetThatCannotBeCreatedFallsBackToTheNameBox)
{
    server.serve("/f.mp3", ServedFile{blob(40'000)});
    form->Edit1->setText(QStringLiteral("  周杰伦 "));
    addSong(QStringLiteral("坏"), server.url("/f.mp3"),
            folder.filePath(QStringLiteral("no/such/folder/坏.mp3")));
    form->downbtnClick();
    ASSERT_TRUE(waitForWorkers());
    form->Timer1Timer();

    const QString fallback = form->folders().musicFolder() + QStringLiteral("周杰伦0.mp3");
    EXPECT_TRUE(readFile(fallback) == blob(40'000));
    // The row and its report name the file that was really written.
    EXPECT_EQ(form->downloadlistview->subItem(0, 4), fallback);
    const QStringList lines = log();
    const int at = static_cast<int>(lines.indexOf(QStringLiteral("坏下载完毕!")));
    ASSERT_GE(at, 0);
    ASSERT_LT(at + 1, lines.size());
    EXPECT_EQ(lines[at + 1], QStringLiteral("保存地址：") + fallback);
}

TEST_F(DownloadQueue, EmptyOrDottedSongNamesAreSavedUnderTheFallbackName)
{
    server.serve("/e.mp3", ServedFile{blob(20'000, 4)});
    server.serve("/d.mp3", ServedFile{blob(20'000, 5)});
    form->Edit1->setText(QStringLiteral("无名"));
    form->ListView1->appendRow({QStringLiteral("1"),
                                0,
                                {QString(), QString::fromStdString(server.url("/e.mp3")),
                                 QStringLiteral("20K"), QStringLiteral("mp3")}});
    form->ListView1->appendRow({QStringLiteral("2"),
                                0,
                                {QStringLiteral(".."), QString::fromStdString(server.url("/d.mp3")),
                                 QStringLiteral("20K"), QStringLiteral("mp3")}});
    form->ListView1->setRowSelected(0, true);
    form->ListView1->setRowSelected(1, true);
    form->dragdownbtnClick();
    form->downbtnClick();
    ASSERT_TRUE(waitForWorkers());

    EXPECT_TRUE(readFile(form->folders().musicFolder() + QStringLiteral("无名0.mp3")) == blob(20'000, 4));
    EXPECT_TRUE(readFile(form->folders().musicFolder() + QStringLiteral("无名1.mp3")) == blob(20'000, 5));
    EXPECT_EQ(form->downloadlistview->subItem(0, 4),
              form->folders().musicFolder() + QStringLiteral("无名0.mp3"));
    EXPECT_EQ(form->downloadlistview->subItem(1, 4),
              form->folders().musicFolder() + QStringLiteral("无名1.mp3"));
    // No hidden file was made.
    EXPECT_EQ(QDir(form->folders().musicFolder()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST_F(DownloadQueue, AHostileSongNameStaysInTheMusicFolder)
{
    server.serve("/h.mp3", ServedFile{blob(30'000)});
    form->ListView1->appendRow({QStringLiteral("1"),
                                0,
                                {QStringLiteral("../../escape"), QString::fromStdString(server.url("/h.mp3")),
                                 QStringLiteral("29K"), QStringLiteral("mp3")}});
    form->ListView1->appendRow(
        {QStringLiteral("2"),
         2,
         {QStringLiteral("未选"), QStringLiteral("http://x/y.wma"), QString(), QStringLiteral("wma")}});
    form->ListView1->setRowSelected(0, true);
    form->dragdownbtnClick();

    EXPECT_TRUE(form->Iesetpanel->isVisibleTo(form.get()));
    EXPECT_FALSE(form->ListView1->isVisibleTo(form.get()));
    ASSERT_EQ(form->downloadlistview->Count(), 1);
    const ListRow row = form->downloadlistview->row(0);
    EXPECT_EQ(row.caption, QStringLiteral("1"));
    EXPECT_EQ(row.imageIndex, 0);
    const QString path = row.subItem(4);
    EXPECT_EQ(QFileInfo(path).absolutePath(), QDir(form->folders().musicFolder()).absolutePath());

    form->downbtnClick();
    ASSERT_TRUE(waitForWorkers());
    EXPECT_TRUE(readFile(path) == blob(30'000));
    EXPECT_FALSE(QFile::exists(
        QDir(form->folders().musicFolder()).absoluteFilePath(QStringLiteral("../../escape.mp3"))));
    EXPECT_EQ(QDir(form->folders().musicFolder()).entryList(QDir::Files).size(), 1);
}

TEST_F(DownloadQueue, DeleteAndClearAreRefusedWhileWorkersRun)
{
    ServedFile slow{blob(400'000)};
    slow.bytesPerSecond = 100'000;
    server.serve("/s.mp3", slow);
    addSong(QStringLiteral("慢"), server.url("/s.mp3"));
    addSong(QStringLiteral("留"), "http://127.0.0.1:9/none.mp3",
            form->folders().musicFolder() + QStringLiteral("留.mp3"));
    form->downloads().state().resumeRow = 0;
    form->downbtnClick();
    ASSERT_TRUE(waitForRun());
    ASSERT_GT(form->downloads().state().activeWorkers, 0);

    form->downloadlistview->setRowSelected(1, true);
    form->delbtnClick();
    form->delallbtnClick();
    EXPECT_EQ(form->downloadlistview->Count(), 2);
    EXPECT_FALSE(form->delbtn->isEnabled());
    EXPECT_FALSE(form->delallbtn->isEnabled());

    ASSERT_TRUE(waitForWorkers());
    EXPECT_FALSE(form->delbtn->isEnabled());
    // With no worker running the handlers act again.
    form->delbtnClick();
    EXPECT_EQ(form->downloadlistview->Count(), 0);
}

TEST_F(DownloadQueue, ClosingWithRunningWorkersAsksAndYesStopsThem)
{
    ServedFile slow{blob(2'000'000)};
    slow.bytesPerSecond = 50'000; // eight seconds a connection
    server.serve("/s.mp3", slow);
    addSong(QStringLiteral("慢"), server.url("/s.mp3"));
    form->downbtnClick();
    ASSERT_TRUE(waitForRun());
    ASSERT_EQ(form->downloads().state().slotWorkers[0], 5);
    // A disconnect reaches a transfer that runs; wait until all five do.
    ASSERT_TRUE(waitUntil(
        [this] {
            return std::all_of(form->downloads().state().run.workerBytes.begin(),
                               form->downloads().state().run.workerBytes.begin() + 5,
                               [](auto b) { return b > 0; });
        },
        5000));

    dialogs.yesNoAnswers = {false};
    EXPECT_FALSE(form->FormCloseQuery());
    EXPECT_EQ(dialogs.questions, QStringList{QStringLiteral("还存在下载进程，确定退出吗？")});
    EXPECT_EQ(form->downloads().state().activeWorkers, 5);

    dialogs.yesNoAnswers = {true};
    EXPECT_TRUE(form->FormCloseQuery());
    form->FormClose();
    EXPECT_EQ(dialogs.exits, std::vector<int>{0});
    EXPECT_FALSE(form->Timer1->isActive());
    // The disconnected workers end well before their transfers could have.
    EXPECT_TRUE(waitForWorkers(4000));
}

TEST_F(DownloadQueue, StartWithNothingToDoChangesNothing)
{
    form->downbtnClick();
    EXPECT_EQ(form->downloadnow->Count(), 0);
    addSong(QStringLiteral("一"), "http://127.0.0.1:9/a.mp3");
    form->downloads().state().resumeRow = 1;
    form->downbtnClick();
    EXPECT_EQ(form->downloadnow->Count(), 0);
    EXPECT_EQ(server.requestCount(), 0u);
    EXPECT_TRUE(log().isEmpty());
}

// ---- Timer ticks, driven by hand -------------------------------------------------------------------

TEST_F(DownloadQueue, TicksCountSecondsAndShowSpeeds)
{
    form->downloads().state().run.connectedCount = 5;
    form->downloads().state().run.slotFileSize = {1'000'000, 0, 0};
    form->downloads().state().run.workerBytes.fill(0);
    form->downloads().state().run.workerBytes[0] = 4096;
    form->downloads().state().run.workerBytes[1] = 2048;
    form->Timer1Timer();
    EXPECT_EQ(form->SeSkinStatusBar1->panelText(1), QStringLiteral("总耗时：1秒"));
    EXPECT_EQ(form->SeSkinStatusBar1->panelText(3), QStringLiteral("6k/s"));
    EXPECT_EQ(form->SeSkinStatusBar1->panelText(2), QStringLiteral("6k/s"));
    EXPECT_EQ(form->progressBars[0]->Max(), 200'000);
    EXPECT_EQ(form->progressBars[0]->Position(), 4096);
    EXPECT_EQ(form->progressBars[1]->Position(), 2048);

    // A slot starting a new file drops its counters: the speed goes negative for a tick.
    form->downloads().state().run.workerBytes[0] = 4096 - 1536;
    form->Timer1Timer();
    EXPECT_EQ(form->SeSkinStatusBar1->panelText(1), QStringLiteral("总耗时：2秒"));
    EXPECT_EQ(form->SeSkinStatusBar1->panelText(3), QStringLiteral("-1k/s"));
    EXPECT_EQ(form->SeSkinStatusBar1->panelText(2), QStringLiteral("-1k/s"));
}

TEST_F(DownloadQueue, TicksReportEndedFilesAndCountTimeOfRunningOnes)
{
    addDownloadRow(QStringLiteral("1"), QStringLiteral("在"));
    form->downloadnow->appendRow(
        {QStringLiteral("在"), -1, {QStringLiteral("正在下载"), QStringLiteral("4"), QStringLiteral("0")}});
    form->downloadnow->appendRow(
        {QStringLiteral("完"), -1, {QStringLiteral("下载结束"), QStringLiteral("9"), QStringLiteral("0")}});
    // Its download-list row has been deleted since.
    form->downloadnow->appendRow(
        {QStringLiteral("删"), -1, {QStringLiteral("下载结束"), QStringLiteral("3"), QStringLiteral("7")}});
    form->downloads().state().run.inProgressComplete = {true, true, true};
    form->downloads().state().slotWorkers = {0, 2, 0};
    form->downloads().state().run.slotRow = {2, 0, 1};
    form->Timer1Timer();

    EXPECT_EQ(form->downloadnow->subItem(0, 1), QStringLiteral("5"));
    EXPECT_EQ(form->downloadnow->subItem(1, 0), QStringLiteral("下载已经完成"));
    EXPECT_EQ(form->downloadnow->subItem(2, 0), QStringLiteral("下载已经完成"));
    const QStringList lines = log();
    ASSERT_EQ(lines.size(), 12);
    EXPECT_EQ(lines[1], QStringLiteral("完下载完毕!"));
    EXPECT_EQ(lines[2], QStringLiteral("保存地址：") + folder.filePath(QStringLiteral("在")));
    EXPECT_EQ(lines[3], QStringLiteral("用时：9秒"));
    EXPECT_EQ(lines[7], QStringLiteral("删下载完毕!"));
    EXPECT_EQ(lines[8], QStringLiteral("保存地址："));
    EXPECT_EQ(lines[10], QStringLiteral("下载地址："));
    form->downloads().state().slotWorkers = {0, 0, 0};
    form->downloads().state().run.slotRow = {0, 0, 0};
}

TEST_F(DownloadQueue, SelectingAnEndedFileFillsTheBars)
{
    form->downloadnow->appendRow(
        {QStringLiteral("完"), -1, {QStringLiteral("下载结束"), QStringLiteral("2"), QStringLiteral("0")}});
    form->downloadnow->appendRow(
        {QStringLiteral("在"), -1, {QStringLiteral("正在下载"), QStringLiteral("1"), QStringLiteral("1")}});
    form->downloads().state().run.connectedCount = 5;
    form->downloads().state().run.slotFileSize = {1'000'000, 0, 0};
    form->downloads().state().run.workerBytes.fill(0);
    form->downloads().state().run.inProgressComplete = {true, true};
    form->Timer1Timer(); // reports the ended file: "下载已经完成"
    form->downloadnow->setCurrentItem(form->downloadnow->topLevelItem(1));
    EXPECT_EQ(form->progressBars[2]->Position(), 0);
    form->downloadnow->setCurrentItem(form->downloadnow->topLevelItem(0));
    EXPECT_EQ(form->downloadnow->selectedRowIndexes(), std::vector<int>{0});
    for (auto* bar : form->progressBars)
        EXPECT_EQ(bar->Position(), 200'000);
}

// ---- Save-folder chooser ---------------------------------------------------------------------------

TEST_F(DownloadQueue, ChooserSetsTheMusicFolder)
{
    auto* chooser = qobject_cast<TForm2*>(form->Form2);
    ASSERT_NE(chooser, nullptr);
    // A window of its own, inside its skinned frame, that the main window owns.
    EXPECT_TRUE(chooser->window()->isWindow());
    EXPECT_NE(chooser->window(), form->window());
    EXPECT_EQ(chooser->window()->parent(), form.get());
    EXPECT_EQ(chooser->windowTitle(), QStringLiteral("选择保存目录"));
    EXPECT_EQ(chooser->size(), QSize(158, 264));
    EXPECT_FALSE(chooser->isVisible());

    form->SeSkinButton1Click();
    EXPECT_TRUE(chooser->isVisible());
    const QString target = folder.filePath(QStringLiteral("songs"));
    QDir().mkpath(target);
    chooser->ShellTreeView1->setCurrentIndex(chooser->folderModel()->index(target));
    chooser->ShellTreeView1Click();
    EXPECT_EQ(chooser->pathedit->text(), target);
    chooser->pathbtnClick();
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_EQ(form->folders().musicFolder(), target + QStringLiteral("/"));

    // Songs added from now on are saved there.
    form->ListView1->appendRow(
        {QStringLiteral("1"),
         0,
         {QStringLiteral("新"), QStringLiteral("http://h/n.mp3"), QString(), QStringLiteral("mp3")}});
    form->ListView1->setRowSelected(0, true);
    form->dragdownbtnClick();
    EXPECT_EQ(form->downloadlistview->subItem(0, 4), target + QStringLiteral("/新.mp3"));

    // An empty path leaves the folder as it is.
    form->SeSkinButton1Click();
    chooser->pathedit->clear();
    chooser->pathbtnClick();
    EXPECT_EQ(form->folders().musicFolder(), target + QStringLiteral("/"));
}

TEST_F(DownloadQueue, ChooserGrowsWithItsControlsOnOtherScreens)
{
    makeForm(QSize(1280, 1024));
    auto* chooser = qobject_cast<TForm2*>(form->Form2);
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->size(), QSize(158 * 1280 / 1024, 264 * 1280 / 1024));
    // Everything stays inside the window, "确定" across its bottom.
    for (QWidget* control :
         {static_cast<QWidget*>(chooser->ShellTreeView1), static_cast<QWidget*>(chooser->pathedit),
          static_cast<QWidget*>(chooser->pathbtn)})
        EXPECT_TRUE(chooser->rect().contains(control->geometry())) << control->objectName().toStdString();
    EXPECT_EQ(chooser->pathbtn->text(), QStringLiteral("确定"));
    EXPECT_GE(chooser->pathbtn->geometry().bottom(), chooser->height() - 2);
    form->SeSkinButton1Click();
    EXPECT_TRUE(chooser->isVisible());
    EXPECT_TRUE(chooser->pathbtn->isVisible());
    EXPECT_TRUE(chooser->rect().contains(chooser->pathbtn->geometry()));
}

TEST_F(DownloadQueue, ChooserTreeStartsAtHomeAndEndsAtTheRoot)
{
    auto* chooser = qobject_cast<TForm2*>(form->Form2);
    ASSERT_NE(chooser, nullptr);
    lanseek::platform::FolderTreeModel* model = chooser->folderModel();
    ASSERT_GE(model->rowCount(), 2);
    EXPECT_EQ(chooser->ShellTreeView1->model(), model);
    EXPECT_TRUE(chooser->ShellTreeView1->rootIsDecorated());
    EXPECT_EQ(model->filePath(model->index(0, 0)), QDir::cleanPath(QDir::homePath()));
    EXPECT_EQ(model->filePath(model->index(model->rowCount() - 1, 0)), QStringLiteral("/"));
    EXPECT_TRUE(model->hasChildren(model->index(0, 0)));
    // A click on a place puts its full path into the edit.
    chooser->ShellTreeView1->setCurrentIndex(model->index(model->rowCount() - 1, 0));
    chooser->ShellTreeView1Click();
    EXPECT_EQ(chooser->pathedit->text(), QStringLiteral("/"));
    chooser->ShellTreeView1->setCurrentIndex(QModelIndex());
    chooser->ShellTreeView1Click();
    EXPECT_EQ(chooser->pathedit->text(), QString());
}

TEST_F(DownloadQueue, ChooserRewritesTheSelectedRowsInRowPathMode)
{
    auto* chooser = qobject_cast<TForm2*>(form->Form2);
    ASSERT_NE(chooser, nullptr);
    const QString before = form->folders().musicFolder();
    // Nothing selected: the chooser does not open.
    addDownloadRow(QStringLiteral("1"), QStringLiteral("甲"));
    addDownloadRow(QStringLiteral("2"), QStringLiteral("乙"));
    addDownloadRow(QStringLiteral("3"), QStringLiteral("../丙"));
    form->SeSkinButton3Click();
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_FALSE(form->downloads().state().rowPathMode);

    form->downloadlistview->setRowSelected(0, true);
    form->downloadlistview->setRowSelected(2, true);
    form->SeSkinButton3Click();
    EXPECT_TRUE(form->downloads().state().rowPathMode);
    EXPECT_TRUE(chooser->isVisible());
    // Closing with the close button applies nothing and keeps the mode.
    chooser->close();
    EXPECT_TRUE(form->downloads().state().rowPathMode);
    form->SeSkinButton1Click();
    chooser->pathedit->setText(QStringLiteral("/data/new"));
    chooser->pathbtnClick();

    EXPECT_FALSE(form->downloads().state().rowPathMode);
    EXPECT_FALSE(chooser->isVisible());
    EXPECT_EQ(form->folders().musicFolder(), before);
    EXPECT_EQ(form->downloadlistview->subItem(0, 4), QStringLiteral("/data/new/甲.mp3"));
    EXPECT_EQ(form->downloadlistview->subItem(1, 4), folder.filePath(QStringLiteral("乙")));
    EXPECT_EQ(form->downloadlistview->subItem(2, 4), QStringLiteral("/data/new/___丙.mp3"));
}

// ---- What the list and the log say matches the files ----------------------------------------------

namespace {

// The reports in the log, in order: the song names with whether each said complete.
std::vector<std::pair<QString, bool>> reportsIn(const QStringList& lines)
{
    std::vector<std::pair<QString, bool>> reports;
    for (const QString& line : lines) {
        if (line.endsWith(QStringLiteral("下载完毕!")))
            reports.emplace_back(line.chopped(5), true);
        else if (line.endsWith(QStringLiteral("下载不完整!")))
            reports.emplace_back(line.chopped(6), false);
    }
    return reports;
}

} // namespace

TEST_F(DownloadQueue, ThirteenFilesEndingTogetherAreEachReportedOnceInTheOrderTheyEnded)
{
    constexpr int kSongs = 13;
    constexpr int kDropped = 7;
    std::vector<std::string> bodies;
    for (int i = 0; i < kSongs; ++i) {
        bodies.push_back(blob(40'000 + 1000 * static_cast<std::size_t>(i), static_cast<unsigned>(i)));
        ServedFile file{bodies.back()};
        file.bytesPerSecond = 40'000; // five connections: about a fifth of a second a file
        if (i == kDropped)
            file.dropAfterBodyBytes = 4000; // each worker's connection breaks half-way through its range
        const std::string path = "/s" + std::to_string(i) + ".mp3";
        server.serve(path, file);
        addSong(QStringLiteral("歌%1").arg(i), server.url(path));
    }
    // The order in which the rows first show that their files ended.
    QStringList endedOrder;
    QObject::connect(form->downloadnow->model(), &QAbstractItemModel::dataChanged, form.get(), [&] {
        for (int r = 0; r < form->downloadnow->Count(); ++r) {
            const QString name = form->downloadnow->caption(r);
            if (form->downloadnow->subItem(r, 0) == QStringLiteral("下载结束") && !endedOrder.contains(name))
                endedOrder << name;
        }
    });
    form->downbtnClick();
    ASSERT_TRUE(waitForWorkers());

    // No tick is needed: every row is final once the last worker has ended, and the timer is off.
    EXPECT_FALSE(form->Timer1->isActive());
    ASSERT_EQ(form->downloadnow->Count(), kSongs);
    for (int r = 0; r < kSongs; ++r) {
        const QString name = form->downloadnow->caption(r);
        const bool dropped = name == QStringLiteral("歌%1").arg(kDropped);
        EXPECT_EQ(form->downloadnow->subItem(r, 0),
                  dropped ? QStringLiteral("下载不完整") : QStringLiteral("下载已经完成"))
            << name.toStdString();
        const bool intact = readFile(form->folders().musicFolder() + name + QStringLiteral(".mp3")) ==
                            bodies[static_cast<std::size_t>(form->downloadnow->subItem(r, 2).toInt())];
        EXPECT_EQ(intact, !dropped) << name.toStdString();
    }
    const auto reports = reportsIn(log());
    ASSERT_EQ(reports.size(), static_cast<std::size_t>(kSongs));
    QStringList reportedOrder;
    for (const auto& [name, complete] : reports) {
        reportedOrder << name;
        EXPECT_EQ(complete, name != QStringLiteral("歌%1").arg(kDropped)) << name.toStdString();
    }
    EXPECT_EQ(reportedOrder, endedOrder);
    // Ticks afterwards report nothing again.
    form->Timer1Timer();
    EXPECT_EQ(reportsIn(log()).size(), static_cast<std::size_t>(kSongs));
}

TEST_F(DownloadQueue, RangedRequestsAnsweredWithARedirectOrAnErrorLeaveIncompleteFiles)
{
    ServedFile moved{blob(30'000)};
    moved.rangedStatus = 302;
    moved.location = "/elsewhere.mp3";
    server.serve("/moved.mp3", moved);
    ServedFile broken{blob(30'000)};
    broken.rangedStatus = 500;
    server.serve("/broken.mp3", broken);
    addSong(QStringLiteral("转"), server.url("/moved.mp3"));
    addSong(QStringLiteral("错"), server.url("/broken.mp3"));
    form->downbtnClick();
    ASSERT_TRUE(waitForWorkers());

    EXPECT_EQ(states(), (QStringList{QStringLiteral("下载不完整"), QStringLiteral("下载不完整")}));
    const auto reports = reportsIn(log());
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_FALSE(reports[0].second);
    EXPECT_FALSE(reports[1].second);
    // The error replies' bodies were not written in place of the song.
    EXPECT_EQ(readFile(form->folders().musicFolder() + QStringLiteral("转.mp3")), "");
    EXPECT_EQ(readFile(form->folders().musicFolder() + QStringLiteral("错.mp3")), "");
}

TEST_F(DownloadQueue, AFileWhoseClientsCannotConnectIsReportedIncomplete)
{
    const std::string address =
        "http://127.0.0.1:" + std::to_string(FaultHttpServer::closedPort()) + "/x.mp3";
    addSong(QStringLiteral("连"), address);
    form->downloads().state().run.currentRow = 0;
    form->downloads().startFile(0, form->downloadlistview->row(0),
                                form->folders().musicFolder() + QStringLiteral("连.mp3"));
    // The clients connect on a helper thread; the row appears when they have tried.
    ASSERT_TRUE(waitUntil([this] { return form->downloadnow->Count() == 1; }, 10000));

    EXPECT_EQ(form->downloads().state().slotWorkers[0], 0);
    EXPECT_EQ(states(), QStringList{QStringLiteral("下载不完整")});
    EXPECT_EQ(reportsIn(log()), (std::vector<std::pair<QString, bool>>{{QStringLiteral("连"), false}}));
}

TEST_F(DownloadQueue, SongsWhoseNamesCleanUpAlikeGetFilesOfTheirOwn)
{
    const std::string first = blob(60'000, 8), second = blob(60'000, 9);
    server.serve("/1.mp3", ServedFile{first});
    server.serve("/2.mp3", ServedFile{second});
    const auto result = [&](const QString& caption, const QString& name, const std::string& path) {
        form->ListView1->appendRow(
            {caption, 0, {name, QString::fromStdString(server.url(path)), QStringLiteral("59K"), "mp3"}});
    };
    result(QStringLiteral("1"), QStringLiteral("a/b"), "/1.mp3");
    result(QStringLiteral("2"), QStringLiteral("a_b"), "/2.mp3");
    form->ListView1->setRowSelected(0, true);
    form->ListView1->setRowSelected(1, true);
    form->dragdownbtnClick();
    const QString own = form->folders().musicFolder() + QStringLiteral("a_b.mp3");
    const QString numbered = form->folders().musicFolder() + QStringLiteral("a_b(2).mp3");
    EXPECT_EQ(form->downloadlistview->subItem(0, 4), own);
    EXPECT_EQ(form->downloadlistview->subItem(1, 4), numbered);

    form->downbtnClick();
    ASSERT_TRUE(waitForWorkers());
    EXPECT_TRUE(readFile(own) == first);
    EXPECT_TRUE(readFile(numbered) == second);
    EXPECT_EQ(states(), (QStringList{QStringLiteral("下载已经完成"), QStringLiteral("下载已经完成")}));
    EXPECT_TRUE(log().contains(QStringLiteral("保存地址：") + numbered));

    // The same song added again keeps the path it already has.
    form->ListView1->clearSelection();
    form->ListView1->setRowSelected(1, true);
    form->dragdownbtnClick();
    EXPECT_EQ(form->downloadlistview->subItem(2, 4), numbered);
}

TEST_F(DownloadQueue, RowsThatShareAPathWithAnotherSongAreRenamedWhenTheyStart)
{
    const std::string first = blob(30'000, 10), second = blob(30'000, 11);
    server.serve("/1.mp3", ServedFile{first});
    server.serve("/2.mp3", ServedFile{second});
    const QString shared = form->folders().musicFolder() + QStringLiteral("同.mp3");
    addSong(QStringLiteral("同"), server.url("/1.mp3"), shared);
    addSong(QStringLiteral("同"), server.url("/2.mp3"), shared);
    form->downbtnClick();
    ASSERT_TRUE(waitForWorkers());

    const QString renamed = form->folders().musicFolder() + QStringLiteral("同(2).mp3");
    EXPECT_EQ(form->downloadlistview->subItem(0, 4), shared);
    EXPECT_EQ(form->downloadlistview->subItem(1, 4), renamed);
    EXPECT_TRUE(readFile(shared) == first);
    EXPECT_TRUE(readFile(renamed) == second);
}

TEST_F(DownloadQueue, StartingAFileWhileTheTimerRunsDoesNotRestartItsCountdown)
{
    ServedFile slow{blob(500'000, 12)};
    slow.bytesPerSecond = 50'000; // keeps row 0's workers running while row 1 is probed
    server.serve("/slow.mp3", slow);
    ServedFile late{blob(10'000, 13)};
    late.firstByteDelayMs = 1500; // row 1 starts a second and a half after row 0
    server.serve("/late.mp3", late);
    addSong(QStringLiteral("慢"), server.url("/slow.mp3"));
    addSong(QStringLiteral("迟"), server.url("/late.mp3"));
    // A long interval makes a restart plain: it would give the full interval back.
    form->Timer1->setInterval(60'000);
    form->downbtnClick();
    ASSERT_TRUE(waitForRun());
    ASSERT_EQ(form->downloadnow->Count(), 2);
    ASSERT_TRUE(form->Timer1->isActive());
    EXPECT_LT(form->Timer1->remainingTime(), 59'000);
    form->Timer1->setInterval(1000);
    ASSERT_TRUE(waitForWorkers());
}

TEST_F(DownloadQueue, ATricklingServerEndsAsAnIncompleteFile)
{
    const std::string body = blob(50'000, 14);
    ServedFile trickle{body};
    trickle.bytesPerSecond = 100; // a few bytes every tick: never silent, far too slow
    server.serve("/t.mp3", trickle);
    addSong(QStringLiteral("滴"), server.url("/t.mp3"));
    form->downloads().state().run.lowSpeed = {1024, 1};
    form->downbtnClick();
    ASSERT_TRUE(waitForWorkers(15000));

    EXPECT_EQ(form->downloads().state().slotWorkers[0], 0);
    EXPECT_EQ(states(), QStringList{QStringLiteral("下载不完整")});
    EXPECT_EQ(reportsIn(log()), (std::vector<std::pair<QString, bool>>{{QStringLiteral("滴"), false}}));
    EXPECT_FALSE(readFile(form->folders().musicFolder() + QStringLiteral("滴.mp3")) == body);
}

TEST_F(DownloadQueue, ATargetThatCannotBeCreatedAnywhereEndsTheRunWithAChineseLine)
{
    server.serve("/n.mp3", ServedFile{blob(1000)});
    addSong(QStringLiteral("无处"), server.url("/n.mp3"), folder.filePath(QStringLiteral("gone/无处.mp3")));
    addSong(QStringLiteral("后"), server.url("/n.mp3"));
    form->folders().setMusicFolder(folder.filePath(QStringLiteral("also/gone/")));
    form->guarded([this] { form->downbtnClick(); });
    ASSERT_TRUE(waitForRun());

    const QStringList lines = log();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.front(),
              QStringLiteral("无法创建文件：") + form->folders().musicFolder() + QStringLiteral("0.mp3"));
    // The run ended there: nothing was started, the next row included.
    EXPECT_EQ(form->downloadnow->Count(), 0);
    EXPECT_EQ(form->downloads().state().activeWorkers, 0);
}

TEST_F(DownloadQueue, FilesSmallerThanTheirWorkersAreCompleteToo)
{
    server.serve("/tiny.mp3", ServedFile{"abc"});
    addSong(QStringLiteral("小"), server.url("/tiny.mp3"));
    form->downbtnClick();
    ASSERT_TRUE(waitForWorkers());
    EXPECT_EQ(readFile(form->folders().musicFolder() + QStringLiteral("小.mp3")), "abc");
    EXPECT_EQ(states(), QStringList{QStringLiteral("下载已经完成")});
    EXPECT_TRUE(log().contains(QStringLiteral("小下载完毕!")));
}

TEST_F(DownloadQueue, TheSameSongListedTwiceWaitsForItsFileInsteadOfEmptyingIt)
{
    const std::string body = blob(300'000, 15);
    ServedFile slow{body};
    slow.bytesPerSecond = 100'000; // about 0.6 s a file
    server.serve("/same.mp3", slow);
    addSong(QStringLiteral("同"), server.url("/same.mp3"));
    addSong(QStringLiteral("同"), server.url("/same.mp3"));
    // What row 0 shows at the moment row 1 starts.
    QString firstWhenSecondStarted;
    QObject::connect(form->downloadnow->model(), &QAbstractItemModel::rowsInserted, form.get(), [&] {
        if (form->downloadnow->Count() == 2)
            firstWhenSecondStarted = form->downloadnow->subItem(0, 0);
    });
    form->downbtnClick();
    ASSERT_TRUE(waitForWorkers());

    EXPECT_EQ(form->downloadlistview->subItem(1, 4), form->downloadlistview->subItem(0, 4));
    EXPECT_EQ(firstWhenSecondStarted, QStringLiteral("下载已经完成"));
    EXPECT_EQ(states(), (QStringList{QStringLiteral("下载已经完成"), QStringLiteral("下载已经完成")}));
    EXPECT_TRUE(readFile(form->folders().musicFolder() + QStringLiteral("同.mp3")) == body);
}

TEST_F(DownloadQueue, AProbeEndingWithNothingRunningReportsNothingAgain)
{
    server.serve("/quick.mp3", ServedFile{blob(5000, 16)});
    ServedFile late{blob(5000, 17)};
    late.firstByteDelayMs = 600; // row 0 has ended and been reported before this probe ends
    server.serve("/late.mp3", late);
    addSong(QStringLiteral("先"), server.url("/quick.mp3"));
    addSong(QStringLiteral("中"), server.url("/late.mp3"));
    addSong(QStringLiteral("后"), server.url("/quick.mp3"));
    form->downbtnClick();
    ASSERT_TRUE(waitForWorkers());

    // Row 1's workers wait as its probe did, so row 2 may end first; each file is reported once.
    const auto reports = reportsIn(log());
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0], std::make_pair(QStringLiteral("先"), true));
    for (const char* name : {"先", "中", "后"}) {
        EXPECT_EQ(std::count(reports.begin(), reports.end(), std::make_pair(QString::fromUtf8(name), true)),
                  1)
            << name;
    }
    EXPECT_EQ(states(), (QStringList{QStringLiteral("下载已经完成"), QStringLiteral("下载已经完成"),
                                     QStringLiteral("下载已经完成")}));
}
