// Builds with the skin format library's own compile settings: its headers and Qt Gui are on the path.
#include "skin/skin_engine.h"

#include <QImage>

int formatProbe()
{
    return QImage(1, 1, QImage::Format_ARGB32).width();
}
