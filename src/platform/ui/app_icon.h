#pragma once

// The program's own icon, for the window, the tray and whatever else shows the program's face (the
// skinned caption's system-menu button among them). The pictures are compiled into the program.

#include <QIcon>

namespace lanseek::platform {

// The icon at every size it was drawn for (16 to 256 pixels).
QIcon applicationIcon();

} // namespace lanseek::platform
