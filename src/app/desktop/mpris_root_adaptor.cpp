#include "app/desktop/mpris_root_adaptor.h"

#include <QMetaObject>

namespace lanseek::app {

MprisRootAdaptor::MprisRootAdaptor(QObject* host, WindowPresence& window, ErrorPolicy& errors)
    : QDBusAbstractAdaptor(host), m_window(window), m_errors(errors)
{
}

// Both run after the call has been answered: the close query may ask the user a question, and the
// caller must not wait for that answer, nor time out while the question is open.
void MprisRootAdaptor::Raise()
{
    QMetaObject::invokeMethod(
        this, [this] { guarded(m_errors, [this] { m_window.bringToFront(); }); }, Qt::QueuedConnection);
}

void MprisRootAdaptor::Quit()
{
    QMetaObject::invokeMethod(
        this, [this] { guarded(m_errors, [this] { m_window.closeAsUser(); }); }, Qt::QueuedConnection);
}

} // namespace lanseek::app
