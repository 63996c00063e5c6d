#include "skin/skin_engine.h"

#include "platform/log/exception_cause.h"
#include "skin/skin_log.h"

#include <QCoreApplication>

#include <algorithm>

using namespace lanseek::skin;

TSeSkinEngine::TSeSkinEngine(QObject* owner) : QObject(owner) {}

TSeSkinEngine::~TSeSkinEngine() = default;

void TSeSkinEngine::addClient(QObject* client)
{
    if (client && !hasClient(client))
        m_clients.emplace_back(client);
}

void TSeSkinEngine::removeClient(QObject* client)
{
    std::erase_if(m_clients, [client](const QPointer<QObject>& c) { return c.isNull() || c == client; });
}

bool TSeSkinEngine::hasClient(const QObject* client) const
{
    return client && std::any_of(m_clients.begin(), m_clients.end(),
                                 [client](const QPointer<QObject>& c) { return c == client; });
}

QList<QObject*> TSeSkinEngine::clients() const
{
    QList<QObject*> out;
    for (const QPointer<QObject>& c : m_clients) {
        if (c)
            out.append(c);
    }
    return out;
}

void TSeSkinEngine::notifyClients(QEvent::Type type)
{
    // A client's handler may add, remove or destroy clients: walk a guarded snapshot, and ask the list
    // again before each client so that one taken off meanwhile is not told.
    const std::vector<QPointer<QObject>> snapshot = m_clients;
    for (const QPointer<QObject>& client : snapshot) {
        if (!client || !hasClient(client))
            continue;
        SeEngineEvent event(type, this);
        QCoreApplication::sendEvent(client, &event);
    }
    std::erase_if(m_clients, [](const QPointer<QObject>& c) { return c.isNull(); });
}

void TSeSkinEngine::notifyBeforeChange()
{
    if (OnBeforeChange)
        OnBeforeChange(this);
    notifyClients(skinBeforeChangeEvent());
}

void TSeSkinEngine::notifyAfterChange()
{
    notifyClients(skinAfterChangeEvent());
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

void TSeSkinEngine::changeSource(TSeSkinSource& decoded)
{
    if (decoded.isEmpty())
        return;
    m_source.setBusy(true);
    notifyBeforeChange();
    m_source.swap(decoded);
    // The busy mark went along with the old skin; the new one was never busy.
    decoded.setBusy(false);
    m_source.setBusy(false);
    m_skinFile.clear();
    m_source.setHue(m_deltaHue);
    notifyAfterChange();
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
