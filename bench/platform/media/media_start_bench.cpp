// How long the player control takes from play() to the first audio buffer at the sink, beside the
// engine's own command-line player on the same file as the reference.
//
// Control: a pad probe on the sink posts firstBufferReached(); the time is taken from play() to that
// signal, on the UI thread, so it includes the queued hop back to the UI thread. Three cases: a fresh
// control each run (pipeline built, plugins warm), the same control replayed after stop(), and a fresh
// control given a one-entry ".asx" list (adds reading the list on the helper thread).
//
// Reference: `gst-launch-1.0 -v playbin uri=... audio-sink="fakesink silent=false"`, timed from
// process start to the first "last-message = chain" line on its standard output (the first buffer
// at its fake sink). That includes starting a process and initialising the engine, so the same
// timing of a trivial pipeline (`fakesrc num-buffers=1 ! fakesink`) is printed too; their difference
// approximates the reference pipeline's own start-up.

#include "platform/media/media_player_control.h"
#include "support/bench_stats.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>

#include <gst/gst.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

using lanseek::bench::median;

using lanseek::platform::MediaPlayerControl;

namespace {

constexpr int kRuns = 9;

QByteArray makeWav(int ms)
{
    constexpr int kRate = 44100;
    const int samples = kRate * ms / 1000;
    QByteArray out;
    auto put = [&out](quint32 v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.append(char((v >> (8 * i)) & 0xFF));
    };
    out.append("RIFF");
    put(quint32(36 + samples * 2), 4);
    out.append("WAVEfmt ");
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(kRate, 4);
    put(kRate * 2, 4);
    put(2, 2);
    put(16, 2);
    out.append("data");
    put(quint32(samples * 2), 4);
    for (int i = 0; i < samples; ++i)
        put(quint32(qint16(std::sin(2.0 * M_PI * 440.0 * i / kRate) * 8000.0)) & 0xFFFF, 2);
    return out;
}

// Milliseconds from play() to firstBufferReached(), or nothing when it did not come.
std::optional<double> timeToFirstBuffer(MediaPlayerControl& control)
{
    bool reached = false;
    double ms = 0;
    QElapsedTimer timer;
    QEventLoop loop;
    const auto connection = QObject::connect(&control, &MediaPlayerControl::firstBufferReached, [&] {
        ms = double(timer.nsecsElapsed()) / 1e6;
        reached = true;
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    timer.start();
    control.play();
    if (!reached)
        loop.exec();
    const bool ok = reached;
    QObject::disconnect(connection);
    control.stop();
    return ok ? std::optional<double>(ms) : std::nullopt;
}

std::optional<double> referenceRun(const QString& launcher, const QStringList& args)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer timer;
    timer.start();
    process.start(launcher, args);
    if (!process.waitForStarted(5000))
        return std::nullopt;
    QByteArray seen;
    std::optional<double> result;
    while (!result && process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(50);
        seen += process.readAllStandardOutput();
        if (seen.contains("last-message = chain"))
            result = double(timer.nsecsElapsed()) / 1e6;
    }
    if (!result) {
        seen += process.readAllStandardOutput();
        if (seen.contains("last-message = chain"))
            result = double(timer.nsecsElapsed()) / 1e6;
    }
    process.waitForFinished(10000);
    return result;
}

void printFigure(const char* label, const std::vector<double>& values)
{
    if (values.empty()) {
        std::printf("%-52s  no result\n", label);
        return;
    }
    std::printf("%-52s  median %7.1f ms  (min %.1f, max %.1f, n=%zu)\n", label, median(values),
                *std::min_element(values.begin(), values.end()),
                *std::max_element(values.begin(), values.end()), values.size());
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    gst_init(&argc, &argv);
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const QString song = dir.filePath(QStringLiteral("bench tone.wav"));
    QFile file(song);
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly) || file.write(makeWav(1000)) <= 0) {
        std::printf("skipped: no test file could be written\n");
        return 0;
    }
    file.close();
    const QString list = dir.filePath(QStringLiteral("one.asx"));
    QFile asx(list);
    if (!asx.open(QIODevice::WriteOnly) ||
        asx.write(("<asx version = \"3.0\">\r\n<entry>\r\n<ref href = \"" + song.toUtf8() +
                   "\"/>\r\n</entry>\r\n</asx>\r\n")) <= 0) {
        std::printf("skipped: no list file could be written\n");
        return 0;
    }
    asx.close();

    std::printf("first audio buffer at the sink, 1 s 44.1 kHz mono WAV, %d runs each\n\n", kRuns);

    std::vector<double> cold;
    std::vector<double> fresh;
    std::vector<double> replay;
    std::vector<double> listed;
    {
        MediaPlayerControl control;
        control.setAudioSink(QStringLiteral("fakesink"));
        control.setSource(QStringLiteral("file:///") + song);
        if (auto ms = timeToFirstBuffer(control))
            cold.push_back(*ms);
        for (int i = 0; i < kRuns; ++i)
            if (auto ms = timeToFirstBuffer(control))
                replay.push_back(*ms);
    }
    for (int i = 0; i < kRuns; ++i) {
        MediaPlayerControl control;
        control.setAudioSink(QStringLiteral("fakesink"));
        control.setSource(QStringLiteral("file:///") + song);
        if (auto ms = timeToFirstBuffer(control))
            fresh.push_back(*ms);
    }
    for (int i = 0; i < kRuns; ++i) {
        MediaPlayerControl control;
        control.setAudioSink(QStringLiteral("fakesink"));
        control.setSource(QStringLiteral("file:///") + list);
        if (auto ms = timeToFirstBuffer(control))
            listed.push_back(*ms);
    }
    printFigure("control, first play in the process (cold)", cold);
    printFigure("control, fresh control per run", fresh);
    printFigure("control, same control replayed after stop()", replay);
    printFigure("control, fresh control, one-entry .asx list", listed);

    const QString launcher = QStandardPaths::findExecutable(QStringLiteral("gst-launch-1.0"));
    if (launcher.isEmpty()) {
        std::printf("\nreference skipped: gst-launch-1.0 not found\n");
        return 0;
    }
    const QString uri = QString::fromUtf8(QUrl::fromLocalFile(song).toEncoded());
    std::vector<double> reference;
    std::vector<double> trivial;
    for (int i = 0; i < kRuns; ++i) {
        if (auto ms = referenceRun(launcher, {QStringLiteral("-v"), QStringLiteral("playbin"),
                                              QStringLiteral("uri=") + uri,
                                              QStringLiteral("audio-sink=fakesink silent=false")}))
            reference.push_back(*ms);
        if (auto ms = referenceRun(launcher, {QStringLiteral("-v"), QStringLiteral("fakesrc"),
                                              QStringLiteral("num-buffers=1"), QStringLiteral("!"),
                                              QStringLiteral("fakesink"), QStringLiteral("silent=false")}))
            trivial.push_back(*ms);
    }
    std::printf("\n");
    printFigure("reference: gst-launch-1.0 playbin, process start", reference);
    printFigure("reference: gst-launch-1.0 trivial pipeline", trivial);
    if (!reference.empty() && !trivial.empty() && !cold.empty()) {
        const double pipeline = median(reference) - median(trivial);
        std::printf("\nreference playbin start-up without process and engine start: ~%.1f ms\n", pipeline);
        // Both the reference and the control's first play load playbin's plugins for the first time
        // in their process; later plays of the control find them loaded.
        if (pipeline > 0)
            std::printf("ratio control (cold) / reference playbin start-up: %.2f\n", cold.front() / pipeline);
    }
    return 0;
}
