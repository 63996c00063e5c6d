#pragma once

// The log category of the platform stand-ins (lanseek.platform), for failures that no subsystem owns: a
// hosted control that could not be made, a transfer's second failure. Failures a subsystem owns are logged
// by that subsystem under its own category, where the cause can be told together with what it was doing.

#include <QLoggingCategory>

namespace lanseek::platform {

Q_DECLARE_LOGGING_CATEGORY(platformLog)

} // namespace lanseek::platform
