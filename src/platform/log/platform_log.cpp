#include "platform/log/platform_log.h"

namespace lanseek::platform {

// Debug lines are off until QT_LOGGING_RULES asks for them; warnings always show.
Q_LOGGING_CATEGORY(platformLog, "lanseek.platform", QtInfoMsg)

} // namespace lanseek::platform
