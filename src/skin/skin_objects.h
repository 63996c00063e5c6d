#pragma once

// The skin object model: the object tree, its canvas and values, the property tables of its classes,
// the classes themselves and the class list. Each concept has its own header under skin/objects/.

#include "skin/objects/bitmap_box_objects.h"
#include "skin/objects/bitmap_objects.h"
#include "skin/objects/class_registry.h"
#include "skin/objects/colour_objects.h"
#include "skin/objects/object_storage.h"
#include "skin/objects/panel_objects.h"
#include "skin/objects/skin_canvas.h"
#include "skin/objects/skin_object.h"
#include "skin/objects/skin_properties.h"
#include "skin/objects/skin_state.h"
#include "skin/objects/skin_values.h"
#include "skin/objects/system_button.h"
