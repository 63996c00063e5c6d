#include "skin/skin_client.h"

namespace lanseek::skin {

SkinClient::SkinClient(QWidget* control, const QByteArray& defaultObject)
    : m_control(control), m_objectName(defaultObject)
{
}

SkinClient::~SkinClient()
{
    QObject::disconnect(m_destroyed);
}

void SkinClient::setSkinEngine(TSeSkinEngine* engine)
{
    QObject::disconnect(m_destroyed);
    m_engine = engine;
    if (engine) {
        // An engine that goes away takes the client's reference with it, as removal does.
        m_destroyed = QObject::connect(engine, &QObject::destroyed, m_control, [this] {
            dropCopy();
            m_engine = nullptr;
            m_control->update();
            if (onEngineGone)
                onEngineGone();
        });
    }
    if (engine && engine->isSkinAvailable())
        takeCopy();
    else
        dropCopy();
    m_control->update();
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
        m_copy->bindControl(m_control);
        if (onCopyTaken)
            onCopyTaken(m_copy.get());
    }
}

void SkinClient::dropCopy()
{
    m_copy.reset();
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
        m_control->update();
        return true;
    }
    return false;
}

} // namespace lanseek::skin
