#include "skin/skin_types.h"

#include <array>
#include <cstring>
#include <string>

namespace lanseek::skin {

namespace {

const char* const kKind[] = {"skNone",
                             "skForm",
                             "skCaption",
                             "skTitle",
                             "skTop",
                             "skLeft",
                             "skRight",
                             "skBottom",
                             "skTopLeft",
                             "skTopRight",
                             "skBottomLeft",
                             "skBottomRight",
                             "skSysButton",
                             "skClient",
                             "skMenuBar",
                             "skMenuBarItem",
                             "skMenuBarItemText",
                             "skPopupMenu",
                             "skPopupMenuItem",
                             "skPopupMenuItemText",
                             "skItemText",
                             "skTranparent"};
const char* const kAlign[] = {"saNone",       "saLeft",        "saMostLeft",  "saTop",
                              "saMostTop",    "saRight",       "saMostRight", "saBottom",
                              "saMostBottom", "saClient",      "saTopLeft",   "saTopRight",
                              "saBottomLeft", "saBottomRight", "saCenter",    "saText"};
const char* const kTile[] = {"tsTile", "tsStretch", "tsCenter"};
const char* const kTextAlign[] = {"taTopLeft", "taTopCenter",  "taTopRight",     "taLeft",       "taCenter",
                                  "taRight",   "taBottomLeft", "taBottomCenter", "taBottomRight"};
const char* const kTextEffect[] = {"teNone", "teShadow"};
const char* const kAction[] = {"sbaNone",     "sbaClose",   "sbaHelp",      "sbaMinimize",
                               "sbaMaximize", "sbaRestore", "sbaRollUp",    "sbaRollDown",
                               "sbaTray",     "sbaSysMenu", "sbaRollPanel", "sbaCustom"};
const char* const kRollKind[] = {"rkLeft", "rkTop", "rkRight", "rkBottom"};
const char* const kFontStyle[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
const char* const kFontPitch[] = {"fpDefault", "fpVariable", "fpFixed"};

template <std::size_t N> constexpr EnumNames makeNames(const char* const (&names)[N])
{
    return EnumNames{names, int(N)};
}

struct NamedValue
{
    constexpr NamedValue(const char* n, qint32 v)
        : name(n), value(v), length(std::char_traits<char>::length(n))
    {
    }
    const char* name;
    qint32 value;
    qsizetype length; // of the name, so that most entries are passed over without a comparison
};

// Colour identifiers with their values; system colours carry the high bit and their index.
const NamedValue kColors[] = {
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clNone", clNone},
    {"clDefault", clDefault},
    {"clScrollBar", systemColor(0)},
    {"clBackground", systemColor(1)},
    {"clActiveCaption", systemColor(2)},
    {"clInactiveCaption", systemColor(3)},
    {"clMenu", systemColor(4)},
    {"clWindow", systemColor(5)},
    {"clWindowFrame", systemColor(6)},
    {"clMenuText", systemColor(7)},
    {"clWindowText", systemColor(8)},
    {"clCaptionText", systemColor(9)},
    {"clActiveBorder", systemColor(10)},
    {"clInactiveBorder", systemColor(11)},
    {"clAppWorkSpace", systemColor(12)},
    {"clHighlight", systemColor(13)},
    {"clHighlightText", systemColor(14)},
    {"clBtnFace", systemColor(15)},
    {"clBtnShadow", systemColor(16)},
    {"clGrayText", systemColor(17)},
    {"clBtnText", systemColor(18)},
    {"clInactiveCaptionText", systemColor(19)},
    {"clBtnHighlight", systemColor(20)},
    {"cl3DDkShadow", systemColor(21)},
    {"cl3DLight", systemColor(22)},
    {"clInfoText", systemColor(23)},
    {"clInfoBk", systemColor(24)},
};

// The classic desktop palette, in 0x00BBGGRR, so that system colours resolve the same on every machine.
const qint32 kSystemColors[] = {0xC8C8C8, 0x000000, 0x6A240A, 0x808080, 0xFFFFFF, 0xFFFFFF, 0x000000,
                                0x000000, 0x000000, 0xFFFFFF, 0xC8D0D4, 0xC8D0D4, 0x808080, 0x6A240A,
                                0xFFFFFF, 0xC8D0D4, 0x808080, 0x808080, 0x000000, 0xC8D0D4, 0xFFFFFF,
                                0x404040, 0xC8D0D4, 0x000000, 0xE1FFFF, 0xB5B5B5, 0x800000, 0xF0CAA6,
                                0xC0C0C0, 0xFF6633, 0xF0F0F0};

const NamedValue kCharsets[] = {
    {"ANSI_CHARSET", 0},      {"DEFAULT_CHARSET", 1},    {"SYMBOL_CHARSET", 2},
    {"MAC_CHARSET", 77},      {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129},
    {"JOHAB_CHARSET", 130},   {"GB2312_CHARSET", 134},   {"CHINESEBIG5_CHARSET", 136},
    {"GREEK_CHARSET", 161},   {"TURKISH_CHARSET", 162},  {"VIETNAMESE_CHARSET", 163},
    {"HEBREW_CHARSET", 177},  {"ARABIC_CHARSET", 178},   {"BALTIC_CHARSET", 186},
    {"RUSSIAN_CHARSET", 204}, {"THAI_CHARSET", 222},     {"EASTEUROPE_CHARSET", 238},
    {"OEM_CHARSET", 255},
};

} // namespace

const EnumNames kKindNames = makeNames(kKind);
const EnumNames kAlignNames = makeNames(kAlign);
const EnumNames kTileStyleNames = makeNames(kTile);
const EnumNames kTextAlignNames = makeNames(kTextAlign);
const EnumNames kTextEffectNames = makeNames(kTextEffect);
const EnumNames kActionNames = makeNames(kAction);
const EnumNames kRollKindNames = makeNames(kRollKind);
const EnumNames kFontStyleNames = makeNames(kFontStyle);
const EnumNames kFontPitchNames = makeNames(kFontPitch);

namespace {

constexpr char foldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// Colour and charset names match whatever the case of their letters, folding A to Z only, as Qt's
// case-insensitive comparison of byte arrays does. Compared in place, the first differing byte ends
// the comparison; that matters for tables searched entry by entry for every colour a skin loads.
bool sameIdent(const QByteArray& ident, const char* name)
{
    const char* p = ident.constData();
    const qsizetype n = ident.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (name[i] == 0 || foldAscii(p[i]) != foldAscii(name[i]))
            return false;
    }
    return name[n] == 0;
}

} // namespace

int EnumNames::valueOf(const QByteArray& name) const
{
    for (int i = 0; i < count; ++i) {
        if (name == names[i])
            return i;
    }
    return -1;
}

const char* EnumNames::nameOf(int value) const
{
    return value >= 0 && value < count ? names[value] : nullptr;
}

// The value of an identifier in a table of named values, compared without regard to case.
template <std::size_t N, class Value>
bool valueOfIdent(const NamedValue (&table)[N], const QByteArray& ident, Value* value)
{
    for (const auto& c : table) {
        if (c.length == ident.size() && sameIdent(ident, c.name)) {
            *value = c.value;
            return true;
        }
    }
    return false;
}

// The identifier of a value in a table of named values, empty when the table has none.
template <std::size_t N> QByteArray identOfValue(const NamedValue (&table)[N], qint32 value)
{
    for (const auto& c : table) {
        if (c.value == value)
            return QByteArray(c.name);
    }
    return {};
}

bool colorFromIdent(const QByteArray& ident, TColor* color)
{
    return valueOfIdent(kColors, ident, color);
}

QByteArray colorToIdent(TColor color)
{
    return identOfValue(kColors, color);
}

bool charsetFromIdent(const QByteArray& ident, int* charset)
{
    return valueOfIdent(kCharsets, ident, charset);
}

QByteArray charsetToIdent(int charset)
{
    return identOfValue(kCharsets, charset);
}

TColor colorToRgb(TColor color)
{
    if (color < 0) {
        const int index = color & 0xFF;
        const int count = int(std::size(kSystemColors));
        return index < count ? kSystemColors[index] : 0;
    }
    return color & 0xFFFFFF;
}

QRgb colorToPixel(TColor color)
{
    const TColor rgb = colorToRgb(color);
    return qRgba(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF, 255);
}

TColor pixelToColor(QRgb pixel)
{
    return TColor(qRed(pixel) | (qGreen(pixel) << 8) | (qBlue(pixel) << 16));
}

} // namespace lanseek::skin
