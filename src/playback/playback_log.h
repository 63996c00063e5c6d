#pragma once

// The log category of the playback: the play list, playlist files and player pages (lanseek.playback).
// Warnings tell of failures that the program survives but that would otherwise leave no trace; debug lines,
// off unless QT_LOGGING_RULES turns them on, follow what the subsystem does.

#include <QLoggingCategory>

namespace lanseek::playback {

Q_DECLARE_LOGGING_CATEGORY(playbackLog)

} // namespace lanseek::playback
