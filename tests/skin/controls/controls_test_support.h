#pragma once

// Engines over the program's two skins and pixel helpers for tests of the skinned controls. The oracle
// for a control's look is the skin tool's own render of the same object, size and state.

#include "skin/se_bitmap.h"
#include "skin/skin_embedded.h"
#include "skin/skin_engine.h"
#include "skin/skin_pack.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace lanseek::test {

// The helpers speak of the code under test by its own names.
using namespace lanseek::skin;

inline std::unique_ptr<TSeSkinEngine> embeddedEngine(int index)
{
    auto engine = std::make_unique<TSeSkinEngine>();
    engine->setSkinStream(embeddedSkinStream(index));
    return engine;
}

// The engine's master object or sub-object at `path` ("Button", "Button/Face").
inline TSeSkinObject* masterPart(TSeSkinEngine& engine, const QByteArray& path)
{
    const QList<QByteArray> names = path.split('/');
    TSeSkinObject* object = engine.findObject(names.front());
    for (int i = 1; object && i < names.size(); ++i)
        object = object->findObject(names[i]);
    return object;
}

// The skin tool's render of an object at a size and state.
inline TSeBitmap toolRender(TSeSkinEngine& engine, const QByteArray& path, QSize size, int state)
{
    TSeSkinObject* object = masterPart(engine, path);
    EXPECT_NE(object, nullptr) << path.constData();
    if (!object)
        return TSeBitmap(size.width(), size.height());
    return renderSkinObject(*object, size.width(), size.height(), state);
}

inline QImage grabOf(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// Pixels of the render inside `area` (render coordinates) that are not the key and differ from the
// grab at `at` + the same position.
inline int mismatches(const QImage& grab, const TSeBitmap& render, QRect area, QPoint at = QPoint())
{
    area &= render.rect();
    int bad = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const quint32 expected = render.pixel(x, y);
            if (TSeBitmap::isKey(expected))
                continue;
            const QPoint p = at + QPoint(x, y);
            if (!grab.rect().contains(p) || (grab.pixel(p) & 0xFFFFFF) != (expected & 0xFFFFFF))
                ++bad;
        }
    }
    return bad;
}

// True when no pixel of the grab is the key or a near-key fringe (a dark magenta that anti-aliased
// text leaves when it is drawn over the key).
inline bool hasKeyPixels(const QImage& grab)
{
    for (int y = 0; y < grab.height(); ++y) {
        for (int x = 0; x < grab.width(); ++x) {
            const QRgb p = grab.pixel(x, y);
            const int r = qRed(p), g = qGreen(p), b = qBlue(p);
            if (r > 0x50 && b > 0x50 && g < 0x30 && std::abs(r - b) < 0x30)
                return true;
        }
    }
    return false;
}

} // namespace lanseek::test
