#pragma once

// The folder tree of a folder chooser: it starts where a user of this desktop looks for a folder (the home
// folder, its music and downloads folders, mounted volumes, then the root of the file system) and reads a
// folder's subfolders only when it is opened. Until then every folder shows that it can be opened, so the
// tree looks expandable at a glance without reading the disk. Folders carry the desktop's icons.

#include <QStandardItemModel>
#include <QString>

#include <vector>

namespace lanseek::platform {

class FolderTreeModel : public QStandardItemModel
{
    Q_OBJECT
public:
    // A top-level entry: what the tree shows and the folder it stands for.
    struct Place
    {
        enum class Kind { Folder, Volume, Root };
        QString label;
        QString path;
        Kind kind = Kind::Folder;
    };
    // This desktop's places, in the order a user looks through them; folders that do not exist are left out.
    static std::vector<Place> startPlaces();

    explicit FolderTreeModel(QObject* parent = nullptr);
    FolderTreeModel(const std::vector<Place>& places, QObject* parent);

    // The folder's full path; empty for an invalid index.
    QString filePath(const QModelIndex& index) const;
    // The entry of a folder, reading the folders on the way to it; under the place whose folder holds it
    // most closely. Invalid when the folder is not there.
    QModelIndex index(const QString& path);
    using QStandardItemModel::index;

    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    void addPlaces(const std::vector<Place>& places);
};

} // namespace lanseek::platform
