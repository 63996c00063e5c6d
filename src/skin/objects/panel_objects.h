#pragma once

#include "skin/objects/skin_object.h"

// Objects that stand for another control or for a panel that rolls up. The program's own skins do not
// use them; they load, copy and keep their properties and draw as the base object.

// Names the control whose look it gives.
class TSeLinkSkinObject : public TSeSkinObject
{
public:
    const lanseek::skin::PropertyTable& properties() const override;
    QByteArray LinkControl;
};

class TSeRollPanelObject : public TSeSkinObject
{
public:
    const lanseek::skin::PropertyTable& properties() const override;
    TSeRollKind RollKind = rkLeft;
    int RollValue = 0;
};

namespace lanseek::skin {

inline constexpr PropertyEntry kLinkSkinObjectProperties[] = {
    property::text<&TSeLinkSkinObject::LinkControl>("LinkControl"),
};
inline constexpr PropertyTable kLinkSkinObjectTable{"TSeLinkSkinObject", &kSkinObjectTable,
                                                    kLinkSkinObjectProperties};

inline constexpr PropertyEntry kRollPanelObjectProperties[] = {
    property::enumeration<&TSeRollPanelObject::RollKind>("RollKind", kRollKindNames),
    property::integer<&TSeRollPanelObject::RollValue>("RollValue"),
};
inline constexpr PropertyTable kRollPanelObjectTable{"TSeRollPanelObject", &kSkinObjectTable,
                                                     kRollPanelObjectProperties};

} // namespace lanseek::skin
