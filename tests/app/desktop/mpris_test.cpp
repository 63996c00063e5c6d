// The window's player on the session bus: what the desktop reads of it, every command it sends, and the
// changes it hears of, whoever made them; and the same through the desktop's own command-line remote.

#include "app/desktop/desktop_fixture.h"

#include "platform/media/media_player_control.h"
#include "platform/web/web_browser.h"
#include "skin/forms/se_skin_form.h"

#include <QDBusObjectPath>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>

#include <vector>

namespace lanseek::test {

using app::mpris::kPlayerInterface;
using app::mpris::kRootInterface;

// Keeps what the player says on the bus.
class BusListener : public QObject
{
    Q_OBJECT
public:
    std::vector<QVariantMap> changes;
    std::vector<qlonglong> seeks;
    bool heard(const QString& name, const QVariant& value) const
    {
        return std::any_of(changes.begin(), changes.end(),
                           [&](const QVariantMap& c) { return c.value(name) == value; });
    }

public slots:
    void propertiesChanged(const QString& interface, const QVariantMap& changed, const QStringList&)
    {
        if (interface == app::mpris::kPlayerInterface)
            changes.push_back(changed);
    }
    void seeked(qlonglong position) { seeks.push_back(position); }
};

class MprisForm : public DesktopForm
{
protected:
    void SetUp() override
    {
        DesktopForm::SetUp();
        if (IsSkipped())
            return;
        attach();
        ASSERT_TRUE(desktop->mediaControlsOn());
        remote.connect(QString(), app::mpris::kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                       QStringLiteral("PropertiesChanged"), &listener,
                       SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
        remote.connect(QString(), app::mpris::kObjectPath, kPlayerInterface, QStringLiteral("Seeked"),
                       &listener, SLOT(seeked(qlonglong)));
    }

    QString status() { return playerProperty(QStringLiteral("PlaybackStatus")).toString(); }
    bool statusBecomes(const QString& word)
    {
        return waitFor([&] { return status() == word; });
    }
    bool titleBecomes(const QString& title)
    {
        return waitFor([&] { return playingTitle() == title; });
    }
    bool can(const char* what) { return playerProperty(QLatin1String("Can") + QLatin1String(what)).toBool(); }
    qlonglong position() { return playerProperty(QStringLiteral("Position")).toLongLong(); }
    platform::MediaPlayerControl* shownPlayer() const
    {
        const auto hosted = form->WebBrowser3->hostedObjects();
        return hosted.size() == 1 ? qobject_cast<platform::MediaPlayerControl*>(hosted[0]) : nullptr;
    }

    BusListener listener;
};

TEST_F(MprisForm, NamesThePlayerAndBringsTheWindowBackOrClosesIt)
{
    EXPECT_EQ(property(kRootInterface, QStringLiteral("Identity")).toString(), QStringLiteral("聆澜"));
    EXPECT_EQ(property(kRootInterface, QStringLiteral("DesktopEntry")).toString(),
              QStringLiteral("org.lanseek.lanseek"));
    EXPECT_TRUE(property(kRootInterface, QStringLiteral("CanRaise")).toBool());
    EXPECT_FALSE(property(kRootInterface, QStringLiteral("HasTrackList")).toBool());
    EXPECT_EQ(status(), QStringLiteral("Stopped"));
    EXPECT_FALSE(can("Play")) << "an empty play list has nothing to play";

    form->show();
    form->CustomItem4Click(); // to the tray, or minimized where the desktop has no tray
    ASSERT_NE(form->SeSkinForm1->WindowState(), kwsNormal);
    EXPECT_EQ(call(kRootInterface, QStringLiteral("Raise")).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(waitFor([&] { return form->SeSkinForm1->WindowState() == kwsNormal; }));
    EXPECT_TRUE(form->window()->isVisible());
    // Quitting asks what the close button asks: with nothing downloading the program ends.
    EXPECT_EQ(call(kRootInterface, QStringLiteral("Quit")).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(waitFor([&] { return !dialogs.exits.empty(); }));
}

TEST_F(MprisForm, PlayOnlineIsHeardAndEveryCommandReachesThePlayer)
{
    playSongs(3);
    // The user's click, not a bus call, started it; the bus hears of it all the same.
    ASSERT_TRUE(
        waitFor([&] { return listener.heard(QStringLiteral("PlaybackStatus"), QStringLiteral("Playing")); }));
    ASSERT_TRUE(titleBecomes(QStringLiteral("歌1"))) << playingTitle().toStdString();
    EXPECT_EQ(metadata().value("mpris:trackid").value<QDBusObjectPath>(), app::mpris::trackId(0));
    EXPECT_TRUE(metadata().value("xesam:url").toString().endsWith(QStringLiteral("song1.wav")));
    EXPECT_TRUE(can("GoNext"));
    EXPECT_FALSE(can("GoPrevious"));

    // Seeking needs the length, which a local file has once it plays.
    ASSERT_TRUE(waitFor([&] { return can("Seek"); })) << shownPlayer()->statusText().toStdString();
    call(kPlayerInterface, QStringLiteral("PlayPause"));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Paused")));
    call(kPlayerInterface, QStringLiteral("PlayPause"));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Playing")));

    EXPECT_GT(metadata().value("mpris:length").toLongLong(), 3'000'000);
    call(kPlayerInterface, QStringLiteral("SetPosition"),
         {QVariant::fromValue(app::mpris::trackId(0)), qlonglong(2'500'000)});
    EXPECT_TRUE(waitFor([&] { return position() >= 2'400'000; }));
    // A position for another track is stale and changes nothing; a relative seek goes back.
    call(kPlayerInterface, QStringLiteral("SetPosition"),
         {QVariant::fromValue(app::mpris::trackId(2)), qlonglong(0)});
    call(kPlayerInterface, QStringLiteral("Seek"), {qlonglong(-2'000'000)});
    EXPECT_TRUE(waitFor([&] { return position() < 1'500'000; }));
    // The player's own slider seeks the same way, and the desktop hears of it as of its own seeks.
    ASSERT_NE(shownPlayer(), nullptr);
    shownPlayer()->seek(3000);
    EXPECT_TRUE(waitFor([&] { return listener.seeks.size() >= 3; }));
    ASSERT_EQ(listener.seeks.size(), 3u);
    EXPECT_EQ(listener.seeks[0], 2'500'000);
    EXPECT_NEAR(double(listener.seeks[1]), 500'000, 200'000) << "two seconds back from where it played";
    EXPECT_EQ(listener.seeks[2], 3'000'000);

    QDBusMessage set = QDBusMessage::createMethodCall(app::mpris::kServiceName, app::mpris::kObjectPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Set"));
    set.setArguments({kPlayerInterface, QStringLiteral("Volume"), QVariant::fromValue(QDBusVariant(0.25))});
    EXPECT_EQ(remote.call(set, QDBus::BlockWithGui).type(), QDBusMessage::ReplyMessage);
    EXPECT_TRUE(waitFor([&] { return listener.heard(QStringLiteral("Volume"), 0.25); }));

    // Next and previous go through the play list; the new page's player keeps the volume.
    call(kPlayerInterface, QStringLiteral("Next"));
    EXPECT_TRUE(titleBecomes(QStringLiteral("歌2"))) << playingTitle().toStdString();
    EXPECT_TRUE(can("GoPrevious"));
    EXPECT_EQ(form->playListView->selectedRowIndexes(), std::vector<int>{1});
    ASSERT_NE(shownPlayer(), nullptr);
    EXPECT_DOUBLE_EQ(shownPlayer()->pipeline().volume(), 0.25);
    call(kPlayerInterface, QStringLiteral("Next"));
    EXPECT_TRUE(titleBecomes(QStringLiteral("歌3")));
    EXPECT_TRUE(waitFor([&] { return !can("GoNext"); }));
    call(kPlayerInterface, QStringLiteral("Next")); // past the last row: nothing to move to
    call(kPlayerInterface, QStringLiteral("Previous"));
    EXPECT_TRUE(titleBecomes(QStringLiteral("歌2"))) << playingTitle().toStdString();

    call(kPlayerInterface, QStringLiteral("Stop"));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Stopped")));
    call(kPlayerInterface, QStringLiteral("Play"));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Playing")));
    call(kPlayerInterface, QStringLiteral("Pause"));
    EXPECT_TRUE(
        waitFor([&] { return listener.heard(QStringLiteral("PlaybackStatus"), QStringLiteral("Paused")); }));
}

TEST_F(MprisForm, PlayerctlReadsAndDrivesTheRunningProgram)
{
    const QString playerctl = QStandardPaths::findExecutable(QStringLiteral("playerctl"));
    if (playerctl.isEmpty())
        GTEST_SKIP() << "playerctl is not installed";
    const auto ctl = [&](const QString& args) {
        QProcess remoteControl;
        remoteControl.setProcessEnvironment(bus.childEnvironment());
        QSignalSpy ended(&remoteControl, &QProcess::finished);
        remoteControl.start(playerctl,
                            QStringList{QStringLiteral("-p"), QStringLiteral("lanseek")} + args.split(' '));
        return ended.wait(10000) ? QString::fromUtf8(remoteControl.readAllStandardOutput()).trimmed()
                                 : "<none>";
    };
    playSongs(3);
    ASSERT_TRUE(waitFor(
        [&] { return playingTitle() == QStringLiteral("歌1") && status() == QStringLiteral("Playing"); }));
    EXPECT_EQ(ctl(QStringLiteral("status")), QStringLiteral("Playing"));
    EXPECT_EQ(ctl(QStringLiteral("metadata title")), QStringLiteral("歌1"));
    ctl(QStringLiteral("pause"));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Paused")));
    ctl(QStringLiteral("play"));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Playing")));
    ctl(QStringLiteral("next"));
    EXPECT_TRUE(titleBecomes(QStringLiteral("歌2")));
    EXPECT_EQ(ctl(QStringLiteral("metadata title")), QStringLiteral("歌2"));
    ctl(QStringLiteral("previous"));
    EXPECT_TRUE(titleBecomes(QStringLiteral("歌1")));
}

} // namespace lanseek::test

#include "mpris_test.moc"
