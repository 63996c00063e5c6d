#pragma once

// The search service's query addresses and the media-type table behind them.

#include <QString>

namespace lanseek::search {

inline constexpr int kResultsPerPage = 30;
inline constexpr int kLastOffset = 500; // no follow-up page is requested past this offset
inline constexpr int kNoIcon = 5;

// Where the search service lives: its scheme and host (with a port when it has one), no trailing slash.
struct ServiceEndpoints
{
    QString base; // e.g. "http://127.0.0.1:8080"

    QString queryPrefix() const { return base + QStringLiteral("/m?lm="); }
    QString redirectPrefix() const { return base + QStringLiteral("/r?url="); }
};

// The value of "lm" for a media type chooser index: "0".."4", "-1" for any other index.
QString mediaTypeValue(int index);
// The icon the result list shows in its first column's header for a chooser index; 5 (no icon) otherwise.
int mediaTypeIcon(int index);

// "/m?tn=baidump3&ct=134217728&rn=&word=" W "&lm=" L, after the service's scheme and host.
QString firstPageAddress(const ServiceEndpoints& service, const QString& word, int mediaIndex);
// "/m?lm=" L "&ct=134217728&tn=baidump3&word=" W "&pn=" page*30 "&ip=" IP "&cl=3&z=0".
QString followUpAddress(const ServiceEndpoints& service, const QString& word, int mediaIndex, int page,
                        const QString& localIp);
// Follow-up pages are requested up to page 16 (offset 480).
bool followUpAllowed(int page);

} // namespace lanseek::search
