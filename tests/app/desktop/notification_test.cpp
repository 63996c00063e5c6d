// Notes of ended downloads: one per reported file, worded by its outcome, naming the song as written, and
// never holding the window up when no notification service answers.

#include "app/desktop/desktop_fixture.h"

#include "app/download/download_controller.h"

#include <QDBusContext>
#include <QElapsedTimer>

#include <vector>

namespace lanseek::test {

// A notification service of the test's own. It records every note; told to stay silent, it takes the
// calls and never answers them, as a hung service would.
class FakeNotificationServer : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Note
    {
        QString app, icon, summary, body;
    };
    std::vector<Note> notes;
    bool silent = false;

public slots:
    uint Notify(const QString& app, uint, const QString& icon, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int)
    {
        notes.push_back({app, icon, summary, body});
        if (silent)
            setDelayedReply(true);
        return uint(notes.size());
    }
};

class Notifications : public DesktopForm
{
protected:
    void SetUp() override
    {
        DesktopForm::SetUp();
        if (IsSkipped())
            return;
        attach();
        server = bus.connect(QStringLiteral("notification-server"));
        ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications,
                                          QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.Notifications")));
    }

    void report(const QString& name, bool complete) { emit form->downloads().fileReported(name, complete); }

    QDBusConnection server{QString()};
    FakeNotificationServer notifications;
};

TEST_F(Notifications, EachReportedFileGivesOneNoteWordedByItsOutcome)
{
    report(QStringLiteral("晴天"), true);
    report(QStringLiteral("<b>七里香</b> & 稻香"), false);
    ASSERT_TRUE(waitFor([&] { return notifications.notes.size() >= 2; }));
    waitFor([] { return false; }, 300); // nothing more arrives
    ASSERT_EQ(notifications.notes.size(), 2u);
    EXPECT_EQ(notifications.notes[0].summary, QStringLiteral("下载已经完成"));
    EXPECT_EQ(notifications.notes[0].body, QStringLiteral("晴天"));
    EXPECT_EQ(notifications.notes[0].icon, QStringLiteral("lanseek"));
    EXPECT_EQ(notifications.notes[0].app, QStringLiteral("聆澜"));
    EXPECT_EQ(notifications.notes[1].summary, QStringLiteral("下载不完整"));
    // A name from a page is text, never markup of the note's own.
    EXPECT_EQ(notifications.notes[1].body, QStringLiteral("&lt;b&gt;七里香&lt;/b&gt; &amp; 稻香"));
}

TEST_F(Notifications, AServiceThatNeverAnswersHoldsNothingUp)
{
    notifications.silent = true;
    QElapsedTimer took;
    took.start();
    report(QStringLiteral("晴天"), true);
    EXPECT_LT(took.elapsed(), 1000);
    ASSERT_TRUE(waitFor([&] { return notifications.notes.size() == 1; }));
    // The window goes on answering the desktop meanwhile.
    EXPECT_EQ(playerProperty(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Stopped"));

    // And with no service on the bus at all, a report still costs nothing.
    server.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    took.restart();
    report(QStringLiteral("稻香"), false);
    EXPECT_LT(took.elapsed(), 1000);
    waitFor([] { return false; }, 300);
    EXPECT_EQ(notifications.notes.size(), 1u);
}

} // namespace lanseek::test

#include "notification_test.moc"
