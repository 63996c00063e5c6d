#pragma once

// The harvest and the chart reading as the main window sees them: wide texts from the browser and the
// controls go in, rows and captions for the controls come out. The texts are turned into GBK bytes here so
// that the rules can count and cut bytes, and the results are turned back.

#include "platform/model/song_entry.h"
#include "platform/web/web_document.h"
#include "search/search_query.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace lanseek::search {

struct HarvestRequest
{
    QString pageText; // the body text as the page memo holds it, lines ending in "\n"
    std::vector<platform::WebLink> links;
    ServiceEndpoints service;
    QString countLabel;
    QString localIp;
    QString windowCaption;
    QStringList listedAddresses; // sub-item 1 of every row of the result list
    int rowCounter = 0;
    int pageNumber = 1;
    bool stopFlag = false;
    int rowIcon = -1; // the media type's icon shown in the list's header
};

struct HarvestChanges
{
    std::optional<QString> countLabel;
    QString localIp;
    std::optional<QString> windowCaption;
    std::vector<SongEntry> rows; // to append to the result list, in order
    int rowCounter = 0;
    int pageNumber = 0;
    bool requestNextPage = false;
};

HarvestChanges harvestPage(const HarvestRequest& request);

// Chart rows for the links of a chart, singer-list or album page: caption, no icon, name and cut address.
std::vector<SongEntry> chartRows(const std::vector<platform::WebLink>& links, const ServiceEndpoints& service,
                                 int rowsBefore);

} // namespace lanseek::search
