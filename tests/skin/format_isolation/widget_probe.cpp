// The same as gui_probe.cpp with one widget header more, which the skin format library's include path
// must not provide.
#include "skin/skin_engine.h"

#include <QImage>
#include <QWidget>

int formatProbe()
{
    return QImage(1, 1, QImage::Format_ARGB32).width();
}
