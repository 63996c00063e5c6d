#pragma once

// The program's own icon, for the window, the tray and whatever else shows the program's face (the
// skinned caption's system-menu button among them). The pictures are compiled into the program.

#include <QIcon>

namespace lanseek::platform {

inline constexpr int kLargestIconSize = 256;

// The icon at every size it was drawn for (16 to 256 pixels), or at those up to `largest` pixels: the
// large pictures cost more to read than all the others together, and a window that has not appeared
// yet shows none of them.
QIcon applicationIcon(int largest = kLargestIconSize);

} // namespace lanseek::platform
