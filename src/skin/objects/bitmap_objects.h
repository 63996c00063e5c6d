#pragma once

#include "skin/objects/skin_object.h"

// Objects that draw a rectangle of a skin bitmap in nine parts: fixed corners, edges and a centre.

class TSeBitmapObject : public TSeSkinObject
{
public:
    TSeBitmapObject() = default;
    const lanseek::skin::PropertyTable& properties() const override;
    TSeBitmapLink Bitmap;
    TscTileStyle BorderTileStyle = tsTile;
    bool MaskedBorder = true;
    bool MaskedAngles = true;
    TscTileStyle TileStyle = tsTile;

    void draw(const TSeCanvas& canvas) override;
    QRegion createRegion() override;
    // The link drawn in the current state.
    virtual const TSeBitmapLink& currentLink() const { return Bitmap; }
    // The bitmap alone in nine parts, without text and children.
    void drawBitmapParts(const TSeCanvas& canvas) const;
};

// Draws its active bitmap while its window is active or the control is hot or focused.
class TSeActiveBitmap : public TSeBitmapObject
{
public:
    const lanseek::skin::PropertyTable& properties() const override;
    TSeBitmapLink ActiveBitmap;
    TSeFont ActiveFont;
    const TSeBitmapLink& currentLink() const override;
    const TSeFont& currentFont() const override;
};

// Has a bitmap for each control state.
class TSeButtonObject : public TSeBitmapObject
{
public:
    const lanseek::skin::PropertyTable& properties() const override;
    TSeBitmapLink BitmapHot;
    TSeBitmapLink BitmapFocused;
    TSeBitmapLink BitmapPressed;
    TSeBitmapLink BitmapDisabled;
    const TSeBitmapLink& currentLink() const override;
};

namespace lanseek::skin {

inline constexpr PropertyEntry kBitmapObjectProperties[] = {
    property::link<&TSeBitmapObject::Bitmap>("Bitmap"),
    property::enumeration<&TSeBitmapObject::BorderTileStyle>("BorderTileStyle", kTileStyleNames),
    property::boolean<&TSeBitmapObject::MaskedBorder>("MaskedBorder"),
    property::boolean<&TSeBitmapObject::MaskedAngles>("MaskedAngles"),
    property::enumeration<&TSeBitmapObject::TileStyle>("TileStyle", kTileStyleNames),
};
inline constexpr PropertyTable kBitmapObjectTable{"TSeBitmapObject", &kSkinObjectTable,
                                                  kBitmapObjectProperties};

inline constexpr PropertyEntry kActiveBitmapProperties[] = {
    property::link<&TSeActiveBitmap::ActiveBitmap>("ActiveBitmap"),
    property::font<&TSeActiveBitmap::ActiveFont>("ActiveFont"),
};
inline constexpr PropertyTable kActiveBitmapTable{"TSeActiveBitmap", &kBitmapObjectTable,
                                                  kActiveBitmapProperties};

inline constexpr PropertyEntry kButtonObjectProperties[] = {
    property::link<&TSeButtonObject::BitmapHot>("BitmapHot"),
    property::link<&TSeButtonObject::BitmapFocused>("BitmapFocused"),
    property::link<&TSeButtonObject::BitmapPressed>("BitmapPressed"),
    property::link<&TSeButtonObject::BitmapDisabled>("BitmapDisabled"),
};
inline constexpr PropertyTable kButtonObjectTable{"TSeButtonObject", &kBitmapObjectTable,
                                                  kButtonObjectProperties};

} // namespace lanseek::skin
