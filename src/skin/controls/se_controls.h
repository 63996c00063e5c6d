#pragma once

// The program's controls: ordinary Qt widgets under the program's design names that paint themselves
// from a named skin object of a skin engine and fall back to their plain look without it. Each family
// lives in a file of its own; this header gathers them for the windows that use them all.

#include "skin/controls/se_button.h"
#include "skin/controls/se_combo_box.h"
#include "skin/controls/se_edit.h"
#include "skin/controls/se_label.h"
#include "skin/controls/se_list_box.h"
#include "skin/controls/se_list_view.h"
#include "skin/controls/se_panel.h"
#include "skin/controls/se_popup_menu.h"
#include "skin/controls/se_progress_bar.h"
#include "skin/controls/se_scroll_bar.h"
#include "skin/controls/se_speed_button.h"
#include "skin/controls/se_status_bar.h"
