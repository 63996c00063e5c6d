#include "download/form/download_hub.h"

TForm1::DownloadHub::DownloadHub(TForm1* form) : QObject(form)
{
    setObjectName(QStringLiteral("downloadHub"));
    auto events = std::make_shared<lanseek::download::WorkerEvents>();
    events->work = [form](int tag, std::int64_t bytesSoFar) {
        form->guarded([=] { form->IdHTTP1Work(tag, bytesSoFar); });
    };
    events->workEnd = [form](int tag, bool complete) {
        form->guarded([=] { form->IdHTTP1WorkEnd(tag, complete); });
    };
    m_events = std::move(events);
}

TForm1::DownloadHub::~DownloadHub()
{
    const auto workers = findChildren<tmp3download*>(Qt::FindDirectChildrenOnly);
    for (tmp3download* worker : workers)
        worker->stopAndWait();
}
