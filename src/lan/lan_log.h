#pragma once

// The log category of finding the LAN's services (lanseek.lan).

#include <QLoggingCategory>

namespace lanseek::lan {

Q_DECLARE_LOGGING_CATEGORY(lanLog)

} // namespace lanseek::lan
