#include "skin/skin_client.h"

namespace lanseek::skin {

SkinClient::SkinClient(QObject* control, SkinOwner* owner, const QByteArray& defaultObject)
    : m_control(control), m_owner(owner), m_objectName(defaultObject)
{
}

SkinClient::~SkinClient()
{
    QObject::disconnect(m_destroyed);
    if (m_engine)
        m_engine->removeClient(m_control);
}

void SkinClient::setSkinEngine(TSeSkinEngine* engine)
{
    QObject::disconnect(m_destroyed);
    // The same engine again (as after every change) keeps the control's place among its clients.
    if (m_engine != engine) {
        if (m_engine)
            m_engine->removeClient(m_control);
        if (engine)
            engine->addClient(m_control);
    }
    m_engine = engine;
    if (engine) {
        // An engine that goes away takes the client's reference with it, as removal does.
        m_destroyed = QObject::connect(engine, &QObject::destroyed, m_control, [this] {
            dropCopy();
            m_engine = nullptr;
            m_owner->repaintAll();
            if (onEngineGone)
                onEngineGone();
        });
    }
    if (engine && engine->isSkinAvailable())
        takeCopy();
    else
        dropCopy();
    m_owner->repaintAll();
}

void SkinClient::setSkinObject(const QByteArray& name)
{
    m_objectName = name;
    setSkinEngine(m_engine);
}

TSeSkinObject* SkinClient::part(const QByteArray& name) const
{
    return m_copy ? m_copy->findObject(name) : nullptr;
}

bool SkinClient::isSkinned() const
{
    return m_engine && m_engine->isSkinAvailable() && m_engine->findObject(m_objectName) && m_copy;
}

void SkinClient::takeCopy()
{
    dropCopy();
    if (TSeSkinObject* master = m_engine ? m_engine->findObject(m_objectName) : nullptr) {
        m_copy = master->createCopy();
        m_copy->bindOwner(m_owner);
        if (onCopyTaken)
            onCopyTaken(m_copy.get());
    }
}

void SkinClient::dropCopy()
{
    if (!m_copy)
        return;
    m_copy.reset();
    if (onCopyDropped)
        onCopyDropped();
}

bool SkinClient::handleEvent(QEvent* event)
{
    if (event->type() == skinBeforeChangeEvent() || event->type() == skinAfterChangeEvent()) {
        auto* e = static_cast<SeEngineEvent*>(event);
        if (!m_engine || e->engine() != m_engine)
            return false;
        if (event->type() == skinBeforeChangeEvent()) {
            dropCopy();
        } else {
            setSkinEngine(m_engine);
        }
        return true;
    }
    if (event->type() == skinRepaintEvent()) {
        m_owner->repaintAll();
        return true;
    }
    return false;
}

} // namespace lanseek::skin
