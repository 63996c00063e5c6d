#include "download/download_rules.h"

#include "platform/net/http_address.h"

#include <QDir>

#include <algorithm>

namespace lanseek::download {

int workerTag(int slot, int index)
{
    return 100 * (slot + 1) + index;
}

std::optional<int> slotOfTag(int tag)
{
    for (int slot = 0; slot < kFileSlots; ++slot) {
        const int base = 100 * (slot + 1);
        if (tag >= base && tag <= base + 49)
            return slot;
    }
    return std::nullopt;
}

std::optional<int> counterOfTag(int tag)
{
    const auto slot = slotOfTag(tag);
    if (!slot)
        return std::nullopt;
    const int index = tag - 100 * (*slot + 1);
    if (index >= kBarsPerSlot)
        return std::nullopt;
    return kBarsPerSlot * *slot + index;
}

QString workerLabel(int tag)
{
    const auto counter = counterOfTag(tag);
    if (!counter)
        return {};
    return QStringLiteral("文件%1线程%2：").arg(*counter / kBarsPerSlot + 1).arg(*counter % kBarsPerSlot + 1);
}

QString speedText(std::int64_t bytesDelta)
{
    // C++ integer division truncates toward zero, as the speed must.
    return QString::number(bytesDelta / 1024) + QStringLiteral("k/s");
}

QString elapsedText(int seconds)
{
    return QStringLiteral("总耗时：") + QString::number(seconds) + QStringLiteral("秒");
}

QString safeExtension(const QString& text)
{
    QString safe = text;
    for (QChar& c : safe) {
        const char16_t u = c.unicode();
        if (u == u'/' || u == u'\\' || u < 0x20 || u == 0x7F)
            c = QLatin1Char('_');
    }
    return safe;
}

QString safeNamePart(const QString& text)
{
    QString safe = safeExtension(text);
    for (QChar& c : safe) {
        if (c != QLatin1Char('.'))
            break;
        c = QLatin1Char('_');
    }
    return safe;
}

QString savePathFor(const QString& folder, const QString& name, const QString& type)
{
    return folder + safeNamePart(name) + QLatin1Char('.') + safeExtension(type);
}

bool needsFallbackName(const QString& songName, const QString& savePath)
{
    const QString name = songName.trimmed();
    const bool onlyDots =
        std::all_of(name.begin(), name.end(), [](QChar c) { return c == QLatin1Char('.'); });
    if (onlyDots) // an empty name included
        return true;
    const qsizetype cut =
        std::max(savePath.lastIndexOf(QLatin1Char('/')), savePath.lastIndexOf(QLatin1Char('\\')));
    const QString fileName = savePath.mid(cut + 1);
    return fileName.isEmpty() || fileName.startsWith(QLatin1Char('.'));
}

namespace {

// path with "(n)" before the last dot of its file name, or at its end when the file name has no dot.
QString numberedPath(const QString& path, int n)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot <= cut + 1) // no dot in the file name, or only a leading one
        dot = path.size();
    return path.left(dot) + QStringLiteral("(%1)").arg(n) + path.mid(dot);
}

} // namespace

QString uniqueSavePath(const QString& path, const QString& address, const std::vector<TakenPath>& taken)
{
    const QString ownAddress = address.trimmed();
    const auto usedByAnother = [&](const QString& candidate) {
        const QString clean = QDir::cleanPath(candidate);
        return std::any_of(taken.begin(), taken.end(), [&](const TakenPath& other) {
            return QDir::cleanPath(other.path) == clean && other.address.trimmed() != ownAddress;
        });
    };
    if (!usedByAnother(path))
        return path;
    for (int n = 2;; ++n) {
        const QString candidate = numberedPath(path, n);
        if (!usedByAnother(candidate))
            return candidate;
    }
}

QString fallbackExtension(const QString& address)
{
    const QString extension = address.right(3).trimmed();
    return extension == QStringLiteral("Mrm") ? QStringLiteral("rm") : extension;
}

QString fallbackPath(const QString& musicFolder, const QString& nameBoxText, int row,
                     const QString& extension)
{
    return musicFolder + safeNamePart(nameBoxText.trimmed() + QString::number(row)) + QLatin1Char('.') +
           safeExtension(extension);
}

std::optional<std::string> connectTarget(const QString& address)
{
    const auto parsed = platform::parseHttpUrl(address.trimmed().toStdString());
    if (!parsed)
        return std::nullopt;
    return parsed->host + ":" + std::to_string(parsed->port);
}

QStringList reportLines(const FileReport& report)
{
    return {report.when,
            report.songName + (report.complete ? QStringLiteral("下载完毕!") : QStringLiteral("下载不完整!")),
            QStringLiteral("保存地址：") + report.savePath,
            QStringLiteral("用时：") + report.seconds + QStringLiteral("秒"),
            QStringLiteral("下载地址：") + report.address,
            QStringLiteral("文件大小：") + report.sizeText};
}

int shownSlotOf(const std::optional<QString>& selectedRowSequence)
{
    if (!selectedRowSequence)
        return 0;
    bool ok = false;
    const int sequence = selectedRowSequence->trimmed().toInt(&ok);
    if (!ok)
        return 0;
    // A negative sequence cannot come from the queue; keep the slot in range all the same.
    return ((sequence % kFileSlots) + kFileSlots) % kFileSlots;
}

} // namespace lanseek::download
