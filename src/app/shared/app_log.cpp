#include "app/shared/app_log.h"

namespace lanseek::app {

Q_LOGGING_CATEGORY(appLog, "lanseek.app", QtInfoMsg)

} // namespace lanseek::app
