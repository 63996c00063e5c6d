// A frame repaint during a drag: the main window's size, its frame moved a few pixels and painted again,
// skinned and plain in turn. Prints medians in microseconds and the median of the rounds' ratios.

#include "skin/forms/se_skin_form.h"
#include "skin/skin_embedded.h"
#include "skin/skin_engine.h"
#include "support/bench_stats.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// One step of a drag: the frame moved a few pixels (back and forth) and painted again at once.
struct DragStep
{
    QWidget* frame;
    int step = 0;
    void operator()()
    {
        const bool odd = step++ % 2;
        frame->move(frame->pos() + QPoint(odd ? 3 : -3, odd ? 2 : -2));
        frame->repaint();
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 401;

    TSeSkinEngine engine;
    engine.setSkinStream(lanseek::skin::embeddedSkinStream(1));
    QWidget skinnedOwner;
    skinnedOwner.resize(696, 604);
    TSeSkinForm skinned(&skinnedOwner);
    skinned.setCaption(QStringLiteral("聆澜"));
    skinned.setSkinEngine(&engine);
    skinned.setBorderStyle(kbsToolWindow);
    skinnedOwner.show();

    QWidget plainOwner;
    plainOwner.resize(696, 604);
    TSeSkinForm plain(&plainOwner);
    plain.setCaption(QStringLiteral("聆澜"));
    plainOwner.show();
    QApplication::processEvents();

    DragStep skinnedStep{skinned.frameWindow()};
    DragStep plainStep{plain.frameWindow()};
    const auto t = lanseek::bench::pairedMedians(runs, skinnedStep, plainStep);
    std::printf("frame repaint during a drag, %d runs each in turn, medians\n", runs);
    std::printf("%-40s %10s %10s %8s\n", "", "skinned µs", "plain µs", "ratio");
    std::printf("%-40s %10.0f %10.0f %7.2fx\n", "main window frame, 696 x 604 client", t.first, t.second,
                t.ratio);
    return 0;
}
