// A frame repaint during a drag: the main window's size, its frame moved a few pixels and painted again,
// skinned beside the plain frame. Prints medians in microseconds.

#include "skin/forms/se_skin_form.h"
#include "skin/skin_embedded.h"
#include "skin/skin_engine.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

double medianDragRepaint(TSeCustomForm& form, int runs)
{
    QWidget* frame = form.frameWindow();
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs + 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        frame->move(frame->pos() + QPoint(i % 2 ? 3 : -3, i % 2 ? 2 : -2));
        frame->repaint();
        const auto end = std::chrono::steady_clock::now();
        if (i >= 5) // a few untimed rounds first
            times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    constexpr int kRuns = 201;

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

    const double skinnedUs = medianDragRepaint(skinned, kRuns);
    const double plainUs = medianDragRepaint(plain, kRuns);
    std::printf("%-40s %10s %10s %8s\n", "frame repaint during a drag (median us)", "skinned", "plain",
                "ratio");
    std::printf("%-40s %10.0f %10.0f %8.2f\n", "main window frame, 696 x 604 client", skinnedUs, plainUs,
                skinnedUs / plainUs);
    return 0;
}
