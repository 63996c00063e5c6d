#include "skin/skin_engine.h"

#include "platform/log/exception_cause.h"
#include "skin/skin_log.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

using namespace lanseek::skin;

namespace {

void sendToTree(QWidget* widget, QEvent::Type type, TSeSkinEngine* engine)
{
    QPointer<QWidget> guard(widget);
    SeEngineEvent event(type, engine);
    QCoreApplication::sendEvent(widget, &event);
    if (!guard)
        return;
    // A handler may create or destroy widgets; walk a guarded snapshot of the children.
    QList<QPointer<QWidget>> children;
    for (QObject* child : widget->children()) {
        if (auto* w = qobject_cast<QWidget*>(child); w && !w->isWindow())
            children.append(w);
    }
    for (const QPointer<QWidget>& child : children) {
        if (child)
            sendToTree(child, type, engine);
    }
}

// Top-level widgets in the order their windows were created; widgets that never had a window follow.
QList<QPointer<QWidget>> windowsInOrder()
{
    QList<QPointer<QWidget>> ordered;
    const QWidgetList widgets = QApplication::topLevelWidgets();
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        for (QWidget* w : widgets) {
            if (w->windowHandle() == window && !ordered.contains(w))
                ordered.append(w);
        }
    }
    for (QWidget* w : widgets) {
        if (!ordered.contains(w))
            ordered.append(w);
    }
    return ordered;
}

} // namespace

TSeSkinEngine::TSeSkinEngine(QObject* owner) : QObject(owner) {}

TSeSkinEngine::~TSeSkinEngine() = default;

void TSeSkinEngine::broadcast(QEvent::Type type)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    for (const QPointer<QWidget>& window : windowsInOrder()) {
        if (!window)
            continue;
        sendToTree(window, type, this);
        QCoreApplication::processEvents();
    }
}

void TSeSkinEngine::notifyBeforeChange()
{
    if (OnBeforeChange)
        OnBeforeChange(this);
    broadcast(skinBeforeChangeEvent());
}

void TSeSkinEngine::notifyAfterChange()
{
    broadcast(skinAfterChangeEvent());
    if (OnAfterChange)
        OnAfterChange(this);
}

void TSeSkinEngine::setSkinFile(const QString& fileName)
{
    m_skinFile = fileName;
    if (m_source.isEmpty()) {
        m_source.loadFromFile(fileName);
        m_source.setHue(m_deltaHue);
    } else {
        m_source.setBusy(true);
        notifyBeforeChange();
        m_source.clear();
        try {
            m_source.loadFromFile(fileName);
        } catch (...) {
            // The clients have dropped their copies: they must hear the change end even when the new
            // skin fails to load, or they would wait for a skin that never comes. They are left without
            // a skin, which the log says together with the cause; the caller still gets the failure.
            qCWarning(skinLog).noquote()
                << QStringLiteral("skin %1 could not be loaded; the engine's controls go without a skin: %2")
                       .arg(fileName, lanseek::platform::exceptionCause(std::current_exception()));
            m_source.setBusy(false);
            notifyAfterChange();
            throw;
        }
        m_source.setBusy(false);
        m_source.setHue(m_deltaHue);
    }
    notifyAfterChange();
}

void TSeSkinEngine::setDeltaHue(int value)
{
    if (value == m_deltaHue && value == m_source.hue())
        return;
    m_deltaHue = value;
    if (m_source.isEmpty() || m_hueChanging)
        return;
    m_hueChanging = true;
    struct Reset
    {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_hueChanging};
    notifyBeforeChange();
    m_source.setHue(value);
    notifyAfterChange();
}

QByteArray TSeSkinEngine::skinStream()
{
    return m_source.storedForm();
}

void TSeSkinEngine::setSkinStream(const QByteArray& data)
{
    if (data.isEmpty() || data[0] == 0)
        return;
    m_source.loadStoredForm(data);
    m_skinFile.clear();
    // A hue set before the skin arrived is applied now, so the order of the stored properties does
    // not matter.
    m_source.setHue(m_deltaHue);
}

void TSeSkinEngine::adoptSource(TSeSkinSource& decoded)
{
    if (decoded.isEmpty())
        return;
    m_source.swap(decoded);
    m_skinFile.clear();
    m_source.setHue(m_deltaHue);
}

void TSeSkinEngine::loaded()
{
    if (OnAfterChange && !m_source.isEmpty())
        OnAfterChange(this);
}

TSeSkinObject* TSeSkinEngine::findObject(const QByteArray& name) const
{
    if (!isSkinAvailable())
        return nullptr;
    return m_source.objectByName(name);
}

TSeSkinObject* TSeSkinEngine::formObject() const
{
    if (!isSkinAvailable())
        return nullptr;
    return m_source.formObject();
}
