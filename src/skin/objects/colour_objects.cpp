#include "skin/objects/colour_objects.h"

using namespace lanseek::skin;

// ---- TSeActiveObject ----

TSeActiveObject::TSeActiveObject() = default;

const PropertyTable& TSeActiveObject::properties() const
{
    return kActiveObjectTable;
}

bool TSeActiveObject::useActive() const
{
    return active() || state() == StateHot || state() == StatePressed || state() == StateFocused;
}

TColor TSeActiveObject::currentColor() const
{
    return useActive() ? ActiveColor : Color;
}

const TSeFont& TSeActiveObject::currentFont() const
{
    return useActive() ? ActiveFont : Font;
}

void TSeActiveObject::changeHue(int delta)
{
    shiftColorInPlace(ActiveColor, delta);
    shiftFontHue(ActiveFont, delta);
    TSeSkinObject::changeHue(delta);
}

const PropertyTable& TSeActiveSkinObject::properties() const
{
    return kActiveSkinObjectTable;
}

// ---- TSeTextObject ----

const PropertyTable& TSeTextObject::properties() const
{
    return kTextObjectTable;
}

const TSeFont& TSeTextObject::currentFont() const
{
    return forState(state(), Font, FontHot, FontPressed, FontFocused, FontDisabled);
}

void TSeTextObject::changeHue(int delta)
{
    for (TSeFont* f : {&FontHot, &FontFocused, &FontPressed, &FontDisabled})
        shiftFontHue(*f, delta);
    TSeSkinObject::changeHue(delta);
}

// ---- TSeColorButtonObject ----

const PropertyTable& TSeColorButtonObject::properties() const
{
    return kColorButtonObjectTable;
}

TColor TSeColorButtonObject::currentColor() const
{
    return forState(state(), Color, HotColor, PressedColor, FocusedColor, DisabledColor);
}

const TSeFont& TSeColorButtonObject::currentFont() const
{
    return forState(state(), Font, HotFont, PressedFont, FocusedFont, DisabledFont);
}

void TSeColorButtonObject::changeHue(int delta)
{
    for (TColor* c : {&HotColor, &PressedColor, &FocusedColor, &DisabledColor})
        shiftColorInPlace(*c, delta);
    for (TSeFont* f : {&HotFont, &PressedFont, &FocusedFont, &DisabledFont})
        shiftFontHue(*f, delta);
    TSeSkinObject::changeHue(delta);
}
