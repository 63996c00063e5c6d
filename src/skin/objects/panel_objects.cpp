#include "skin/objects/panel_objects.h"

using namespace lanseek::skin;

const PropertyTable& TSeLinkSkinObject::properties() const
{
    return kLinkSkinObjectTable;
}

const PropertyTable& TSeRollPanelObject::properties() const
{
    return kRollPanelObjectTable;
}
