#pragma once

// The log category of the search: its queries, result pages and harvesting (lanseek.search). Warnings tell of
// failures that the program survives but that would otherwise leave no trace; debug lines, off unless
// QT_LOGGING_RULES turns them on, follow what the subsystem does.

#include <QLoggingCategory>

namespace lanseek::search {

Q_DECLARE_LOGGING_CATEGORY(searchLog)

} // namespace lanseek::search
