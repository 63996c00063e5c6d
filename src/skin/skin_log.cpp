#include "skin/skin_log.h"

namespace lanseek::skin {

// Debug lines are off until QT_LOGGING_RULES asks for them; warnings always show.
Q_LOGGING_CATEGORY(skinLog, "lanseek.skin", QtInfoMsg)

} // namespace lanseek::skin
