#include "platform/ui/folder_tree.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <algorithm>

namespace lanseek::platform {

namespace {

constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kReadRole = Qt::UserRole + 2; // the folder's subfolders have been read

const QFileIconProvider& iconProvider()
{
    static const QFileIconProvider provider;
    return provider;
}

QStandardItem* folderItem(const QString& label, const QString& path, const QIcon& icon)
{
    auto* item = new QStandardItem(icon, label);
    item->setData(path, kPathRole);
    item->setData(false, kReadRole);
    item->setEditable(false);
    item->setToolTip(QDir::toNativeSeparators(path));
    return item;
}

// Whether the folder lies inside (or is) the place's folder.
bool holds(const QString& place, const QString& path)
{
    if (place == path)
        return true;
    const QString prefix = place.endsWith(QLatin1Char('/')) ? place : place + QLatin1Char('/');
    return path.startsWith(prefix);
}

// Mounts a user attaches (discs, sticks, network shares) rather than the system's own file systems.
bool isUserVolume(const QStorageInfo& volume)
{
    const QString root = volume.rootPath();
    return volume.isValid() && volume.isReady() &&
           (root.startsWith(QStringLiteral("/media/")) || root.startsWith(QStringLiteral("/mnt/")) ||
            root.startsWith(QStringLiteral("/run/media/")));
}

} // namespace

std::vector<FolderTreeModel::Place> FolderTreeModel::startPlaces()
{
    std::vector<Place> places;
    const QString home = QDir::cleanPath(QDir::homePath());
    if (QFileInfo(home).isDir())
        places.push_back({QStringLiteral("主文件夹"), home, Place::Kind::Folder});
    for (QStandardPaths::StandardLocation location :
         {QStandardPaths::MusicLocation, QStandardPaths::DownloadLocation}) {
        const QString folder = QDir::cleanPath(QStandardPaths::writableLocation(location));
        if (folder.isEmpty() || folder == home || !QFileInfo(folder).isDir())
            continue;
        const bool listed = std::any_of(places.begin(), places.end(),
                                        [&folder](const Place& place) { return place.path == folder; });
        if (!listed)
            places.push_back({QDir(folder).dirName(), folder, Place::Kind::Folder});
    }
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    std::sort(volumes.begin(), volumes.end(),
              [](const QStorageInfo& a, const QStorageInfo& b) { return a.rootPath() < b.rootPath(); });
    for (const QStorageInfo& volume : volumes) {
        if (!isUserVolume(volume))
            continue;
        // A volume without a name of its own is shown by the last part of where it is mounted.
        const QString name = volume.displayName();
        const QString label =
            name.isEmpty() || name == volume.rootPath() ? QDir(volume.rootPath()).dirName() : name;
        places.push_back({label, volume.rootPath(), Place::Kind::Volume});
    }
    places.push_back({QStringLiteral("文件系统"), QDir::rootPath(), Place::Kind::Root});
    return places;
}

FolderTreeModel::FolderTreeModel(QObject* parent) : FolderTreeModel(startPlaces(), parent) {}

FolderTreeModel::FolderTreeModel(const std::vector<Place>& places, QObject* parent)
    : QStandardItemModel(parent)
{
    setColumnCount(1);
    addPlaces(places);
}

void FolderTreeModel::addPlaces(const std::vector<Place>& places)
{
    for (const Place& place : places) {
        QIcon icon;
        switch (place.kind) {
        case Place::Kind::Folder:
            icon = iconProvider().icon(QFileInfo(place.path));
            break;
        case Place::Kind::Volume:
            icon = iconProvider().icon(QAbstractFileIconProvider::Drive);
            break;
        case Place::Kind::Root:
            icon = iconProvider().icon(QAbstractFileIconProvider::Computer);
            break;
        }
        appendRow(folderItem(place.label, QDir::cleanPath(place.path), icon));
    }
}

QString FolderTreeModel::filePath(const QModelIndex& index) const
{
    return index.isValid() ? index.data(kPathRole).toString() : QString();
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return rowCount() > 0;
    if (!parent.data(kReadRole).toBool())
        return true;
    return QStandardItemModel::hasChildren(parent);
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const
{
    return parent.isValid() && !parent.data(kReadRole).toBool();
}

void FolderTreeModel::fetchMore(const QModelIndex& parent)
{
    QStandardItem* item = itemFromIndex(parent);
    if (!item || item->data(kReadRole).toBool())
        return;
    // Marked first, which also tells the view to ask again whether the folder opens: a folder without
    // subfolders loses its indicator here.
    item->setData(true, kReadRole);
    const QDir folder(filePath(parent));
    const QFileInfoList subfolders = folder.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot,
                                                          QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    QList<QStandardItem*> rows;
    rows.reserve(subfolders.size());
    for (const QFileInfo& info : subfolders)
        rows << folderItem(info.fileName(), folder.filePath(info.fileName()), iconProvider().icon(info));
    // One insertion for the whole folder, however many subfolders it has.
    if (!rows.isEmpty())
        item->appendRows(rows);
}

QModelIndex FolderTreeModel::index(const QString& path)
{
    const QString wanted = QDir::cleanPath(path);
    QModelIndex best;
    for (int row = 0; row < rowCount(); ++row) {
        const QModelIndex place = QStandardItemModel::index(row, 0);
        if (holds(filePath(place), wanted) &&
            (!best.isValid() || filePath(place).size() > filePath(best).size()))
            best = place;
    }
    if (!best.isValid())
        return {};
    QModelIndex current = best;
    const QString placePath = filePath(best);
    QString rest = wanted.mid(placePath.size());
    const QStringList names = rest.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        fetchMore(current);
        QModelIndex next;
        for (int row = 0; row < rowCount(current); ++row) {
            const QModelIndex child = QStandardItemModel::index(row, 0, current);
            if (child.data(Qt::DisplayRole).toString() == name) {
                next = child;
                break;
            }
        }
        if (!next.isValid())
            return {};
        current = next;
    }
    return current;
}

} // namespace lanseek::platform
