#pragma once

#include "skin/se_bitmap.h"
#include "skin/skin_events.h"
#include "skin/skin_form.h"
#include "skin/skin_types.h"

#include <QFont>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class TSeSkinObject;

// The bitmaps of one skin, owned by its source; objects refer to them without owning them.
using TSeBitmapList = std::vector<std::unique_ptr<TSeBitmap>>;

// A font as skin data stores it.
struct TSeFont
{
    int Charset = 1; // DEFAULT_CHARSET
    TColor Color = clWindowText;
    int Height = -12;
    QByteArray Name = "WenQuanYi Micro Hei";
    int Pitch = 0;
    int Style = 0; // bit 0 bold, 1 italic, 2 underline, 3 strike-out

    QFont toQFont() const;
    bool operator==(const TSeFont&) const = default;
};

// A named bitmap and a source rectangle in it; the bitmap is found by name after loading.
struct TSeBitmapLink
{
    QByteArray Name;
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    TSeBitmap* bitmap = nullptr;

    bool usable() const { return bitmap != nullptr && Right > Left && Bottom > Top; }
    QRect rect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    bool operator==(const TSeBitmapLink& o) const
    {
        return Name == o.Name && Left == o.Left && Top == o.Top && Right == o.Right && Bottom == o.Bottom;
    }
};

// Where an object draws: a bitmap, an offset added to every object coordinate, and an optional clip
// region in the bitmap's coordinates (empty means the whole bitmap).
struct TSeCanvas
{
    TSeBitmap* target = nullptr;
    QPoint offset;
    QRegion clip;

    explicit TSeCanvas(TSeBitmap* bitmap) : target(bitmap) {}
    void fillRect(const QRect& rect, TColor color) const;
    void drawBitmap(const QRect& targetRect, const TSeBitmap& source, const QRect& sourceRect,
                    TscTileStyle style, bool masked) const;
    void copyBitmap(const QPoint& at, const TSeBitmap& source, const QRect& sourceRect, bool masked) const;
};

namespace lanseek::skin {
// Counters filled while reading skin data, so that damaged or foreign records are visible to callers.
struct LoadReport
{
    int unknownClasses = 0; // object records skipped because their class is not known
    int damagedRecords = 0; // object records that did not parse
};
} // namespace lanseek::skin

// A rectangle with a look: colour, font, text placement, children laid out by alignment rules.
class TSeSkinObject
{
public:
    TSeSkinObject();
    virtual ~TSeSkinObject();
    TSeSkinObject(const TSeSkinObject&) = delete;
    TSeSkinObject& operator=(const TSeSkinObject&) = delete;

    virtual const char* className() const { return "TSeSkinObject"; }

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
    int state() const { return m_state; }
    virtual void setState(int state); // the whole tree
    bool active() const { return m_active; }
    void setActive(bool active); // the whole tree
    QWidget* control() const { return m_control; }
    void bindControl(QWidget* control); // the whole tree; also takes the control's reading direction
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
    // Asks the control that shows the object to repaint it.
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
    virtual QList<TSeBitmapLink*> links() { return {}; }

protected:
    virtual void assignFrom(const TSeSkinObject& source);
    virtual void forEachFont(const std::function<void(TSeFont&)>& f) { f(Font); }
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
    int m_state = 0;
    bool m_active = false;
    QPointer<QWidget> m_control;
    int m_bidiMode = 0;
    QString m_text;
    QString m_text2;
    const TSeBitmapList* m_bitmaps = nullptr;
};

class TSeActiveObject : public TSeSkinObject
{
public:
    TSeActiveObject();
    const char* className() const override { return "TSeActiveObject"; }
    TColor ActiveColor = clWhite;
    TSeFont ActiveFont;
    TColor currentColor() const override;
    const TSeFont& currentFont() const override;
    void changeHue(int delta) override;
    bool readProperty(const QByteArray& name, const lanseek::skin::FormValue& value) override;
    void writeProperties(QList<lanseek::skin::FormProperty>& out) const override;

protected:
    void assignFrom(const TSeSkinObject& source) override;
    void forEachFont(const std::function<void(TSeFont&)>& f) override;
    bool useActive() const;
};

class TSeBitmapObject : public TSeSkinObject
{
public:
    TSeBitmapObject() = default;
    const char* className() const override { return "TSeBitmapObject"; }
    TSeBitmapLink Bitmap;
    TscTileStyle BorderTileStyle = tsTile;
    bool MaskedBorder = true;
    bool MaskedAngles = true;
    TscTileStyle TileStyle = tsTile;

    void draw(const TSeCanvas& canvas) override;
    QRegion createRegion() override;
    bool readProperty(const QByteArray& name, const lanseek::skin::FormValue& value) override;
    void writeProperties(QList<lanseek::skin::FormProperty>& out) const override;
    QList<TSeBitmapLink*> links() override { return {&Bitmap}; }
    // The link drawn in the current state.
    virtual const TSeBitmapLink& currentLink() const { return Bitmap; }
    // The bitmap alone in nine parts, without text and children.
    void drawBitmapParts(const TSeCanvas& canvas) const;

protected:
    void assignFrom(const TSeSkinObject& source) override;
};

class TSeActiveBitmap : public TSeBitmapObject
{
public:
    const char* className() const override { return "TSeActiveBitmap"; }
    TSeBitmapLink ActiveBitmap;
    TSeFont ActiveFont;
    const TSeBitmapLink& currentLink() const override;
    const TSeFont& currentFont() const override;
    bool readProperty(const QByteArray& name, const lanseek::skin::FormValue& value) override;
    void writeProperties(QList<lanseek::skin::FormProperty>& out) const override;
    QList<TSeBitmapLink*> links() override { return {&Bitmap, &ActiveBitmap}; }

protected:
    void assignFrom(const TSeSkinObject& source) override;
    void forEachFont(const std::function<void(TSeFont&)>& f) override;
};

// A caption button of a skinned window.
class TSeSystemButton : public TSeActiveBitmap
{
public:
    const char* className() const override { return "TSeSystemButton"; }
    TSeAction Action = sbaNone;
    TSeBitmapLink BitmapHot;
    TSeBitmapLink BitmapPressed;

    enum MouseState { Idle = 0, Hot = 1, Pressed = 2 };
    int mouseState() const { return m_mouseState; }

    // Shows or hides the button for the window state (0 normal, 2 maximized, 3 minimized, 4 rolled up)
    // and the border icons of the frame.
    void setState(int state) override;
    static TSeBorderIcon requiredIcon(TSeAction action, bool* needsIcon);

    void draw(const TSeCanvas& canvas) override;
    const TSeBitmapLink& currentLink() const override;
    void mouseEnter(Qt::MouseButtons held) override;
    void mouseLeave() override;
    void mouseDown(Qt::MouseButton button, const QPoint& at) override;
    void mouseMove(Qt::MouseButtons held, const QPoint& at) override;
    void mouseUp(Qt::MouseButton button, const QPoint& at) override;
    void dblClick() override;

    // The skinned frame of the window that shows the button, asked through the window.
    lanseek::skin::SeFrameHost* frame() const;

    bool readProperty(const QByteArray& name, const lanseek::skin::FormValue& value) override;
    void writeProperties(QList<lanseek::skin::FormProperty>& out) const override;
    QList<TSeBitmapLink*> links() override { return {&Bitmap, &ActiveBitmap, &BitmapHot, &BitmapPressed}; }

protected:
    void assignFrom(const TSeSkinObject& source) override;

private:
    void setMouseState(int state);
    int m_mouseState = Idle;
};

class TSeButtonObject : public TSeBitmapObject
{
public:
    const char* className() const override { return "TSeButtonObject"; }
    TSeBitmapLink BitmapHot;
    TSeBitmapLink BitmapFocused;
    TSeBitmapLink BitmapPressed;
    TSeBitmapLink BitmapDisabled;
    const TSeBitmapLink& currentLink() const override;
    bool readProperty(const QByteArray& name, const lanseek::skin::FormValue& value) override;
    void writeProperties(QList<lanseek::skin::FormProperty>& out) const override;
    QList<TSeBitmapLink*> links() override
    {
        return {&Bitmap, &BitmapHot, &BitmapFocused, &BitmapPressed, &BitmapDisabled};
    }

protected:
    void assignFrom(const TSeSkinObject& source) override;
};

class TSeTextObject : public TSeSkinObject
{
public:
    const char* className() const override { return "TSeTextObject"; }
    TSeFont FontHot;
    TSeFont FontFocused;
    TSeFont FontPressed;
    TSeFont FontDisabled;
    const TSeFont& currentFont() const override;
    void changeHue(int delta) override;
    bool readProperty(const QByteArray& name, const lanseek::skin::FormValue& value) override;
    void writeProperties(QList<lanseek::skin::FormProperty>& out) const override;

protected:
    void assignFrom(const TSeSkinObject& source) override;
    void forEachFont(const std::function<void(TSeFont&)>& f) override;
};

// ---- classes the program's own skins do not use; they load, copy, keep their properties and draw
// by the simplest reading of their names ----

class TSeLinkSkinObject : public TSeSkinObject
{
public:
    const char* className() const override { return "TSeLinkSkinObject"; }
    QByteArray LinkControl;
    bool readProperty(const QByteArray& name, const lanseek::skin::FormValue& value) override;
    void writeProperties(QList<lanseek::skin::FormProperty>& out) const override;

protected:
    void assignFrom(const TSeSkinObject& source) override;
};

class TSeBitmapSkinObject : public TSeSkinObject
{
public:
    const char* className() const override { return "TSeBitmapSkinObject"; }
    TSeBitmapLink Bitmap;
    TscTileStyle TileStyle = tsTile;
    void draw(const TSeCanvas& canvas) override;
    bool readProperty(const QByteArray& name, const lanseek::skin::FormValue& value) override;
    void writeProperties(QList<lanseek::skin::FormProperty>& out) const override;
    QList<TSeBitmapLink*> links() override { return {&Bitmap}; }
    virtual const TSeBitmapLink& currentLink() const { return Bitmap; }

protected:
    void assignFrom(const TSeSkinObject& source) override;
};

class TSeFormBitmapSkinObject : public TSeBitmapSkinObject
{
public:
    const char* className() const override { return "TSeFormBitmapSkinObject"; }
    TSeBitmapLink InactiveBitmap;
    const TSeBitmapLink& currentLink() const override;
    bool readProperty(const QByteArray& name, const lanseek::skin::FormValue& value) override;
    void writeProperties(QList<lanseek::skin::FormProperty>& out) const override;
    QList<TSeBitmapLink*> links() override { return {&Bitmap, &InactiveBitmap}; }

protected:
    void assignFrom(const TSeSkinObject& source) override;
};

class TSeSysButtonSkinObject : public TSeBitmapSkinObject
{
public:
    const char* className() const override { return "TSeSysButtonSkinObject"; }
    TSeAction Action = sbaNone;
    TSeBitmapLink BitmapHover;
    TSeBitmapLink BitmapDown;
    QByteArray RollPanel;
    const TSeBitmapLink& currentLink() const override;
    bool readProperty(const QByteArray& name, const lanseek::skin::FormValue& value) override;
    void writeProperties(QList<lanseek::skin::FormProperty>& out) const override;
    QList<TSeBitmapLink*> links() override { return {&Bitmap, &BitmapHover, &BitmapDown}; }

protected:
    void assignFrom(const TSeSkinObject& source) override;
};

class TSeActiveSkinObject : public TSeActiveObject
{
public:
    const char* className() const override { return "TSeActiveSkinObject"; }
};

class TSeColorButtonObject : public TSeSkinObject
{
public:
    const char* className() const override { return "TSeColorButtonObject"; }
    TColor HotColor = clWhite;
    TSeFont HotFont;
    TColor PressedColor = clWhite;
    TSeFont PressedFont;
    TColor FocusedColor = clWhite;
    TSeFont FocusedFont;
    TColor DisabledColor = clWhite;
    TSeFont DisabledFont;
    TColor currentColor() const override;
    const TSeFont& currentFont() const override;
    void changeHue(int delta) override;
    bool readProperty(const QByteArray& name, const lanseek::skin::FormValue& value) override;
    void writeProperties(QList<lanseek::skin::FormProperty>& out) const override;

protected:
    void assignFrom(const TSeSkinObject& source) override;
    void forEachFont(const std::function<void(TSeFont&)>& f) override;
};

class TSeBitmapBoxObject : public TSeBitmapSkinObject
{
public:
    const char* className() const override { return "TSeBitmapBoxObject"; }
    TscTileStyle BorderTileStyle = tsTile;
    void draw(const TSeCanvas& canvas) override;
    bool readProperty(const QByteArray& name, const lanseek::skin::FormValue& value) override;
    void writeProperties(QList<lanseek::skin::FormProperty>& out) const override;

protected:
    void assignFrom(const TSeSkinObject& source) override;
};

class TSeActiveBitmapBoxObject : public TSeBitmapBoxObject
{
public:
    const char* className() const override { return "TSeActiveBitmapBoxObject"; }
    TSeBitmapLink FocusedBitmap;
    const TSeBitmapLink& currentLink() const override;
    bool readProperty(const QByteArray& name, const lanseek::skin::FormValue& value) override;
    void writeProperties(QList<lanseek::skin::FormProperty>& out) const override;
    QList<TSeBitmapLink*> links() override { return {&Bitmap, &FocusedBitmap}; }

protected:
    void assignFrom(const TSeSkinObject& source) override;
};

class TSeButtonBitmapBoxObject : public TSeBitmapBoxObject
{
public:
    const char* className() const override { return "TSeButtonBitmapBoxObject"; }
    TSeBitmapLink HotBitmap;
    TSeBitmapLink FocusedBitmap;
    TSeBitmapLink PressedBitmap;
    TSeBitmapLink DisabledBitmap;
    const TSeBitmapLink& currentLink() const override;
    bool readProperty(const QByteArray& name, const lanseek::skin::FormValue& value) override;
    void writeProperties(QList<lanseek::skin::FormProperty>& out) const override;
    QList<TSeBitmapLink*> links() override
    {
        return {&Bitmap, &HotBitmap, &FocusedBitmap, &PressedBitmap, &DisabledBitmap};
    }

protected:
    void assignFrom(const TSeSkinObject& source) override;
};

class TSeRollPanelObject : public TSeSkinObject
{
public:
    const char* className() const override { return "TSeRollPanelObject"; }
    TSeRollKind RollKind = rkLeft;
    int RollValue = 0;
    bool readProperty(const QByteArray& name, const lanseek::skin::FormValue& value) override;
    void writeProperties(QList<lanseek::skin::FormProperty>& out) const override;

protected:
    void assignFrom(const TSeSkinObject& source) override;
};

namespace lanseek::skin {

// The class list of skin objects, in its fixed order.
const QList<QByteArray>& skinObjectClassNames();
// A new object of the named class (matched exactly), or nullptr for a class that is not known.
std::unique_ptr<TSeSkinObject> createSkinObject(const QByteArray& className);

// Builds an object tree from a stored record: properties, then the children carried in `Objects`.
// Unknown child classes are skipped and counted. Throws FormatError when the record cannot be used.
std::unique_ptr<TSeSkinObject> objectFromForm(const FormObject& form, LoadReport* report = nullptr,
                                              int depth = 0);
// True for names made of letters, digits (not first), '_' and code-page bytes from 0x80; empty is allowed.
bool isComponentName(const QByteArray& name);
// Applies a stored record to an existing object (name, properties, children). Throws FormatError for a
// name that is not a component name.
void applyForm(TSeSkinObject& object, const FormObject& form, LoadReport* report, int depth);
// Reads one object from its binary or its text form.
std::unique_ptr<TSeSkinObject> objectFromBinary(const QByteArray& data, LoadReport* report = nullptr);
std::unique_ptr<TSeSkinObject> objectFromText(const QByteArray& text, LoadReport* report = nullptr);

// The `Objects` value of a list of children, and its reader.
QByteArray writeObjectsValue(const TSeSkinObject& parent);
void readObjectsValue(TSeSkinObject& parent, const QByteArray& value, LoadReport* report, int depth);

// A title cut to fit a width: the leading characters that fit together with "...", or the whole text.
QString elideTitle(const QString& text, const QFont& font, int width);
// Width of a text in a skin font, measured as it will be drawn.
int textWidth(const QString& text, const TSeFont& font);
// Text decoded from the skin's 8-bit form, and back.
QString fromSkinText(const QByteArray& bytes);
QByteArray toSkinText(const QString& text);

} // namespace lanseek::skin
