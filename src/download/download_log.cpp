#include "download/download_log.h"

namespace lanseek::download {

// Debug lines are off until QT_LOGGING_RULES asks for them; warnings always show.
Q_LOGGING_CATEGORY(downloadLog, "lanseek.download", QtInfoMsg)

} // namespace lanseek::download
