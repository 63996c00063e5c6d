#include "playback/player_pages.h"

namespace lanseek::playback {

namespace {

const QString kQuote = QStringLiteral("\"");

void append(std::vector<QString>& lines, const std::vector<QString>& more)
{
    lines.insert(lines.end(), more.begin(), more.end());
}

} // namespace

QString fileAddress(const QString& nativePath)
{
    return QStringLiteral("file:///") + nativePath;
}

std::vector<QString> realPlayerObjectLines(int width, const QString& center, const QString& source)
{
    return {
        QStringLiteral("<OBJECT ID=RAOCX CLASSID=\"%1\" HEIGHT=\"50\" WIDTH=\"%2\">")
            .arg(kRealPlayerClassId)
            .arg(width),
        QString(),
        QStringLiteral("<param name=\"_ExtentX\" value=\"6350\">"),
        QStringLiteral("<param name=\"_ExtentY\" value=\"2646\">"),
        QStringLiteral("<param name=\"AUTOSTART\" value=\"-1\">"),
        QStringLiteral("<param name=\"SHUFFLE\" value=\"0\">"),
        QStringLiteral("<param name=\"PREFETCH\" value=\"0\">"),
        QStringLiteral("<param name=\"NOLABELS\" value=\"0\">"),
        // Concatenated rather than formatted: a source may itself hold "%1".
        QStringLiteral("<param name=\"SRC\" value=\"") + source + QStringLiteral("\">"),
        QStringLiteral("<param name=\"CONTROLS\" value=\"ConrolPane\">"),
        QStringLiteral("<param name=\"CONSOLE\" value=\"one\">"),
        QStringLiteral("<param name=\"LOOP\" value=\"0\">"),
        QStringLiteral("<param name=\"NUMLOOP\" value=\"0\">"),
        QStringLiteral("<param name=\"CENTER\" value=\"") + center + QStringLiteral("\">"),
        QStringLiteral("<param name=\"MAINTAINASPECT\" value=\"0\">"),
        QStringLiteral("<param name=\"BACKGROUNDCOLOR\" value=\"#000000\">"),
        QString(),
        QStringLiteral("</OBJECT>"),
    };
}

std::vector<QString> windowsMediaObjectLines(int width, int height, const QString& source,
                                             StatusLine statusLine)
{
    return {
        QStringLiteral("<OBJECT ID=\"WMPlay\" WIDTH=%1 HEIGHT=%2").arg(width).arg(height),
        QStringLiteral("CLASSID=\"") + kWindowsMediaClassId + kQuote,
        QStringLiteral("CODEBASE=\"") + kPlayerCodebase,
        QStringLiteral("nsmp2inf.cab#Version=6,4,5,715\""),
        QStringLiteral("STANDBY=\"Loading Microsoft? Windows Media? Player components...\""),
        QStringLiteral("TYPE=\"application/x-oleobject\">"),
        QStringLiteral("<PARAM NAME=\"fileName\" VALUE=\"") + source + QStringLiteral("\">"),
        statusLine == StatusLine::Shown ? QStringLiteral("<param name=\"ShowStatusBar\" value=\"1\">")
                                        : QString(),
        QStringLiteral("</OBJECT>"),
    };
}

std::vector<QString> realPlayerPage(int width, const QString& center, const QString& path)
{
    std::vector<QString> lines{QStringLiteral("<HTML>"), QStringLiteral("<body>"), QString(), QString()};
    append(lines, realPlayerObjectLines(width, center, fileAddress(path)));
    append(lines, {QStringLiteral("</body>"), QStringLiteral("</html>")});
    return lines;
}

std::vector<QString> windowsMediaPage(int height, const QString& path)
{
    std::vector<QString> lines{QStringLiteral("<HTML>"), QStringLiteral("<body>"), QString(), QString(),
                               QString()};
    append(lines, windowsMediaObjectLines(500, height, fileAddress(path), StatusLine::Shown));
    append(lines, {QStringLiteral("</body>"), QStringLiteral("</html>")});
    return lines;
}

std::vector<QString> rpmLines(const std::vector<SongEntry>& rows)
{
    std::vector<QString> lines;
    lines.reserve(rows.size());
    for (const SongEntry& row : rows)
        lines.push_back(row.subItem(song::kAddress));
    return lines;
}

std::vector<QString> asxLines(const std::vector<SongEntry>& rows, const QString& title)
{
    std::vector<QString> lines;
    lines.reserve(3 * rows.size() + 3);
    lines.push_back(QStringLiteral("<asx version = \"3.0\">"));
    lines.push_back(QStringLiteral("<title>") + title + QStringLiteral("</title>"));
    for (const SongEntry& row : rows) {
        lines.push_back(QStringLiteral("<entry>"));
        lines.push_back(QStringLiteral("<ref href = \"") + row.subItem(song::kAddress) +
                        QStringLiteral("\"/>"));
        lines.push_back(QStringLiteral("</entry>"));
    }
    lines.push_back(QStringLiteral("</asx>"));
    return lines;
}

PlayOnlinePlan playOnlinePlan(const std::vector<SongEntry>& rows, const QString& programFolder)
{
    PlayOnlinePlan plan;
    plan.player =
        rows.empty() ? PlayerKind::WindowsMedia : playerKindForType(rows.front().subItem(song::kType));
    if (plan.player == PlayerKind::RealMedia) {
        plan.sideFile = kRealPlayerSideFile;
        plan.sideLines = rpmLines(rows);
        plan.page = kRealPlayerPage;
        plan.pageLines = realPlayerPage(500, QStringLiteral("0"), programFolder + kRealPlayerSideFile);
        plan.reduction = kRealPlayerReduction;
    } else {
        plan.sideFile = kWindowsMediaSideFile;
        plan.sideLines = asxLines(rows, QStringLiteral("demo"));
        plan.page = kWindowsMediaPage;
        // The source names the list with a blank after it; the player trims it when it opens the list.
        plan.pageLines = windowsMediaPage(68, programFolder + kWindowsMediaSideFile + QStringLiteral(" "));
        plan.reduction = kWindowsMediaReduction;
    }
    return plan;
}

} // namespace lanseek::playback
