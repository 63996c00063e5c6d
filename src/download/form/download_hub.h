#pragma once

// The receiver of the transfer workers' events on the UI thread. Workers post their events to it as queued
// calls; it hands them to the main window's handlers. It is a child of the main window: when the window
// goes, it ends the running workers and waits for them before anything they post could be delivered.

#include "app/mp3.h"
#include "download/mp3thread.h"

#include <QObject>

#include <memory>

class TForm1::DownloadHub : public QObject
{
public:
    explicit DownloadHub(TForm1* form);
    ~DownloadHub() override;

    std::shared_ptr<const lanseek::download::WorkerEvents> events() const { return m_events; }

private:
    std::shared_ptr<const lanseek::download::WorkerEvents> m_events;
};
