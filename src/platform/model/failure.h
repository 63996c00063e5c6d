#pragma once

// A failure of the program's own, with its kind. The error policy decides what a failure means by its
// kind; the message is only shown and logged. Messages often carry paths and addresses, which are the
// user's or a server's text, so no decision may be read from their words.

#include <QString>

#include <stdexcept>

namespace lanseek::platform {

enum class FailureKind {
    Unknown,      // raised outside the program: only its text can tell
    Network,      // a download's connection failed or was dropped
    HttpStatus,   // a server answered a download's request with a status that is not a success
    TargetFile,   // a download's save file cannot be created
    Fatal,        // the program cannot go on
    PlaylistFile, // a play list cannot be saved or loaded
    CardFile,     // a card or its picture cannot be read or written
};

class Failure : public std::runtime_error
{
public:
    Failure(FailureKind kind, const QString& message)
        : std::runtime_error(message.toStdString()), m_kind(kind)
    {
    }
    FailureKind kind() const { return m_kind; }

private:
    FailureKind m_kind;
};

} // namespace lanseek::platform
