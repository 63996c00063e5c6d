#pragma once

// The receiver of the transfer workers' events on the UI thread. Workers post their events to it as queued
// calls; it hands them to the download handlers. It is a child of the download controller: when the
// controller goes, it ends the running workers and waits for them before anything they post could be
// delivered.

#include "download/mp3thread.h"

#include <QObject>

#include <memory>

namespace lanseek::app {

class DownloadHub : public QObject
{
public:
    DownloadHub(std::shared_ptr<const download::WorkerEvents> events, QObject* parent);
    ~DownloadHub() override;

    std::shared_ptr<const download::WorkerEvents> events() const { return m_events; }

private:
    std::shared_ptr<const download::WorkerEvents> m_events;
};

} // namespace lanseek::app
