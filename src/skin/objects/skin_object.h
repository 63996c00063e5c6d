#pragma once

#include "skin/objects/skin_canvas.h"
#include "skin/objects/skin_owner.h"
#include "skin/objects/skin_properties.h"
#include "skin/objects/skin_state.h"
#include "skin/objects/skin_values.h"
#include "skin/skin_form.h"
#include "skin/skin_types.h"

#include <QRect>
#include <QRegion>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// A rectangle with a look: colour, font, text placement, children laid out by alignment rules.
class TSeSkinObject
{
public:
    TSeSkinObject();
    virtual ~TSeSkinObject();
    TSeSkinObject(const TSeSkinObject&) = delete;
    TSeSkinObject& operator=(const TSeSkinObject&) = delete;

    // The stored properties of the object's class (its table and those of its bases).
    virtual const lanseek::skin::PropertyTable& properties() const;
    virtual const char* className() const { return properties().className; }

    // ---- stored properties ----
    TSeAlign Align = saNone;
    TColor Color = clWhite;
    bool DrawIfOwner = false;
    TSeFont Font;
    TSeKind Kind = skNone;
    bool Masked = true;
    int MarginLeft = 0;
    int MarginRight = 0;
    int MarginTop = 0;
    int MarginBottom = 0;
    TSeTextAlign TextAlign = taLeft;
    TSeTextEffect TextEffect = teNone;
    int TextMarginLeft = 0;
    int TextMarginRight = 0;
    int TextMarginTop = 0;

    const QByteArray& name() const { return m_name; }
    void setName(const QByteArray& name) { m_name = name; }

    int left() const { return m_bounds.left(); }
    int top() const { return m_bounds.top(); }
    int width() const { return m_bounds.width(); }
    int height() const { return m_bounds.height(); }
    QRect boundsRect() const { return m_bounds; }
    // Stores the bounds (negative sizes become 0) and lays the children out again; the same bounds
    // again change nothing.
    void setBounds(const QRect& rect);
    void setBounds(int x, int y, int w, int h) { setBounds(QRect(x, y, w, h)); }
    void setLeft(int v) { setBounds(v, top(), width(), height()); }
    void setTop(int v) { setBounds(left(), v, width(), height()); }
    void setWidth(int v) { setBounds(left(), top(), v, height()); }
    void setHeight(int v) { setBounds(left(), top(), width(), v); }
    int previousWidth() const { return m_prevWidth; }
    int previousHeight() const { return m_prevHeight; }

    // ---- tree ----
    TSeSkinObject* parent() const { return m_parent; }
    int childCount() const { return int(m_children.size()); }
    TSeSkinObject* child(int index) const { return m_children.at(size_t(index)).get(); }
    void addChild(std::unique_ptr<TSeSkinObject> child);
    std::unique_ptr<TSeSkinObject> takeChild(int index);

    // Case-insensitive; the object itself first, then its children depth-first.
    TSeSkinObject* findObject(const QByteArray& name);
    TSeSkinObject* findObjectByKind(TSeKind kind);
    // The deepest visible object under the point (control coordinates), or nullptr.
    TSeSkinObject* objectAt(const QPoint& point);

    // ---- run-time state ----
    bool visible() const { return m_visible; }
    void setVisible(bool v) { m_visible = v; }
    bool enabled() const { return m_enabled; }
    void setEnabled(bool v) { m_enabled = v; }
    // A lanseek::skin::ControlState, or for the objects of a window frame a lanseek::skin::FrameState.
    int state() const { return m_state; }
    virtual void setState(int state); // the whole tree
    bool active() const { return m_active; }
    void setActive(bool active); // the whole tree
    // The control that shows the object, as the object model sees it; nullptr for an unbound object.
    lanseek::skin::SkinOwner* owner() const { return m_owner; }
    void bindOwner(lanseek::skin::SkinOwner* owner); // the whole tree; also takes its reading direction
    int bidiMode() const { return m_bidiMode; }
    void setBidiMode(int mode) { m_bidiMode = mode; }
    const QString& text() const { return m_text; }
    void setText(const QString& text) { m_text = text; }
    const QString& text2() const { return m_text2; }
    void setText2(const QString& text) { m_text2 = text; }
    const TSeBitmapList* bitmaps() const { return m_bitmaps; }
    void setBitmaps(const TSeBitmapList* bitmaps); // the whole tree

    // ---- operations ----
    // Resolves bitmap links by name (the last bitmap of that name wins), for the whole tree.
    virtual void afterLoad();
    virtual void draw(const TSeCanvas& canvas);
    virtual QRegion createRegion();
    virtual void changeHue(int delta); // the whole tree
    void setCharset(int charset);      // the whole tree
    void alignChildren();
    // Asks the owner (the control that shows the object) to repaint it.
    void invalidate();

    virtual void mouseEnter(Qt::MouseButtons held) { (void)held; }
    virtual void mouseLeave() {}
    virtual void mouseDown(Qt::MouseButton button, const QPoint& at) { (void)button, (void)at; }
    virtual void mouseMove(Qt::MouseButtons held, const QPoint& at) { (void)held, (void)at; }
    virtual void mouseUp(Qt::MouseButton button, const QPoint& at) { (void)button, (void)at; }
    virtual void dblClick() {}

    // The colour and font in effect for the current state.
    virtual TColor currentColor() const { return Color; }
    virtual const TSeFont& currentFont() const { return Font; }

    // ---- copies and storage ----
    // A copy of the whole tree for a control to own (class, properties, children, then bounds).
    std::unique_ptr<TSeSkinObject> createCopy() const;
    lanseek::skin::FormObject toForm() const;
    // Applies one stored property; false when the name is not a property of this class.
    virtual bool readProperty(const QByteArray& name, const lanseek::skin::FormValue& value);
    virtual void writeProperties(QList<lanseek::skin::FormProperty>& out) const;
    // The bitmap links among the stored properties.
    virtual QList<TSeBitmapLink*> links();

protected:
    virtual void assignFrom(const TSeSkinObject& source);
    // Calls f for every font among the stored properties.
    virtual void forEachFont(const std::function<void(TSeFont&)>& f);
    void drawText(const TSeCanvas& canvas) const;
    void drawChildren(const TSeCanvas& canvas);
    void resolveLink(TSeBitmapLink& link) const;

private:
    QByteArray m_name;
    QRect m_bounds;
    int m_prevWidth = 0;
    int m_prevHeight = 0;
    TSeSkinObject* m_parent = nullptr;
    std::vector<std::unique_ptr<TSeSkinObject>> m_children;
    bool m_visible = true;
    bool m_enabled = true;
    int m_state = lanseek::skin::StateNormal;
    bool m_active = false;
    lanseek::skin::SkinOwner* m_owner = nullptr;
    int m_bidiMode = 0;
    QString m_text;
    QString m_text2;
    const TSeBitmapList* m_bitmaps = nullptr;
};

namespace lanseek::skin {

inline constexpr PropertyEntry kSkinObjectProperties[] = {
    property::enumeration<&TSeSkinObject::Align>("Align", kAlignNames),
    property::color<&TSeSkinObject::Color>("Color"),
    property::boolean<&TSeSkinObject::DrawIfOwner>("DrawIfOwner"),
    property::font<&TSeSkinObject::Font>("Font"),
    property::enumeration<&TSeSkinObject::Kind>("Kind", kKindNames),
    property::boolean<&TSeSkinObject::Masked>("Masked"),
    property::bound<&TSeSkinObject::left, &TSeSkinObject::setLeft>("Left"),
    property::bound<&TSeSkinObject::top, &TSeSkinObject::setTop>("Top"),
    property::bound<&TSeSkinObject::height, &TSeSkinObject::setHeight>("Height"),
    property::bound<&TSeSkinObject::width, &TSeSkinObject::setWidth>("Width"),
    property::integer<&TSeSkinObject::MarginLeft>("MarginLeft"),
    property::integer<&TSeSkinObject::MarginRight>("MarginRight"),
    property::integer<&TSeSkinObject::MarginTop>("MarginTop"),
    property::integer<&TSeSkinObject::MarginBottom>("MarginBottom"),
    property::enumeration<&TSeSkinObject::TextAlign>("TextAlign", kTextAlignNames),
    property::enumeration<&TSeSkinObject::TextEffect>("TextEffect", kTextEffectNames),
    property::integer<&TSeSkinObject::TextMarginLeft>("TextMarginLeft"),
    property::integer<&TSeSkinObject::TextMarginRight>("TextMarginRight"),
    property::integer<&TSeSkinObject::TextMarginTop>("TextMarginTop"),
};
inline constexpr PropertyTable kSkinObjectTable{"TSeSkinObject", nullptr, kSkinObjectProperties};

} // namespace lanseek::skin
