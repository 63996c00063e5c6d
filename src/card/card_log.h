#pragma once

// The log category of the music card: its markup, page and saving (lanseek.card). Warnings tell of failures
// that the program survives but that would otherwise leave no trace; debug lines, off unless QT_LOGGING_RULES
// turns them on, follow what the subsystem does.

#include <QLoggingCategory>

namespace lanseek::card {

Q_DECLARE_LOGGING_CATEGORY(cardLog)

} // namespace lanseek::card
