#pragma once

#include <string>

namespace lanseek::app {

// Whether a graphical display can be reached before Qt tries to open one (Qt aborts when it cannot).
// On failure, reason says why in one line.
bool displayAvailable(std::string& reason);

} // namespace lanseek::app
