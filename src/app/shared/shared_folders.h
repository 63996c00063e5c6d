#pragma once

// The folders that several subsystems use: the program folder (player pages, the card, "pic" and "music"
// live there) and the music folder new download rows are saved to. The window sets them up at start-up;
// the save-folder chooser changes the music folder. Both always end with a separator.

#include <QString>

namespace lanseek::app {

class SharedFolders
{
public:
    // programFolder: the program's folder, with its trailing separator.
    explicit SharedFolders(QString programFolder);

    const QString& programFolder() const { return m_programFolder; }
    const QString& musicFolder() const { return m_musicFolder; }
    // A folder without a trailing separator gets one.
    void setMusicFolder(const QString& folder);
    void setProgramFolder(const QString& folder);

private:
    QString m_programFolder;
    QString m_musicFolder;
};

// folder with the platform's separator at its end.
QString withSeparator(QString folder);

} // namespace lanseek::app
