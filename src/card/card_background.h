#pragma once

// The picture behind a new card. The program offers "pic/0103.jpg" in its folder as the default
// background; when it is missing, a picture of our own is drawn there.

#include <QImage>
#include <QString>

namespace lanseek::card {

QImage defaultBackground(int width = 640, int height = 400);
// Writes the default picture to path unless a file is already there; false when it cannot be written.
bool ensureDefaultBackground(const QString& path);

} // namespace lanseek::card
