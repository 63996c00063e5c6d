#pragma once

// The log category of the skin engine: its streams, sources, objects and engines (lanseek.skin). Warnings
// tell of failures that the program survives but that would otherwise leave no trace; debug lines, off unless
// QT_LOGGING_RULES turns them on, follow what the subsystem does.

#include <QLoggingCategory>

namespace lanseek::skin {

Q_DECLARE_LOGGING_CATEGORY(skinLog)

} // namespace lanseek::skin
