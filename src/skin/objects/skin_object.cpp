#include "skin/objects/skin_object.h"

#include "skin/objects/class_registry.h"

#include <QGuiApplication>
#include <QPainter>

using namespace lanseek::skin;

namespace {

// The part of an object's rectangle that its children have not taken yet, as its four edges.
struct FreeArea
{
    int l, t, r, b;
};

// Children aligned to one of the two sides take their height off that side, across the free width.
void takeRows(TSeSkinObject& parent, TSeAlign topSide, TSeAlign bottomSide, FreeArea& a)
{
    for (int i = 0; i < parent.childCount(); ++i) {
        TSeSkinObject* c = parent.child(i);
        if (c->Align == topSide) {
            c->setBounds(a.l, a.t, a.r - a.l, c->height());
            a.t += c->height();
        } else if (c->Align == bottomSide) {
            c->setBounds(a.l, a.b - c->height(), a.r - a.l, c->height());
            a.b -= c->height();
        }
    }
}

// Children aligned to one of the two sides take their width off that side, across the free height.
void takeColumns(TSeSkinObject& parent, TSeAlign leftSide, TSeAlign rightSide, FreeArea& a)
{
    for (int i = 0; i < parent.childCount(); ++i) {
        TSeSkinObject* c = parent.child(i);
        if (c->Align == leftSide) {
            c->setBounds(a.l, a.t, c->width(), a.b - a.t);
            a.l += c->width();
        } else if (c->Align == rightSide) {
            c->setBounds(a.r - c->width(), a.t, c->width(), a.b - a.t);
            a.r -= c->width();
        }
    }
}

// Horizontal and vertical placement of each text alignment, in the enumeration's order.
struct Placement
{
    Qt::AlignmentFlag horizontal;
    Qt::AlignmentFlag vertical;
};
constexpr Placement kPlacements[] = {
    {Qt::AlignLeft, Qt::AlignTop},        {Qt::AlignHCenter, Qt::AlignTop},
    {Qt::AlignRight, Qt::AlignTop},       {Qt::AlignLeft, Qt::AlignVCenter},
    {Qt::AlignHCenter, Qt::AlignVCenter}, {Qt::AlignRight, Qt::AlignVCenter},
    {Qt::AlignLeft, Qt::AlignBottom},     {Qt::AlignHCenter, Qt::AlignBottom},
    {Qt::AlignRight, Qt::AlignBottom},
};

Placement placementOf(TSeTextAlign align)
{
    const int index = int(align);
    return index >= 0 && index < int(std::size(kPlacements)) ? kPlacements[index] : kPlacements[taLeft];
}

} // namespace

TSeSkinObject::TSeSkinObject() = default;
TSeSkinObject::~TSeSkinObject() = default;

const PropertyTable& TSeSkinObject::properties() const
{
    return kSkinObjectTable;
}

// ---- bounds and tree ----

void TSeSkinObject::setBounds(const QRect& rect)
{
    const QRect r(boundCoordinate(rect.left()), boundCoordinate(rect.top()),
                  std::max(0, boundCoordinate(rect.width())), std::max(0, boundCoordinate(rect.height())));
    if (r == m_bounds)
        return;
    m_prevWidth = m_bounds.width();
    m_prevHeight = m_bounds.height();
    m_bounds = r;
    alignChildren();
}

void TSeSkinObject::addChild(std::unique_ptr<TSeSkinObject> child)
{
    child->m_parent = this;
    m_children.push_back(std::move(child));
}

std::unique_ptr<TSeSkinObject> TSeSkinObject::takeChild(int index)
{
    auto out = std::move(m_children.at(size_t(index)));
    m_children.erase(m_children.begin() + index);
    out->m_parent = nullptr;
    return out;
}

TSeSkinObject* TSeSkinObject::findObject(const QByteArray& name)
{
    if (m_name.toLower() == name.toLower())
        return this;
    for (auto& c : m_children) {
        if (TSeSkinObject* found = c->findObject(name))
            return found;
    }
    return nullptr;
}

TSeSkinObject* TSeSkinObject::findObjectByKind(TSeKind kind)
{
    if (Kind == kind)
        return this;
    for (auto& c : m_children) {
        if (TSeSkinObject* found = c->findObjectByKind(kind))
            return found;
    }
    return nullptr;
}

TSeSkinObject* TSeSkinObject::objectAt(const QPoint& point)
{
    if (!m_visible || !m_bounds.contains(point) || Kind == skTranparent)
        return nullptr;
    if (m_children.empty())
        return this;
    TSeSkinObject* result = nullptr;
    for (auto& c : m_children) {
        if (TSeSkinObject* hit = c->objectAt(point))
            result = hit;
    }
    return result ? result : this;
}

// ---- run-time state ----

void TSeSkinObject::setState(int state)
{
    m_state = state;
    for (auto& c : m_children)
        c->setState(state);
}

void TSeSkinObject::setActive(bool active)
{
    m_active = active;
    for (auto& c : m_children)
        c->setActive(active);
}

void TSeSkinObject::bindOwner(SkinOwner* owner)
{
    m_owner = owner;
    m_bidiMode = owner && owner->layoutDirection() == Qt::RightToLeft ? 1 : 0;
    for (auto& c : m_children)
        c->bindOwner(owner);
}

void TSeSkinObject::setBitmaps(const TSeBitmapList* bitmaps)
{
    m_bitmaps = bitmaps;
    for (auto& c : m_children)
        c->setBitmaps(bitmaps);
}

void TSeSkinObject::resolveLink(TSeBitmapLink& link) const
{
    if (!m_bitmaps)
        return;
    // Compared in place rather than through lower-cased copies: this runs for every link of every
    // object a skin loads. Both ways fold the letters A to Z only.
    for (auto it = m_bitmaps->rbegin(); it != m_bitmaps->rend(); ++it) {
        const QByteArray& name = (*it)->name();
        if (name.size() == link.Name.size() && name.compare(link.Name, Qt::CaseInsensitive) == 0) {
            link.bitmap = it->get();
            return;
        }
    }
}

void TSeSkinObject::afterLoad()
{
    for (TSeBitmapLink* link : links())
        resolveLink(*link);
    for (auto& c : m_children)
        c->afterLoad();
}

// ---- layout ----

void TSeSkinObject::alignChildren()
{
    FreeArea free{left(), top(), left() + width(), top() + height()};
    // Edges first: the outermost bands, then the ordinary bands, each pass over the children in order.
    takeRows(*this, saMostTop, saMostBottom, free);
    takeColumns(*this, saMostLeft, saMostRight, free);
    takeRows(*this, saTop, saBottom, free);
    takeColumns(*this, saLeft, saRight, free);
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        TSeSkinObject* c = it->get();
        if (c->Align == saText) {
            const int w = textWidth(c->text(), c->currentFont()) + c->TextMarginLeft + c->TextMarginRight;
            c->setBounds(c->left(), c->top(), w, c->height());
        }
    }
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        TSeSkinObject* c = it->get();
        if (c->Align == saCenter)
            c->setBounds(free.l + (free.r - free.l - c->width()) / 2,
                         free.t + (free.b - free.t - c->height()) / 2, c->width(), c->height());
    }
    for (auto& c : m_children) {
        if (c->Align == saClient)
            c->setBounds(free.l, free.t, free.r - free.l, free.b - free.t);
    }
    // Anchored children follow the growth since the last layout; the growth is consumed here so that
    // laying out again at the same size (as drawing does) never moves them twice.
    const int dw = m_prevWidth > 0 ? width() - m_prevWidth : 0;
    const int dh = m_prevHeight > 0 ? height() - m_prevHeight : 0;
    for (auto& c : m_children) {
        if (c->Align == saTopRight && dw != 0)
            c->setBounds(c->left() + dw, c->top(), c->width(), c->height());
        else if (c->Align == saBottomLeft && dh != 0)
            c->setBounds(c->left(), c->top() + dh, c->width(), c->height());
        else if (c->Align == saBottomRight && (dw != 0 || dh != 0))
            c->setBounds(c->left() + dw, c->top() + dh, c->width(), c->height());
    }
    m_prevWidth = width();
    m_prevHeight = height();
}

// ---- drawing and regions ----

void TSeSkinObject::invalidate()
{
    if (m_owner)
        m_owner->repaintObject(this);
}

void TSeSkinObject::draw(const TSeCanvas& canvas)
{
    if (!m_visible || width() <= 0 || height() <= 0)
        return;
    if (m_children.empty() || DrawIfOwner) {
        const TColor color = currentColor();
        if (color != clNone)
            canvas.fillRect(m_bounds, color);
        drawText(canvas);
    }
    drawChildren(canvas);
}

void TSeSkinObject::drawChildren(const TSeCanvas& canvas)
{
    for (auto& c : m_children) {
        if (c->visible() && c->width() > 0 && c->height() > 0)
            c->draw(canvas);
    }
}

void TSeSkinObject::drawText(const TSeCanvas& canvas) const
{
    if (m_text.isEmpty() || width() <= 0 || height() <= 0)
        return;
    const TSeFont& font = currentFont();
    const TColor color = m_enabled ? font.Color : clGray;
    if (m_text == QLatin1String("-")) {
        canvas.fillRect(QRect(left() + 3, top() + height() / 2, width() - 6, 1), color);
        return;
    }
    const QRect r = m_bounds.adjusted(TextMarginLeft, TextMarginTop, -TextMarginRight, 0);
    if (r.width() <= 0 || r.height() <= 0)
        return;
    const Placement placement = placementOf(TextAlign);
    Qt::Alignment h = placement.horizontal;
    const Qt::Alignment v = placement.vertical;
    const bool mirrored = m_bidiMode != 0 && QGuiApplication::layoutDirection() == Qt::RightToLeft;
    auto swap = [](Qt::Alignment a) {
        return a == Qt::AlignLeft ? Qt::AlignRight : a == Qt::AlignRight ? Qt::AlignLeft : a;
    };
    if (mirrored)
        h = swap(h);
    const QFont qfont = font.toQFont();
    QString text = m_text;
    if (Kind == skTitle)
        text = elideTitle(text, qfont, r.width());
    QPainter painter(&canvas.target->image());
    painter.translate(canvas.offset);
    if (!canvas.clip.isEmpty())
        painter.setClipRegion(canvas.clip.translated(-canvas.offset));
    painter.setFont(qfont);
    if (mirrored && m_bidiMode == 1)
        painter.setLayoutDirection(Qt::RightToLeft);
    const int flags = int(h | v) | Qt::TextSingleLine;
    if (TextEffect == teShadow) {
        painter.setPen(QColor(0, 0, 0));
        painter.drawText(r.translated(1, 1), flags, text);
    }
    painter.setPen(QColor::fromRgb(colorToPixel(color)));
    painter.drawText(r, flags, text);
    if (!m_text2.isEmpty()) {
        const Qt::Alignment h2 = swap(h);
        painter.drawText(r, int(h2 | v) | Qt::TextSingleLine, m_text2);
    }
}

QRegion TSeSkinObject::createRegion()
{
    if (width() <= 0 || height() <= 0)
        return {};
    if (!m_children.empty() && Masked && !DrawIfOwner) {
        QRegion region;
        for (auto& c : m_children) {
            if (c->visible())
                region += c->createRegion();
        }
        return region;
    }
    return QRegion(m_bounds);
}

void TSeSkinObject::changeHue(int delta)
{
    shiftColorInPlace(Color, delta);
    shiftFontHue(Font, delta);
    for (auto& c : m_children)
        c->changeHue(delta);
}

void TSeSkinObject::setCharset(int charset)
{
    forEachFont([charset](TSeFont& f) { f.Charset = charset; });
    for (auto& c : m_children)
        c->setCharset(charset);
}

// ---- stored properties and copies ----

bool TSeSkinObject::readProperty(const QByteArray& name, const FormValue& value)
{
    const PropertyEntry* entry = findProperty(properties(), name);
    if (!entry)
        return false;
    lanseek::skin::readProperty(*entry, *this, name, value);
    return true;
}

void TSeSkinObject::writeProperties(QList<FormProperty>& out) const
{
    forEachProperty(properties(), [&](const PropertyEntry& entry) { writeProperty(entry, *this, out); });
}

QList<TSeBitmapLink*> TSeSkinObject::links()
{
    QList<TSeBitmapLink*> out;
    forEachProperty(properties(), [&](const PropertyEntry& entry) {
        if (entry.kind == PropertyKind::Link)
            out.append(&std::get<PlaceAccess<TSeBitmapLink>>(entry.access).place(*this));
    });
    return out;
}

void TSeSkinObject::forEachFont(const std::function<void(TSeFont&)>& f)
{
    forEachProperty(properties(), [&](const PropertyEntry& entry) {
        if (entry.kind == PropertyKind::Font)
            f(std::get<PlaceAccess<TSeFont>>(entry.access).place(*this));
    });
}

void TSeSkinObject::assignFrom(const TSeSkinObject& source)
{
    m_name = source.m_name;
    m_bitmaps = source.m_bitmaps;
    forEachProperty(properties(), [&](const PropertyEntry& entry) { copyProperty(entry, *this, source); });
}

std::unique_ptr<TSeSkinObject> TSeSkinObject::createCopy() const
{
    std::unique_ptr<TSeSkinObject> copy = createSkinObject(className());
    copy->assignFrom(*this);
    for (const auto& c : m_children)
        copy->addChild(c->createCopy());
    copy->setBounds(m_bounds);
    return copy;
}
