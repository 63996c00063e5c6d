#include "skin/skin_file_read.h"

#include "skin/skin_log.h"
#include "skin/skin_source.h"

#include <QFile>
#include <QFileInfo>

#include <exception>
#include <memory>
#include <new>

namespace lanseek::skin {
namespace {

bool isCompressedVariant(const TSeSkinFilter& filter)
{
    return dynamic_cast<const TSeSkinFilterCompressed*>(&filter) != nullptr;
}

SkinFileProblem failed(TSeSkinSource& into, SkinFileProblem problem, const QString& path, const char* why)
{
    into.clear();
    qCWarning(skinLog).noquote()
        << QStringLiteral("skin file %1 not taken: %2").arg(path, QLatin1String(why));
    return problem;
}

} // namespace

SkinFileProblem readSkinFile(const QString& path, TSeSkinSource& into)
{
    into.clear();
    const QFileInfo info(path);
    if (!info.exists())
        return failed(into, SkinFileProblem::Missing, path, "it does not exist");
    std::unique_ptr<TSeSkinFilter> filter = filterForFileName(path, &into);
    if (!filter || !info.isFile())
        return failed(into, SkinFileProblem::NotASkin, path, "no skin file extension");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(into, SkinFileProblem::Unreadable, path, "it cannot be opened");
    // A compressed file always starts with its magic; without it the file is something else renamed.
    const QByteArray magic = file.peek(4);
    const bool hasMagic = magic == QByteArrayLiteral("KSLZ");
    try {
        SeDeviceStream stream(&file);
        filter->readSkin(stream);
    } catch (const std::bad_alloc&) {
        return failed(into, SkinFileProblem::Damaged, path, "its sizes are out of range");
    } catch (const std::exception&) {
        const bool foreign =
            isCompressedVariant(*filter) ? !hasMagic : into.bitmapCount() == 0 && into.objectCount() == 0;
        return failed(into, foreign ? SkinFileProblem::NotASkin : SkinFileProblem::Damaged, path,
                      "its data does not decode");
    }
    if (into.loadReport().damagedRecords > 0)
        return failed(into, SkinFileProblem::Damaged, path, "some of its objects do not parse");
    // A skin is worn by windows first of all: without a form object there is nothing to frame them with.
    // What began as a skin and ends without one broke off on the way.
    if (into.isEmpty() || into.formObject() == nullptr) {
        const bool began =
            into.bitmapCount() > 0 || into.objectCount() > 0 || (isCompressedVariant(*filter) && hasMagic);
        return failed(into, began ? SkinFileProblem::Damaged : SkinFileProblem::NotASkin, path,
                      "it holds no window object");
    }
    return SkinFileProblem::None;
}

} // namespace lanseek::skin
