// Edits and unrelated failures that arrive while a run is going, on the real main window against local
// servers: every song's bytes, name and report stay its own.

#include "app/download/download_controller.h"
#include "platform/net/anti_freeze.h"
#include "support/fault_http_server.h"
#include "support/file_bytes.h"
#include "support/form_fixture.h"

#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

#include <string>

using lanseek::platform::waitUntil;
using lanseek::test::FaultHttpServer;
using lanseek::test::ServedFile;

using lanseek::test::blob;
using lanseek::test::readFile;

namespace {

class RunEdits : public lanseek::test::FormTest
{
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        QObject::connect(
            &form->downloads(), &lanseek::app::DownloadController::fileReported, form.get(),
            [this](const QString& name, bool complete) { reported.emplace_back(name, complete); });
    }

    QString pathOf(const QString& name) const { return form->folders().musicFolder() + name + ".mp3"; }

    void addSong(const QString& name, const std::string& address)
    {
        form->downloadlistview->appendRow({QString::number(form->downloadlistview->Count() + 1),
                                           0,
                                           {name, QString::fromStdString(address), QStringLiteral("1M"),
                                            QStringLiteral("mp3"), pathOf(name)}});
    }

    bool waitForWorkers()
    {
        return waitUntil(
            [this] {
                return !form->downloads().state().run.downloadRunWaiting &&
                       form->downloads().state().activeWorkers == 0;
            },
            30000);
    }

    // Every report's "保存地址" line, by the song its first line names.
    std::vector<std::pair<QString, QString>> reportedPaths() const
    {
        const QStringList lines = form->downinimemo->Lines();
        std::vector<std::pair<QString, QString>> out;
        for (int i = 0; i + 1 < lines.size(); ++i) {
            if (lines[i].endsWith(QStringLiteral("下载完毕!")) ||
                lines[i].endsWith(QStringLiteral("下载不完整!")))
                out.emplace_back(lines[i].left(lines[i].indexOf(QStringLiteral("下载"))), lines[i + 1]);
        }
        return out;
    }

    bool logHasCannotDownload() const
    {
        for (const QString& line : form->downinimemo->Lines())
            if (line.endsWith(QStringLiteral("不能下载")))
                return true;
        return false;
    }

    FaultHttpServer server;
    std::vector<std::pair<QString, bool>> reported;
};

} // namespace

TEST_F(RunEdits, ASongDeletedWhileItIsProbedIsTakenOutOfTheRunAndTheOthersKeepTheirOwnFiles)
{
    ServedFile slowProbe{blob(40'000, 1)};
    slowProbe.firstByteDelayMs = 1200;
    server.serve("/a.mp3", slowProbe);
    const std::string b = blob(50'000, 2);
    const std::string c = blob(60'000, 3);
    server.serve("/b.mp3", ServedFile{b});
    server.serve("/c.mp3", ServedFile{c});
    addSong(QStringLiteral("甲"), server.url("/a.mp3"));
    addSong(QStringLiteral("乙"), server.url("/b.mp3"));
    addSong(QStringLiteral("丙"), server.url("/c.mp3"));

    // The user deletes 甲 while its probe waits for the server; no worker runs yet, so it is allowed.
    bool deleted = false;
    QTimer::singleShot(300, form.get(), [&] {
        ASSERT_EQ(server.requestCount(), 1u);
        form->downloadlistview->setRowSelected(0, true);
        form->guarded([this] { form->delbtnClick(); });
        deleted = form->downloadlistview->Count() == 2;
    });
    form->downbtnClick();
    ASSERT_TRUE(waitForWorkers());
    ASSERT_TRUE(deleted);

    EXPECT_FALSE(QFile::exists(pathOf(QStringLiteral("甲"))));
    EXPECT_TRUE(readFile(pathOf(QStringLiteral("乙"))) == b);
    EXPECT_TRUE(readFile(pathOf(QStringLiteral("丙"))) == c);
    EXPECT_FALSE(logHasCannotDownload());
    std::vector<std::pair<QString, QString>> paths = reportedPaths();
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths,
              (std::vector<std::pair<QString, QString>>{
                  {QStringLiteral("丙"), QStringLiteral("保存地址：") + pathOf(QStringLiteral("丙"))},
                  {QStringLiteral("乙"), QStringLiteral("保存地址：") + pathOf(QStringLiteral("乙"))}}));
    // The signal says the same, once per file.
    std::sort(reported.begin(), reported.end());
    EXPECT_EQ(reported, (std::vector<std::pair<QString, bool>>{{QStringLiteral("丙"), true},
                                                               {QStringLiteral("乙"), true}}));
}

TEST_F(RunEdits, ARowPathChangedWhileItsFileIsWrittenLeavesTheReportNamingTheRealFile)
{
    const std::string body = blob(200'000, 4);
    ServedFile slow{body};
    slow.bytesPerSecond = 200'000;
    server.serve("/s.mp3", slow);
    addSong(QStringLiteral("慢"), server.url("/s.mp3"));
    form->downbtnClick();
    ASSERT_TRUE(waitUntil([this] { return form->downloads().state().activeWorkers > 0; }, 5000));

    form->downloadlistview->setRowSelected(0, true);
    form->downloads().state().rowPathMode = true;
    form->downloads().folderChosen(folder.filePath(QStringLiteral("elsewhere")));
    ASSERT_TRUE(waitForWorkers());
    form->Timer1Timer();

    EXPECT_TRUE(readFile(pathOf(QStringLiteral("慢"))) == body);
    EXPECT_EQ(reportedPaths(),
              (std::vector<std::pair<QString, QString>>{
                  {QStringLiteral("慢"), QStringLiteral("保存地址：") + pathOf(QStringLiteral("慢"))}}));
    EXPECT_EQ(reported, (std::vector<std::pair<QString, bool>>{{QStringLiteral("慢"), true}}));
    // The next run would write where the row now says.
    EXPECT_EQ(form->downloadlistview->subItem(0, 4), folder.filePath(QStringLiteral("elsewhere/慢.mp3")));
}

TEST_F(RunEdits, APlayListSavedToABadPathWithFortyInItLeavesTheRunningDownloadAlone)
{
    const std::string body = blob(400'000, 5);
    ServedFile slow{body};
    slow.bytesPerSecond = 200'000; // two seconds
    server.serve("/s.mp3", slow);
    addSong(QStringLiteral("慢"), server.url("/s.mp3"));
    form->downbtnClick();
    ASSERT_TRUE(waitUntil([this] { return form->downloads().state().activeWorkers == 5; }, 5000));

    form->ListView1->appendRow({QStringLiteral("1"),
                                0,
                                {QStringLiteral("歌"), QStringLiteral("http://127.0.0.1:9/g.rm"),
                                 QStringLiteral("1M"), QStringLiteral("rm")}});
    form->ListView1->setRowSelected(0, true);
    const QString bad = QStringLiteral("/nonexistent-40/list.rpm");
    dialogs.fileAnswers = {bad};
    form->guarded([this] { form->playsavebtnClick(); });

    // The user is told in Chinese what failed and where, and the download goes on.
    const QString line = QStringLiteral("无法写入文件：") + bad;
    EXPECT_EQ(dialogs.messages, QStringList{line});
    EXPECT_TRUE(form->downinimemo->Lines().contains(line));
    EXPECT_EQ(form->downloads().state().activeWorkers, 5);
    ASSERT_TRUE(waitForWorkers());
    form->Timer1Timer();
    EXPECT_FALSE(logHasCannotDownload());
    EXPECT_TRUE(readFile(pathOf(QStringLiteral("慢"))) == body);
    EXPECT_EQ(form->downloadnow->subItem(0, 0), QStringLiteral("下载已经完成"));
    EXPECT_EQ(reported, (std::vector<std::pair<QString, bool>>{{QStringLiteral("慢"), true}}));
}
