#include "card/card_page.h"

namespace lanseek::card {

bool isRealMediaType(const QString& type)
{
    const QString upper = type.toUpper();
    return upper == QStringLiteral("RM") || upper == QStringLiteral("RAM");
}

QString codebaseLine()
{
    return QStringLiteral("CODEBASE=\"http://activex.invalid/activex/controls/mplayer/en/");
}

QStringList cardLines(const CardContent& card)
{
    QStringList out;
    out << QStringLiteral("<HTML>");
    out << QStringLiteral("<body background=\"file:///") + card.background + QStringLiteral("\"> ");
    out << QString();
    out << QStringLiteral("<h2>") + card.title + QStringLiteral("</h2>");
    if (isRealMediaType(card.type)) {
        out << QStringLiteral(
                   "<OBJECT ID=RAOCX CLASSID=\"clsid:CFCDAA03-8BE4-11cf-B84B-0020AFBBCCFA\" HEIGHT=\"50\" "
                   "WIDTH=\"300\">")
            << QString() << QStringLiteral("<param name=\"_ExtentX\" value=\"6350\">")
            << QStringLiteral("<param name=\"_ExtentY\" value=\"2646\">")
            << QStringLiteral("<param name=\"AUTOSTART\" value=\"-1\">")
            << QStringLiteral("<param name=\"SHUFFLE\" value=\"0\">")
            << QStringLiteral("<param name=\"PREFETCH\" value=\"0\">")
            << QStringLiteral("<param name=\"NOLABELS\" value=\"0\">")
            << QStringLiteral("<param name=\"SRC\" value=\"") + card.address + QStringLiteral("\">")
            << QStringLiteral("<param name=\"CONTROLS\" value=\"ConrolPane\">")
            << QStringLiteral("<param name=\"CONSOLE\" value=\"one\">")
            << QStringLiteral("<param name=\"LOOP\" value=\"0\">")
            << QStringLiteral("<param name=\"NUMLOOP\" value=\"0\">")
            << QStringLiteral("<param name=\"CENTER\" value=\"1\">")
            << QStringLiteral("<param name=\"MAINTAINASPECT\" value=\"0\">")
            << QStringLiteral("<param name=\"BACKGROUNDCOLOR\" value=\"#000000\">") << QString()
            << QStringLiteral("</OBJECT>") << QStringLiteral("<br>");
        for (const QString& line : card.lines)
            out << QStringLiteral("<br>") + line;
    } else {
        out << QString() << QStringLiteral("<OBJECT ID=\"WMPlay\" WIDTH=300 HEIGHT=50")
            << QStringLiteral("CLASSID=\"CLSID:22D6f312-B0F6-11D0-94AB-0080C74C7E95\"") << codebaseLine()
            << QStringLiteral("nsmp2inf.cab#Version=6,4,5,715\"")
            << QStringLiteral("STANDBY=\"Loading Microsoft? Windows Media? Player components...\"")
            << QStringLiteral("TYPE=\"application/x-oleobject\">")
            << QStringLiteral("<PARAM NAME=\"fileName\" VALUE=\"") + card.address + QStringLiteral("\">")
            << QString() << QStringLiteral("</OBJECT>") << QStringLiteral("<br>");
        out << card.lines;
    }
    out << QStringLiteral("</body>") << QStringLiteral("</html>");
    return out;
}

} // namespace lanseek::card
