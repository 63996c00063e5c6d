#pragma once

// The LAN as the window offers it: every service the directory finds becomes an entry of the engine
// chooser, and "局域网全部" searches all of them at once through an aggregator that runs in this process
// on 127.0.0.1, started when the first service appears. The program itself shares nothing.

#include <QObject>
#include <QString>

#include <memory>

namespace lanseek::lan {
class ServiceBrowser;
class ServiceDirectory;
struct LanService;
} // namespace lanseek::lan
namespace lanseek::service {
class AggregatorService;
} // namespace lanseek::service

namespace lanseek::app {

class SearchController;

class LanSearch : public QObject
{
public:
    LanSearch(std::unique_ptr<lan::ServiceBrowser> browser, SearchController& search,
              QObject* parent = nullptr);
    ~LanSearch() override;

    // Starts browsing; what is found reaches the chooser from then on.
    void start();

    lan::ServiceDirectory& directory() const { return *m_directory; }
    // The aggregator's base address, empty until the first service has appeared.
    QString aggregatorBase() const;

private:
    void appeared(const lan::LanService& service);
    void disappeared(const QString& name);
    void updatePeers();

    SearchController& m_search;
    std::unique_ptr<lan::ServiceDirectory> m_directory;
    std::unique_ptr<service::AggregatorService> m_aggregator;
};

} // namespace lanseek::app
