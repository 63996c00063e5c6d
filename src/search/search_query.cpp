#include "search/search_query.h"

namespace lanseek::search {

QString mediaTypeValue(int index)
{
    if (index >= 0 && index <= 4)
        return QString::number(index);
    return QStringLiteral("-1");
}

int mediaTypeIcon(int index)
{
    return index >= 0 && index <= 4 ? index : kNoIcon;
}

QString firstPageAddress(const ServiceEndpoints& service, const QString& word, int mediaIndex)
{
    // The word goes in exactly as typed; the browser decides how it travels on the wire.
    return service.base + QStringLiteral("/m?tn=baidump3&ct=134217728&rn=&word=") + word +
           QStringLiteral("&lm=") + mediaTypeValue(mediaIndex);
}

QString followUpAddress(const ServiceEndpoints& service, const QString& word, int mediaIndex, int page,
                        const QString& localIp)
{
    return service.base + QStringLiteral("/m?lm=") + mediaTypeValue(mediaIndex) +
           QStringLiteral("&ct=134217728&tn=baidump3&word=") + word + QStringLiteral("&pn=") +
           QString::number(static_cast<long long>(page) * kResultsPerPage) + QStringLiteral("&ip=") +
           localIp + QStringLiteral("&cl=3&z=0");
}

bool followUpAllowed(int page)
{
    return static_cast<long long>(page) * kResultsPerPage <= kLastOffset;
}

} // namespace lanseek::search
