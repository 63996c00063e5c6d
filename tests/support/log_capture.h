#pragma once

// Records what the code under test logs while the capture lives, from whatever thread it logs, instead of
// printing it. One capture at a time: it takes the place of Qt's message handler and gives it back when it
// goes. Debug lines reach it only for the categories the test turns on (enableDebug).

#include <QLoggingCategory>
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <mutex>
#include <vector>

namespace lanseek::test {

struct LoggedMessage
{
    QtMsgType type;
    QString category;
    QString text;
};

class LogCapture
{
public:
    LogCapture() : m_previous(nullptr)
    {
        s_current.store(this);
        m_previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        s_current.store(nullptr);
        if (m_debugEnabled)
            QLoggingCategory::setFilterRules(QString());
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // Turns on the debug lines of one category (for example "lanseek.download") until the capture ends.
    void enableDebug(const QString& category)
    {
        m_debugEnabled = true;
        QLoggingCategory::setFilterRules(category + QStringLiteral(".debug=true"));
    }

    // The messages of one type and category, in the order they were logged.
    std::vector<LoggedMessage> messages(QtMsgType type, const QString& category) const
    {
        std::lock_guard lock(m_mutex);
        std::vector<LoggedMessage> found;
        for (const LoggedMessage& message : m_messages)
            if (message.type == type && message.category == category)
                found.push_back(message);
        return found;
    }

    std::vector<LoggedMessage> warnings(const QString& category) const
    {
        return messages(QtWarningMsg, category);
    }

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        LogCapture* self = s_current.load();
        if (self == nullptr)
            return;
        std::lock_guard lock(self->m_mutex);
        self->m_messages.push_back(
            {type, QString::fromUtf8(context.category != nullptr ? context.category : "default"), text});
    }

    inline static std::atomic<LogCapture*> s_current{nullptr};
    mutable std::mutex m_mutex;
    std::vector<LoggedMessage> m_messages;
    QtMessageHandler m_previous;
    bool m_debugEnabled = false;
};

} // namespace lanseek::test
