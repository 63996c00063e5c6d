#include "card/card_page.h"

#include "playback/play_list.h"
#include "playback/player_pages.h"

namespace lanseek::card {

bool isRealMediaType(const QString& type)
{
    return lanseek::playback::playerKindForType(type) == lanseek::playback::PlayerKind::RealMedia;
}

QStringList cardLines(const CardContent& card)
{
    using namespace lanseek::playback;
    QStringList out;
    out << QStringLiteral("<HTML>");
    out << QStringLiteral("<body background=\"file:///") + card.background + QStringLiteral("\"> ");
    out << QString();
    out << QStringLiteral("<h2>") + card.title + QStringLiteral("</h2>");
    if (isRealMediaType(card.type)) {
        // The RealMedia card centres its player and breaks before every text line.
        for (const QString& line : realPlayerObjectLines(300, QStringLiteral("1"), card.address))
            out << line;
        out << QStringLiteral("<br>");
        for (const QString& line : card.lines)
            out << QStringLiteral("<br>") + line;
    } else {
        out << QString();
        for (const QString& line : windowsMediaObjectLines(300, 50, card.address, StatusLine::Omitted))
            out << line;
        out << QStringLiteral("<br>");
        out << card.lines;
    }
    out << QStringLiteral("</body>") << QStringLiteral("</html>");
    return out;
}

} // namespace lanseek::card
