#pragma once

// The log category of the bundled search service: its library index and its server (lanseek.service).
// Warnings tell of failures that the program survives but that would otherwise leave no trace; debug lines,
// off unless QT_LOGGING_RULES turns them on, follow what the subsystem does.

#include <QLoggingCategory>

namespace lanseek::service {

Q_DECLARE_LOGGING_CATEGORY(serviceLog)

} // namespace lanseek::service
