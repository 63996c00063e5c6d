#include "service/service_log.h"

namespace lanseek::service {

// Debug lines are off until QT_LOGGING_RULES asks for them; warnings always show.
Q_LOGGING_CATEGORY(serviceLog, "lanseek.service", QtInfoMsg)

} // namespace lanseek::service
