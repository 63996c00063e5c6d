#pragma once

#include "skin/objects/skin_state.h"
#include "skin/se_bitmap.h"
#include "skin/skin_types.h"

#include <QByteArray>
#include <QFont>
#include <QRect>
#include <QString>
#include <algorithm>
#include <memory>
#include <vector>

// The values skin objects are made of besides numbers and enumerations: fonts, links to bitmaps, and the
// 8-bit text skin data stores names in.

// The bitmaps of one skin, owned by its source; objects refer to them without owning them.
using TSeBitmapList = std::vector<std::unique_ptr<TSeBitmap>>;

// A font as skin data stores it.
struct TSeFont
{
    int Charset = 1; // DEFAULT_CHARSET
    TColor Color = clWindowText;
    int Height = -12;
    QByteArray Name = QByteArrayLiteral("WenQuanYi Micro Hei"); // static data: no copy per font
    int Pitch = 0;
    int Style = 0; // bit 0 bold, 1 italic, 2 underline, 3 strike-out

    QFont toQFont() const;
    bool operator==(const TSeFont&) const = default;
};

// A named bitmap and a source rectangle in it; the bitmap is found by name after loading.
struct TSeBitmapLink
{
    QByteArray Name;
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    TSeBitmap* bitmap = nullptr;

    bool usable() const { return bitmap != nullptr && Right > Left && Bottom > Top; }
    QRect rect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    bool operator==(const TSeBitmapLink& o) const
    {
        return Name == o.Name && Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
};

namespace lanseek::skin {

// Coordinates, sizes and margins beyond this are not pictures but damage; keeping them in range keeps
// every sum of two of them inside an int.
constexpr qint64 kCoordinateLimit = 1 << 24;
constexpr int boundCoordinate(qint64 v)
{
    return int(std::clamp<qint64>(v, -kCoordinateLimit, kCoordinateLimit));
}

// A title cut to fit a width: the leading characters that fit together with "...", or the whole text.
QString elideTitle(const QString& text, const QFont& font, int width);
// Width of a text in a skin font, measured as it will be drawn.
int textWidth(const QString& text, const TSeFont& font);
// The link of a control state when it is usable, else the normal one.
const TSeBitmapLink& usableForState(int state, const TSeBitmapLink& normal, const TSeBitmapLink& hot,
                                    const TSeBitmapLink& pressed, const TSeBitmapLink& focused,
                                    const TSeBitmapLink& disabled);

// Hue shifts of object colours and font colours (clNone is never shifted).
void shiftColorInPlace(TColor& color, int delta);
void shiftFontHue(TSeFont& font, int delta);

// Text decoded from the skin's 8-bit form (the program's code page), and back.
QString fromSkinText(const QByteArray& bytes);
QByteArray toSkinText(const QString& text);

} // namespace lanseek::skin
