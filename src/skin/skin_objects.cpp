#include "skin/skin_objects.h"

#include "skin/skin_hue.h"
#include "skin/skin_stream.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStyle>
#include <limits>

using namespace lanseek::skin;

// ---- text and fonts ----

namespace lanseek::skin {

QString fromSkinText(const QByteArray& bytes)
{
    QStringDecoder decoder("GB18030");
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

QByteArray toSkinText(const QString& text)
{
    QStringEncoder encoder("GB18030");
    if (!encoder.isValid())
        return text.toLatin1();
    return encoder.encode(text);
}

QString elideTitle(const QString& text, const QFont& font, int width)
{
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    const QString dots = QStringLiteral("...");
    int keep = 0;
    while (keep < text.size() && metrics.horizontalAdvance(text.left(keep + 1) + dots) <= width)
        ++keep;
    return text.left(keep) + dots;
}

int textWidth(const QString& text, const TSeFont& font)
{
    return QFontMetrics(font.toQFont()).horizontalAdvance(text);
}

} // namespace lanseek::skin

QFont TSeFont::toQFont() const
{
    QFont font(fromSkinText(Name));
    // Negative heights are character heights in pixels; positive ones are cell heights, of which the
    // characters take about seven eighths.
    int pixels = Height < 0 ? -Height : Height * 7 / 8;
    font.setPixelSize(std::clamp(pixels == 0 ? 12 : pixels, 1, 400));
    font.setBold(Style & 1);
    font.setItalic(Style & 2);
    font.setUnderline(Style & 4);
    font.setStrikeOut(Style & 8);
    if (Pitch == 2)
        font.setFixedPitch(true);
    return font;
}

// ---- canvas ----

void TSeCanvas::fillRect(const QRect& rect, TColor color) const
{
    const QRect r = rect.translated(offset);
    const quint32 pixel = colorToPixel(color);
    forEachClipRect(clip, target->rect(), [&](const QRect& c) { target->fillRect(r, pixel, c); });
}

void TSeCanvas::drawBitmap(const QRect& targetRect, const TSeBitmap& source, const QRect& sourceRect,
                           TscTileStyle style, bool masked) const
{
    const QRect r = targetRect.translated(offset);
    forEachClipRect(clip, target->rect(),
                    [&](const QRect& c) { target->drawStyled(r, source, sourceRect, style, masked, c); });
}

void TSeCanvas::copyBitmap(const QPoint& at, const TSeBitmap& source, const QRect& sourceRect,
                           bool masked) const
{
    const QPoint p = at + offset;
    forEachClipRect(clip, target->rect(),
                    [&](const QRect& c) { target->copyFrom(p.x(), p.y(), source, sourceRect, masked, c); });
}

// ---- property helpers ----

namespace {

bool nameIs(const QByteArray& name, const char* expected)
{
    return name.compare(expected, Qt::CaseInsensitive) == 0;
}

// Coordinates, sizes and margins beyond this are not pictures but damage; keeping them in range keeps
// every sum of two of them inside an int.
constexpr qint64 kCoordinateLimit = 1 << 24;

bool readInt(const FormValue& v, int* out)
{
    if (!v.isInteger())
        return false;
    *out = int(std::clamp<qint64>(v.integer, -kCoordinateLimit, kCoordinateLimit));
    return true;
}

bool readBool(const FormValue& v, bool* out)
{
    if (v.type != ValueType::True && v.type != ValueType::False)
        return false;
    *out = v.type == ValueType::True;
    return true;
}

template <typename E> bool readEnum(const FormValue& v, const EnumNames& names, E* out)
{
    if (v.type != ValueType::Ident)
        return false;
    const int value = names.valueOf(v.bytes);
    if (value < 0)
        return false;
    *out = E(value);
    return true;
}

bool readColor(const FormValue& v, TColor* out)
{
    if (v.isInteger()) {
        *out = TColor(quint32(v.integer));
        return true;
    }
    if (v.type == ValueType::Ident)
        return colorFromIdent(v.bytes, out);
    return false;
}

bool readText(const FormValue& v, QByteArray* out)
{
    if (v.type == ValueType::WString) {
        QString s;
        for (qint64 i = 0; i + 1 < v.bytes.size(); i += 2)
            s.append(QChar(ushort(quint8(v.bytes[i]) | (quint8(v.bytes[i + 1]) << 8))));
        *out = toSkinText(s);
        return true;
    }
    if (!v.isString())
        return false;
    *out = v.bytes;
    return true;
}

// "Prefix.Sub" -> Sub when the prefix matches.
bool subName(const QByteArray& name, const char* prefix, QByteArray* sub)
{
    const qsizetype n = qsizetype(std::strlen(prefix));
    if (name.size() <= n + 1 || name[n] != '.' || name.left(n).compare(prefix, Qt::CaseInsensitive) != 0)
        return false;
    *sub = name.mid(n + 1);
    return true;
}

bool readFont(const QByteArray& name, const FormValue& v, const char* prefix, TSeFont* font)
{
    QByteArray sub;
    if (!subName(name, prefix, &sub))
        return false;
    if (nameIs(sub, "Charset")) {
        if (v.type == ValueType::Ident)
            charsetFromIdent(v.bytes, &font->Charset);
        else
            readInt(v, &font->Charset);
    } else if (nameIs(sub, "Color")) {
        readColor(v, &font->Color);
    } else if (nameIs(sub, "Height")) {
        readInt(v, &font->Height);
    } else if (nameIs(sub, "Name")) {
        readText(v, &font->Name);
    } else if (nameIs(sub, "Pitch")) {
        readEnum(v, kFontPitchNames, &font->Pitch);
    } else if (nameIs(sub, "Style")) {
        if (v.type == ValueType::Set) {
            font->Style = 0;
            for (const QByteArray& s : v.names) {
                const int bit = kFontStyleNames.valueOf(s);
                if (bit >= 0)
                    font->Style |= 1 << bit;
            }
        }
    } else if (nameIs(sub, "Size")) {
        int size = 0;
        if (readInt(v, &size))
            font->Height = -(size * 96 + 36) / 72;
    }
    return true;
}

bool readLink(const QByteArray& name, const FormValue& v, const char* prefix, TSeBitmapLink* link)
{
    QByteArray sub;
    if (!subName(name, prefix, &sub))
        return false;
    if (nameIs(sub, "Name"))
        readText(v, &link->Name);
    else if (nameIs(sub, "Left"))
        readInt(v, &link->Left);
    else if (nameIs(sub, "Top"))
        readInt(v, &link->Top);
    else if (nameIs(sub, "Right"))
        readInt(v, &link->Right);
    else if (nameIs(sub, "Bottom"))
        readInt(v, &link->Bottom);
    return true;
}

void putInt(QList<FormProperty>& out, const char* name, qint64 v)
{
    out.append({name, FormValue::fromInt(v)});
}

void putBool(QList<FormProperty>& out, const char* name, bool v)
{
    out.append({name, FormValue::fromBool(v)});
}

void putEnum(QList<FormProperty>& out, const char* name, const EnumNames& names, int v)
{
    const char* ident = names.nameOf(v);
    out.append({name, ident ? FormValue::fromIdent(ident) : FormValue::fromInt(v)});
}

void putColor(QList<FormProperty>& out, const QByteArray& name, TColor c)
{
    const QByteArray ident = colorToIdent(c);
    out.append({name, ident.isEmpty() ? FormValue::fromInt(c) : FormValue::fromIdent(ident)});
}

void putFont(QList<FormProperty>& out, const QByteArray& prefix, const TSeFont& f)
{
    const QByteArray charset = charsetToIdent(f.Charset);
    out.append({prefix + ".Charset",
                charset.isEmpty() ? FormValue::fromInt(f.Charset) : FormValue::fromIdent(charset)});
    putColor(out, prefix + ".Color", f.Color);
    out.append({prefix + ".Height", FormValue::fromInt(f.Height)});
    out.append({prefix + ".Name", FormValue::fromString(f.Name)});
    if (f.Pitch != 0)
        out.append({prefix + ".Pitch", FormValue::fromIdent(kFontPitchNames.nameOf(f.Pitch))});
    QList<QByteArray> styles;
    for (int bit = 0; bit < kFontStyleNames.count; ++bit) {
        if (f.Style & (1 << bit))
            styles.append(kFontStyleNames.names[bit]);
    }
    out.append({prefix + ".Style", FormValue::fromSet(styles)});
}

void putLink(QList<FormProperty>& out, const QByteArray& prefix, const TSeBitmapLink& l)
{
    out.append({prefix + ".Name", FormValue::fromString(l.Name)});
    out.append({prefix + ".Left", FormValue::fromInt(l.Left)});
    out.append({prefix + ".Top", FormValue::fromInt(l.Top)});
    out.append({prefix + ".Right", FormValue::fromInt(l.Right)});
    out.append({prefix + ".Bottom", FormValue::fromInt(l.Bottom)});
}

QRect fromEdges(int l, int t, int r, int b)
{
    return QRect(l, t, r - l, b - t);
}

void shiftFont(TSeFont& f, int delta)
{
    if (f.Color != clNone)
        f.Color = shiftColorHue(f.Color, delta);
}

// Draws a link rectangle into a rectangle in nine parts: unscaled corners, edges in the border style and
// the centre in the main style.
void drawNineParts(const TSeCanvas& canvas, const QRect& bounds, const TSeBitmapLink& link, int ml, int mt,
                   int mr, int mb, TscTileStyle tileStyle, TscTileStyle borderStyle, bool masked,
                   bool maskedBorder, bool maskedAngles)
{
    const TSeBitmap& src = *link.bitmap;
    auto bound = [](int v) { return int(std::clamp<qint64>(v, -kCoordinateLimit, kCoordinateLimit)); };
    const int L = bound(link.Left), T = bound(link.Top), R = bound(link.Right), B = bound(link.Bottom);
    ml = bound(ml);
    mt = bound(mt);
    mr = bound(mr);
    mb = bound(mb);
    const int X = bounds.left(), Y = bounds.top(), W = bounds.width(), H = bounds.height();
    if (ml == 0 && mt == 0 && mr == 0 && mb == 0) {
        canvas.drawBitmap(bounds, src, link.rect(), tileStyle, masked);
        return;
    }
    auto part = [&](const QRect& from, const QRect& to, TscTileStyle style, bool m) {
        if (!from.isEmpty() && !to.isEmpty())
            canvas.drawBitmap(to.translated(X, Y), src, from, style, m);
    };
    part(fromEdges(L + ml, T + mt, R - mr, B - mb), fromEdges(ml, mt, W - mr, H - mb), tileStyle, masked);
    part(fromEdges(L + ml, T, R - mr, T + mt), fromEdges(ml, 0, W - mr, mt), borderStyle, maskedBorder);
    part(fromEdges(L + ml, B - mb, R - mr, B), fromEdges(ml, H - mb, W - mr, H), borderStyle, maskedBorder);
    part(fromEdges(L, T + mt, L + ml, B - mb), fromEdges(0, mt, ml, H - mb), borderStyle, maskedBorder);
    part(fromEdges(R - mr, T + mt, R, B - mb), fromEdges(W - mr, mt, W, H - mb), borderStyle, maskedBorder);
    auto corner = [&](const QRect& from, int x, int y) {
        if (!from.isEmpty())
            canvas.copyBitmap(QPoint(X + x, Y + y), src, from, maskedAngles);
    };
    corner(fromEdges(L, T, L + ml, T + mt), 0, 0);
    corner(fromEdges(R - mr, T, R, T + mt), W - mr, 0);
    corner(fromEdges(L, B - mb, L + ml, B), 0, H - mb);
    corner(fromEdges(R - mr, B - mb, R, B), W - mr, H - mb);
}

} // namespace

// ---- base object ----

TSeSkinObject::TSeSkinObject() = default;
TSeSkinObject::~TSeSkinObject() = default;

void TSeSkinObject::setBounds(const QRect& rect)
{
    auto bound = [](int v) { return int(std::clamp<qint64>(v, -kCoordinateLimit, kCoordinateLimit)); };
    const QRect r(bound(rect.left()), bound(rect.top()), std::max(0, bound(rect.width())),
                  std::max(0, bound(rect.height())));
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

void TSeSkinObject::bindControl(QWidget* control)
{
    m_control = control;
    m_bidiMode = control && control->layoutDirection() == Qt::RightToLeft ? 1 : 0;
    for (auto& c : m_children)
        c->bindControl(control);
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
    const QByteArray wanted = link.Name.toLower();
    for (auto it = m_bitmaps->rbegin(); it != m_bitmaps->rend(); ++it) {
        if ((*it)->name().toLower() == wanted) {
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

void TSeSkinObject::alignChildren()
{
    int l = left(), t = top(), r = left() + width(), b = top() + height();
    // Edges first: the outermost bands, then the ordinary bands, each pass over the children in order.
    for (auto& c : m_children) {
        if (c->Align == saMostTop) {
            c->setBounds(l, t, r - l, c->height());
            t += c->height();
        } else if (c->Align == saMostBottom) {
            c->setBounds(l, b - c->height(), r - l, c->height());
            b -= c->height();
        }
    }
    for (auto& c : m_children) {
        if (c->Align == saMostLeft) {
            c->setBounds(l, t, c->width(), b - t);
            l += c->width();
        } else if (c->Align == saMostRight) {
            c->setBounds(r - c->width(), t, c->width(), b - t);
            r -= c->width();
        }
    }
    for (auto& c : m_children) {
        if (c->Align == saTop) {
            c->setBounds(l, t, r - l, c->height());
            t += c->height();
        } else if (c->Align == saBottom) {
            c->setBounds(l, b - c->height(), r - l, c->height());
            b -= c->height();
        }
    }
    for (auto& c : m_children) {
        if (c->Align == saLeft) {
            c->setBounds(l, t, c->width(), b - t);
            l += c->width();
        } else if (c->Align == saRight) {
            c->setBounds(r - c->width(), t, c->width(), b - t);
            r -= c->width();
        }
    }
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
            c->setBounds(l + (r - l - c->width()) / 2, t + (b - t - c->height()) / 2, c->width(),
                         c->height());
    }
    for (auto& c : m_children) {
        if (c->Align == saClient)
            c->setBounds(l, t, r - l, b - t);
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

void TSeSkinObject::invalidate()
{
    if (m_control) {
        SeRepaintEvent event(this);
        QCoreApplication::sendEvent(m_control, &event);
    }
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
    Qt::Alignment h = Qt::AlignLeft;
    Qt::Alignment v = Qt::AlignVCenter;
    switch (TextAlign) {
    case taTopLeft:
        h = Qt::AlignLeft;
        v = Qt::AlignTop;
        break;
    case taTopCenter:
        h = Qt::AlignHCenter;
        v = Qt::AlignTop;
        break;
    case taTopRight:
        h = Qt::AlignRight;
        v = Qt::AlignTop;
        break;
    case taLeft:
        h = Qt::AlignLeft;
        break;
    case taCenter:
        h = Qt::AlignHCenter;
        break;
    case taRight:
        h = Qt::AlignRight;
        break;
    case taBottomLeft:
        h = Qt::AlignLeft;
        v = Qt::AlignBottom;
        break;
    case taBottomCenter:
        h = Qt::AlignHCenter;
        v = Qt::AlignBottom;
        break;
    case taBottomRight:
        h = Qt::AlignRight;
        v = Qt::AlignBottom;
        break;
    }
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
    if (Color != clNone)
        Color = shiftColorHue(Color, delta);
    shiftFont(Font, delta);
    for (auto& c : m_children)
        c->changeHue(delta);
}

void TSeSkinObject::setCharset(int charset)
{
    forEachFont([charset](TSeFont& f) { f.Charset = charset; });
    for (auto& c : m_children)
        c->setCharset(charset);
}

void TSeSkinObject::assignFrom(const TSeSkinObject& s)
{
    m_name = s.m_name;
    Masked = s.Masked;
    Align = s.Align;
    Kind = s.Kind;
    m_bitmaps = s.m_bitmaps;
    Color = s.Color;
    DrawIfOwner = s.DrawIfOwner;
    Font = s.Font;
    TextAlign = s.TextAlign;
    TextEffect = s.TextEffect;
    TextMarginLeft = s.TextMarginLeft;
    TextMarginRight = s.TextMarginRight;
    TextMarginTop = s.TextMarginTop;
    MarginLeft = s.MarginLeft;
    MarginRight = s.MarginRight;
    MarginTop = s.MarginTop;
    MarginBottom = s.MarginBottom;
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

bool TSeSkinObject::readProperty(const QByteArray& name, const FormValue& v)
{
    int n = 0;
    if (nameIs(name, "Align"))
        readEnum(v, kAlignNames, &Align);
    else if (nameIs(name, "Color"))
        readColor(v, &Color);
    else if (nameIs(name, "DrawIfOwner"))
        readBool(v, &DrawIfOwner);
    else if (readFont(name, v, "Font", &Font))
        ;
    else if (nameIs(name, "Kind"))
        readEnum(v, kKindNames, &Kind);
    else if (nameIs(name, "Masked"))
        readBool(v, &Masked);
    else if (nameIs(name, "Left")) {
        if (readInt(v, &n))
            setLeft(n);
    } else if (nameIs(name, "Top")) {
        if (readInt(v, &n))
            setTop(n);
    } else if (nameIs(name, "Height")) {
        if (readInt(v, &n))
            setHeight(n);
    } else if (nameIs(name, "Width")) {
        if (readInt(v, &n))
            setWidth(n);
    } else if (nameIs(name, "MarginLeft"))
        readInt(v, &MarginLeft);
    else if (nameIs(name, "MarginRight"))
        readInt(v, &MarginRight);
    else if (nameIs(name, "MarginTop"))
        readInt(v, &MarginTop);
    else if (nameIs(name, "MarginBottom"))
        readInt(v, &MarginBottom);
    else if (nameIs(name, "TextAlign"))
        readEnum(v, kTextAlignNames, &TextAlign);
    else if (nameIs(name, "TextEffect"))
        readEnum(v, kTextEffectNames, &TextEffect);
    else if (nameIs(name, "TextMarginLeft"))
        readInt(v, &TextMarginLeft);
    else if (nameIs(name, "TextMarginRight"))
        readInt(v, &TextMarginRight);
    else if (nameIs(name, "TextMarginTop"))
        readInt(v, &TextMarginTop);
    else
        return false;
    return true;
}

void TSeSkinObject::writeProperties(QList<FormProperty>& out) const
{
    putEnum(out, "Align", kAlignNames, Align);
    putColor(out, "Color", Color);
    putBool(out, "DrawIfOwner", DrawIfOwner);
    putFont(out, "Font", Font);
    putEnum(out, "Kind", kKindNames, Kind);
    putBool(out, "Masked", Masked);
    putInt(out, "Left", left());
    putInt(out, "Top", top());
    putInt(out, "Height", height());
    putInt(out, "Width", width());
    putInt(out, "MarginLeft", MarginLeft);
    putInt(out, "MarginRight", MarginRight);
    putInt(out, "MarginTop", MarginTop);
    putInt(out, "MarginBottom", MarginBottom);
    putEnum(out, "TextAlign", kTextAlignNames, TextAlign);
    putEnum(out, "TextEffect", kTextEffectNames, TextEffect);
    putInt(out, "TextMarginLeft", TextMarginLeft);
    putInt(out, "TextMarginRight", TextMarginRight);
    putInt(out, "TextMarginTop", TextMarginTop);
}

FormObject TSeSkinObject::toForm() const
{
    FormObject form;
    form.className = className();
    form.name = m_name;
    writeProperties(form.properties);
    form.properties.append({"Objects", FormValue::fromBinary(writeObjectsValue(*this))});
    return form;
}

// ---- TSeActiveObject ----

TSeActiveObject::TSeActiveObject() = default;

bool TSeActiveObject::useActive() const
{
    return active() || state() == 5 || state() == 6 || state() == 7;
}

TColor TSeActiveObject::currentColor() const
{
    return useActive() ? ActiveColor : Color;
}

const TSeFont& TSeActiveObject::currentFont() const
{
    return useActive() ? ActiveFont : Font;
}

void TSeActiveObject::changeHue(int delta)
{
    if (ActiveColor != clNone)
        ActiveColor = shiftColorHue(ActiveColor, delta);
    shiftFont(ActiveFont, delta);
    TSeSkinObject::changeHue(delta);
}

bool TSeActiveObject::readProperty(const QByteArray& name, const FormValue& v)
{
    if (nameIs(name, "ActiveColor"))
        return readColor(v, &ActiveColor), true;
    if (readFont(name, v, "ActiveFont", &ActiveFont))
        return true;
    return TSeSkinObject::readProperty(name, v);
}

void TSeActiveObject::writeProperties(QList<FormProperty>& out) const
{
    TSeSkinObject::writeProperties(out);
    putColor(out, "ActiveColor", ActiveColor);
    putFont(out, "ActiveFont", ActiveFont);
}

void TSeActiveObject::assignFrom(const TSeSkinObject& source)
{
    TSeSkinObject::assignFrom(source);
    const auto& s = static_cast<const TSeActiveObject&>(source);
    ActiveColor = s.ActiveColor;
    ActiveFont = s.ActiveFont;
}

void TSeActiveObject::forEachFont(const std::function<void(TSeFont&)>& f)
{
    f(Font);
    f(ActiveFont);
}

// ---- TSeBitmapObject ----

void TSeBitmapObject::drawBitmapParts(const TSeCanvas& canvas) const
{
    const TSeBitmapLink& link = currentLink();
    if (!link.usable() || width() <= 0 || height() <= 0)
        return;
    drawNineParts(canvas, boundsRect(), link, MarginLeft, MarginTop, MarginRight, MarginBottom, TileStyle,
                  BorderTileStyle, Masked, MaskedBorder, MaskedAngles);
}

void TSeBitmapObject::draw(const TSeCanvas& canvas)
{
    if (!visible() || width() <= 0 || height() <= 0 || !currentLink().usable())
        return;
    drawBitmapParts(canvas);
    drawText(canvas);
    alignChildren();
    drawChildren(canvas);
}

QRegion TSeBitmapObject::createRegion()
{
    if (width() <= 0 || height() <= 0)
        return {};
    if (childCount() > 0 && Masked && !DrawIfOwner)
        return TSeSkinObject::createRegion();
    if (Kind == skClient || !Masked)
        return QRegion(boundsRect());
    TSeBitmap scratch;
    try {
        scratch.setSize(width(), height());
    } catch (const SkinError&) {
        return QRegion(boundsRect());
    }
    scratch.fill(TSeBitmap::kKey);
    TSeCanvas canvas(&scratch);
    canvas.offset = -boundsRect().topLeft();
    drawBitmapParts(canvas);
    // Each run of non-key pixels in a row becomes a one-pixel-high rectangle. Rows with exactly the same
    // runs as the row above extend its band instead, which gives the region its canonical banded form
    // (rows top to bottom, runs left to right) without any region arithmetic.
    QList<QRect> runs;
    QList<QRect> rowRuns;
    qsizetype bandStart = 0;
    for (int y = 0; y < scratch.height(); ++y) {
        const quint32* line = scratch.scanLine(y);
        rowRuns.clear();
        int x = 0;
        while (x < scratch.width()) {
            while (x < scratch.width() && TSeBitmap::isKey(line[x]))
                ++x;
            const int start = x;
            while (x < scratch.width() && !TSeBitmap::isKey(line[x]))
                ++x;
            if (x > start)
                rowRuns.append(QRect(start + left(), y + top(), x - start, 1));
        }
        bool same = !rowRuns.isEmpty() && runs.size() - bandStart == rowRuns.size() &&
                    runs.value(bandStart).bottom() == y + top() - 1;
        for (qsizetype i = 0; same && i < rowRuns.size(); ++i)
            same = runs[bandStart + i].left() == rowRuns[i].left() &&
                   runs[bandStart + i].width() == rowRuns[i].width();
        if (same) {
            for (qsizetype i = bandStart; i < runs.size(); ++i)
                runs[i].setHeight(runs[i].height() + 1);
        } else {
            bandStart = runs.size();
            runs.append(rowRuns);
        }
    }
    QRegion region;
    region.setRects(runs.constData(), int(runs.size()));
    return region;
}

bool TSeBitmapObject::readProperty(const QByteArray& name, const FormValue& v)
{
    if (readLink(name, v, "Bitmap", &Bitmap))
        return true;
    if (nameIs(name, "BorderTileStyle"))
        return readEnum(v, kTileStyleNames, &BorderTileStyle), true;
    if (nameIs(name, "MaskedBorder"))
        return readBool(v, &MaskedBorder), true;
    if (nameIs(name, "MaskedAngles"))
        return readBool(v, &MaskedAngles), true;
    if (nameIs(name, "TileStyle"))
        return readEnum(v, kTileStyleNames, &TileStyle), true;
    return TSeSkinObject::readProperty(name, v);
}

void TSeBitmapObject::writeProperties(QList<FormProperty>& out) const
{
    TSeSkinObject::writeProperties(out);
    putLink(out, "Bitmap", Bitmap);
    putEnum(out, "BorderTileStyle", kTileStyleNames, BorderTileStyle);
    putBool(out, "MaskedBorder", MaskedBorder);
    putBool(out, "MaskedAngles", MaskedAngles);
    putEnum(out, "TileStyle", kTileStyleNames, TileStyle);
}

void TSeBitmapObject::assignFrom(const TSeSkinObject& source)
{
    TSeSkinObject::assignFrom(source);
    const auto& s = static_cast<const TSeBitmapObject&>(source);
    Bitmap = s.Bitmap;
    Bitmap.bitmap = s.Bitmap.bitmap;
    BorderTileStyle = s.BorderTileStyle;
    MaskedBorder = s.MaskedBorder;
    MaskedAngles = s.MaskedAngles;
    TileStyle = s.TileStyle;
}

// ---- TSeActiveBitmap ----

const TSeBitmapLink& TSeActiveBitmap::currentLink() const
{
    if ((active() || state() == 5 || state() == 7) && ActiveBitmap.usable())
        return ActiveBitmap;
    return Bitmap;
}

const TSeFont& TSeActiveBitmap::currentFont() const
{
    return state() == 5 || state() == 7 ? ActiveFont : Font;
}

bool TSeActiveBitmap::readProperty(const QByteArray& name, const FormValue& v)
{
    if (readLink(name, v, "ActiveBitmap", &ActiveBitmap))
        return true;
    if (readFont(name, v, "ActiveFont", &ActiveFont))
        return true;
    return TSeBitmapObject::readProperty(name, v);
}

void TSeActiveBitmap::writeProperties(QList<FormProperty>& out) const
{
    TSeBitmapObject::writeProperties(out);
    putLink(out, "ActiveBitmap", ActiveBitmap);
    putFont(out, "ActiveFont", ActiveFont);
}

void TSeActiveBitmap::assignFrom(const TSeSkinObject& source)
{
    TSeBitmapObject::assignFrom(source);
    const auto& s = static_cast<const TSeActiveBitmap&>(source);
    ActiveBitmap = s.ActiveBitmap;
    ActiveBitmap.bitmap = s.ActiveBitmap.bitmap;
    ActiveFont = s.ActiveFont;
}

void TSeActiveBitmap::forEachFont(const std::function<void(TSeFont&)>& f)
{
    f(Font);
    f(ActiveFont);
}

// ---- TSeSystemButton ----

TSeBorderIcon TSeSystemButton::requiredIcon(TSeAction action, bool* needsIcon)
{
    *needsIcon = true;
    switch (action) {
    case sbaClose:
        return kbiClose;
    case sbaHelp:
        return kbiHelp;
    case sbaMinimize:
        return kbiMinimize;
    case sbaMaximize:
    case sbaRestore:
        return kbiMaximize;
    case sbaRollUp:
    case sbaRollDown:
        return kbiRollup;
    case sbaTray:
        return kbiTray;
    case sbaSysMenu:
        return kbiSystemMenu;
    default:
        *needsIcon = false;
        return kbiClose;
    }
}

void TSeSystemButton::setState(int state)
{
    TSeActiveBitmap::setState(state);
    bool show = true;
    switch (state) {
    case 0:
        show = Action != sbaRestore && Action != sbaRollDown;
        break;
    case 2:
        show = Action != sbaMaximize && Action != sbaRollDown;
        break;
    case 3:
        show = Action != sbaMinimize && Action != sbaMaximize && Action != sbaRollUp && Action != sbaRollDown;
        break;
    case 4:
        show = Action != sbaRestore && Action != sbaRollUp;
        break;
    default:
        break;
    }
    bool needsIcon = false;
    const TSeBorderIcon icon = requiredIcon(Action, &needsIcon);
    if (show && needsIcon) {
        if (SeFrameHost* host = frame())
            show = host->hasBorderIcon(icon);
    }
    setVisible(show);
}

SeFrameHost* TSeSystemButton::frame() const
{
    QWidget* c = control();
    if (!c)
        return nullptr;
    SeFrameQueryEvent query;
    QCoreApplication::sendEvent(c->window(), &query);
    return query.frame;
}

const TSeBitmapLink& TSeSystemButton::currentLink() const
{
    if (!active())
        return TSeActiveBitmap::currentLink();
    if (m_mouseState == Hot && BitmapHot.usable())
        return BitmapHot;
    if (m_mouseState == Pressed && BitmapPressed.usable())
        return BitmapPressed;
    return ActiveBitmap.usable() ? ActiveBitmap : Bitmap;
}

void TSeSystemButton::draw(const TSeCanvas& canvas)
{
    if (!visible() || width() <= 0 || height() <= 0)
        return;
    if (Action == sbaSysMenu) {
        SeFrameHost* host = frame();
        QIcon icon = host ? host->frameIcon() : QIcon();
        if (icon.isNull())
            icon = QGuiApplication::windowIcon();
        if (icon.isNull() && qobject_cast<QApplication*>(QCoreApplication::instance()))
            icon = QApplication::style()->standardIcon(QStyle::SP_TitleBarMenuButton);
        int size = 16;
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
            size = QApplication::style()->pixelMetric(QStyle::PM_SmallIconSize);
            if (size <= 0)
                size = QApplication::style()->pixelMetric(QStyle::PM_TitleBarButtonIconSize);
        }
        if (!icon.isNull() && size > 0) {
            QPainter painter(&canvas.target->image());
            painter.translate(canvas.offset);
            if (!canvas.clip.isEmpty())
                painter.setClipRegion(canvas.clip.translated(-canvas.offset));
            icon.paint(&painter, QRect(left(), top(), size, size));
        }
        return;
    }
    const int childState = !active() ? 8 : m_mouseState == Hot ? 5 : m_mouseState == Pressed ? 6 : 0;
    for (int i = 0; i < childCount(); ++i)
        child(i)->setState(childState);
    TSeBitmapObject::draw(canvas);
}

void TSeSystemButton::setMouseState(int state)
{
    if (state == m_mouseState)
        return;
    m_mouseState = state;
    invalidate();
}

void TSeSystemButton::mouseEnter(Qt::MouseButtons held)
{
    setMouseState(held & Qt::LeftButton ? Pressed : Hot);
}

void TSeSystemButton::mouseLeave()
{
    setMouseState(Idle);
}

void TSeSystemButton::mouseDown(Qt::MouseButton button, const QPoint&)
{
    if (button == Qt::LeftButton)
        setMouseState(Pressed);
}

void TSeSystemButton::mouseMove(Qt::MouseButtons held, const QPoint&)
{
    if ((held & Qt::LeftButton) && m_mouseState == Pressed)
        return;
    if (SeFrameHost* host = frame()) {
        if (QWidget* c = control())
            host->showFrameHint(c->mapToGlobal(QPoint(left(), top())));
    }
}

void TSeSystemButton::mouseUp(Qt::MouseButton button, const QPoint&)
{
    if (button != Qt::LeftButton || m_mouseState != Pressed)
        return;
    setMouseState(Hot);
    if (SeFrameHost* host = frame())
        host->runFrameAction(Action, this);
}

void TSeSystemButton::dblClick()
{
    if (Action != sbaSysMenu)
        return;
    if (SeFrameHost* host = frame())
        host->runFrameAction(sbaClose, this);
}

bool TSeSystemButton::readProperty(const QByteArray& name, const FormValue& v)
{
    if (nameIs(name, "Action"))
        return readEnum(v, kActionNames, &Action), true;
    if (readLink(name, v, "BitmapHot", &BitmapHot))
        return true;
    if (readLink(name, v, "BitmapPressed", &BitmapPressed))
        return true;
    return TSeActiveBitmap::readProperty(name, v);
}

void TSeSystemButton::writeProperties(QList<FormProperty>& out) const
{
    TSeActiveBitmap::writeProperties(out);
    putEnum(out, "Action", kActionNames, Action);
    putLink(out, "BitmapHot", BitmapHot);
    putLink(out, "BitmapPressed", BitmapPressed);
}

void TSeSystemButton::assignFrom(const TSeSkinObject& source)
{
    TSeActiveBitmap::assignFrom(source);
    const auto& s = static_cast<const TSeSystemButton&>(source);
    Action = s.Action;
    BitmapHot = s.BitmapHot;
    BitmapHot.bitmap = s.BitmapHot.bitmap;
    BitmapPressed = s.BitmapPressed;
    BitmapPressed.bitmap = s.BitmapPressed.bitmap;
}

// ---- TSeButtonObject ----

const TSeBitmapLink& TSeButtonObject::currentLink() const
{
    if (state() == 7 && BitmapFocused.usable())
        return BitmapFocused;
    if (state() == 5 && BitmapHot.usable())
        return BitmapHot;
    if (state() == 8 && BitmapDisabled.usable())
        return BitmapDisabled;
    if (state() == 6 && BitmapPressed.usable())
        return BitmapPressed;
    return Bitmap;
}

bool TSeButtonObject::readProperty(const QByteArray& name, const FormValue& v)
{
    if (readLink(name, v, "BitmapHot", &BitmapHot) || readLink(name, v, "BitmapFocused", &BitmapFocused) ||
        readLink(name, v, "BitmapPressed", &BitmapPressed) ||
        readLink(name, v, "BitmapDisabled", &BitmapDisabled))
        return true;
    return TSeBitmapObject::readProperty(name, v);
}

void TSeButtonObject::writeProperties(QList<FormProperty>& out) const
{
    TSeBitmapObject::writeProperties(out);
    putLink(out, "BitmapHot", BitmapHot);
    putLink(out, "BitmapFocused", BitmapFocused);
    putLink(out, "BitmapPressed", BitmapPressed);
    putLink(out, "BitmapDisabled", BitmapDisabled);
}

void TSeButtonObject::assignFrom(const TSeSkinObject& source)
{
    TSeBitmapObject::assignFrom(source);
    const auto& s = static_cast<const TSeButtonObject&>(source);
    BitmapHot = s.BitmapHot;
    BitmapHot.bitmap = s.BitmapHot.bitmap;
    BitmapFocused = s.BitmapFocused;
    BitmapFocused.bitmap = s.BitmapFocused.bitmap;
    BitmapPressed = s.BitmapPressed;
    BitmapPressed.bitmap = s.BitmapPressed.bitmap;
    BitmapDisabled = s.BitmapDisabled;
    BitmapDisabled.bitmap = s.BitmapDisabled.bitmap;
}

// ---- TSeTextObject ----

const TSeFont& TSeTextObject::currentFont() const
{
    switch (state()) {
    case 5:
        return FontHot;
    case 6:
        return FontPressed;
    case 7:
        return FontFocused;
    case 8:
        return FontDisabled;
    default:
        return Font;
    }
}

void TSeTextObject::changeHue(int delta)
{
    shiftFont(FontHot, delta);
    shiftFont(FontFocused, delta);
    shiftFont(FontPressed, delta);
    shiftFont(FontDisabled, delta);
    TSeSkinObject::changeHue(delta);
}

bool TSeTextObject::readProperty(const QByteArray& name, const FormValue& v)
{
    if (readFont(name, v, "FontHot", &FontHot) || readFont(name, v, "FontFocused", &FontFocused) ||
        readFont(name, v, "FontPressed", &FontPressed) || readFont(name, v, "FontDisabled", &FontDisabled))
        return true;
    return TSeSkinObject::readProperty(name, v);
}

void TSeTextObject::writeProperties(QList<FormProperty>& out) const
{
    TSeSkinObject::writeProperties(out);
    putFont(out, "FontHot", FontHot);
    putFont(out, "FontFocused", FontFocused);
    putFont(out, "FontPressed", FontPressed);
    putFont(out, "FontDisabled", FontDisabled);
}

void TSeTextObject::assignFrom(const TSeSkinObject& source)
{
    TSeSkinObject::assignFrom(source);
    const auto& s = static_cast<const TSeTextObject&>(source);
    FontHot = s.FontHot;
    FontFocused = s.FontFocused;
    FontPressed = s.FontPressed;
    FontDisabled = s.FontDisabled;
}

void TSeTextObject::forEachFont(const std::function<void(TSeFont&)>& f)
{
    f(Font);
    f(FontHot);
    f(FontFocused);
    f(FontPressed);
    f(FontDisabled);
}

// ---- the rarely used classes ----

bool TSeLinkSkinObject::readProperty(const QByteArray& name, const FormValue& v)
{
    if (nameIs(name, "LinkControl"))
        return readText(v, &LinkControl), true;
    return TSeSkinObject::readProperty(name, v);
}

void TSeLinkSkinObject::writeProperties(QList<FormProperty>& out) const
{
    TSeSkinObject::writeProperties(out);
    out.append({"LinkControl", FormValue::fromString(LinkControl)});
}

void TSeLinkSkinObject::assignFrom(const TSeSkinObject& source)
{
    TSeSkinObject::assignFrom(source);
    LinkControl = static_cast<const TSeLinkSkinObject&>(source).LinkControl;
}

void TSeBitmapSkinObject::draw(const TSeCanvas& canvas)
{
    if (!visible() || width() <= 0 || height() <= 0)
        return;
    const TSeBitmapLink& link = currentLink();
    if (link.usable())
        canvas.drawBitmap(boundsRect(), *link.bitmap, link.rect(), TileStyle, Masked);
    drawText(canvas);
    drawChildren(canvas);
}

bool TSeBitmapSkinObject::readProperty(const QByteArray& name, const FormValue& v)
{
    if (readLink(name, v, "Bitmap", &Bitmap))
        return true;
    if (nameIs(name, "TileStyle"))
        return readEnum(v, kTileStyleNames, &TileStyle), true;
    return TSeSkinObject::readProperty(name, v);
}

void TSeBitmapSkinObject::writeProperties(QList<FormProperty>& out) const
{
    TSeSkinObject::writeProperties(out);
    putLink(out, "Bitmap", Bitmap);
    putEnum(out, "TileStyle", kTileStyleNames, TileStyle);
}

void TSeBitmapSkinObject::assignFrom(const TSeSkinObject& source)
{
    TSeSkinObject::assignFrom(source);
    const auto& s = static_cast<const TSeBitmapSkinObject&>(source);
    Bitmap = s.Bitmap;
    Bitmap.bitmap = s.Bitmap.bitmap;
    TileStyle = s.TileStyle;
}

const TSeBitmapLink& TSeFormBitmapSkinObject::currentLink() const
{
    return !active() && InactiveBitmap.usable() ? InactiveBitmap : Bitmap;
}

bool TSeFormBitmapSkinObject::readProperty(const QByteArray& name, const FormValue& v)
{
    if (readLink(name, v, "InactiveBitmap", &InactiveBitmap))
        return true;
    return TSeBitmapSkinObject::readProperty(name, v);
}

void TSeFormBitmapSkinObject::writeProperties(QList<FormProperty>& out) const
{
    TSeBitmapSkinObject::writeProperties(out);
    putLink(out, "InactiveBitmap", InactiveBitmap);
}

void TSeFormBitmapSkinObject::assignFrom(const TSeSkinObject& source)
{
    TSeBitmapSkinObject::assignFrom(source);
    const auto& s = static_cast<const TSeFormBitmapSkinObject&>(source);
    InactiveBitmap = s.InactiveBitmap;
    InactiveBitmap.bitmap = s.InactiveBitmap.bitmap;
}

const TSeBitmapLink& TSeSysButtonSkinObject::currentLink() const
{
    if (state() == 5 && BitmapHover.usable())
        return BitmapHover;
    if (state() == 6 && BitmapDown.usable())
        return BitmapDown;
    return Bitmap;
}

bool TSeSysButtonSkinObject::readProperty(const QByteArray& name, const FormValue& v)
{
    if (nameIs(name, "Action"))
        return readEnum(v, kActionNames, &Action), true;
    if (readLink(name, v, "BitmapHover", &BitmapHover) || readLink(name, v, "BitmapDown", &BitmapDown))
        return true;
    if (nameIs(name, "RollPanel"))
        return readText(v, &RollPanel), true;
    return TSeBitmapSkinObject::readProperty(name, v);
}

void TSeSysButtonSkinObject::writeProperties(QList<FormProperty>& out) const
{
    TSeBitmapSkinObject::writeProperties(out);
    putEnum(out, "Action", kActionNames, Action);
    putLink(out, "BitmapHover", BitmapHover);
    putLink(out, "BitmapDown", BitmapDown);
    out.append({"RollPanel", FormValue::fromString(RollPanel)});
}

void TSeSysButtonSkinObject::assignFrom(const TSeSkinObject& source)
{
    TSeBitmapSkinObject::assignFrom(source);
    const auto& s = static_cast<const TSeSysButtonSkinObject&>(source);
    Action = s.Action;
    BitmapHover = s.BitmapHover;
    BitmapHover.bitmap = s.BitmapHover.bitmap;
    BitmapDown = s.BitmapDown;
    BitmapDown.bitmap = s.BitmapDown.bitmap;
    RollPanel = s.RollPanel;
}

TColor TSeColorButtonObject::currentColor() const
{
    switch (state()) {
    case 5:
        return HotColor;
    case 6:
        return PressedColor;
    case 7:
        return FocusedColor;
    case 8:
        return DisabledColor;
    default:
        return Color;
    }
}

const TSeFont& TSeColorButtonObject::currentFont() const
{
    switch (state()) {
    case 5:
        return HotFont;
    case 6:
        return PressedFont;
    case 7:
        return FocusedFont;
    case 8:
        return DisabledFont;
    default:
        return Font;
    }
}

void TSeColorButtonObject::changeHue(int delta)
{
    for (TColor* c : {&HotColor, &PressedColor, &FocusedColor, &DisabledColor}) {
        if (*c != clNone)
            *c = shiftColorHue(*c, delta);
    }
    for (TSeFont* f : {&HotFont, &PressedFont, &FocusedFont, &DisabledFont})
        shiftFont(*f, delta);
    TSeSkinObject::changeHue(delta);
}

bool TSeColorButtonObject::readProperty(const QByteArray& name, const FormValue& v)
{
    if (nameIs(name, "HotColor"))
        return readColor(v, &HotColor), true;
    if (nameIs(name, "PressedColor"))
        return readColor(v, &PressedColor), true;
    if (nameIs(name, "FocusedColor"))
        return readColor(v, &FocusedColor), true;
    if (nameIs(name, "DisabledColor"))
        return readColor(v, &DisabledColor), true;
    if (readFont(name, v, "HotFont", &HotFont) || readFont(name, v, "PressedFont", &PressedFont) ||
        readFont(name, v, "FocusedFont", &FocusedFont) || readFont(name, v, "DisabledFont", &DisabledFont))
        return true;
    return TSeSkinObject::readProperty(name, v);
}

void TSeColorButtonObject::writeProperties(QList<FormProperty>& out) const
{
    TSeSkinObject::writeProperties(out);
    putColor(out, "HotColor", HotColor);
    putFont(out, "HotFont", HotFont);
    putColor(out, "PressedColor", PressedColor);
    putFont(out, "PressedFont", PressedFont);
    putColor(out, "FocusedColor", FocusedColor);
    putFont(out, "FocusedFont", FocusedFont);
    putColor(out, "DisabledColor", DisabledColor);
    putFont(out, "DisabledFont", DisabledFont);
}

void TSeColorButtonObject::assignFrom(const TSeSkinObject& source)
{
    TSeSkinObject::assignFrom(source);
    const auto& s = static_cast<const TSeColorButtonObject&>(source);
    HotColor = s.HotColor;
    HotFont = s.HotFont;
    PressedColor = s.PressedColor;
    PressedFont = s.PressedFont;
    FocusedColor = s.FocusedColor;
    FocusedFont = s.FocusedFont;
    DisabledColor = s.DisabledColor;
    DisabledFont = s.DisabledFont;
}

void TSeColorButtonObject::forEachFont(const std::function<void(TSeFont&)>& f)
{
    for (TSeFont* font : {&Font, &HotFont, &PressedFont, &FocusedFont, &DisabledFont})
        f(*font);
}

void TSeBitmapBoxObject::draw(const TSeCanvas& canvas)
{
    if (!visible() || width() <= 0 || height() <= 0)
        return;
    const TSeBitmapLink& link = currentLink();
    if (link.usable())
        drawNineParts(canvas, boundsRect(), link, MarginLeft, MarginTop, MarginRight, MarginBottom, TileStyle,
                      BorderTileStyle, Masked, Masked, Masked);
    drawText(canvas);
    drawChildren(canvas);
}

bool TSeBitmapBoxObject::readProperty(const QByteArray& name, const FormValue& v)
{
    if (nameIs(name, "BorderTileStyle"))
        return readEnum(v, kTileStyleNames, &BorderTileStyle), true;
    return TSeBitmapSkinObject::readProperty(name, v);
}

void TSeBitmapBoxObject::writeProperties(QList<FormProperty>& out) const
{
    TSeBitmapSkinObject::writeProperties(out);
    putEnum(out, "BorderTileStyle", kTileStyleNames, BorderTileStyle);
}

void TSeBitmapBoxObject::assignFrom(const TSeSkinObject& source)
{
    TSeBitmapSkinObject::assignFrom(source);
    BorderTileStyle = static_cast<const TSeBitmapBoxObject&>(source).BorderTileStyle;
}

const TSeBitmapLink& TSeActiveBitmapBoxObject::currentLink() const
{
    return state() == 7 && FocusedBitmap.usable() ? FocusedBitmap : Bitmap;
}

bool TSeActiveBitmapBoxObject::readProperty(const QByteArray& name, const FormValue& v)
{
    if (readLink(name, v, "FocusedBitmap", &FocusedBitmap))
        return true;
    return TSeBitmapBoxObject::readProperty(name, v);
}

void TSeActiveBitmapBoxObject::writeProperties(QList<FormProperty>& out) const
{
    TSeBitmapBoxObject::writeProperties(out);
    putLink(out, "FocusedBitmap", FocusedBitmap);
}

void TSeActiveBitmapBoxObject::assignFrom(const TSeSkinObject& source)
{
    TSeBitmapBoxObject::assignFrom(source);
    const auto& s = static_cast<const TSeActiveBitmapBoxObject&>(source);
    FocusedBitmap = s.FocusedBitmap;
    FocusedBitmap.bitmap = s.FocusedBitmap.bitmap;
}

const TSeBitmapLink& TSeButtonBitmapBoxObject::currentLink() const
{
    if (state() == 7 && FocusedBitmap.usable())
        return FocusedBitmap;
    if (state() == 5 && HotBitmap.usable())
        return HotBitmap;
    if (state() == 8 && DisabledBitmap.usable())
        return DisabledBitmap;
    if (state() == 6 && PressedBitmap.usable())
        return PressedBitmap;
    return Bitmap;
}

bool TSeButtonBitmapBoxObject::readProperty(const QByteArray& name, const FormValue& v)
{
    if (readLink(name, v, "HotBitmap", &HotBitmap) || readLink(name, v, "FocusedBitmap", &FocusedBitmap) ||
        readLink(name, v, "PressedBitmap", &PressedBitmap) ||
        readLink(name, v, "DisabledBitmap", &DisabledBitmap))
        return true;
    return TSeBitmapBoxObject::readProperty(name, v);
}

void TSeButtonBitmapBoxObject::writeProperties(QList<FormProperty>& out) const
{
    TSeBitmapBoxObject::writeProperties(out);
    putLink(out, "HotBitmap", HotBitmap);
    putLink(out, "FocusedBitmap", FocusedBitmap);
    putLink(out, "PressedBitmap", PressedBitmap);
    putLink(out, "DisabledBitmap", DisabledBitmap);
}

void TSeButtonBitmapBoxObject::assignFrom(const TSeSkinObject& source)
{
    TSeBitmapBoxObject::assignFrom(source);
    const auto& s = static_cast<const TSeButtonBitmapBoxObject&>(source);
    for (auto [to, from] :
         {std::pair{&HotBitmap, &s.HotBitmap}, std::pair{&FocusedBitmap, &s.FocusedBitmap},
          std::pair{&PressedBitmap, &s.PressedBitmap}, std::pair{&DisabledBitmap, &s.DisabledBitmap}}) {
        *to = *from;
        to->bitmap = from->bitmap;
    }
}

bool TSeRollPanelObject::readProperty(const QByteArray& name, const FormValue& v)
{
    if (nameIs(name, "RollKind"))
        return readEnum(v, kRollKindNames, &RollKind), true;
    if (nameIs(name, "RollValue"))
        return readInt(v, &RollValue), true;
    return TSeSkinObject::readProperty(name, v);
}

void TSeRollPanelObject::writeProperties(QList<FormProperty>& out) const
{
    TSeSkinObject::writeProperties(out);
    putEnum(out, "RollKind", kRollKindNames, RollKind);
    putInt(out, "RollValue", RollValue);
}

void TSeRollPanelObject::assignFrom(const TSeSkinObject& source)
{
    TSeSkinObject::assignFrom(source);
    const auto& s = static_cast<const TSeRollPanelObject&>(source);
    RollKind = s.RollKind;
    RollValue = s.RollValue;
}

// ---- class list and storage ----

namespace lanseek::skin {

const QList<QByteArray>& skinObjectClassNames()
{
    static const QList<QByteArray> names = {"TSeLinkSkinObject",
                                            "TSeBitmapSkinObject",
                                            "TSeFormBitmapSkinObject",
                                            "TSeSysButtonSkinObject",
                                            "TSeActiveSkinObject",
                                            "TSeColorButtonObject",
                                            "TSeBitmapBoxObject",
                                            "TSeActiveBitmapBoxObject",
                                            "TSeButtonBitmapBoxObject",
                                            "TSeRollPanelObject",
                                            "TSeSkinObject",
                                            "TSeActiveObject",
                                            "TSeBitmapObject",
                                            "TSeActiveBitmap",
                                            "TSeSystemButton",
                                            "TSeButtonObject",
                                            "TSeTextObject"};
    return names;
}

std::unique_ptr<TSeSkinObject> createSkinObject(const QByteArray& className)
{
    switch (skinObjectClassNames().indexOf(className)) {
    case 0:
        return std::make_unique<TSeLinkSkinObject>();
    case 1:
        return std::make_unique<TSeBitmapSkinObject>();
    case 2:
        return std::make_unique<TSeFormBitmapSkinObject>();
    case 3:
        return std::make_unique<TSeSysButtonSkinObject>();
    case 4:
        return std::make_unique<TSeActiveSkinObject>();
    case 5:
        return std::make_unique<TSeColorButtonObject>();
    case 6:
        return std::make_unique<TSeBitmapBoxObject>();
    case 7:
        return std::make_unique<TSeActiveBitmapBoxObject>();
    case 8:
        return std::make_unique<TSeButtonBitmapBoxObject>();
    case 9:
        return std::make_unique<TSeRollPanelObject>();
    case 10:
        return std::make_unique<TSeSkinObject>();
    case 11:
        return std::make_unique<TSeActiveObject>();
    case 12:
        return std::make_unique<TSeBitmapObject>();
    case 13:
        return std::make_unique<TSeActiveBitmap>();
    case 14:
        return std::make_unique<TSeSystemButton>();
    case 15:
        return std::make_unique<TSeButtonObject>();
    case 16:
        return std::make_unique<TSeTextObject>();
    default:
        return nullptr;
    }
}

bool isComponentName(const QByteArray& name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
        if (!letter && !(i > 0 && c >= '0' && c <= '9'))
            return false;
    }
    return true;
}

void applyForm(TSeSkinObject& object, const FormObject& form, LoadReport* report, int depth)
{
    // Names are looked up and written back in text form; a name that is not a component name would
    // make a skin that cannot be saved and read again, so such a record counts as damaged.
    if (!isComponentName(form.name))
        throw FormatError("object name is not a component name");
    object.setName(form.name);
    for (const FormProperty& p : form.properties) {
        if (p.name.compare("Objects", Qt::CaseInsensitive) == 0) {
            if (p.value.type == ValueType::Binary)
                readObjectsValue(object, p.value.bytes, report, depth);
            continue;
        }
        // Properties this class does not know are left alone rather than failing the whole skin.
        object.readProperty(p.name, p.value);
    }
    // Skin data keeps children in `Objects`; source files may nest them as ordinary child objects.
    for (const FormObject& childForm : form.children) {
        auto child = createSkinObject(childForm.className);
        if (!child) {
            if (report)
                ++report->unknownClasses;
            continue;
        }
        if (depth >= kMaxFormDepth)
            throw FormatError("objects nested too deeply");
        applyForm(*child, childForm, report, depth + 1);
        object.addChild(std::move(child));
    }
}

std::unique_ptr<TSeSkinObject> objectFromForm(const FormObject& form, LoadReport* report, int depth)
{
    auto object = createSkinObject(form.className);
    if (!object) {
        if (report)
            ++report->unknownClasses;
        return nullptr;
    }
    applyForm(*object, form, report, depth);
    return object;
}

std::unique_ptr<TSeSkinObject> objectFromBinary(const QByteArray& data, LoadReport* report)
{
    return objectFromForm(readBinaryForm(data), report, 0);
}

std::unique_ptr<TSeSkinObject> objectFromText(const QByteArray& text, LoadReport* report)
{
    return objectFromForm(readTextForm(text), report, 0);
}

QByteArray writeObjectsValue(const TSeSkinObject& parent)
{
    SeMemoryStream out;
    SeWriter writer(&out);
    writer.writeU32(quint32(parent.childCount()) | 0x000F0000u);
    for (int i = 0; i < parent.childCount(); ++i) {
        const TSeSkinObject* c = parent.child(i);
        writer.writeString(c->className());
        const QByteArray binary = writeBinaryForm(c->toForm());
        writer.writeU32(quint32(binary.size()));
        writer.writeRaw(binary);
    }
    return out.data();
}

void readObjectsValue(TSeSkinObject& parent, const QByteArray& value, LoadReport* report, int depth)
{
    SeMemoryStream in(value);
    SeReader reader(&in);
    const quint32 header = reader.readU32();
    if (reader.atEnd())
        return;
    const bool binary = (header & 0x000F0000u) == 0x000F0000u;
    const quint32 count = binary ? header & ~0x000F0000u : header;
    for (quint32 i = 0; i < count; ++i) {
        const QByteArray className = reader.readString(value.size());
        if (reader.atEnd())
            break;
        QByteArray record;
        if (binary) {
            const quint32 length = reader.readU32();
            record = reader.readBytes(length);
            if (reader.atEnd() && quint32(record.size()) < length) {
                if (report)
                    ++report->damagedRecords;
                break;
            }
        } else {
            record = reader.readString(value.size());
            if (reader.atEnd())
                break;
        }
        auto child = createSkinObject(className);
        if (!child) {
            if (report)
                ++report->unknownClasses;
            continue;
        }
        if (depth >= kMaxFormDepth) {
            if (report)
                ++report->damagedRecords;
            continue;
        }
        try {
            applyForm(*child, binary ? readBinaryForm(record) : readTextForm(record), report, depth + 1);
        } catch (const FormatError&) {
            if (report)
                ++report->damagedRecords;
            continue;
        }
        parent.addChild(std::move(child));
    }
}

} // namespace lanseek::skin
