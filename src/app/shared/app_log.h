#pragma once

// The log category of the window and its start-up (lanseek.app): a failure that reaches the error policy,
// and anything that escapes event delivery.

#include <QLoggingCategory>

namespace lanseek::app {

Q_DECLARE_LOGGING_CATEGORY(appLog)

} // namespace lanseek::app
