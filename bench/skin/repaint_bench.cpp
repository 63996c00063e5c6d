// Times a full repaint of the main window in each of its three views, skinned and with every control
// back on its plain look, the two in turn, and prints the medians in microseconds and the median of the
// rounds' ratios.

#include "app/mp3.h"
#include "platform/ui/dialogs.h"
#include "support/bench_stats.h"

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

using lanseek::bench::pairedMedians;

namespace {

std::unique_ptr<TForm1> makeWindow(lanseek::platform::Dialogs* dialogs, const QString& folder)
{
    TForm1Options options;
    options.dialogs = dialogs;
    options.programFolder = folder;
    options.screenSize = QSize(1024, 768);
    options.service.base = QStringLiteral("http://127.0.0.1:9");
    auto form = std::make_unique<TForm1>(options);
    // Rows in the lists, so that their painting counts as it does in use.
    for (int i = 0; i < 40; ++i) {
        const lanseek::platform::ListRow row{
            QString::number(i + 1),
            0,
            {QStringLiteral("歌手%1").arg(i), QStringLiteral("http://127.0.0.1/%1.mp3").arg(i),
             QStringLiteral("3.5M"), QStringLiteral("mp3"), QStringLiteral("/tmp/x")}};
        form->ListView1->appendRow(row);
        form->downloadlistview->appendRow(row);
    }
    return form;
}

void unskin(TForm1& form)
{
    for (QWidget* w : form.findChildren<QWidget*>()) {
        if (auto* control = dynamic_cast<TSeSkinControl*>(w))
            control->setSkinEngine(nullptr);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(5, std::atoi(argv[1])) : 101;
    QTemporaryDir skinnedDir, plainDir;
    lanseek::platform::QtDialogs dialogs;

    auto skinned = makeWindow(&dialogs, skinnedDir.path());
    auto plain = makeWindow(&dialogs, plainDir.path());
    unskin(*plain);
    skinned->show();
    plain->show();
    QApplication::processEvents();

    struct View
    {
        const char* name;
        void (TForm1::*show)();
    };
    const View views[] = {{"在线听歌", &TForm1::Button3Click},
                          {"下载", &TForm1::Button4Click},
                          {"音乐贺卡", &TForm1::Button5Click}};
    std::printf("full repaint of the main window, %d runs each in turn, medians\n", runs);
    std::printf("%-10s %12s %12s %8s\n", "view", "skinned µs", "plain µs", "ratio");
    // A second argument times only the view of that number (1 to 3), for profiling one view alone.
    const int only = argc > 2 ? std::atoi(argv[2]) : 0;
    for (const View& view : views) {
        if (only > 0 && &view != &views[std::clamp(only, 1, 3) - 1])
            continue;
        (skinned.get()->*view.show)();
        (plain.get()->*view.show)();
        QApplication::processEvents();
        // Rendering the window into a picture paints every visible control of it, as an exposure does.
        const auto t = pairedMedians(
            runs, [&] { (void)skinned->grab(); }, [&] { (void)plain->grab(); });
        std::printf("%-10s %12.0f %12.0f %7.2fx\n", view.name, t.first, t.second, t.ratio);
    }
    return 0;
}
