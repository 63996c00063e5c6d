// Connects the download controls to their handlers.

#include "app/download/download_controller.h"

#include "app/download/download_hub.h"
#include "app/download/selectdir.h"
#include "download/download_rules.h"
#include "platform/net/id_http.h"
#include "skin/controls/se_controls.h"

#include <QTimer>

namespace lanseek::app {

void DownloadController::wire()
{
    auto events = std::make_shared<download::WorkerEvents>();
    events->work = [this](int tag, std::int64_t bytesSoFar) {
        guarded(m_errors, [=, this] { IdHTTP1Work(tag, bytesSoFar); });
    };
    events->workEnd = [this](int tag, bool complete) {
        guarded(m_errors, [=, this] { IdHTTP1WorkEnd(tag, complete); });
    };
    m_hub = new DownloadHub(std::move(events), this);
    m_probe = std::make_shared<TIdHTTP>();
    m_probe->Tag = download::kProbeTag;

    const DownloadView& v = m_view;
    // The in-progress list's state column reads every state whole.
    v.downloadnow->setWholeTexts(1, {download::kStateRunning, download::kStateEnded, download::kStateDone,
                                     download::kStateIncomplete});
    const auto click = [this](QAbstractButton* button, void (DownloadController::*handler)()) {
        connectGuarded(button, &QAbstractButton::clicked, this, m_errors, handler);
    };
    click(v.dragdownbtn, &DownloadController::dragdownbtnClick);
    click(v.delbtn, &DownloadController::delbtnClick);
    click(v.delallbtn, &DownloadController::delallbtnClick);
    click(v.downbtn, &DownloadController::downbtnClick);
    click(v.SeSkinButton1, &DownloadController::SeSkinButton1Click);
    click(v.SeSkinButton3, &DownloadController::SeSkinButton3Click);
    connectGuarded(v.Timer1, &QTimer::timeout, this, m_errors, &DownloadController::Timer1Timer);
    connectGuarded(v.downloadnow, &TSeSkinSListView::rowSelectionChanged, this, m_errors,
                   &DownloadController::downloadnowSelectItem);

    // The chooser is a window of its own that the main window owns; it stays hidden until asked for.
    m_chooser = new TForm2(v.window, v.chooserEngine, m_errors,
                           [this](const QString& folder) { folderChosen(folder); });
}

} // namespace lanseek::app
