// Start-up to the first painted window: the program against a bare Qt window on the same machine.
// Usage: startup_bench PROGRAM REFERENCE [RUNS]; needs a display (run under xvfb-run).

#include "support/bench_stats.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <vector>

using lanseek::bench::median;

namespace {

// Milliseconds from starting the process to its "painted" line, or -1 when it never paints.
double timeToFirstPaint(const QString& program)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LANSEEK_EXIT_AFTER_FIRST_PAINT"), QStringLiteral("1"));
    process.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    if (!process.waitForStarted(10000))
        return -1;
    // The program writes its line and ends at once, so the line may arrive together with the end of the
    // process; what is left in the pipe is read after it has ended too.
    QByteArray output;
    while (clock.elapsed() <= 30000) {
        const bool running = process.state() != QProcess::NotRunning;
        if (running)
            process.waitForReadyRead(100);
        output += process.readAllStandardOutput();
        if (output.contains("painted")) {
            const double ms = clock.nsecsElapsed() / 1e6;
            process.waitForFinished(5000);
            return ms;
        }
        if (!running)
            break;
    }
    process.kill();
    process.waitForFinished();
    return -1;
}

// A run that did not paint is tried again, twice at most: a display server handed connections in quick
// succession now and then refuses one, which says nothing about the program.
double timeToFirstPaintRetried(const QString& program)
{
    double ms = -1;
    for (int attempt = 0; attempt < 3 && ms < 0; ++attempt)
        ms = timeToFirstPaint(program);
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PROGRAM REFERENCE [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 3 ? std::max(3, std::atoi(argv[3])) : 9;
    std::vector<double> program, reference;
    // Interleave the two so that machine noise falls on both alike; the first run of each warms caches.
    timeToFirstPaint(QString::fromLocal8Bit(argv[1]));
    timeToFirstPaint(QString::fromLocal8Bit(argv[2]));
    for (int i = 0; i < runs; ++i) {
        const double p = timeToFirstPaintRetried(QString::fromLocal8Bit(argv[1]));
        const double r = timeToFirstPaintRetried(QString::fromLocal8Bit(argv[2]));
        if (p < 0 || r < 0) {
            std::fprintf(stderr, "a run did not paint (is there a display?)\n");
            return 1;
        }
        program.push_back(p);
        reference.push_back(r);
    }
    const double mp = median(program);
    const double mr = median(reference);
    std::printf("start-up to first paint, median of %d runs\n", runs);
    std::printf("  lanseek      %8.1f ms\n", mp);
    std::printf("  bare window  %8.1f ms\n", mr);
    std::printf("  ratio        %8.2f\n", mp / mr);
    return 0;
}
