#pragma once

#include "skin/objects/skin_owner.h"
#include "skin/skin_engine.h"

#include <QByteArray>
#include <QPointer>
#include <functional>
#include <memory>

// The side of the engine's client protocol that every skinned control and window shares: it holds the
// engine reference and the object name, registers the control with the engine, owns the control's
// private copy of the named object, and answers the engine's notifications. A control keeps one and
// passes its events to handleEvent(). It sees the control only as the object that receives the
// notifications and as the owner its copy is bound to, so it builds without widgets.
namespace lanseek::skin {

class SkinClient
{
public:
    // `control` receives the notifications and outlives the client; `owner` is what the copy is bound
    // to (the control's repaints, frame and reading direction) and outlives the client too.
    SkinClient(QObject* control, SkinOwner* owner, const QByteArray& defaultObject);
    ~SkinClient();
    SkinClient(const SkinClient&) = delete;
    SkinClient& operator=(const SkinClient&) = delete;

    TSeSkinEngine* SkinEngine() const { return m_engine; }
    // Stores the engine (moving the control's registration from the old engine to it) and takes a
    // fresh copy when its skin is available (else drops the copy), then asks the control to repaint.
    void setSkinEngine(TSeSkinEngine* engine);
    const QByteArray& SkinObject() const { return m_objectName; }
    void setSkinObject(const QByteArray& name);

    // The control's own copy of its object, or nullptr.
    TSeSkinObject* skinCopy() const { return m_copy.get(); }
    // A sub-object of the copy by name (case-insensitive), or nullptr.
    TSeSkinObject* part(const QByteArray& name) const;
    // Skinned: an engine whose skin is available, the named object exists and the copy is held.
    bool isSkinned() const;

    // Handles the engine's before/after-change notifications for this client's engine and the repaint
    // requests of its objects; answers true when the event was one of them.
    bool handleEvent(QEvent* event);

    // Called after a fresh copy has been taken (for example to read fonts or decide transparency).
    std::function<void(TSeSkinObject* copy)> onCopyTaken;
    // Called whenever the copy has gone (before a change of skin, with its engine, before a fresh one is
    // taken), so that nothing the control keeps points into it.
    std::function<void()> onCopyDropped;
    // Called when the engine has gone, after the copy went with it.
    std::function<void()> onEngineGone;

private:
    void takeCopy();
    void dropCopy();

    QObject* m_control;
    SkinOwner* m_owner;
    QPointer<TSeSkinEngine> m_engine;
    QByteArray m_objectName;
    std::unique_ptr<TSeSkinObject> m_copy;
    QMetaObject::Connection m_destroyed;
};

} // namespace lanseek::skin
