#pragma once

// The desktop integration's log category: the session bus, the media controls, the notes and the single
// instance log under "lanseek.desktop".

#include <QLoggingCategory>

namespace lanseek::app {
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)
} // namespace lanseek::app
