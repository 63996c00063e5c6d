#pragma once

// Icons for the five media types the program knows, in the order the image list keeps them:
// MP3, RM, WMA, ASF, RAM. They come from the desktop's icon theme where it has distinct icons for the
// matching MIME types, otherwise from small badges drawn here, so the list always shows five different
// icons and nothing is written to disk.

#include <QList>
#include <QPixmap>
#include <QString>

namespace lanseek::platform {

inline constexpr int kMediaTypeCount = 5;

// The MIME type looked up in the icon theme for media type index 0..4.
QString mediaTypeMime(int index);
// The badge drawn when the theme has no distinct icon.
QPixmap fallbackMediaIcon(int index, int size);
// Five icons of size x size pixels, pairwise different.
QList<QPixmap> mediaTypeIcons(int size = 16);

} // namespace lanseek::platform
