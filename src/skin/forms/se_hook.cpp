#include "skin/forms/se_hook.h"

TSeHook::TSeHook(QWidget* owner) : QObject(nullptr), m_owner(owner)
{
    if (owner)
        owner->installEventFilter(this);
}

TSeHook::~TSeHook()
{
    if (m_owner)
        m_owner->removeEventFilter(this);
}

bool TSeHook::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_owner && hookEvent(event))
        return true;
    return QObject::eventFilter(watched, event);
}
