#pragma once

// The cause a log line gives for a caught exception. A catch-all block knows nothing of what it caught;
// this asks the exception again, so that every log line of the program words its cause the same way.

#include <QString>

#include <exception>

namespace lanseek::platform {

// The message of a std::exception (read as UTF-8, as our own messages are written), or a fixed text for
// anything else thrown. An empty pointer gives a text saying so rather than nothing.
QString exceptionCause(const std::exception_ptr& error);

} // namespace lanseek::platform
