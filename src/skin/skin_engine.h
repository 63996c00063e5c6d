#pragma once

#include "skin/skin_events.h"
#include "skin/skin_source.h"

#include <QObject>
#include <QString>
#include <functional>

// Holds one skin and serves it to every skinned control and window that names it. The engine keeps no
// list of clients: it reaches them by sending its notifications to every top-level widget and, in
// order, to each widget's children.
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

    // The two notifications around a change, to the handlers and to every widget.
    void notifyBeforeChange();
    void notifyAfterChange();
    // Sends an engine event of the given type to every top-level widget in window order and to its
    // children in order, processing pending events after each window.
    void broadcast(QEvent::Type type);

private:
    TSeSkinSource m_source;
    int m_deltaHue = 0;
    QString m_skinFile;
    bool m_storeCompression = false;
    bool m_hueChanging = false;
};
