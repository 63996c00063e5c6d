#pragma once

#include <QEvent>
#include <QIcon>
#include <QPoint>

#include "skin/skin_types.h"

class TSeSkinEngine;
class TSeSkinObject;
class TSeSystemButton;

namespace lanseek::skin {

// Event types of the skin engine's private notifications, registered once per process.
QEvent::Type skinBeforeChangeEvent(); // the engine's skin is about to change: drop copies
QEvent::Type skinAfterChangeEvent();  // the engine's skin has changed: take fresh copies, repaint
QEvent::Type skinRepaintEvent();      // a skin object of the control needs repainting
QEvent::Type skinFrameQueryEvent();   // asks a window for the skinned frame around it

class SeEngineEvent : public QEvent
{
public:
    SeEngineEvent(Type type, TSeSkinEngine* engine) : QEvent(type), m_engine(engine) {}
    TSeSkinEngine* engine() const { return m_engine; }

private:
    TSeSkinEngine* m_engine;
};

class SeRepaintEvent : public QEvent
{
public:
    explicit SeRepaintEvent(TSeSkinObject* object) : QEvent(skinRepaintEvent()), m_object(object) {}
    TSeSkinObject* object() const { return m_object; }

private:
    TSeSkinObject* m_object;
};

// What a caption button needs from the skinned frame of its window.
class SeFrameHost
{
public:
    virtual ~SeFrameHost() = default;
    virtual bool hasBorderIcon(TSeBorderIcon icon) const = 0;
    virtual void runFrameAction(TSeAction action, TSeSystemButton* button) = 0;
    virtual QIcon frameIcon() const = 0;
    // What the system-menu button draws and at which size: the frame's icon by default, though a frame
    // may offer its look's stand-in for a window without an icon of its own.
    static constexpr int kMenuButtonIconSize = 16;
    virtual QIcon menuButtonIcon() const { return frameIcon(); }
    virtual int menuButtonIconSize() const { return kMenuButtonIconSize; }
    virtual void showFrameHint(const QPoint& globalPos) { (void)globalPos; }
};

// Sent to a window; the skinned frame that handles it answers by setting itself.
class SeFrameQueryEvent : public QEvent
{
public:
    SeFrameQueryEvent() : QEvent(skinFrameQueryEvent()) {}
    SeFrameHost* frame = nullptr;
};

} // namespace lanseek::skin
