#pragma once

#include "skin/skin_events.h"
#include "skin/skin_source.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

// Holds one skin and serves it to every skinned control and window that names it. The engine keeps the
// list of its clients: the controls and frames that use it register themselves and hear its
// notifications, in the order they registered; nothing else does.
class TSeSkinEngine : public QObject
{
    Q_OBJECT
public:
    explicit TSeSkinEngine(QObject* owner = nullptr);
    ~TSeSkinEngine() override;

    // ---- published properties ----
    int DeltaHue() const { return m_deltaHue; }
    void setDeltaHue(int value);
    const QString& SkinFile() const { return m_skinFile; }
    void setSkinFile(const QString& fileName);
    QString SkinStore() const { return QStringLiteral("(none)"); }
    void setSkinStore(const QString&) {}
    bool SkinStoreCompression() const { return m_storeCompression; }
    void setSkinStoreCompression(bool value) { m_storeCompression = value; }
    QString Version() const { return QStringLiteral("3.2.0"); }
    void setVersion(const QString&) {}

    std::function<void(TSeSkinEngine*)> OnBeforeChange;
    std::function<void(TSeSkinEngine*)> OnAfterChange;

    // ---- stored data ("SkinStream") ----
    QByteArray skinStream();
    // Loads a stored form (presence byte and body) and forgets the skin file name.
    void setSkinStream(const QByteArray& data);
    // Takes a skin decoded elsewhere (on another thread, say) in place of its own, as setSkinStream
    // would have loaded it; the given source is left with what the engine held.
    void adoptSource(TSeSkinSource& decoded);
    // Puts a skin read elsewhere in place of the one held, at run time: the clients hear the change
    // begin and end around it, and the engine's hue is applied to the new skin. The given source is left
    // with the old skin. An empty source changes nothing.
    void changeSource(TSeSkinSource& decoded);
    // Called when the owner has finished loading: announces the skin to whoever listens.
    void loaded();

    // ---- for clients ----
    TSeSkinSource* source() { return &m_source; }
    const TSeSkinSource* source() const { return &m_source; }
    // True when the skin holds objects and is not being replaced.
    bool isSkinAvailable() const { return !m_source.isEmpty() && !m_source.busy(); }
    // A top-level object by name (case-insensitive); nothing while the skin is empty or busy.
    TSeSkinObject* findObject(const QByteArray& name) const;
    // "Form" by name, else the first top-level object of kind skForm; nothing while empty or busy.
    TSeSkinObject* formObject() const;

    // ---- the client list ----
    // Adds an object to the clients. Each client is sent an SeEngineEvent of type
    // skinBeforeChangeEvent() before the skin changes and one of skinAfterChangeEvent() after it, at
    // once (not posted), in the order the clients were first added; adding a client again keeps its
    // place. A client added while the clients hear a notification is not told that one, but hears the
    // next: one added as a change begins hears it end, and can bring what it took meanwhile up to date.
    void addClient(QObject* client);
    // Takes a client off the list. A client removed, or destroyed, while a notification runs is not
    // told of it any more.
    void removeClient(QObject* client);
    bool hasClient(const QObject* client) const;
    // The clients that are still alive, in the order they hear the notifications.
    QList<QObject*> clients() const;

    // The two notifications around a change, to the handlers and to the clients.
    void notifyBeforeChange();
    void notifyAfterChange();

private:
    // Sends an engine event of the given type to each client in turn.
    void notifyClients(QEvent::Type type);

    TSeSkinSource m_source;
    int m_deltaHue = 0;
    QString m_skinFile;
    bool m_storeCompression = false;
    bool m_hueChanging = false;
    std::vector<QPointer<QObject>> m_clients;
};
