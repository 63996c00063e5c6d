#include "search/harvest_document.h"

#include "platform/text/gbk.h"
#include "search/chart_reader.h"
#include "search/harvest.h"

namespace lanseek::search {
namespace {

using platform::toGbk;

// How many bytes the well-formed GBK (GB18030) character starting at i takes; 0 when none starts there.
std::size_t characterLength(std::string_view bytes, std::size_t i)
{
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    if (at(i) < 0x80)
        return 1;
    if (at(i) == 0x80 || at(i) == 0xFF || i + 1 >= bytes.size())
        return 0;
    const unsigned char second = at(i + 1);
    if (second >= 0x40 && second <= 0xFE && second != 0x7F)
        return 2;
    if (second >= 0x30 && second <= 0x39 && i + 3 < bytes.size() && at(i + 2) >= 0x81 && at(i + 2) <= 0xFE &&
        at(i + 3) >= 0x30 && at(i + 3) <= 0x39)
        return 4;
    return 0;
}

// Decodes a piece cut out of GBK text by a byte rule. The cut may start with the second byte of a character
// or end with the first; such a stray byte, followed by digits, can look like the start of a four-byte
// sequence, and decoding the piece whole could then swallow the digits with it. Each stray byte becomes one
// replacement character on its own, so everything after it survives.
QString fromGbk(std::string_view bytes)
{
    QString text;
    std::size_t runStart = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t length = characterLength(bytes, i);
        if (length > 0) {
            i += length;
            continue;
        }
        text += platform::fromGbk(bytes.substr(runStart, i - runStart));
        text += QChar(QChar::ReplacementCharacter);
        runStart = ++i;
    }
    text += platform::fromGbk(bytes.substr(runStart));
    return text;
}

// The size is three cut bytes and a unit letter; the letter is decoded apart so that a cut ending in the
// first byte of a character cannot take it as that character's second byte.
QString sizeText(const std::string& size)
{
    if (size.empty())
        return {};
    return fromGbk(std::string_view(size).substr(0, size.size() - 1)) +
           fromGbk(std::string_view(size).substr(size.size() - 1));
}

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
             {fromGbk(song.name), fromGbk(song.address), sizeText(song.size), fromGbk(song.type)}});
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
