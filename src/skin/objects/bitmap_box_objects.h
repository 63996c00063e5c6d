#pragma once

#include "skin/objects/skin_object.h"

// Objects that draw a rectangle of a skin bitmap in one piece (or, for the boxes, in nine parts with
// every part masked alike). The program's own skins do not use them; they load, copy and keep their
// properties and draw by the simplest reading of their names.

class TSeBitmapSkinObject : public TSeSkinObject
{
public:
    const lanseek::skin::PropertyTable& properties() const override;
    TSeBitmapLink Bitmap;
    TscTileStyle TileStyle = tsTile;
    void draw(const TSeCanvas& canvas) override;
    virtual const TSeBitmapLink& currentLink() const { return Bitmap; }

protected:
    // Lays the usable link of the current state into the bounds.
    virtual void drawLink(const TSeCanvas& canvas, const TSeBitmapLink& link) const;
};

// Draws its inactive bitmap while its window is inactive.
class TSeFormBitmapSkinObject : public TSeBitmapSkinObject
{
public:
    const lanseek::skin::PropertyTable& properties() const override;
    TSeBitmapLink InactiveBitmap;
    const TSeBitmapLink& currentLink() const override;
};

class TSeSysButtonSkinObject : public TSeBitmapSkinObject
{
public:
    const lanseek::skin::PropertyTable& properties() const override;
    TSeAction Action = sbaNone;
    TSeBitmapLink BitmapHover;
    TSeBitmapLink BitmapDown;
    QByteArray RollPanel;
    const TSeBitmapLink& currentLink() const override;
};

class TSeBitmapBoxObject : public TSeBitmapSkinObject
{
public:
    const lanseek::skin::PropertyTable& properties() const override;
    TscTileStyle BorderTileStyle = tsTile;

protected:
    // In nine parts, every part masked alike.
    void drawLink(const TSeCanvas& canvas, const TSeBitmapLink& link) const override;
};

class TSeActiveBitmapBoxObject : public TSeBitmapBoxObject
{
public:
    const lanseek::skin::PropertyTable& properties() const override;
    TSeBitmapLink FocusedBitmap;
    const TSeBitmapLink& currentLink() const override;
};

class TSeButtonBitmapBoxObject : public TSeBitmapBoxObject
{
public:
    const lanseek::skin::PropertyTable& properties() const override;
    TSeBitmapLink HotBitmap;
    TSeBitmapLink FocusedBitmap;
    TSeBitmapLink PressedBitmap;
    TSeBitmapLink DisabledBitmap;
    const TSeBitmapLink& currentLink() const override;
};

namespace lanseek::skin {

inline constexpr PropertyEntry kBitmapSkinObjectProperties[] = {
    property::link<&TSeBitmapSkinObject::Bitmap>("Bitmap"),
    property::enumeration<&TSeBitmapSkinObject::TileStyle>("TileStyle", kTileStyleNames),
};
inline constexpr PropertyTable kBitmapSkinObjectTable{"TSeBitmapSkinObject", &kSkinObjectTable,
                                                      kBitmapSkinObjectProperties};

inline constexpr PropertyEntry kFormBitmapSkinObjectProperties[] = {
    property::link<&TSeFormBitmapSkinObject::InactiveBitmap>("InactiveBitmap"),
};
inline constexpr PropertyTable kFormBitmapSkinObjectTable{"TSeFormBitmapSkinObject", &kBitmapSkinObjectTable,
                                                          kFormBitmapSkinObjectProperties};

inline constexpr PropertyEntry kSysButtonSkinObjectProperties[] = {
    property::enumeration<&TSeSysButtonSkinObject::Action>("Action", kActionNames),
    property::link<&TSeSysButtonSkinObject::BitmapHover>("BitmapHover"),
    property::link<&TSeSysButtonSkinObject::BitmapDown>("BitmapDown"),
    property::text<&TSeSysButtonSkinObject::RollPanel>("RollPanel"),
};
inline constexpr PropertyTable kSysButtonSkinObjectTable{"TSeSysButtonSkinObject", &kBitmapSkinObjectTable,
                                                         kSysButtonSkinObjectProperties};

inline constexpr PropertyEntry kBitmapBoxObjectProperties[] = {
    property::enumeration<&TSeBitmapBoxObject::BorderTileStyle>("BorderTileStyle", kTileStyleNames),
};
inline constexpr PropertyTable kBitmapBoxObjectTable{"TSeBitmapBoxObject", &kBitmapSkinObjectTable,
                                                     kBitmapBoxObjectProperties};

inline constexpr PropertyEntry kActiveBitmapBoxObjectProperties[] = {
    property::link<&TSeActiveBitmapBoxObject::FocusedBitmap>("FocusedBitmap"),
};
inline constexpr PropertyTable kActiveBitmapBoxObjectTable{"TSeActiveBitmapBoxObject", &kBitmapBoxObjectTable,
                                                           kActiveBitmapBoxObjectProperties};

inline constexpr PropertyEntry kButtonBitmapBoxObjectProperties[] = {
    property::link<&TSeButtonBitmapBoxObject::HotBitmap>("HotBitmap"),
    property::link<&TSeButtonBitmapBoxObject::FocusedBitmap>("FocusedBitmap"),
    property::link<&TSeButtonBitmapBoxObject::PressedBitmap>("PressedBitmap"),
    property::link<&TSeButtonBitmapBoxObject::DisabledBitmap>("DisabledBitmap"),
};
inline constexpr PropertyTable kButtonBitmapBoxObjectTable{"TSeButtonBitmapBoxObject", &kBitmapBoxObjectTable,
                                                           kButtonBitmapBoxObjectProperties};

} // namespace lanseek::skin
