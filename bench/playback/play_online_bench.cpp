// How long "在线播放" takes to make sound: from the play-online click on a main window (offscreen, one
// selected song) to the first audio buffer at the player's sink. The click writes the list and the page,
// the player view loads and lays out the page, the page's player object becomes our player control, which
// reads the list, fetches the song from the bundled service and starts playing it.
//
// The first play of a process is timed in processes of its own, started by this one: "after start-up"
// warms the engine up as the program does once its window has painted, and clicks when that is done
// (a user takes longer to pick a song); "engine cold" clicks with nothing warmed up, as the program did
// before it had a warm-up.
//
// Reference: gst-launch-1.0 playing the same address with playbin into a fake sink, timed from process
// start to its first buffer. A trivial pipeline is timed the same way; the difference between the two
// is the reference's own time to the first buffer without starting a process and the engine.

#include "app/application.h"
#include "app/mp3.h"
#include "platform/media/media_engine.h"
#include "platform/media/media_player_control.h"
#include "platform/web/web_browser.h"
#include "playback/player/player_object.h"
#include "service/search_service.h"
#include "support/bench_stats.h"
#include "support/scripted_dialogs.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <curl/curl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

using lanseek::bench::median;

using lanseek::platform::MediaPlayerControl;

namespace {

constexpr int kRuns = 7;

void report(const char* label, const std::vector<double>& values)
{
    if (values.empty()) {
        std::printf("%-58s no result\n", label);
        return;
    }
    std::printf("%-58s median %7.1f ms (min %.1f, max %.1f, n=%zu)\n", label, median(values),
                *std::min_element(values.begin(), values.end()),
                *std::max_element(values.begin(), values.end()), values.size());
}

// A two-second 440 Hz tone as a 16-bit mono WAV, for when no catalogue is around.
bool writeTone(const QString& path)
{
    constexpr quint32 kRate = 22050;
    constexpr quint32 kSamples = kRate * 2;
    QByteArray bytes;
    auto put = [&bytes](quint32 value, int size) {
        for (int i = 0; i < size; ++i)
            bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    bytes.append("RIFF");
    put(36 + kSamples * 2, 4);
    bytes.append("WAVEfmt ");
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(kRate, 4);
    put(kRate * 2, 4);
    put(2, 2);
    put(16, 2);
    bytes.append("data");
    put(kSamples * 2, 4);
    for (quint32 i = 0; i < kSamples; ++i)
        put(static_cast<quint16>(static_cast<qint16>(6000 * std::sin(2 * M_PI * 440.0 * i / kRate))), 2);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The first MP3 of the catalogue, served by the bundled service, as the search would list it.
struct Song
{
    QString address;
    QString type;
    QString origin;
};

std::optional<Song> catalogueSong(lanseek::service::SearchService*& service)
{
    const std::filesystem::path dir = lanseek::service::bundledCatalogueDir();
    if (dir.empty())
        return std::nullopt;
    const QString root = QString::fromStdString(dir.string());
    QDirIterator it(root, {QStringLiteral("*.mp3")}, QDir::Files, QDirIterator::Subdirectories);
    if (!it.hasNext())
        return std::nullopt;
    const QString relative = QDir(root).relativeFilePath(it.next());
    lanseek::service::ServiceOptions options;
    options.library = dir;
    service = new lanseek::service::SearchService(options);
    if (!service->start())
        return std::nullopt;
    return Song{QString::fromStdString(service->baseUrl()) + QStringLiteral("/music/") +
                    QString::fromLatin1(QUrl::toPercentEncoding(relative, "/")),
                QStringLiteral("mp3"), QStringLiteral("catalogue MP3 over the bundled service: ") + relative};
}

// Clicks "在线播放" and waits for the first buffer of the player the page brings up.
std::optional<double> playOnline(TForm1& form)
{
    MediaPlayerControl* player = nullptr;
    QElapsedTimer timer;
    QEventLoop loop;
    std::optional<double> result;
    // The same factory the window uses, watched so the first buffer of the new player is seen.
    form.WebBrowser3->setObjectFactory([&](const lanseek::platform::HtmlNode& object, QWidget* parent) {
        QWidget* widget = lanseek::playback::createPlayerObject(object, parent);
        player = qobject_cast<MediaPlayerControl*>(widget);
        if (player) {
            QObject::connect(player, &MediaPlayerControl::firstBufferReached, &loop, [&] {
                result = static_cast<double>(timer.nsecsElapsed()) / 1e6;
                loop.quit();
            });
            QObject::connect(player, &MediaPlayerControl::errorOccurred, &loop, [&](const QString& message) {
                std::printf("  player error: %s\n", qPrintable(message));
                loop.quit();
            });
        }
        return widget;
    });
    QTimer::singleShot(15000, &loop, &QEventLoop::quit);
    timer.start();
    form.SeSkinButton4Click();
    loop.exec();
    if (player)
        player->stop();
    return result;
}

// Runs this program once in the given first-play mode and reads the figure it prints.
std::optional<double> firstPlayInOwnProcess(const char* mode)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--first-play"), QString::fromLatin1(mode)});
    if (!child.waitForFinished(60000))
        return std::nullopt;
    const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith("first-play ")) {
            bool ok = false;
            const double ms = line.mid(11).trimmed().toDouble(&ok);
            if (ok)
                return ms;
        }
    }
    return std::nullopt;
}

std::optional<double> gstLaunch(const QString& launcher, const QStringList& args)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(launcher, args);
    if (!process.waitForStarted(5000))
        return std::nullopt;
    QByteArray output;
    std::optional<double> result;
    while (!result) {
        const bool running = process.state() != QProcess::NotRunning;
        if (running)
            process.waitForReadyRead(20);
        output += process.readAllStandardOutput();
        if (output.contains("last-message = chain"))
            result = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        else if (!running)
            break;
    }
    process.kill();
    process.waitForFinished(5000);
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    qputenv("LANSEEK_AUDIO_SINK", "fakesink");
    curl_global_init(CURL_GLOBAL_DEFAULT);
    LanseekApplication app(argc, argv);

    QTemporaryDir folder;
    lanseek::service::SearchService* service = nullptr;
    std::optional<Song> song = catalogueSong(service);
    if (!song) {
        const QString tone = folder.filePath(QStringLiteral("tone.wav"));
        if (!writeTone(tone)) {
            std::printf("skipped: no song to play\n");
            return 0;
        }
        song = Song{QUrl::fromLocalFile(tone).toString(), QStringLiteral("wav"),
                    QStringLiteral("generated 2 s WAV file")};
    }
    const QStringList args = QCoreApplication::arguments();
    const qsizetype modeAt = args.indexOf(QStringLiteral("--first-play"));
    if (modeAt >= 0) {
        // One first play in this process; the parent collects the figure.
        const bool warm = args.value(modeAt + 1) == QStringLiteral("warm");
        std::unique_ptr<lanseek::platform::MediaEngineWarmUp> warmUp;
        lanseek::test::ScriptedDialogs dialogs;
        TForm1Options options;
        options.dialogs = &dialogs;
        options.programFolder = folder.path();
        options.screenSize = QSize(1024, 768);
        TForm1 form(options);
        form.show();
        if (warm) {
            warmUp = std::make_unique<lanseek::platform::MediaEngineWarmUp>();
            warmUp->wait();
        }
        form.ListView1->appendRow(
            {QStringLiteral("1"), 0, {QStringLiteral("bench"), song->address, QString(), song->type}});
        form.ListView1->setRowSelected(0, true);
        if (const std::optional<double> ms = playOnline(form))
            std::printf("first-play %.3f\n", *ms);
        std::fflush(stdout);
        delete service;
        std::_Exit(0);
    }
    std::printf("play online to the first audio buffer (fakesink), %s\n\n", qPrintable(song->origin));
    std::vector<double> firstWarm;
    std::vector<double> firstCold;
    for (int run = 0; run < kRuns; ++run) {
        if (auto ms = firstPlayInOwnProcess("warm"))
            firstWarm.push_back(*ms);
        if (auto ms = firstPlayInOwnProcess("cold"))
            firstCold.push_back(*ms);
    }
    report("在线播放, first play after start-up (engine warmed up)", firstWarm);
    report("在线播放, first play, engine cold", firstCold);

    lanseek::test::ScriptedDialogs dialogs;
    {
        TForm1Options options;
        options.dialogs = &dialogs;
        options.programFolder = folder.path();
        options.screenSize = QSize(1024, 768);
        TForm1 form(options);
        form.show();
        form.ListView1->appendRow(
            {QStringLiteral("1"), 0, {QStringLiteral("bench"), song->address, QString(), song->type}});
        form.ListView1->setRowSelected(0, true);

        std::vector<double> first;
        std::vector<double> later;
        for (int run = 0; run <= kRuns; ++run) {
            const std::optional<double> ms = playOnline(form);
            if (!ms)
                continue;
            (run == 0 ? first : later).push_back(*ms);
        }
        report("在线播放, first play in this process (engine cold)", first);
        report("在线播放, later plays", later);

        const QString launcher = QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0"));
        if (launcher.isEmpty()) {
            std::printf("\nreference skipped: gst-launch-1.0 not found\n");
        } else {
            std::vector<double> reference;
            std::vector<double> trivial;
            for (int run = 0; run < kRuns; ++run) {
                if (auto ms = gstLaunch(launcher, {QStringLiteral("-v"), QStringLiteral("playbin"),
                                                   QStringLiteral("uri=") + song->address,
                                                   QStringLiteral("audio-sink=fakesink silent=false")}))
                    reference.push_back(*ms);
                if (auto ms =
                        gstLaunch(launcher, {QStringLiteral("-v"), QStringLiteral("fakesrc"),
                                             QStringLiteral("num-buffers=1"), QStringLiteral("!"),
                                             QStringLiteral("fakesink"), QStringLiteral("silent=false")}))
                    trivial.push_back(*ms);
            }
            std::printf("\n");
            report("reference: gst-launch-1.0 playbin, from process start", reference);
            report("reference: gst-launch-1.0 trivial pipeline", trivial);
            if (!reference.empty() && !trivial.empty()) {
                const double own = median(reference) - median(trivial);
                std::printf("\nreference playbin without process and engine start: ~%.1f ms\n", own);
                // The reference loads the engine's plugins for the first time in its process, as a cold
                // first play in ours does; after start-up's warm-up, and for later plays, they are loaded.
                if (own > 0 && !firstWarm.empty())
                    std::printf("ratio first play after start-up / reference playbin: %.2f\n",
                                median(firstWarm) / own);
                if (own > 0 && !firstCold.empty())
                    std::printf("ratio first play, engine cold / reference playbin: %.2f\n",
                                median(firstCold) / own);
            }
        }
    }
    delete service;
    curl_global_cleanup();
    return 0;
}
