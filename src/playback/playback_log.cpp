#include "playback/playback_log.h"

namespace lanseek::playback {

// Debug lines are off until QT_LOGGING_RULES asks for them; warnings always show.
Q_LOGGING_CATEGORY(playbackLog, "lanseek.playback", QtInfoMsg)

} // namespace lanseek::playback
