#include "skin/objects/bitmap_box_objects.h"

using namespace lanseek::skin;

// ---- TSeBitmapSkinObject ----

const PropertyTable& TSeBitmapSkinObject::properties() const
{
    return kBitmapSkinObjectTable;
}

void TSeBitmapSkinObject::draw(const TSeCanvas& canvas)
{
    if (!visible() || width() <= 0 || height() <= 0)
        return;
    const TSeBitmapLink& link = currentLink();
    if (link.usable())
        drawLink(canvas, link);
    drawText(canvas);
    drawChildren(canvas);
}

void TSeBitmapSkinObject::drawLink(const TSeCanvas& canvas, const TSeBitmapLink& link) const
{
    canvas.drawBitmap(boundsRect(), *link.bitmap, link.rect(), TileStyle, Masked);
}

// ---- TSeFormBitmapSkinObject ----

const PropertyTable& TSeFormBitmapSkinObject::properties() const
{
    return kFormBitmapSkinObjectTable;
}

const TSeBitmapLink& TSeFormBitmapSkinObject::currentLink() const
{
    return !active() && InactiveBitmap.usable() ? InactiveBitmap : Bitmap;
}

// ---- TSeSysButtonSkinObject ----

const PropertyTable& TSeSysButtonSkinObject::properties() const
{
    return kSysButtonSkinObjectTable;
}

const TSeBitmapLink& TSeSysButtonSkinObject::currentLink() const
{
    return usableForState(state(), Bitmap, BitmapHover, BitmapDown, Bitmap, Bitmap);
}

// ---- TSeBitmapBoxObject ----

const PropertyTable& TSeBitmapBoxObject::properties() const
{
    return kBitmapBoxObjectTable;
}

void TSeBitmapBoxObject::drawLink(const TSeCanvas& canvas, const TSeBitmapLink& link) const
{
    drawNineParts(canvas, boundsRect(), link,
                  {MarginLeft, MarginTop, MarginRight, MarginBottom, TileStyle, BorderTileStyle, Masked,
                   Masked, Masked});
}

// ---- TSeActiveBitmapBoxObject ----

const PropertyTable& TSeActiveBitmapBoxObject::properties() const
{
    return kActiveBitmapBoxObjectTable;
}

const TSeBitmapLink& TSeActiveBitmapBoxObject::currentLink() const
{
    return state() == StateFocused && FocusedBitmap.usable() ? FocusedBitmap : Bitmap;
}

// ---- TSeButtonBitmapBoxObject ----

const PropertyTable& TSeButtonBitmapBoxObject::properties() const
{
    return kButtonBitmapBoxObjectTable;
}

const TSeBitmapLink& TSeButtonBitmapBoxObject::currentLink() const
{
    return usableForState(state(), Bitmap, HotBitmap, PressedBitmap, FocusedBitmap, DisabledBitmap);
}
