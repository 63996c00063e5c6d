#pragma once

#include <QByteArray>
#include <QRgb>
#include <cstdint>
#include <stdexcept>
#include <string>

// Shared enumerations and colour helpers of the skin engine. The enumerations keep the design names
// and the order in which their values are stored by name in skin data.

enum TSeKind {
    skNone,
    skForm,
    skCaption,
    skTitle,
    skTop,
    skLeft,
    skRight,
    skBottom,
    skTopLeft,
    skTopRight,
    skBottomLeft,
    skBottomRight,
    skSysButton,
    skClient,
    skMenuBar,
    skMenuBarItem,
    skMenuBarItemText,
    skPopupMenu,
    skPopupMenuItem,
    skPopupMenuItemText,
    skItemText,
    skTranparent
};

enum TSeAlign {
    saNone,
    saLeft,
    saMostLeft,
    saTop,
    saMostTop,
    saRight,
    saMostRight,
    saBottom,
    saMostBottom,
    saClient,
    saTopLeft,
    saTopRight,
    saBottomLeft,
    saBottomRight,
    saCenter,
    saText
};

enum TscTileStyle { tsTile, tsStretch, tsCenter };

enum TSeTextAlign {
    taTopLeft,
    taTopCenter,
    taTopRight,
    taLeft,
    taCenter,
    taRight,
    taBottomLeft,
    taBottomCenter,
    taBottomRight
};

enum TSeTextEffect { teNone, teShadow };

enum TSeAction {
    sbaNone,
    sbaClose,
    sbaHelp,
    sbaMinimize,
    sbaMaximize,
    sbaRestore,
    sbaRollUp,
    sbaRollDown,
    sbaTray,
    sbaSysMenu,
    sbaRollPanel,
    sbaCustom
};

enum TSeRollKind { rkLeft, rkTop, rkRight, rkBottom };

// Border icons of a skinned window; caption buttons hide themselves when their icon is absent.
enum TSeBorderIcon { kbiClose, kbiSystemMenu, kbiMinimize, kbiMaximize, kbiHelp, kbiRollup, kbiTray };

// A colour as stored in skin data: 0x00BBGGRR, or a system colour (high bit set, low byte the index),
// or one of the two special values below.
using TColor = qint32;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clGray = 0x808080;
constexpr TColor systemColor(int index)
{
    return static_cast<TColor>(0x80000000u | unsigned(index));
}
constexpr TColor clBtnFace = systemColor(15);
constexpr TColor clWindowText = systemColor(8);
constexpr TColor clWindow = systemColor(5);

namespace lanseek::skin {

// Skin errors carry the short English messages the engine has always used.
class SkinError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
class CompressionError : public SkinError
{
public:
    CompressionError() : SkinError("error") {}
};
class DecompressionError : public SkinError
{
public:
    DecompressionError() : SkinError("error") {}
};
class StreamOperationError : public SkinError
{
public:
    StreamOperationError() : SkinError("Invalid stream operation") {}
};
class BitmapAllocationError : public SkinError
{
public:
    BitmapAllocationError() : SkinError("Can't allocate the DIB handle") {}
};
// Raised for data that cannot be understood at all (a damaged object record, a broken BMP).
class FormatError : public SkinError
{
public:
    using SkinError::SkinError;
};

// Name table of a stored enumeration, in value order.
struct EnumNames
{
    const char* const* names;
    int count;
    int valueOf(const QByteArray& name) const; // -1 when unknown
    const char* nameOf(int value) const;       // nullptr when out of range
};
extern const EnumNames kKindNames;
extern const EnumNames kAlignNames;
extern const EnumNames kTileStyleNames;
extern const EnumNames kTextAlignNames;
extern const EnumNames kTextEffectNames;
extern const EnumNames kActionNames;
extern const EnumNames kRollKindNames;
extern const EnumNames kFontStyleNames; // fsBold, fsItalic, fsUnderline, fsStrikeOut
extern const EnumNames kFontPitchNames; // fpDefault, fpVariable, fpFixed

// Colour names: the identifiers the text form uses for known colours.
bool colorFromIdent(const QByteArray& ident, TColor* color);
QByteArray colorToIdent(TColor color); // empty when the colour has no name
bool charsetFromIdent(const QByteArray& ident, int* charset);
QByteArray charsetToIdent(int charset);

// Resolves a system colour to its RGB value and returns the colour as 0x00BBGGRR.
TColor colorToRgb(TColor color);
// Converts a resolved colour to a pixel (0xAARRGGBB with alpha 255).
QRgb colorToPixel(TColor color);
TColor pixelToColor(QRgb pixel);

} // namespace lanseek::skin
