#include "app/shared/shared_folders.h"

#include <QDir>

namespace lanseek::app {

QString withSeparator(QString folder)
{
    folder = QDir::toNativeSeparators(folder);
    if (!folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    return folder;
}

SharedFolders::SharedFolders(QString programFolder)
    : m_programFolder(withSeparator(std::move(programFolder))),
      m_musicFolder(m_programFolder + QStringLiteral("music") + QDir::separator())
{
}

void SharedFolders::setMusicFolder(const QString& folder)
{
    m_musicFolder = withSeparator(folder);
}

void SharedFolders::setProgramFolder(const QString& folder)
{
    m_programFolder = withSeparator(folder);
}

} // namespace lanseek::app
