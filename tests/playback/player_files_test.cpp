// The generated pages, side files and playlist files, checked byte for byte as they land on disk, and
// how playlist files are read back.

#include "playback/player_pages.h"
#include "playback/playlist_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

using namespace lanseek;
using namespace lanseek::playback;

namespace {

SongEntry songRow(const QString& address, const QString& type)
{
    return {QStringLiteral("1"), 0, {QStringLiteral("name"), address, QStringLiteral("3.5M"), type}};
}

class Files : public ::testing::Test
{
protected:
    // The bytes that land on disk when the lines are written.
    std::string written(const std::vector<QString>& lines)
    {
        const QString path = dir.filePath(QStringLiteral("out.txt"));
        writeTextLines(path, lines);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll().toStdString();
    }

    QTemporaryDir dir;
};

const std::string kRealPlayerPageHead =
    "<HTML>\r\n"
    "<body>\r\n"
    "\r\n"
    "\r\n"
    "<OBJECT ID=RAOCX CLASSID=\"clsid:CFCDAA03-8BE4-11cf-B84B-0020AFBBCCFA\" "
    "HEIGHT=\"50\" WIDTH=\"500\">\r\n"
    "\r\n"
    "<param name=\"_ExtentX\" value=\"6350\">\r\n"
    "<param name=\"_ExtentY\" value=\"2646\">\r\n"
    "<param name=\"AUTOSTART\" value=\"-1\">\r\n"
    "<param name=\"SHUFFLE\" value=\"0\">\r\n"
    "<param name=\"PREFETCH\" value=\"0\">\r\n"
    "<param name=\"NOLABELS\" value=\"0\">\r\n";
const std::string kRealPlayerPageTail = "<param name=\"CONTROLS\" value=\"ConrolPane\">\r\n"
                                        "<param name=\"CONSOLE\" value=\"one\">\r\n"
                                        "<param name=\"LOOP\" value=\"0\">\r\n"
                                        "<param name=\"NUMLOOP\" value=\"0\">\r\n"
                                        "<param name=\"CENTER\" value=\"0\">\r\n"
                                        "<param name=\"MAINTAINASPECT\" value=\"0\">\r\n"
                                        "<param name=\"BACKGROUNDCOLOR\" value=\"#000000\">\r\n"
                                        "\r\n"
                                        "</OBJECT>\r\n"
                                        "</body>\r\n"
                                        "</html>\r\n";

std::string windowsMediaPageBytes(const std::string& height, const std::string& source)
{
    return "<HTML>\r\n"
           "<body>\r\n"
           "\r\n"
           "\r\n"
           "\r\n"
           "<OBJECT ID=\"WMPlay\" WIDTH=500 HEIGHT=" +
           height +
           "\r\n"
           "CLASSID=\"CLSID:22D6f312-B0F6-11D0-94AB-0080C74C7E95\"\r\n"
           "CODEBASE=\"http://activex.invalid/activex/controls/mplayer/en/\r\n"
           "nsmp2inf.cab#Version=6,4,5,715\"\r\n"
           "STANDBY=\"Loading Microsoft? Windows Media? Player components...\"\r\n"
           "TYPE=\"application/x-oleobject\">\r\n"
           "<PARAM NAME=\"fileName\" VALUE=\"" +
           source +
           "\">\r\n"
           "<param name=\"ShowStatusBar\" value=\"1\">\r\n"
           "</OBJECT>\r\n"
           "</body>\r\n"
           "</html>\r\n";
}

} // namespace

TEST_F(Files, PlayOnlineRealMediaRouteWritesTheAddressListAndThePageThatPlaysIt)
{
    const std::vector<SongEntry> rows{songRow(QStringLiteral("http://h/a.rm"), QStringLiteral("rm")),
                                      songRow(QStringLiteral("http://h/b.mp3"), QStringLiteral("mp3"))};
    const PlayOnlinePlan plan = playOnlinePlan(rows, QStringLiteral("/opt/聆澜/"));
    EXPECT_EQ(plan.player, PlayerKind::RealMedia);
    EXPECT_EQ(plan.sideFile, QStringLiteral("1.rpm"));
    EXPECT_EQ(plan.page, QStringLiteral("1.html"));
    EXPECT_EQ(plan.reduction, 70);
    EXPECT_EQ(written(plan.sideLines), "http://h/a.rm\r\nhttp://h/b.mp3\r\n");
    // The folder name is written in GBK: 聆 = F1 F6, 澜 = C0 BD.
    EXPECT_EQ(written(plan.pageLines),
              kRealPlayerPageHead + "<param name=\"SRC\" value=\"file:////opt/\xF1\xF6\xC0\xBD/1.rpm\">\r\n" +
                  kRealPlayerPageTail);
}

TEST_F(Files, PlayOnlineWindowsMediaRouteWritesTheDemoListAndAPageWithTheBlankAfterItsName)
{
    const std::vector<SongEntry> rows{songRow(QStringLiteral("http://h/a.mp3"), QStringLiteral("mp3")),
                                      songRow(QStringLiteral("http://h/\"b\".rm"), QStringLiteral("rm"))};
    const PlayOnlinePlan plan = playOnlinePlan(rows, QStringLiteral("/p/"));
    EXPECT_EQ(plan.player, PlayerKind::WindowsMedia);
    EXPECT_EQ(plan.sideFile, QStringLiteral("winmedia.asx"));
    EXPECT_EQ(plan.page, QStringLiteral("2.html"));
    EXPECT_EQ(plan.reduction, 75);
    // Addresses go in as they are, quotes included.
    EXPECT_EQ(written(plan.sideLines), "<asx version = \"3.0\">\r\n"
                                       "<title>demo</title>\r\n"
                                       "<entry>\r\n"
                                       "<ref href = \"http://h/a.mp3\"/>\r\n"
                                       "</entry>\r\n"
                                       "<entry>\r\n"
                                       "<ref href = \"http://h/\"b\".rm\"/>\r\n"
                                       "</entry>\r\n"
                                       "</asx>\r\n");
    EXPECT_EQ(written(plan.pageLines), windowsMediaPageBytes("68", "file:////p/winmedia.asx "));
}

TEST_F(Files, LoadedFilesArePlayedFromTheirOwnPath)
{
    const LoadedPage rpm = loadedPlaylistPage(PlaylistFormat::Rpm, QStringLiteral("/home/u/LIST.RPM"));
    EXPECT_EQ(rpm.page, QStringLiteral("1.html"));
    EXPECT_EQ(written(rpm.lines), kRealPlayerPageHead +
                                      "<param name=\"SRC\" value=\"file:////home/u/LIST.RPM\">\r\n" +
                                      kRealPlayerPageTail);
    const LoadedPage asx = loadedPlaylistPage(PlaylistFormat::Asx, QStringLiteral("/home/u/a%1b.asx"));
    EXPECT_EQ(asx.page, QStringLiteral("2.html"));
    EXPECT_EQ(written(asx.lines), windowsMediaPageBytes("65", "file:////home/u/a%1b.asx"));
}

TEST_F(Files, SavedListsFollowTheFirstRowsType)
{
    const std::vector<SongEntry> real{songRow(QStringLiteral("http://h/a.rm"), QStringLiteral("rm")),
                                      songRow(QStringLiteral("http://h/b.mp3"), QStringLiteral("mp3"))};
    ASSERT_EQ(saveFormatForType(QStringLiteral("rm")), PlaylistFormat::Rpm);
    ASSERT_EQ(saveFormatForType(QStringLiteral("RAM")), PlaylistFormat::Rpm);
    EXPECT_EQ(written(savedPlaylistLines(real, PlaylistFormat::Rpm)), "http://h/a.rm\r\nhttp://h/b.mp3\r\n");

    ASSERT_EQ(saveFormatForType(QStringLiteral("wma")), PlaylistFormat::Asx);
    ASSERT_EQ(saveFormatForType(QStringLiteral("mp3")), PlaylistFormat::Asx);
    const std::vector<SongEntry> windows{songRow(QStringLiteral("http://h/一.wma"), QStringLiteral("wma"))};
    EXPECT_EQ(written(savedPlaylistLines(windows, PlaylistFormat::Asx)),
              "<asx version = \"3.0\">\r\n"
              "<title>playlist</title>\r\n"
              "<entry>\r\n"
              "<ref href = \"http://h/\xD2\xBB.wma\"/>\r\n"
              "</entry>\r\n"
              "</asx>\r\n");
}

TEST(AsxLines, NRowsGiveThreeNPlusThreeLinesWithEachReferenceAtLineThreeK)
{
    for (int n = 0; n <= 4; ++n) {
        std::vector<SongEntry> rows;
        for (int k = 1; k <= n; ++k)
            rows.push_back(songRow(QStringLiteral("http://h/%1.wma").arg(k), QStringLiteral("wma")));
        const std::vector<QString> lines = asxLines(rows, QStringLiteral("playlist"));
        ASSERT_EQ(lines.size(), static_cast<size_t>(3 * n + 3)) << n;
        EXPECT_EQ(lines.back(), QStringLiteral("</asx>"));
        for (int k = 1; k <= n; ++k)
            EXPECT_EQ(lines[3 * k], QStringLiteral("<ref href = \"http://h/%1.wma\"/>").arg(k));
        // Reading the list back by position gives the references again, in order.
        const std::vector<SongEntry> back =
            loadedPlaylistRows(PlaylistFormat::Asx, QStringList(lines.begin(), lines.end()));
        ASSERT_EQ(back.size(), static_cast<size_t>(n));
        for (int k = 1; k <= n; ++k)
            EXPECT_EQ(back[k - 1].caption, lines[3 * k]);
    }
}

TEST(TextLines, BreaksAtCrLfLoneCrAndLoneLfWithoutATrailingEmptyLine)
{
    EXPECT_EQ(splitTextLines(QString()), QStringList());
    EXPECT_EQ(splitTextLines(QStringLiteral("a")), QStringList{QStringLiteral("a")});
    EXPECT_EQ(splitTextLines(QStringLiteral("a\r\n")), QStringList{QStringLiteral("a")});
    EXPECT_EQ(splitTextLines(QStringLiteral("a\r")), QStringList{QStringLiteral("a")});
    EXPECT_EQ(
        splitTextLines(QStringLiteral("a\rb\nc\r\nd")),
        (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    // Empty lines in the middle and one empty line at the end survive; "\n\r" is two breaks.
    EXPECT_EQ(splitTextLines(QStringLiteral("a\r\n\r\nb\n\n")),
              (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b"), QString()}));
    EXPECT_EQ(splitTextLines(QStringLiteral("a\n\rb")),
              (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
    EXPECT_EQ(splitTextLines(QStringLiteral("\r\n")), QStringList{QString()});
}

TEST(LoadedPlaylist, TheRouteFollowsTheLastThreeCharactersOfThePath)
{
    EXPECT_EQ(loadFormatForPath(QStringLiteral("/x/LIST.RPM")), PlaylistFormat::Rpm);
    EXPECT_EQ(loadFormatForPath(QStringLiteral("/x/list.rpm")), PlaylistFormat::Rpm);
    EXPECT_EQ(loadFormatForPath(QStringLiteral("/x/list.Rpm")), PlaylistFormat::Rpm);
    EXPECT_EQ(loadFormatForPath(QStringLiteral("/x/list.asx")), PlaylistFormat::Asx);
    EXPECT_EQ(loadFormatForPath(QStringLiteral("/x/list.txt")), PlaylistFormat::Asx);
    EXPECT_EQ(loadFormatForPath(QStringLiteral("/x/list.rpm ")), PlaylistFormat::Asx);
    EXPECT_EQ(loadFormatForPath(QStringLiteral("pm")), PlaylistFormat::Asx);
}

TEST(LoadedPlaylist, RpmLinesBecomeRowsEmptyOnesIncluded)
{
    const std::vector<SongEntry> rows = loadedPlaylistRows(
        PlaylistFormat::Rpm, {QStringLiteral("http://h/a.rm"), QString(), QStringLiteral("<b>x</b>")});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (SongEntry{QStringLiteral("http://h/a.rm"), -1, {}}));
    EXPECT_EQ(rows[1].caption, QString());
    EXPECT_EQ(rows[2].caption, QStringLiteral("<b>x</b>"));
    for (const SongEntry& row : rows)
        EXPECT_TRUE(isLoadedRow(row));
}

TEST(LoadedPlaylist, AsxFilesAreReadByPositionWhateverTheyHold)
{
    const QStringList three{QStringLiteral("<asx>"), QStringLiteral("<title>t</title>"),
                            QStringLiteral("</asx>")};
    EXPECT_TRUE(loadedPlaylistRows(PlaylistFormat::Asx, three).empty());
    EXPECT_TRUE(loadedPlaylistRows(PlaylistFormat::Asx, {}).empty());
    EXPECT_TRUE(loadedPlaylistRows(PlaylistFormat::Asx, {QStringLiteral("x")}).empty());
    // Seven lines: two entries, lines 3 and 6, whatever they are.
    const QStringList seven{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
                            QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"),
                            QStringLiteral("6")};
    const std::vector<SongEntry> rows = loadedPlaylistRows(PlaylistFormat::Asx, seven);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].caption, QStringLiteral("3"));
    EXPECT_EQ(rows[1].caption, QStringLiteral("6"));
}

TEST(SaveName, DatePrefixThenTrimmedSearchTextThenExtension)
{
    const QDate day(2026, 12, 9);
    EXPECT_EQ(proposedSaveName(day, QStringLiteral("abc"), PlaylistFormat::Rpm),
              QStringLiteral("2026-12-09abc.rpm"));
    EXPECT_EQ(proposedSaveName(day, QStringLiteral(" \t刘 德华\r\n\x7f"), PlaylistFormat::Asx),
              QStringLiteral("2026-12-09刘 德华.asx"));
    EXPECT_EQ(proposedSaveName(day, QString(), PlaylistFormat::Asx), QStringLiteral("2026-12-09.asx"));
    // A separator in the search text would turn the proposal into a path into some other folder.
    EXPECT_EQ(proposedSaveName(day, QStringLiteral("AC/DC\\x"), PlaylistFormat::Rpm),
              QStringLiteral("2026-12-09AC_DC_x.rpm"));
    // Nothing of the prefix needs a character that file names may not hold.
    const QString prefix = proposedSaveName(day, QString(), PlaylistFormat::Rpm).chopped(4);
    for (QChar c : prefix)
        EXPECT_FALSE(QStringLiteral("/\\:*?\"<>| ").contains(c)) << prefix.toStdString();
}

TEST(SaveName, TrimKeepsInnerBlanksAndWideSpaces)
{
    EXPECT_EQ(trimBlanksAndControls(QStringLiteral("\x01 a b \x1f")), QStringLiteral("a b"));
    EXPECT_EQ(trimBlanksAndControls(QStringLiteral(" \t\n")), QString());
    // An ideographic space is part of the text, not a blank.
    EXPECT_EQ(trimBlanksAndControls(QStringLiteral("\u3000歌 ")), QStringLiteral("\u3000歌"));
}

TEST_F(Files, ReadingDecodesGbkAndSplitsLines)
{
    const QString path = dir.filePath(QStringLiteral("in.asx"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("\xD2\xBB\r\nb\rc\n");
    }
    EXPECT_EQ(readTextLines(path),
              (QStringList{QStringLiteral("一"), QStringLiteral("b"), QStringLiteral("c")}));
}

TEST_F(Files, UnreadableAndUnwritablePathsRaiseErrorsNamingThePath)
{
    const QString missing = dir.filePath(QStringLiteral("missing.rpm"));
    try {
        readTextLines(missing);
        FAIL() << "reading a missing file succeeded";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("missing.rpm"), std::string::npos) << e.what();
    }
    const QString intoMissingFolder = dir.filePath(QStringLiteral("no/such/folder/x.rpm"));
    EXPECT_THROW(writeTextLines(intoMissingFolder, {QStringLiteral("a")}), std::runtime_error);
    EXPECT_FALSE(QFile::exists(intoMissingFolder));
}

TEST_F(Files, WritingReplacesALongerFile)
{
    const QString path = dir.filePath(QStringLiteral("1.rpm"));
    writeTextLines(path, {QStringLiteral("a long first line"), QStringLiteral("second")});
    writeTextLines(path, {QStringLiteral("b")});
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("b\r\n"));
}
