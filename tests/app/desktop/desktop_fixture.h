#pragma once

// The main window on a session bus of the test's own, put on the desktop as the program puts it, with a
// second connection that plays the desktop's part: media widgets, remotes, a later start.

#include "app/desktop/desktop_session.h"
#include "app/desktop/mpris_values.h"
#include "app/desktop_wiring.h"
#include "platform/model/song_entry.h"
#include "support/form_fixture.h"
#include "support/private_session_bus.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFile>
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
        // What the desktop holds of the window goes first, as in the program.
        desktop.reset();
        FormTest::TearDown();
    }

    void attach() { desktop = attachToDesktop(*form, program); }

    // Silent songs of a few seconds, long enough to be paused, resumed and moved through, as rows of the
    // result list, all selected; then "在线播放".
    void playSongs(int count)
    {
        form->show();
        form->ListView1->Clear();
        for (int i = 1; i <= count; ++i) {
            const QString n = QString::number(i);
            const QString path = folder.filePath(QStringLiteral("song%1.wav").arg(n));
            writeSilentWav(path, 4000);
            form->ListView1->appendRow({n,
                                        1,
                                        {QStringLiteral("歌") + n, QUrl::fromLocalFile(path).toString(),
                                         QStringLiteral("64K"), QStringLiteral("mp3")}});
            form->ListView1->setRowSelected(i - 1, true);
        }
        form->SeSkinButton4->click();
    }

    static void writeSilentWav(const QString& path, int ms)
    {
        const quint32 samples = 8000u * quint32(ms) / 1000u;
        QByteArray bytes;
        const auto put = [&bytes](quint32 value, int size) {
            for (int i = 0; i < size; ++i)
                bytes.append(char((value >> (8 * i)) & 0xFF));
        };
        bytes.append("RIFF");
        put(36 + samples * 2, 4);
        bytes.append("WAVEfmt ");
        put(16, 4);
        put(1, 2);
        put(1, 2);
        put(8000, 4);
        put(16000, 4);
        put(2, 2);
        put(16, 2);
        bytes.append("data");
        put(samples * 2, 4);
        bytes.append(QByteArray(qsizetype(samples * 2), '\0'));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
    }

    // A call from the desktop's side. The window answers on this thread, so the call waits with the
    // event loop running.
    QDBusMessage call(const QString& interface, const QString& method, const QVariantList& args = {},
                      const QString& service = app::mpris::kServiceName,
                      const QString& path = app::mpris::kObjectPath)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(args);
        return remote.call(message, QDBus::BlockWithGui, 5000);
    }

    QVariant property(const QString& interface, const QString& name)
    {
        const QDBusMessage reply =
            call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"), {interface, name});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return QStringLiteral("<error: %1>").arg(reply.errorMessage());
        return reply.arguments().first().value<QDBusVariant>().variant();
    }
    QVariant playerProperty(const QString& name) { return property(app::mpris::kPlayerInterface, name); }

    static QVariantMap asMap(const QVariant& value)
    {
        if (value.canConvert<QDBusArgument>())
            return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
        return value.toMap();
    }
    QString playingTitle()
    {
        return asMap(playerProperty(QStringLiteral("Metadata"))).value("xesam:title").toString();
    }

    // Runs the event loop until `done` holds or `ms` pass.
    template <typename Pred> static bool waitFor(Pred done, int ms = 10000)
    {
        QDeadlineTimer deadline(ms);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    PrivateSessionBus bus;
    QDBusConnection program{QString()};
    QDBusConnection remote{QString()};
    std::unique_ptr<app::DesktopSession> desktop;
};

} // namespace lanseek::test
