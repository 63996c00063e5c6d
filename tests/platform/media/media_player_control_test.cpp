#include "platform/media/media_player_control.h"

#include "test_media.h"

#include <QLabel>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace lanseek::platform;
using State = MediaPlayerControl::State;

namespace {

constexpr int kClipMs = 700;
constexpr int kWaitMs = 10000;

QByteArray toGbkCrLf(const QStringList& lines)
{
    // Only ASCII and the paths of the temporary folder go into these lists; the folder name is
    // ASCII, so Latin-1 bytes are the GBK bytes.
    QByteArray out;
    for (const QString& line : lines)
        out += line.toUtf8() + "\r\n";
    return out;
}

QByteArray asxOf(const QStringList& addresses)
{
    QStringList lines{QStringLiteral("<asx version = \"3.0\">"), QStringLiteral("<title>demo</title>")};
    for (const QString& a : addresses)
        lines << QStringLiteral("<entry>") << QStringLiteral("<ref href = \"") + a + QStringLiteral("\"/>")
              << QStringLiteral("</entry>");
    lines << QStringLiteral("</asx>");
    return toGbkCrLf(lines);
}

// Records the order of item starts and the errors of one control.
struct Recorder
{
    explicit Recorder(MediaPlayerControl* control)
    {
        QObject::connect(control, &MediaPlayerControl::itemChanged, [this](int i) { items.push_back(i); });
        QObject::connect(control, &MediaPlayerControl::errorOccurred,
                         [this](const QString& e) { errors << e; });
    }
    std::vector<int> items;
    QStringList errors;
};

class PlayerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(lanseek::test::writeFile(path("one.wav"), lanseek::test::makeWav(kClipMs, 440)));
        ASSERT_TRUE(lanseek::test::writeFile(path("two.wav"), lanseek::test::makeWav(kClipMs, 660)));
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    // The object parameter value the program writes: "file:///" and the native path unchanged.
    QString fileValue(const QString& name) const { return QStringLiteral("file:///") + path(name); }

    static bool waitForState(MediaPlayerControl& c, State s, int ms = kWaitMs)
    {
        return QTest::qWaitFor([&] { return c.state() == s; }, ms);
    }

    QTemporaryDir m_dir;
};

QToolButton* buttonNamed(QWidget& w, const QString& name)
{
    for (auto* b : w.findChildren<QToolButton*>())
        if (b->accessibleName() == name)
            return b;
    return nullptr;
}

} // namespace

TEST_F(PlayerTest, AsxListPlaysItsItemsInOrderThenStops)
{
    ASSERT_TRUE(lanseek::test::writeFile(path("winmedia.asx"), asxOf({path("one.wav"), path("two.wav")})));
    // The play-online page writes the value with a space before its closing quote.
    std::unique_ptr<MediaPlayerControl> c(MediaPlayerControl::fromObjectParams(
        {{"fileName", fileValue("winmedia.asx ")}, {"ShowStatusBar", "1"}}));
    Recorder rec(c.get());
    qint64 seenPosition = 0;
    bool sawPlayingStatus = false;
    bool stoppedEarly = false;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (c->currentIndex() == 0 && c->state() == State::Playing) {
                seenPosition = std::max(seenPosition, c->positionMs());
                sawPlayingStatus = sawPlayingStatus || c->statusText() == QStringLiteral("正在播放");
            }
            if (c->state() == State::Stopped && !rec.items.empty() && rec.items.back() == 0)
                stoppedEarly = true;
            return rec.items.size() == 2 && c->state() == State::Stopped;
        },
        kWaitMs));
    EXPECT_FALSE(stoppedEarly);
    EXPECT_EQ(rec.items, (std::vector<int>{0, 1}));
    EXPECT_EQ(c->itemCount(), 2);
    EXPECT_EQ(c->currentIndex(), 1);
    EXPECT_GT(seenPosition, 100) << "the position advances while the first item plays";
    EXPECT_TRUE(sawPlayingStatus);
    EXPECT_EQ(c->statusText(), QStringLiteral("已停止"));
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.errors.join(u'\n').toStdString();

    // Play after the end starts the list again from its first item, as the file now reads.
    ASSERT_TRUE(lanseek::test::writeFile(path("winmedia.asx"), asxOf({path("two.wav")})));
    rec.items.clear();
    c->play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rec.items.empty(); }, kWaitMs));
    EXPECT_EQ(rec.items.front(), 0);
    EXPECT_EQ(c->itemCount(), 1);
    c->stop();
}

TEST_F(PlayerTest, RpmListWithCommentsAndRelativeEntriesPlaysLikewise)
{
    const QString folder = QStringLiteral("音乐 list");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(folder));
    ASSERT_TRUE(QFile::copy(path("one.wav"), path(folder + QStringLiteral("/第一.wav"))));
    // "第一.wav" written as GBK bytes (B5 DA D2 BB), relative to the list; the second by absolute path.
    QByteArray rpm = "# two songs\r\n\r\n\xB5\xDA\xD2\xBB.wav\r\n";
    rpm += path("two.wav").toUtf8() + "\n";
    ASSERT_TRUE(lanseek::test::writeFile(path(folder + QStringLiteral("/1.RPM")), rpm));

    std::unique_ptr<MediaPlayerControl> c(MediaPlayerControl::fromObjectParams(
        {{"AUTOSTART", "-1"}, {"SRC", fileValue(folder + QStringLiteral("/1.RPM"))}}));
    Recorder rec(c.get());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return rec.items.size() == 2 && c->state() == State::Stopped; }, kWaitMs))
        << c->statusText().toStdString();
    EXPECT_EQ(rec.items, (std::vector<int>{0, 1}));
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.errors.join(u'\n').toStdString();
}

TEST_F(PlayerTest, FailuresShowInTheStatusLineWithoutThrowing)
{
    ASSERT_TRUE(lanseek::test::writeFile(path("noise.mp3"), QByteArray(4096, '\x5A')));
    ASSERT_TRUE(lanseek::test::writeFile(path("empty.asx"),
                                         "<asx version = \"3.0\">\r\n<title>demo</title>\r\n</asx>\r\n"));
    const struct
    {
        QString value;
        QString expectedStart;
    } cases[] = {
        {fileValue("missing.wav"), QStringLiteral("找不到该歌曲")},
        {fileValue("noise.mp3"), QStringLiteral("无法解码该歌曲")},
        {fileValue("empty.asx"), QStringLiteral("播放列表为空")},
        {fileValue("missing.asx"), QStringLiteral("找不到播放列表")},
        {QStringLiteral("http://127.0.0.1:1/song.wav"), QStringLiteral("无法连接到服务器")},
        {QStringLiteral("   "), QStringLiteral("没有可播放的文件")},
    };
    for (const auto& tc : cases) {
        MediaPlayerControl c;
        c.setStatusBarVisible(true);
        Recorder rec(&c);
        EXPECT_NO_THROW({
            c.setSource(tc.value);
            c.play();
            ASSERT_TRUE(QTest::qWaitFor([&] { return !rec.errors.isEmpty() && c.state() == State::Stopped; },
                                        kWaitMs))
                << tc.value.toStdString();
        });
        EXPECT_TRUE(c.statusText().startsWith(tc.expectedStart))
            << tc.value.toStdString() << " -> " << c.statusText().toStdString();
        EXPECT_EQ(rec.errors.first(), c.statusText());
    }
}

TEST_F(PlayerTest, ABrokenItemIsSkippedAndTheErrorShownWithoutAStatusLine)
{
    ASSERT_TRUE(lanseek::test::writeFile(path("list.asx"), asxOf({path("gone.wav"), path("one.wav")})));
    MediaPlayerControl c;
    Recorder rec(&c);
    c.setSource(fileValue("list.asx"));
    c.play();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return rec.items.size() == 2 && c.state() == State::Stopped; }, kWaitMs));
    EXPECT_EQ(rec.items, (std::vector<int>{0, 1}));
    ASSERT_EQ(rec.errors.size(), 1);
    EXPECT_TRUE(rec.errors[0].startsWith(QStringLiteral("找不到该歌曲")));

    // The last item failing leaves its message where the user can see it even without a status line.
    c.setSource(fileValue("gone.wav"));
    c.play();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return rec.errors.size() == 2 && c.state() == State::Stopped; }, kWaitMs));
    EXPECT_EQ(c.titleText(), rec.errors[1]);

    // A new source clears the old failure.
    c.setSource(fileValue("one.wav"));
    EXPECT_EQ(c.statusText(), QStringLiteral("已停止"));
    EXPECT_EQ(c.titleText(), path("one.wav"));
}

TEST_F(PlayerTest, PlaysWebAddressesAndWebLists)
{
    lanseek::test::LocalWebServer server;
    QFile one(path("one.wav"));
    ASSERT_TRUE(one.open(QIODevice::ReadOnly));
    server.serve("/songs/one.wav", one.readAll(), "audio/x-wav");
    server.serve("/songs/list.ram", "one.wav\r\n/songs/one.wav\r\n", "audio/x-pn-realaudio");

    MediaPlayerControl single;
    Recorder singleRec(&single);
    bool reachedPlaying = false;
    single.setSource(server.url("/songs/one.wav"));
    single.play();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            reachedPlaying = reachedPlaying || single.state() == State::Playing;
            return reachedPlaying && single.state() == State::Stopped;
        },
        kWaitMs))
        << "state " << int(single.state()) << ", status " << single.statusText().toStdString()
        << ", position " << single.positionMs();
    EXPECT_TRUE(singleRec.errors.isEmpty()) << singleRec.errors.join(u'\n').toStdString();
    EXPECT_GE(server.hits("/songs/one.wav"), 1);

    std::unique_ptr<MediaPlayerControl> listed(
        MediaPlayerControl::fromObjectParams({{"SRC", server.url("/songs/list.ram")}}));
    Recorder listRec(listed.get());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return listRec.items.size() == 2 && listed->state() == State::Stopped; }, kWaitMs))
        << "items started " << listRec.items.size() << ", state " << int(listed->state()) << ", status "
        << listed->statusText().toStdString() << ", position " << listed->positionMs();
    EXPECT_TRUE(listRec.errors.isEmpty()) << listRec.errors.join(u'\n').toStdString();
    EXPECT_EQ(server.hits("/songs/list.ram"), 1);
}

TEST_F(PlayerTest, AutostartOffWaitsForPlay)
{
    std::unique_ptr<MediaPlayerControl> c(
        MediaPlayerControl::fromObjectParams({{"SRC", fileValue("one.wav")}, {"AUTOSTART", "0"}}));
    Recorder rec(c.get());
    QTest::qWait(300);
    EXPECT_EQ(c->state(), State::Stopped);
    EXPECT_TRUE(rec.items.empty());

    QSignalSpy firstBuffer(c.get(), &MediaPlayerControl::firstBufferReached);
    c->play();
    ASSERT_TRUE(waitForState(*c, State::Playing));
    EXPECT_TRUE(firstBuffer.count() == 1 || firstBuffer.wait(kWaitMs));
    c->stop();

    // Stop before the event loop runs cancels a pending autostart.
    std::unique_ptr<MediaPlayerControl> d(
        MediaPlayerControl::fromObjectParams({{"SRC", fileValue("one.wav")}}));
    d->stop();
    QTest::qWait(300);
    EXPECT_EQ(d->state(), State::Stopped);
}

TEST_F(PlayerTest, ButtonsSliderAndTimeFollowPauseSeekAndStop)
{
    ASSERT_TRUE(lanseek::test::writeFile(path("long.wav"), lanseek::test::makeWav(3000)));
    MediaPlayerControl c;
    c.resize(500, 68);
    c.setSource(fileValue("long.wav"));
    QToolButton* playPause = buttonNamed(c, QStringLiteral("播放"));
    QToolButton* stopButton = buttonNamed(c, QStringLiteral("停止"));
    ASSERT_TRUE(playPause && stopButton);
    QSlider* slider = c.findChild<QSlider*>();
    ASSERT_TRUE(slider);
    EXPECT_EQ(slider->accessibleName(), QStringLiteral("播放进度"));

    playPause->click();
    ASSERT_TRUE(waitForState(c, State::Playing));
    EXPECT_EQ(playPause->accessibleName(), QStringLiteral("暂停"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.durationMs() > 0; }, kWaitMs));
    EXPECT_NEAR(double(c.durationMs()), 3000.0, 50.0);

    playPause->click();
    ASSERT_TRUE(waitForState(c, State::Paused));
    EXPECT_EQ(playPause->accessibleName(), QStringLiteral("播放"));
    EXPECT_EQ(c.statusText(), QStringLiteral("已暂停"));
    const qint64 held = c.positionMs();
    QTest::qWait(250);
    EXPECT_NEAR(double(c.positionMs()), double(held), 20.0) << "a paused item does not advance";

    // Keys and clicks on the groove seek at once (a step is five seconds, clamped to the end).
    slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.positionMs() >= 2900; }, kWaitMs)) << c.positionMs();
    EXPECT_EQ(c.state(), State::Paused);

    c.seek(2000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.positionMs() >= 1900 && c.positionMs() < 2500; }, kWaitMs));
    QTest::qWait(250); // one poll of the position
    EXPECT_GE(slider->value(), 1900);
    EXPECT_EQ(slider->maximum(), int(c.durationMs()));
    QLabel* time = nullptr;
    for (auto* l : c.findChildren<QLabel*>())
        if (l->accessibleName() == QStringLiteral("播放时间"))
            time = l;
    ASSERT_TRUE(time);
    EXPECT_TRUE(time->text().startsWith(QStringLiteral("0:0"))) << time->text().toStdString();
    EXPECT_TRUE(time->text().endsWith(QStringLiteral(" / 0:03"))) << time->text().toStdString();

    playPause->click();
    ASSERT_TRUE(waitForState(c, State::Playing));
    stopButton->click();
    EXPECT_EQ(c.state(), State::Stopped);
    EXPECT_EQ(c.positionMs(), 0);
    EXPECT_EQ(c.statusText(), QStringLiteral("已停止"));
    EXPECT_FALSE(stopButton->isEnabled());
}

TEST_F(PlayerTest, DestroyingTheControlMidWayIsSafe)
{
    lanseek::test::LocalWebServer server;
    server.serve("/list.asx", asxOf({path("one.wav")}), "video/x-ms-asf");
    for (int round = 0; round < 3; ++round) {
        auto loading = std::make_unique<MediaPlayerControl>();
        loading->setSource(server.url("/list.asx"));
        loading->play();
        auto playing = std::make_unique<MediaPlayerControl>();
        playing->setSource(fileValue("one.wav"));
        playing->play();
        QTest::qWait(round * 60);
        loading.reset();
        playing.reset();
    }
    QTest::qWait(200); // results of abandoned loads arrive and are dropped
}

TEST_F(PlayerTest, AnAudioOutputThatCannotBeMadeIsReported)
{
    MediaPlayerControl c;
    Recorder rec(&c);
    c.setAudioSink(QStringLiteral("no-such-sink-element"));
    c.setSource(fileValue("one.wav"));
    c.play();
    c.stop();
    ASSERT_FALSE(rec.errors.isEmpty());
    EXPECT_EQ(rec.errors.first(), QStringLiteral("无法创建音频输出：no-such-sink-element"));

    // A bin description works as well as an element name.
    c.setAudioSink(QStringLiteral("audioconvert ! fakesink"));
    rec.errors.clear();
    QSignalSpy firstBuffer(&c, &MediaPlayerControl::firstBufferReached);
    c.play();
    EXPECT_TRUE(firstBuffer.wait(kWaitMs));
    EXPECT_TRUE(rec.errors.isEmpty()) << rec.errors.join(u'\n').toStdString();
    c.stop();
}

TEST_F(PlayerTest, TheTitleLineShowsTheItemsTitleOrElseItsAddress)
{
    ASSERT_TRUE(lanseek::test::writeFile(path("titled.wav"),
                                         lanseek::test::makeWav(kClipMs, 440, QStringLiteral("春江花月夜"))));
    ASSERT_TRUE(lanseek::test::writeFile(path("pair.asx"), asxOf({path("titled.wav"), path("two.wav")})));
    MediaPlayerControl c;
    Recorder rec(&c);
    c.setSource(fileValue("pair.asx"));
    EXPECT_EQ(c.titleText(), path("pair.asx"));
    c.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.titleText() == QStringLiteral("春江花月夜"); }, kWaitMs))
        << c.titleText().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.currentIndex() == 1; }, kWaitMs));
    EXPECT_EQ(c.titleText(), path("two.wav")) << "a title does not stick to the next item";
    c.stop();
}

TEST_F(PlayerTest, FurtherSourcesOfAnAsxEntryAreTriedOnlyWhenTheFirstFails)
{
    const QByteArray asx =
        "<asx version = \"3.0\">\r\n"
        "<entry>\r\n<ref href = \"gone.wav\"/>\r\n<ref href = \"one.wav\"/>\r\n</entry>\r\n"
        "<entry>\r\n<ref href = \"two.wav\"/>\r\n<ref href = \"one.wav\"/>\r\n</entry>\r\n"
        "</asx>\r\n";
    ASSERT_TRUE(lanseek::test::writeFile(path("fallback.asx"), asx));
    MediaPlayerControl c;
    Recorder rec(&c);
    c.setSource(fileValue("fallback.asx"));
    c.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rec.items.empty() && c.state() == State::Stopped; }, kWaitMs));
    EXPECT_EQ(rec.items, (std::vector<int>{0, 1, 2})) << "the second entry's fallback is not played";
    EXPECT_EQ(rec.errors.size(), 1);
    EXPECT_EQ(c.statusText(), QStringLiteral("已停止"));
}
