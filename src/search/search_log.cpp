#include "search/search_log.h"

namespace lanseek::search {

// Debug lines are off until QT_LOGGING_RULES asks for them; warnings always show.
Q_LOGGING_CATEGORY(searchLog, "lanseek.search", QtInfoMsg)

} // namespace lanseek::search
