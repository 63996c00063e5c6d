#pragma once

// The application object. Exceptions must not travel through Qt's event delivery, so anything that
// escapes an event handler is caught here and handed to the program's exception handler.

#include <QApplication>

#include <functional>

class LanseekApplication : public QApplication
{
public:
    using Handler = std::function<void(const QString& message)>;

    LanseekApplication(int& argc, char** argv);
    void setExceptionHandler(Handler handler) { m_handler = std::move(handler); }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    Handler m_handler;
};
