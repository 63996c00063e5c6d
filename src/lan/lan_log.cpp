#include "lan/lan_log.h"

namespace lanseek::lan {

Q_LOGGING_CATEGORY(lanLog, "lanseek.lan", QtInfoMsg)

} // namespace lanseek::lan
