#include "card/card_log.h"

namespace lanseek::card {

// Debug lines are off until QT_LOGGING_RULES asks for them; warnings always show.
Q_LOGGING_CATEGORY(cardLog, "lanseek.card", QtInfoMsg)

} // namespace lanseek::card
