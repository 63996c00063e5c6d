#pragma once

// The main window on a session bus of the test's own, put on the desktop as the program puts it, with a
// second connection that plays the desktop's part: media widgets, remotes, a later start.

#include "app/desktop/desktop_session.h"
#include "app/desktop/mpris_values.h"
#include "app/desktop_wiring.h"
#include "platform/media/test_media.h"
#include "support/form_fixture.h"
#include "support/private_session_bus.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QTest>
#include <QUrl>

#include <memory>

namespace lanseek::test {

class DesktopForm : public FormTest
{
protected:
    void SetUp() override
    {
        if (!bus.isUp())
            GTEST_SKIP() << "no private session bus: " << bus.whyNot().toStdString();
        FormTest::SetUp();
        program = bus.connect(QStringLiteral("program"));
        remote = bus.connect(QStringLiteral("remote"));
        ASSERT_TRUE(program.isConnected() && remote.isConnected());
    }

    void TearDown() override
    {
        desktop.reset(); // what the desktop holds of the window goes first, as in the program
        FormTest::TearDown();
    }

    void attach() { desktop = attachToDesktop(*form, program); }

    // Songs of four seconds as selected result rows ("歌1", ...), then "在线播放".
    void playSongs(int count)
    {
        form->show();
        for (int i = 1; i <= count; ++i) {
            const QString n = QString::number(i), path = folder.filePath(QStringLiteral("song%1.wav").arg(n));
            writeFile(path, makeWav(4000));
            form->ListView1->appendRow({n,
                                        1,
                                        {QStringLiteral("歌") + n, QUrl::fromLocalFile(path).toString(),
                                         QStringLiteral("64K"), QStringLiteral("mp3")}});
            form->ListView1->setRowSelected(i - 1, true);
        }
        form->SeSkinButton4->click();
    }

    // The window answers on this thread, so a call waits with the event loop running.
    QDBusMessage call(const QString& interface, const QString& method, const QVariantList& args = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(app::mpris::kServiceName,
                                                              app::mpris::kObjectPath, interface, method);
        message.setArguments(args);
        return remote.call(message, QDBus::BlockWithGui, 5000);
    }
    QVariant property(const QString& interface, const QString& name)
    {
        const QDBusMessage reply =
            call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), {interface, name});
        return reply.arguments().isEmpty() ? QVariant()
                                           : reply.arguments()[0].value<QDBusVariant>().variant();
    }
    QVariant playerProperty(const QString& name) { return property(app::mpris::kPlayerInterface, name); }
    QVariantMap metadata() { return qdbus_cast<QVariantMap>(playerProperty(QStringLiteral("Metadata"))); }
    QString playingTitle() { return metadata().value(QStringLiteral("xesam:title")).toString(); }

    template <typename Pred> static bool waitFor(Pred done, int ms = 10000)
    {
        return QTest::qWaitFor(done, ms);
    }

    PrivateSessionBus bus;
    QDBusConnection program{QString()};
    QDBusConnection remote{QString()};
    std::unique_ptr<app::DesktopSession> desktop;
};

} // namespace lanseek::test
