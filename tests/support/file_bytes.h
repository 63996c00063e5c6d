#pragma once

// Bytes for the songs that test servers serve, and what a file on disk holds, for tests that compare them.

#include <QFile>
#include <QString>

#include <cstddef>
#include <string>

namespace lanseek::test {

// size bytes of a pattern of its own for each seed, with no run repeating within a megabyte: a range that
// lands at the wrong offset, or another song's bytes, do not compare equal.
inline std::string blob(std::size_t size, unsigned seed = 0)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 251 + seed * 17) & 0xFF);
    return bytes;
}

// The whole file, or "(missing)" when it cannot be read.
inline std::string readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "(missing)";
    return file.readAll().toStdString();
}

} // namespace lanseek::test
