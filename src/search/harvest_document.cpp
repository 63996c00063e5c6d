#include "search/harvest_document.h"

#include "platform/text/gbk.h"
#include "search/chart_reader.h"
#include "search/harvest.h"

namespace lanseek::search {
namespace {

using platform::fromGbk;
using platform::toGbk;

std::vector<PageLink> pageLinks(const std::vector<platform::WebLink>& links)
{
    std::vector<PageLink> bytes;
    bytes.reserve(links.size());
    for (const platform::WebLink& link : links)
        bytes.push_back({toGbk(link.href), toGbk(link.innertext)});
    return bytes;
}

} // namespace

HarvestChanges harvestPage(const HarvestRequest& request)
{
    const std::string page = toGbk(request.pageText);
    const std::vector<PageLink> links = pageLinks(request.links);
    HarvestInput input;
    input.pageText = page;
    input.links = &links;
    input.queryPrefix = toGbk(request.service.queryPrefix());
    input.redirectPrefix = toGbk(request.service.redirectPrefix());
    input.countLabel = toGbk(request.countLabel);
    input.localIp = toGbk(request.localIp);
    input.windowCaption = toGbk(request.windowCaption);
    input.listedAddresses.reserve(request.listedAddresses.size());
    for (const QString& address : request.listedAddresses)
        input.listedAddresses.push_back(toGbk(address));
    input.rowCounter = request.rowCounter;
    input.pageNumber = request.pageNumber;
    input.stopFlag = request.stopFlag;

    HarvestOutcome outcome = harvest(input);

    HarvestChanges changes;
    if (outcome.countLabel)
        changes.countLabel = fromGbk(*outcome.countLabel);
    // The address comes back as it went in unless this page supplied it.
    changes.localIp = outcome.localIp == input.localIp ? request.localIp : fromGbk(outcome.localIp);
    if (outcome.windowCaption)
        changes.windowCaption = fromGbk(*outcome.windowCaption);
    changes.rows.reserve(outcome.songs.size());
    for (const HarvestedSong& song : outcome.songs) {
        changes.rows.push_back(
            {QString::number(song.number),
             request.rowIcon,
             {fromGbk(song.name), fromGbk(song.address), fromGbk(song.size), fromGbk(song.type)}});
    }
    changes.rowCounter = outcome.rowCounter;
    changes.pageNumber = outcome.pageNumber;
    changes.requestNextPage = outcome.requestNextPage;
    return changes;
}

std::vector<SongEntry> chartRows(const std::vector<platform::WebLink>& links, const ServiceEndpoints& service,
                                 int rowsBefore)
{
    const ChartLinkKinds kinds = chartLinkKinds(toGbk(service.base), toGbk(service.redirectPrefix()));
    std::vector<SongEntry> rows;
    for (const ChartEntry& entry : readChartLinks(pageLinks(links), kinds, rowsBefore))
        rows.push_back({QString::number(entry.number), -1, {fromGbk(entry.name), fromGbk(entry.address)}});
    return rows;
}

} // namespace lanseek::search
