#pragma once

// The painting base of every skinned control: the client side of the engine's protocol (engine,
// object name, private copy, notifications) and the buffered painting that puts a skin object on the
// screen without ever showing the transparent key.

#include "skin/controls/widget_skin_owner.h"
#include "skin/objects/skin_state.h"
#include "skin/se_bitmap.h"
#include "skin/skin_client.h"
#include "skin/skin_objects.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstddef>
#include <optional>

class TSeSkinEngine;

enum TSePerformance { kspNoBuffer, kspSharedBuffer, kspDoubleBuffer };

struct TSeBlending
{
    bool Enabled = false;
    int Value = 255; // 0 shows only the background, 255 only the control
    bool operator==(const TSeBlending&) const = default;
};

namespace lanseek::skin {
// A skin colour (system colours resolved) as a Qt colour.
QColor toQColor(TColor color);
} // namespace lanseek::skin

// Mixed into every skinned control next to its Qt widget class. The widget forwards its events to
// handleSkinEvent() and, while isSkinned(), paints through paintSkinned().
class TSeSkinControl
{
public:
    TSeSkinControl(QWidget* self, const char* defaultObject);
    virtual ~TSeSkinControl();
    TSeSkinControl(const TSeSkinControl&) = delete;
    TSeSkinControl& operator=(const TSeSkinControl&) = delete;

    // ---- published properties ----
    TSeSkinEngine* SkinEngine() const { return m_client.SkinEngine(); }
    // Controls that carry skinned parts of their own (scroll bars, buttons) hand the engine on.
    virtual void setSkinEngine(TSeSkinEngine* engine);
    QString SkinObject() const;
    void setSkinObject(const QString& name);
    static QString Version() { return QStringLiteral("3.2.0"); }
    void setVersion(const QString&) {}
    TSePerformance Performance() const { return m_performance; }
    void setPerformance(TSePerformance performance);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool transparent);
    TSeBlending Blending() const { return m_blending; }
    void setBlending(const TSeBlending& blending);

    // Skinned: not being destroyed, an engine whose skin is available, the named object exists and the
    // private copy is held.
    bool isSkinned() const { return !m_destroying && m_client.isSkinned(); }
    // The private copy and its parts, for the control's own painting (nullptr when absent).
    TSeSkinObject* skinCopy() const { return m_client.skinCopy(); }
    TSeSkinObject* skinPart(const char* name) const { return m_client.part(name); }
    // The first of the named parts that exists.
    TSeSkinObject* skinPart(std::initializer_list<const char*> names) const;
    // The named part, or the whole copy when the skin has no such part.
    TSeSkinObject* skinPartOrCopy(const char* name) const;
    // The state of a control whose look changes only with being enabled: StateNormal, or StateDisabled.
    int enabledState() const;

    // What this control last painted beneath its children, for transparent children to paint over.
    const QImage& paintedBackground() const { return m_painted; }

protected:
    // Handles the engine's notifications and repaint requests; true when the event was one of them.
    bool handleSkinEvent(QEvent* event);
    // Called whenever the copy may have been taken or dropped, so the control can bring its own
    // properties (fonts, margins, palette) in line with its skinned or plain look.
    virtual void skinChanged() {}
    // Called once a fresh copy has been taken.
    virtual void skinCopyTaken(TSeSkinObject* copy) { (void)copy; }
    // Called once the copy has gone: a control that keeps parts of it lets go of them here.
    virtual void skinCopyDropped() {}

    // Paints the control from its skin: a buffer of the control's size is filled with what lies
    // beneath the control (the parent's painting when Transparent, else the control's own colour),
    // drawSkin() paints the skin objects onto it, every key pixel left is put back to the background,
    // drawSkinText() adds texts drawn by the control, and the result is blended and copied to the
    // control. Texts are thus always drawn over real pixels, never over the key.
    void paintSkinned();
    virtual void drawSkin(TSeCanvas& canvas) = 0;
    // True for controls whose skinned painting covers every pixel of them with opaque pixels, so
    // that their parent need not paint beneath them first.
    virtual bool paintsWholeControl() const { return true; }
    virtual void drawSkinText(QPainter& painter) { (void)painter; }

    // A control may keep its face (the skin objects drawn over what lies beneath, before any text of
    // its own) between paints and show it again while nothing it depends on changed. faceKey() names
    // what drawSkin() depends on besides the size, the skin and what lies beneath (the state handed to
    // the objects, the rectangles of parts); a different value draws the face anew. Without a value the
    // face is drawn on every paint. Changes that no key can see (a caption the skin writes) call
    // forgetFace(), as setAndRepaint() does.
    virtual std::optional<std::size_t> faceKey() const { return std::nullopt; }
    // Whether drawSkinText() draws anything now, asked only of controls that keep their face: a face
    // without text goes to the screen as it is kept, without a copy.
    virtual bool drawsSkinText() const { return true; }
    void forgetFace() { m_face = KeptFace(); }
    // Containers keep their last painting so that transparent children can take their background
    // from it without asking the container to paint again.
    void setKeepsPainting(bool keep) { m_keepPainting = keep; }
    // The pixels under the control: the parent's painting of that rectangle, or the parent's colour.
    QImage backgroundImage() const;

    // Sets a property that changes the control's look and has the control repainted.
    template <class T> void setAndRepaint(T& field, const T& value)
    {
        field = value;
        forgetFace();
        m_self->update();
    }

    void markDestroying() { m_destroying = true; }
    QWidget* self() const { return m_self; }

private:
    // What a kept face was drawn over: the parent's painting (its key, and where in it) or a colour.
    struct Beneath
    {
        qint64 painting = 0;
        QPoint at;
        quint32 fill = 0;
        bool operator==(const Beneath&) const = default;
    };
    struct KeptFace
    {
        QImage image; // opaque, of the control's size
        QSize size;
        std::size_t key = 0;
        Beneath beneath;
    };

    void afterProtocolStep();
    // Fills the buffer's top-left `size` with what lies beneath, draws the skin over it and puts the
    // background back where the key is left: every pixel of that part leaves opaque.
    void composeFace(TSeBitmap& buffer, QSize size, const QImage* under, QPoint underAt, quint32 fill);

    QWidget* m_self;
    // Declared before the client, so that it outlives the copy the client binds to it.
    lanseek::skin::WidgetSkinOwner m_owner;
    lanseek::skin::SkinClient m_client;
    TSePerformance m_performance = kspSharedBuffer;
    bool m_transparent = false;
    TSeBlending m_blending;
    bool m_destroying = false;
    bool m_keepPainting = false;
    TSeBitmap m_ownBuffer; // kspDoubleBuffer
    QImage m_painted;
    KeptFace m_face;
};

// Font and colour helpers for controls that draw their own texts in a skin object's font.
namespace lanseek::skin {
QFont fontOf(const TSeSkinObject& object);
QColor fontColorOf(const TSeSkinObject& object);
// Lays out the object to the rectangle in the state and draws it.
void drawPart(TSeCanvas& canvas, TSeSkinObject* object, const QRect& rect, int state);
// True when the object is a bitmap object that draws with transparency somewhere.
bool isMaskedFace(const TSeSkinObject* object);
} // namespace lanseek::skin
