#pragma once

// What the program adds to Qt's accessibility for screen readers: every label can be read as text (its
// characters, not only its name), and the popup menus that are open are listed under the application, so
// that a reader that walks the application's tree finds a menu while it is shown.

namespace lanseek::platform {

// Installs both once the application object exists; calling it again does nothing.
void installAccessibility();

} // namespace lanseek::platform
