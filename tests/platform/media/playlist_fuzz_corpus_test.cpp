#include "fuzz_playlist_entries.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

// Every seed and every input the fuzzer ever found troublesome goes through the same entry point as
// under libFuzzer, so ordinary builds keep them passing.
TEST(FuzzCorpus, PlaylistReaders)
{
    const QDir dir(QStringLiteral(LANSEEK_FUZZ_CORPUS "/playlists"));
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray data = f.readAll();
        SCOPED_TRACE(name.toStdString());
        lanseek::platform::fuzz::playlistBytes(reinterpret_cast<const uint8_t*>(data.constData()),
                                               size_t(data.size()));
    }
}
