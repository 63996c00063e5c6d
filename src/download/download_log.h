#pragma once

// The log category of the downloads: the queue, its runs and the transfer workers (lanseek.download).
// Warnings tell of failures that the program survives but that would otherwise leave no trace; debug lines,
// off unless QT_LOGGING_RULES turns them on, follow what the subsystem does.

#include <QLoggingCategory>

namespace lanseek::download {

Q_DECLARE_LOGGING_CATEGORY(downloadLog)

} // namespace lanseek::download
