#include "skin/objects/bitmap_objects.h"

using namespace lanseek::skin;

// ---- TSeBitmapObject ----

const PropertyTable& TSeBitmapObject::properties() const
{
    return kBitmapObjectTable;
}

void TSeBitmapObject::drawBitmapParts(const TSeCanvas& canvas) const
{
    const TSeBitmapLink& link = currentLink();
    if (!link.usable() || width() <= 0 || height() <= 0)
        return;
    drawNineParts(canvas, boundsRect(), link,
                  {MarginLeft, MarginTop, MarginRight, MarginBottom, TileStyle, BorderTileStyle, Masked,
                   MaskedBorder, MaskedAngles});
}

void TSeBitmapObject::draw(const TSeCanvas& canvas)
{
    if (!visible() || width() <= 0 || height() <= 0 || !currentLink().usable())
        return;
    drawBitmapParts(canvas);
    drawText(canvas);
    alignChildren();
    drawChildren(canvas);
}

QRegion TSeBitmapObject::createRegion()
{
    if (width() <= 0 || height() <= 0)
        return {};
    if (childCount() > 0 && Masked && !DrawIfOwner)
        return TSeSkinObject::createRegion();
    if (Kind == skClient || !Masked)
        return QRegion(boundsRect());
    TSeBitmap scratch;
    try {
        scratch.setSize(width(), height());
    } catch (const SkinError&) {
        return QRegion(boundsRect());
    }
    scratch.fill(TSeBitmap::kKey);
    TSeCanvas canvas(&scratch);
    canvas.offset = -boundsRect().topLeft();
    drawBitmapParts(canvas);
    return opaqueRegion(scratch, boundsRect().topLeft());
}

// ---- TSeActiveBitmap ----

const PropertyTable& TSeActiveBitmap::properties() const
{
    return kActiveBitmapTable;
}

const TSeBitmapLink& TSeActiveBitmap::currentLink() const
{
    if ((active() || state() == StateHot || state() == StateFocused) && ActiveBitmap.usable())
        return ActiveBitmap;
    return Bitmap;
}

const TSeFont& TSeActiveBitmap::currentFont() const
{
    return state() == StateHot || state() == StateFocused ? ActiveFont : Font;
}

// ---- TSeButtonObject ----

const PropertyTable& TSeButtonObject::properties() const
{
    return kButtonObjectTable;
}

const TSeBitmapLink& TSeButtonObject::currentLink() const
{
    return usableForState(state(), Bitmap, BitmapHot, BitmapPressed, BitmapFocused, BitmapDisabled);
}
