#include "app/download/download_hub.h"

namespace lanseek::app {

DownloadHub::DownloadHub(std::shared_ptr<const download::WorkerEvents> events, QObject* parent)
    : QObject(parent), m_events(std::move(events))
{
    setObjectName(QStringLiteral("downloadHub"));
}

DownloadHub::~DownloadHub()
{
    const auto workers = findChildren<tmp3download*>(Qt::FindDirectChildrenOnly);
    for (tmp3download* worker : workers)
        worker->stopAndWait();
}

} // namespace lanseek::app
