// Notes of ended downloads: one per reported file, worded by its outcome, naming the song as written, and
// never holding the window up when no notification service answers.

#include "app/desktop/desktop_fixture.h"

#include "app/download/download_controller.h"

#include <QDBusContext>
#include <QElapsedTimer>

#include <vector>

namespace lanseek::test {

// A notification service of the test's own that records every note; told to stay silent, it takes the
// calls and never answers them, as a hung service would.
class FakeNotificationServer : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    std::vector<QStringList> notes; // application, icon, summary, body
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

    // Reports a file and says how long that took.
    qint64 report(const QString& name, bool complete)
    {
        QElapsedTimer took;
        took.start();
        emit form->downloads().fileReported(name, complete);
        return took.elapsed();
    }

    QDBusConnection server{QString()};
    FakeNotificationServer notifications;
};

TEST_F(Notifications, OneNotePerFileWordedByItsOutcomeAndNothingWaitsForTheService)
{
    report(QStringLiteral("晴天"), true);
    report(QStringLiteral("<b>七里香</b> & 稻香"), false);
    ASSERT_TRUE(waitFor([&] { return notifications.notes.size() >= 2; }));
    QTest::qWait(300); // nothing more arrives
    ASSERT_EQ(notifications.notes.size(), 2u);
    EXPECT_EQ(notifications.notes[0], (QStringList{"聆澜", "lanseek", "下载已经完成", "晴天"}));
    // A name from a page is text, never markup of the note's own.
    EXPECT_EQ(notifications.notes[1],
              (QStringList{"聆澜", "lanseek", "下载不完整", "&lt;b&gt;七里香&lt;/b&gt; &amp; 稻香"}));

    // A hung service, and then none at all, cost a report nothing; the window goes on answering meanwhile.
    notifications.silent = true;
    EXPECT_LT(report(QStringLiteral("晴天"), true), 1000);
    ASSERT_TRUE(waitFor([&] { return notifications.notes.size() == 3; }));
    EXPECT_EQ(playerProperty(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Stopped"));
    server.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    EXPECT_LT(report(QStringLiteral("稻香"), false), 1000);
    QTest::qWait(300);
    EXPECT_EQ(notifications.notes.size(), 3u);
}

} // namespace lanseek::test

#include "notification_test.moc"
