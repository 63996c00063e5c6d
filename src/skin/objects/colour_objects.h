#pragma once

#include "skin/objects/skin_object.h"

// Objects that draw like the base object but change colour or font with the control's state.

// Takes its active colour and font while its window is active or the control is hot, pressed or focused.
class TSeActiveObject : public TSeSkinObject
{
public:
    TSeActiveObject();
    const lanseek::skin::PropertyTable& properties() const override;
    TColor ActiveColor = clWhite;
    TSeFont ActiveFont;
    TColor currentColor() const override;
    const TSeFont& currentFont() const override;
    void changeHue(int delta) override;

protected:
    bool useActive() const;
};

class TSeActiveSkinObject : public TSeActiveObject
{
public:
    const lanseek::skin::PropertyTable& properties() const override;
};

// Has a font for each control state.
class TSeTextObject : public TSeSkinObject
{
public:
    const lanseek::skin::PropertyTable& properties() const override;
    TSeFont FontHot;
    TSeFont FontFocused;
    TSeFont FontPressed;
    TSeFont FontDisabled;
    const TSeFont& currentFont() const override;
    void changeHue(int delta) override;
};

// Has a colour and a font for each control state.
class TSeColorButtonObject : public TSeSkinObject
{
public:
    const lanseek::skin::PropertyTable& properties() const override;
    TColor HotColor = clWhite;
    TSeFont HotFont;
    TColor PressedColor = clWhite;
    TSeFont PressedFont;
    TColor FocusedColor = clWhite;
    TSeFont FocusedFont;
    TColor DisabledColor = clWhite;
    TSeFont DisabledFont;
    TColor currentColor() const override;
    const TSeFont& currentFont() const override;
    void changeHue(int delta) override;
};

namespace lanseek::skin {

inline constexpr PropertyEntry kActiveObjectProperties[] = {
    property::color<&TSeActiveObject::ActiveColor>("ActiveColor"),
    property::font<&TSeActiveObject::ActiveFont>("ActiveFont"),
};
inline constexpr PropertyTable kActiveObjectTable{"TSeActiveObject", &kSkinObjectTable,
                                                  kActiveObjectProperties};

inline constexpr PropertyTable kActiveSkinObjectTable{"TSeActiveSkinObject", &kActiveObjectTable, {}};

inline constexpr PropertyEntry kTextObjectProperties[] = {
    property::font<&TSeTextObject::FontHot>("FontHot"),
    property::font<&TSeTextObject::FontFocused>("FontFocused"),
    property::font<&TSeTextObject::FontPressed>("FontPressed"),
    property::font<&TSeTextObject::FontDisabled>("FontDisabled"),
};
inline constexpr PropertyTable kTextObjectTable{"TSeTextObject", &kSkinObjectTable, kTextObjectProperties};

inline constexpr PropertyEntry kColorButtonObjectProperties[] = {
    property::color<&TSeColorButtonObject::HotColor>("HotColor"),
    property::font<&TSeColorButtonObject::HotFont>("HotFont"),
    property::color<&TSeColorButtonObject::PressedColor>("PressedColor"),
    property::font<&TSeColorButtonObject::PressedFont>("PressedFont"),
    property::color<&TSeColorButtonObject::FocusedColor>("FocusedColor"),
    property::font<&TSeColorButtonObject::FocusedFont>("FocusedFont"),
    property::color<&TSeColorButtonObject::DisabledColor>("DisabledColor"),
    property::font<&TSeColorButtonObject::DisabledFont>("DisabledFont"),
};
inline constexpr PropertyTable kColorButtonObjectTable{"TSeColorButtonObject", &kSkinObjectTable,
                                                       kColorButtonObjectProperties};

} // namespace lanseek::skin
