#include "download/download_rules.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace lanseek::download;

TEST(WorkerTags, LabelsAndCountersFollowSlotAndWorker)
{
    EXPECT_EQ(workerTag(0, 0), 100);
    EXPECT_EQ(workerTag(2, 4), 304);
    EXPECT_EQ(workerLabel(100), QStringLiteral("文件1线程1："));
    EXPECT_EQ(workerLabel(203), QStringLiteral("文件2线程4："));
    EXPECT_EQ(workerLabel(304), QStringLiteral("文件3线程5："));
    EXPECT_EQ(workerLabel(105), QString());
    EXPECT_EQ(workerLabel(kProbeTag), QString());
    EXPECT_EQ(counterOfTag(100), 0);
    EXPECT_EQ(counterOfTag(203), 8);
    EXPECT_EQ(counterOfTag(304), 14);
    EXPECT_EQ(counterOfTag(105), std::nullopt);
    // A work end counts down for the whole 50-tag range of a slot.
    EXPECT_EQ(slotOfTag(149), 0);
    EXPECT_EQ(slotOfTag(150), std::nullopt);
    EXPECT_EQ(slotOfTag(300), 2);
    EXPECT_EQ(slotOfTag(kProbeTag), std::nullopt);
}

TEST(StatusTexts, SpeedsTruncateTowardZero)
{
    EXPECT_EQ(speedText(-1536), QStringLiteral("-1k/s"));
    EXPECT_EQ(speedText(1023), QStringLiteral("0k/s"));
    EXPECT_EQ(speedText(5LL * 1024 * 1024 * 1024), QStringLiteral("5242880k/s"));
    EXPECT_EQ(elapsedText(1), QStringLiteral("总耗时：1秒"));
}

TEST(TargetNames, SongNamesNeverLeaveTheFolder)
{
    const QString folder = QStringLiteral("/music/");
    EXPECT_EQ(savePathFor(folder, QStringLiteral("月亮代表我的心"), QStringLiteral("mp3")),
              QStringLiteral("/music/月亮代表我的心.mp3"));
    EXPECT_EQ(savePathFor(folder, QStringLiteral("../../etc/passwd"), QStringLiteral("mp3")),
              QStringLiteral("/music/___.._etc_passwd.mp3"));
    EXPECT_EQ(savePathFor(folder, QStringLiteral(".."), QStringLiteral("")), QStringLiteral("/music/__."));
    EXPECT_EQ(savePathFor(folder, QStringLiteral("a\\..\\b\tc\nd"), QStringLiteral("m/3")),
              QStringLiteral("/music/a_.._b_c_d.m_3"));
    // Characters this file system accepts are kept as the user knows them.
    EXPECT_EQ(savePathFor(folder, QStringLiteral("What? *Me*"), QStringLiteral("wma")),
              QStringLiteral("/music/What? *Me*.wma"));
    for (const QString& hostile :
         {QStringLiteral("../x"), QStringLiteral("/abs"), QStringLiteral("..\\..")}) {
        const QString path = savePathFor(folder, hostile, QStringLiteral("mp3"));
        EXPECT_EQ(QDir::cleanPath(path).section(QLatin1Char('/'), 0, -2), QStringLiteral("/music"))
            << path.toStdString();
    }
}

TEST(TargetNames, FallbackNameUsesNameBoxRowAndExtension)
{
    EXPECT_EQ(fallbackExtension(QStringLiteral("http://h/a/song.Mrm")), QStringLiteral("rm"));
    EXPECT_EQ(fallbackExtension(QStringLiteral("http://h/a/song.rm")), QStringLiteral(".rm"));
    EXPECT_EQ(fallbackExtension(QStringLiteral("http://h/a/song.mp3 ")), QStringLiteral("p3"));
    EXPECT_EQ(fallbackPath(QStringLiteral("/m/"), QStringLiteral("  周杰伦 "), 7, QStringLiteral("mp3")),
              QStringLiteral("/m/周杰伦7.mp3"));
    EXPECT_EQ(fallbackPath(QStringLiteral("/m/"), QStringLiteral("x"), 7, QStringLiteral(".rm")),
              QStringLiteral("/m/x7..rm"));
    EXPECT_EQ(fallbackPath(QStringLiteral("/m/"), QStringLiteral("../up"), 2, QStringLiteral("a/b")),
              QStringLiteral("/m/___up2.a_b"));
}

TEST(ConnectTarget, SchemeHostAndPortComeFromTheAddress)
{
    EXPECT_EQ(connectTarget(QStringLiteral("http://host:8080/x.mp3")), "host:8080");
    EXPECT_EQ(connectTarget(QStringLiteral("http://host/x.mp3")), "host:80");
    EXPECT_EQ(connectTarget(QStringLiteral("https://host/x.mp3")), "host:443");
    EXPECT_EQ(connectTarget(QStringLiteral("HTTP://host:81")), "host:81");
    EXPECT_EQ(connectTarget(QStringLiteral("ftp://host/x.mp3")), std::nullopt);
    EXPECT_EQ(connectTarget(QStringLiteral("http://host:99999/x")), std::nullopt);
    EXPECT_EQ(connectTarget(QString()), std::nullopt);
}

TEST(FileReports, SecondLineTellsWhetherTheFileIsComplete)
{
    FileReport report{QStringLiteral("2026/12/9 6:00:00"),
                      QStringLiteral("歌"),
                      true,
                      QStringLiteral("/m/歌.mp3"),
                      QStringLiteral("12"),
                      QStringLiteral("http://h/歌.mp3"),
                      QStringLiteral("3.5M")};
    EXPECT_EQ(reportLines(report),
              (QStringList{QStringLiteral("2026/12/9 6:00:00"), QStringLiteral("歌下载完毕!"),
                           QStringLiteral("保存地址：/m/歌.mp3"), QStringLiteral("用时：12秒"),
                           QStringLiteral("下载地址：http://h/歌.mp3"), QStringLiteral("文件大小：3.5M")}));
    report.complete = false;
    EXPECT_EQ(reportLines(report).at(1), QStringLiteral("歌下载不完整!"));
}

TEST(ShownSlot, FollowsTheSelectedRowSequence)
{
    EXPECT_EQ(shownSlotOf(std::nullopt), 0);
    EXPECT_EQ(shownSlotOf(QStringLiteral("4")), 1);
    EXPECT_EQ(shownSlotOf(QStringLiteral("5")), 2);
    EXPECT_EQ(shownSlotOf(QStringLiteral("junk")), 0);
}

TEST(TargetNames, EmptyOrDottedNamesTakeTheFallback)
{
    const QString path = QStringLiteral("/music/歌.mp3");
    EXPECT_FALSE(needsFallbackName(QStringLiteral("歌"), path));
    EXPECT_FALSE(needsFallbackName(QStringLiteral("Mr. Big"), QStringLiteral("/music/Mr. Big.mp3")));
    EXPECT_TRUE(needsFallbackName(QString(), QStringLiteral("/music/.mp3")));
    EXPECT_TRUE(needsFallbackName(QStringLiteral("  "), QStringLiteral("/music/  .mp3")));
    EXPECT_TRUE(needsFallbackName(QStringLiteral("..."), QStringLiteral("/music/___.mp3")));
    // A path that would give a hidden file or none, whatever the name says.
    EXPECT_TRUE(needsFallbackName(QStringLiteral("歌"), QStringLiteral("/music/.歌.mp3")));
    EXPECT_TRUE(needsFallbackName(QStringLiteral("歌"), QStringLiteral("/music/")));
    EXPECT_TRUE(needsFallbackName(QStringLiteral("歌"), QStringLiteral("C:\\music\\.mp3")));
}

TEST(TargetNames, DifferentSongsNeverShareAPath)
{
    const QString path = QStringLiteral("/music/a_b.mp3");
    // Nobody else uses it, or only the same song: it stays.
    EXPECT_EQ(uniqueSavePath(path, QStringLiteral("http://h/1"), {}), path);
    EXPECT_EQ(uniqueSavePath(path, QStringLiteral("http://h/1"), {{path, QStringLiteral("http://h/1 ")}}),
              path);
    // Another song has it: the first free number.
    const std::vector<TakenPath> taken{{path, QStringLiteral("http://h/1")},
                                       {QStringLiteral("/music/a_b(2).mp3"), QStringLiteral("http://h/2")},
                                       {QStringLiteral("/music/other.mp3"), QStringLiteral("http://h/3")}};
    EXPECT_EQ(uniqueSavePath(path, QStringLiteral("http://h/9"), taken), QStringLiteral("/music/a_b(3).mp3"));
    // The song that already holds a numbered path keeps it when it comes again.
    EXPECT_EQ(uniqueSavePath(path, QStringLiteral("http://h/2"), taken), QStringLiteral("/music/a_b(2).mp3"));
    // Paths are compared as the file system reads them.
    EXPECT_EQ(uniqueSavePath(QStringLiteral("/music//a_b.mp3"), QStringLiteral("http://h/9"), taken),
              QStringLiteral("/music//a_b(3).mp3"));
    // The number goes before the last dot of the file name, or at the end when it has none.
    EXPECT_EQ(uniqueSavePath(QStringLiteral("/mu.sic/song"), QStringLiteral("x"),
                             {{QStringLiteral("/mu.sic/song"), QStringLiteral("y")}}),
              QStringLiteral("/mu.sic/song(2)"));
    EXPECT_EQ(uniqueSavePath(QStringLiteral("/m/Mr. Big.wma"), QStringLiteral("x"),
                             {{QStringLiteral("/m/Mr. Big.wma"), QStringLiteral("y")}}),
              QStringLiteral("/m/Mr. Big(2).wma"));
}
