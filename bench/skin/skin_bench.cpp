// Times loading the embedded skins against a bare inflate of the same data, and drawing the window's
// form object at the main window's size. Prints medians in microseconds.

#include "skin/skin_embedded.h"
#include "skin/skin_source.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace lanseek::skin;

namespace {

template <typename F> double medianMicros(int runs, F&& f)
{
    // A few untimed rounds first, so that page faults of the first allocations do not count.
    for (int i = 0; i < 5; ++i)
        f();
    std::vector<double> times;
    times.reserve(size_t(runs));
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        const auto end = std::chrono::steady_clock::now();
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
    constexpr int kRuns = 101;

    std::printf("%-34s %12s %12s %8s\n", "skin load (median us)", "load", "inflate", "ratio");
    for (int index : {1, 2}) {
        const QByteArray stored = embeddedSkinStream(index);
        // The body after the presence byte and the four-byte magic is the zlib stream itself.
        const QByteArray zlib = stored.mid(5);
        qsizetype inflated = 0;
        const double inflate = medianMicros(kRuns, [&] { inflated = zlibInflate(zlib).size(); });
        int objects = 0;
        const double load = medianMicros(kRuns, [&] {
            TSeSkinSource source;
            source.loadStoredForm(stored);
            objects = source.objectCount();
        });
        std::printf("engine %d (%lld -> %lld bytes, %d objects) %8.0f %12.0f %8.2f\n", index,
                    static_cast<long long>(stored.size()), static_cast<long long>(inflated), objects, load,
                    inflate, load / inflate);
    }

    TSeSkinSource source;
    source.loadStoredForm(embeddedSkinStream(1));
    auto form = source.formObject()->createCopy();
    form->setBounds(0, 0, 696, 604);
    form->setActive(true);
    if (TSeSkinObject* title = form->findObjectByKind(skTitle))
        title->setText(QStringLiteral("聆澜"));
    TSeBitmap target(696, 604);
    const double draw = medianMicros(kRuns, [&] {
        target.fill(TSeBitmap::kKey);
        form->draw(TSeCanvas(&target));
    });
    const double region = medianMicros(kRuns, [&] { (void)form->createRegion(); });
    std::printf("draw Form at 696 x 604 (median us)  %8.0f\n", draw);
    std::printf("region of Form at 696 x 604 (us)    %8.0f\n", region);
    return 0;
}
