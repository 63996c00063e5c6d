#include "platform/log/exception_cause.h"

namespace lanseek::platform {

QString exceptionCause(const std::exception_ptr& error)
{
    if (!error)
        return QStringLiteral("no exception");
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        const QString text = QString::fromUtf8(e.what());
        return text.isEmpty() ? QStringLiteral("an exception without a message") : text;
    } catch (...) {
        return QStringLiteral("an exception of unknown type");
    }
}

} // namespace lanseek::platform
