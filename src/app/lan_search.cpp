#include "app/lan_search.h"

#include "app/search/search_controller.h"
#include "lan/lan_log.h"
#include "lan/service_directory.h"
#include "service/aggregator_service.h"

namespace lanseek::app {

LanSearch::LanSearch(std::unique_ptr<lan::ServiceBrowser> browser, SearchController& search, QObject* parent)
    : QObject(parent), m_search(search),
      m_directory(std::make_unique<lan::ServiceDirectory>(std::move(browser)))
{
    connect(m_directory.get(), &lan::ServiceDirectory::serviceAppeared, this, &LanSearch::appeared);
    connect(m_directory.get(), &lan::ServiceDirectory::serviceChanged, this, &LanSearch::appeared);
    connect(m_directory.get(), &lan::ServiceDirectory::serviceDisappeared, this, &LanSearch::disappeared);
    connect(m_directory.get(), &lan::ServiceDirectory::browsingFailed, this,
            [](lan::BrowseFailure, const QString& reason) {
                qCInfo(lan::lanLog) << "no services of the LAN can be found:" << reason;
            });
}

// The directory goes first: nothing it still reports can reach a half-destroyed aggregator.
LanSearch::~LanSearch()
{
    m_directory.reset();
    if (m_aggregator)
        m_aggregator->stop();
}

void LanSearch::start()
{
    m_directory->start();
}

QString LanSearch::aggregatorBase() const
{
    return m_aggregator ? QString::fromStdString(m_aggregator->baseUrl()) : QString();
}

void LanSearch::appeared(const lan::LanService& service)
{
    if (!m_aggregator) {
        auto aggregator = std::make_unique<service::AggregatorService>();
        std::string error;
        if (aggregator->start(&error)) {
            m_aggregator = std::move(aggregator);
            m_search.setLanAggregator(aggregatorBase());
        } else {
            // Each service is still offered on its own.
            qCWarning(lan::lanLog) << "the search over the whole LAN cannot start:" << error.c_str();
        }
    }
    updatePeers();
    m_search.addLanService(service.name, service.baseUrl);
}

void LanSearch::disappeared(const QString& name)
{
    updatePeers();
    m_search.removeLanService(name);
}

void LanSearch::updatePeers()
{
    if (!m_aggregator)
        return;
    std::vector<service::AggregatorPeer> peers;
    for (const lan::LanService& service : m_directory->services())
        peers.push_back({service.name.toStdString(), service.baseUrl.toStdString()});
    m_aggregator->setPeers(std::move(peers));
}

} // namespace lanseek::app
