// The window's player on the session bus: what the desktop reads of it, every command it sends, and the
// changes it hears of whoever made them.

#include "app/desktop/desktop_fixture.h"

#include "app/playback/playback_controller.h"
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
        for (const QVariantMap& change : changes)
            if (change.contains(name) && change.value(name) == value)
                return true;
        return false;
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

    platform::MediaPlayerControl* shownPlayer() const
    {
        const auto hosted = form->WebBrowser3->hostedObjects();
        return hosted.size() == 1 ? qobject_cast<platform::MediaPlayerControl*>(hosted[0]) : nullptr;
    }

    BusListener listener;
};

TEST_F(MprisForm, NamesThePlayerAndBringsTheWindowBackFromTheTrayOrClosesIt)
{
    EXPECT_EQ(property(kRootInterface, QStringLiteral("Identity")).toString(), QStringLiteral("聆澜"));
    EXPECT_EQ(property(kRootInterface, QStringLiteral("DesktopEntry")).toString(),
              QStringLiteral("org.lanseek.lanseek"));
    EXPECT_TRUE(property(kRootInterface, QStringLiteral("CanRaise")).toBool());
    EXPECT_FALSE(property(kRootInterface, QStringLiteral("HasTrackList")).toBool());
    EXPECT_EQ(playerProperty(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Stopped"));
    EXPECT_FALSE(playerProperty(QStringLiteral("CanPlay")).toBool())
        << "an empty play list has nothing to play";

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
    ASSERT_TRUE(waitFor([&] {
        return listener.heard(QStringLiteral("PlaybackStatus"), QStringLiteral("Playing"));
    })) << status().toStdString();
    ASSERT_TRUE(waitFor([&] { return playingTitle() == QStringLiteral("歌1"); }))
        << playingTitle().toStdString();
    const QVariantMap metadata = asMap(playerProperty(QStringLiteral("Metadata")));
    EXPECT_EQ(metadata.value("mpris:trackid").value<QDBusObjectPath>(), app::mpris::trackId(0));
    EXPECT_TRUE(metadata.value("xesam:url").toString().endsWith(QStringLiteral("song1.wav")));
    EXPECT_TRUE(playerProperty(QStringLiteral("CanGoNext")).toBool());
    EXPECT_FALSE(playerProperty(QStringLiteral("CanGoPrevious")).toBool());

    call(kPlayerInterface, QStringLiteral("PlayPause"));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Paused")));
    call(kPlayerInterface, QStringLiteral("Play"));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Playing")));

    // Seeking needs the length, which a playing local file soon has.
    ASSERT_TRUE(waitFor([&] { return playerProperty(QStringLiteral("CanSeek")).toBool(); }));
    const qlonglong length =
        asMap(playerProperty(QStringLiteral("Metadata"))).value("mpris:length").toLongLong();
    EXPECT_GT(length, 3'000'000);
    call(kPlayerInterface, QStringLiteral("SetPosition"),
         {QVariant::fromValue(app::mpris::trackId(0)), qlonglong(2'500'000)});
    EXPECT_TRUE(
        waitFor([&] { return playerProperty(QStringLiteral("Position")).toLongLong() >= 2'400'000; }));
    ASSERT_EQ(listener.seeks.size(), 1u);
    EXPECT_EQ(listener.seeks[0], 2'500'000);
    // A position for another track is stale and changes nothing.
    call(kPlayerInterface, QStringLiteral("SetPosition"),
         {QVariant::fromValue(app::mpris::trackId(2)), qlonglong(0)});
    call(kPlayerInterface, QStringLiteral("Seek"), {qlonglong(-2'000'000)});
    EXPECT_TRUE(waitFor([&] { return playerProperty(QStringLiteral("Position")).toLongLong() < 1'500'000; }));
    EXPECT_EQ(listener.seeks.size(), 2u);
    // The player's own slider seeks the same way, and the desktop hears of it as of its own seeks.
    ASSERT_NE(shownPlayer(), nullptr);
    shownPlayer()->seek(3000);
    EXPECT_TRUE(waitFor([&] { return listener.seeks.size() == 3; }));
    EXPECT_EQ(listener.seeks.back(), 3'000'000);

    // Volume: written through the bus, it reaches the player and comes back as a change.
    QDBusMessage set = QDBusMessage::createMethodCall(app::mpris::kServiceName, app::mpris::kObjectPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Set"));
    set.setArguments({kPlayerInterface, QStringLiteral("Volume"), QVariant::fromValue(QDBusVariant(0.25))});
    EXPECT_EQ(remote.call(set, QDBus::BlockWithGui).type(), QDBusMessage::ReplyMessage);
    EXPECT_DOUBLE_EQ(playerProperty(QStringLiteral("Volume")).toDouble(), 0.25);
    EXPECT_TRUE(waitFor([&] { return listener.heard(QStringLiteral("Volume"), 0.25); }));

    // Next and previous go through the play list, and the new page's player keeps the volume.
    call(kPlayerInterface, QStringLiteral("Next"));
    EXPECT_TRUE(waitFor([&] { return playingTitle() == QStringLiteral("歌2"); }))
        << playingTitle().toStdString();
    EXPECT_TRUE(statusBecomes(QStringLiteral("Playing")));
    EXPECT_TRUE(playerProperty(QStringLiteral("CanGoPrevious")).toBool());
    EXPECT_EQ(form->playListView->selectedRowIndexes(), std::vector<int>{1});
    ASSERT_NE(shownPlayer(), nullptr);
    EXPECT_DOUBLE_EQ(shownPlayer()->pipeline().volume(), 0.25);
    call(kPlayerInterface, QStringLiteral("Next"));
    EXPECT_TRUE(waitFor([&] { return playingTitle() == QStringLiteral("歌3"); }));
    EXPECT_TRUE(waitFor([&] { return !playerProperty(QStringLiteral("CanGoNext")).toBool(); }));
    call(kPlayerInterface, QStringLiteral("Next")); // past the last row: nothing to move to
    call(kPlayerInterface, QStringLiteral("Previous"));
    EXPECT_TRUE(waitFor([&] { return playingTitle() == QStringLiteral("歌2"); }))
        << playingTitle().toStdString();

    call(kPlayerInterface, QStringLiteral("Stop"));
    EXPECT_TRUE(statusBecomes(QStringLiteral("Stopped")));
    EXPECT_TRUE(
        waitFor([&] { return listener.heard(QStringLiteral("PlaybackStatus"), QStringLiteral("Stopped")); }));
}

TEST_F(MprisForm, PlayerctlReadsAndDrivesTheRunningProgram)
{
    const QString playerctl = QStandardPaths::findExecutable(QStringLiteral("playerctl"));
    if (playerctl.isEmpty())
        GTEST_SKIP() << "playerctl is not installed";
    const auto ctl = [&](const QStringList& args) {
        QProcess remoteControl;
        remoteControl.setProcessEnvironment(bus.childEnvironment());
        QSignalSpy ended(&remoteControl, &QProcess::finished);
        remoteControl.start(playerctl, QStringList{QStringLiteral("-p"), QStringLiteral("lanseek")} + args);
        if (!ended.wait(10000))
            return QStringLiteral("<no answer>");
        return QString::fromUtf8(remoteControl.readAllStandardOutput()).trimmed();
    };
    playSongs(3);
    ASSERT_TRUE(waitFor(
        [&] { return playingTitle() == QStringLiteral("歌1") && status() == QStringLiteral("Playing"); }));
    EXPECT_EQ(ctl({QStringLiteral("status")}), QStringLiteral("Playing"));
    EXPECT_EQ(ctl({QStringLiteral("metadata"), QStringLiteral("title")}), QStringLiteral("歌1"));
    ctl({QStringLiteral("pause")});
    EXPECT_TRUE(statusBecomes(QStringLiteral("Paused")));
    EXPECT_EQ(ctl({QStringLiteral("status")}), QStringLiteral("Paused"));
    ctl({QStringLiteral("play")});
    EXPECT_TRUE(statusBecomes(QStringLiteral("Playing")));
    ctl({QStringLiteral("next")});
    EXPECT_TRUE(waitFor([&] { return playingTitle() == QStringLiteral("歌2"); }));
    EXPECT_EQ(ctl({QStringLiteral("metadata"), QStringLiteral("title")}), QStringLiteral("歌2"));
    ctl({QStringLiteral("previous")});
    EXPECT_TRUE(waitFor([&] { return playingTitle() == QStringLiteral("歌1"); }));
}

} // namespace lanseek::test

#include "mpris_test.moc"
