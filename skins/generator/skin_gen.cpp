// Draws the bitmaps and builds the object trees of the program's two skins, and writes them as skin
// source folders (skin.ini, bitmaps/*.png, objects/*.txt) that the build packs.
//
//   lanseek-skin-gen <repository>/skins
//
// "tide" is the window's main look (frame, buttons, edits, lists, menus, status bar); "shore" dresses
// the panels, tool bars, progress bars and download controls. Both share one palette of deep blue and
// teal over light panels.

#include "skin/skin_pack.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

using namespace lanseek::skin;

namespace {

struct Palette
{
    QColor captionTop, captionBottom;      // active caption gradient
    QColor inactiveTop, inactiveBottom;    // inactive caption gradient
    QColor frame, frameLight;              // window border
    QColor client;                         // client area
    QColor face, faceTop, faceBottom;      // button faces
    QColor border, borderHot, borderFocus; // control borders
    QColor hotTop, hotBottom, pressTop, pressBottom;
    QColor accent, accentDark, accentLight; // teal accents
    QColor text, textLight, textDisabled;
    QColor window;            // edit and list background
    QColor barTop, barBottom; // tool and status bars
    int radius;               // corner radius of faces
};

Palette tidePalette()
{
    Palette p;
    p.captionTop = QColor(0x17, 0x4f, 0x7a);
    p.captionBottom = QColor(0x0c, 0x33, 0x55);
    p.inactiveTop = QColor(0x6a, 0x7f, 0x92);
    p.inactiveBottom = QColor(0x55, 0x69, 0x7c);
    p.frame = QColor(0x0c, 0x33, 0x55);
    p.frameLight = QColor(0x2a, 0x74, 0x98);
    p.client = QColor(0xee, 0xf3, 0xf7);
    p.face = QColor(0xf4, 0xf7, 0xf9);
    p.faceTop = QColor(0xff, 0xff, 0xff);
    p.faceBottom = QColor(0xe2, 0xea, 0xf0);
    p.border = QColor(0x93, 0xa9, 0xbb);
    p.borderHot = QColor(0x1a, 0xa3, 0x9a);
    p.borderFocus = QColor(0x12, 0x81, 0x7e);
    p.hotTop = QColor(0xf2, 0xfc, 0xfb);
    p.hotBottom = QColor(0xcf, 0xee, 0xec);
    p.pressTop = QColor(0xbd, 0xe2, 0xe2);
    p.pressBottom = QColor(0xe0, 0xf2, 0xf1);
    p.accent = QColor(0x1a, 0xa3, 0x9a);
    p.accentDark = QColor(0x12, 0x7c, 0x76);
    p.accentLight = QColor(0x4f, 0xd0, 0xc6);
    p.text = QColor(0x1d, 0x2b, 0x36);
    p.textLight = QColor(0xff, 0xff, 0xff);
    p.textDisabled = QColor(0x9a, 0xa5, 0xae);
    p.window = QColor(0xff, 0xff, 0xff);
    p.barTop = QColor(0xf7, 0xfa, 0xfc);
    p.barBottom = QColor(0xdf, 0xe8, 0xef);
    p.radius = 3;
    return p;
}

Palette shorePalette()
{
    Palette p = tidePalette();
    p.captionTop = QColor(0x1b, 0x7f, 0x8c);
    p.captionBottom = QColor(0x10, 0x5c, 0x6a);
    p.frame = QColor(0x10, 0x5c, 0x6a);
    p.frameLight = QColor(0x2b, 0x9a, 0xa3);
    p.client = QColor(0xf3, 0xf7, 0xf9);
    p.face = QColor(0xe9, 0xf6, 0xf5);
    p.faceTop = QColor(0x3b, 0xbd, 0xb3);
    p.faceBottom = QColor(0x17, 0x95, 0x8d);
    p.border = QColor(0xb4, 0xc6, 0xd3);
    p.hotTop = QColor(0x52, 0xcf, 0xc5);
    p.hotBottom = QColor(0x1d, 0xa7, 0x9e);
    p.pressTop = QColor(0x10, 0x7a, 0x74);
    p.pressBottom = QColor(0x19, 0x94, 0x8c);
    p.radius = 4;
    return p;
}

const QColor kClear(0, 0, 0, 0);

QImage canvas(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(kClear);
    return image;
}

QLinearGradient vertical(int top, int bottom, const QColor& a, const QColor& b)
{
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, a);
    g.setColorAt(1, b);
    return g;
}

// A rounded face with a one-pixel border and a soft highlight along its top.
QImage face(int w, int h, int radius, const QColor& top, const QColor& bottom, const QColor& border,
            bool highlight = true)
{
    QImage image = canvas(w, h);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), radius, radius);
    p.fillPath(path, vertical(0, h, top, bottom));
    if (highlight) {
        p.setPen(QPen(QColor(255, 255, 255, 110), 1));
        p.drawLine(QPointF(radius, 1.5), QPointF(w - radius, 1.5));
    }
    p.setPen(QPen(border, 1));
    p.drawPath(path);
    return image;
}

// A rectangular box: border, fill, optional inner line.
QImage box(int w, int h, const QColor& border, const QColor& fill, const QColor& inner = QColor())
{
    QImage image = canvas(w, h);
    QPainter p(&image);
    p.fillRect(0, 0, w, h, border);
    p.fillRect(1, 1, w - 2, h - 2, inner.isValid() ? inner : fill);
    if (inner.isValid())
        p.fillRect(2, 2, w - 4, h - 4, fill);
    return image;
}

QImage gradientStrip(int w, int h, const QColor& top, const QColor& bottom, const QColor& line = QColor(),
                     bool lineAtBottom = true)
{
    QImage image = canvas(w, h);
    QPainter p(&image);
    p.fillRect(0, 0, w, h, vertical(0, h, top, bottom));
    if (line.isValid())
        p.fillRect(0, lineAtBottom ? h - 1 : 0, w, 1, line);
    return image;
}

enum class Glyph {
    Close,
    Minimize,
    Maximize,
    Restore,
    RollUp,
    RollDown,
    Tray,
    Left,
    Right,
    Up,
    Down,
    Check,
    Dot,
    Dash
};

void drawGlyph(QPainter& p, Glyph g, const QRectF& r, const QColor& color, qreal width = 1.6)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QPointF c = r.center();
    const qreal s = std::min(r.width(), r.height()) / 2.0;
    auto triangle = [&](QPointF a, QPointF b, QPointF d) {
        QPainterPath path;
        path.moveTo(a);
        path.lineTo(b);
        path.lineTo(d);
        path.closeSubpath();
        p.fillPath(path, color);
    };
    switch (g) {
    case Glyph::Close:
        p.drawLine(c + QPointF(-s * 0.5, -s * 0.5), c + QPointF(s * 0.5, s * 0.5));
        p.drawLine(c + QPointF(s * 0.5, -s * 0.5), c + QPointF(-s * 0.5, s * 0.5));
        break;
    case Glyph::Minimize:
        p.drawLine(c + QPointF(-s * 0.5, s * 0.4), c + QPointF(s * 0.5, s * 0.4));
        break;
    case Glyph::Maximize:
        p.drawRect(QRectF(c.x() - s * 0.5, c.y() - s * 0.5, s, s));
        break;
    case Glyph::Restore:
        p.drawRect(QRectF(c.x() - s * 0.55, c.y() - s * 0.3, s * 0.8, s * 0.8));
        p.drawPolyline(QPolygonF({c + QPointF(-s * 0.3, -s * 0.3), c + QPointF(-s * 0.3, -s * 0.55),
                                  c + QPointF(s * 0.5, -s * 0.55), c + QPointF(s * 0.5, s * 0.25),
                                  c + QPointF(s * 0.25, s * 0.25)}));
        break;
    case Glyph::RollUp:
        p.drawPolyline(QPolygonF(
            {c + QPointF(-s * 0.5, s * 0.25), c + QPointF(0, -s * 0.25), c + QPointF(s * 0.5, s * 0.25)}));
        break;
    case Glyph::RollDown:
        p.drawPolyline(QPolygonF(
            {c + QPointF(-s * 0.5, -s * 0.25), c + QPointF(0, s * 0.25), c + QPointF(s * 0.5, -s * 0.25)}));
        break;
    case Glyph::Tray:
        // The notification area: the task bar's edge with a small icon resting at its right end. An
        // arrow into a line would read as "download", which this program also does.
        p.drawLine(c + QPointF(-s * 0.6, s * 0.55), c + QPointF(s * 0.6, s * 0.55));
        p.setBrush(color);
        p.drawRoundedRect(QRectF(c.x() + s * 0.05, c.y() - s * 0.1, s * 0.45, s * 0.4), 1, 1);
        break;
    case Glyph::Left:
        triangle(c + QPointF(-s * 0.3, 0), c + QPointF(s * 0.2, -s * 0.4), c + QPointF(s * 0.2, s * 0.4));
        break;
    case Glyph::Right:
        triangle(c + QPointF(s * 0.3, 0), c + QPointF(-s * 0.2, -s * 0.4), c + QPointF(-s * 0.2, s * 0.4));
        break;
    case Glyph::Up:
        triangle(c + QPointF(0, -s * 0.3), c + QPointF(-s * 0.4, s * 0.2), c + QPointF(s * 0.4, s * 0.2));
        break;
    case Glyph::Down:
        triangle(c + QPointF(0, s * 0.3), c + QPointF(-s * 0.4, -s * 0.2), c + QPointF(s * 0.4, -s * 0.2));
        break;
    case Glyph::Check:
        p.drawPolyline(QPolygonF(
            {c + QPointF(-s * 0.55, 0), c + QPointF(-s * 0.15, s * 0.4), c + QPointF(s * 0.55, -s * 0.45)}));
        break;
    case Glyph::Dot:
        p.setBrush(color);
        p.setPen(Qt::NoPen);
        p.drawEllipse(c, s * 0.45, s * 0.45);
        break;
    case Glyph::Dash:
        p.drawLine(c + QPointF(-s * 0.45, 0), c + QPointF(s * 0.45, 0));
        break;
    }
    p.restore();
}

// ---- object building ----

class SkinWriter
{
public:
    SkinWriter(const QString& folder, const Palette& palette) : m_dir(folder), m_pal(palette)
    {
        QDir(m_dir).removeRecursively();
        QDir().mkpath(m_dir + "/bitmaps");
        QDir().mkpath(m_dir + "/objects");
    }

    const Palette& pal() const { return m_pal; }

    // Saves a bitmap and remembers its size; returns its name.
    QByteArray bitmap(const QByteArray& name, const QImage& image)
    {
        const QString file = QString("%1/bitmaps/%2-%3.png")
                                 .arg(m_dir)
                                 .arg(++m_bitmaps, 2, 10, QChar('0'))
                                 .arg(QString::fromLatin1(name));
        if (!image.save(file))
            throw SkinError("cannot write " + file.toStdString());
        m_sizes[name] = image.size();
        return name;
    }

    TSeBitmapLink link(const QByteArray& name, QRect rect = QRect()) const
    {
        TSeBitmapLink l;
        l.Name = name;
        if (rect.isNull())
            rect = QRect(QPoint(0, 0), m_sizes.value(name));
        l.Left = rect.left();
        l.Top = rect.top();
        l.Right = rect.left() + rect.width();
        l.Bottom = rect.top() + rect.height();
        return l;
    }

    void object(const TSeSkinObject& top)
    {
        const QString file = QString("%1/objects/%2-%3.txt")
                                 .arg(m_dir)
                                 .arg(++m_objects, 2, 10, QChar('0'))
                                 .arg(QString::fromLatin1(top.name()));
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw SkinError("cannot write " + file.toStdString());
        f.write(writeTextForm(toSourceForm(top)));
    }

    void header(const char* name, const char* version)
    {
        QFile f(m_dir + "/skin.ini");
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw SkinError("cannot write skin.ini");
        f.write(QByteArray("SkinName=") + name + "\nSkinVersion=" + version +
                "\nAuthor=lanseek\nAuthorEMail=skins@lanseek.invalid\nAuthorURL=http://lanseek.invalid/\n");
    }

private:
    QString m_dir;
    Palette m_pal;
    int m_bitmaps = 0;
    int m_objects = 0;
    QHash<QByteArray, QSize> m_sizes;
};

TColor tcolor(const QColor& c)
{
    return TColor(c.red() | (c.green() << 8) | (c.blue() << 16));
}

TSeFont font(const QColor& color, int height = -12, bool bold = false)
{
    TSeFont f;
    f.Color = tcolor(color);
    f.Height = height;
    f.Style = bold ? 1 : 0;
    return f;
}

template <typename T> std::unique_ptr<T> make(const char* name, QRect bounds, TSeAlign align = saNone)
{
    auto o = std::make_unique<T>();
    o->setName(name);
    o->Align = align;
    o->setBounds(bounds);
    return o;
}

// A plain group object that only holds children.
std::unique_ptr<TSeSkinObject> group(const char* name, QRect bounds)
{
    auto o = make<TSeSkinObject>(name, bounds);
    o->Color = clNone;
    return o;
}

std::unique_ptr<TSeSkinObject> colorBox(const char* name, QRect bounds, const QColor& c,
                                        TSeAlign align = saNone)
{
    auto o = make<TSeSkinObject>(name, bounds, align);
    o->Color = tcolor(c);
    o->Masked = false;
    return o;
}

std::unique_ptr<TSeBitmapObject> bitmapBox(SkinWriter& w, const char* name, QRect bounds,
                                           const QByteArray& bmp, int margin, TSeAlign align = saNone,
                                           QRect source = QRect())
{
    auto o = make<TSeBitmapObject>(name, bounds, align);
    o->Bitmap = w.link(bmp, source);
    o->MarginLeft = o->MarginRight = o->MarginTop = o->MarginBottom = margin;
    o->TileStyle = tsStretch;
    o->BorderTileStyle = tsStretch;
    return o;
}

// Button face with the five state bitmaps stacked in one strip of `h`-high cells.
std::unique_ptr<TSeButtonObject> stateFace(SkinWriter& w, const char* name, QRect bounds,
                                           const QByteArray& strip, QSize cell, int margin,
                                           TSeAlign align = saNone)
{
    auto o = make<TSeButtonObject>(name, bounds, align);
    auto cellRect = [&](int i) { return QRect(0, i * cell.height(), cell.width(), cell.height()); };
    o->Bitmap = w.link(strip, cellRect(0));
    o->BitmapHot = w.link(strip, cellRect(1));
    o->BitmapPressed = w.link(strip, cellRect(2));
    o->BitmapFocused = w.link(strip, cellRect(3));
    o->BitmapDisabled = w.link(strip, cellRect(4));
    o->MarginLeft = o->MarginRight = o->MarginTop = o->MarginBottom = margin;
    o->TileStyle = tsStretch;
    o->BorderTileStyle = tsStretch;
    return o;
}

std::unique_ptr<TSeTextObject> textObject(const char* name, QRect bounds, const Palette& p,
                                          bool light = false, TSeTextAlign align = taCenter)
{
    auto o = make<TSeTextObject>(name, bounds, saClient);
    o->Color = clNone;
    o->TextAlign = align;
    const QColor normal = light ? p.textLight : p.text;
    o->Font = font(normal);
    o->FontHot = font(light ? p.textLight : p.accentDark);
    o->FontPressed = font(light ? p.textLight : p.accentDark);
    o->FontFocused = font(normal);
    o->FontDisabled = font(p.textDisabled);
    return o;
}

QImage stack(const QList<QImage>& cells)
{
    int w = 0, h = 0;
    for (const QImage& c : cells) {
        w = std::max(w, c.width());
        h += c.height();
    }
    QImage out = canvas(w, h);
    QPainter p(&out);
    int y = 0;
    for (const QImage& c : cells) {
        p.drawImage(0, y, c);
        y += c.height();
    }
    return out;
}

QImage row(const QList<QImage>& cells)
{
    int w = 0, h = 0;
    for (const QImage& c : cells) {
        h = std::max(h, c.height());
        w += c.width();
    }
    QImage out = canvas(w, h);
    QPainter p(&out);
    int x = 0;
    for (const QImage& c : cells) {
        p.drawImage(x, 0, c);
        x += c.width();
    }
    return out;
}

// Five button states: normal, hot, pressed, focused, disabled.
QImage buttonStrip(const Palette& p, QSize s, bool filled)
{
    const int r = p.radius;
    if (filled) {
        return stack({face(s.width(), s.height(), r, p.faceTop, p.faceBottom, p.accentDark),
                      face(s.width(), s.height(), r, p.hotTop, p.hotBottom, p.accentDark),
                      face(s.width(), s.height(), r, p.pressTop, p.pressBottom, p.accentDark, false),
                      face(s.width(), s.height(), r, p.faceTop, p.faceBottom, p.captionBottom),
                      face(s.width(), s.height(), r, QColor(0xe4, 0xe9, 0xec), QColor(0xd5, 0xdb, 0xdf),
                           QColor(0xb9, 0xc2, 0xc9))});
    }
    return stack({face(s.width(), s.height(), r, p.faceTop, p.faceBottom, p.border),
                  face(s.width(), s.height(), r, p.hotTop, p.hotBottom, p.borderHot),
                  face(s.width(), s.height(), r, p.pressTop, p.pressBottom, p.borderFocus, false),
                  face(s.width(), s.height(), r, p.faceTop, p.faceBottom, p.borderHot),
                  face(s.width(), s.height(), r, QColor(0xf4, 0xf5, 0xf6), QColor(0xec, 0xee, 0xf0),
                       QColor(0xc8, 0xce, 0xd3))});
}

// Edit-like frame states: normal, hot, pressed (as focused), focused, disabled.
QImage frameStrip(const Palette& p, QSize s)
{
    auto f = [&](const QColor& border, const QColor& fill, const QColor& inner) {
        QImage image = canvas(s.width(), s.height());
        QPainter q(&image);
        q.fillRect(image.rect(), border);
        q.fillRect(1, 1, s.width() - 2, s.height() - 2, inner);
        q.fillRect(2, 2, s.width() - 4, s.height() - 4, fill);
        return image;
    };
    const QColor focusInner(0xd4, 0xf0, 0xee);
    return stack({f(p.border, p.window, p.window), f(p.borderHot, p.window, p.window),
                  f(p.borderFocus, p.window, focusInner), f(p.borderFocus, p.window, focusInner),
                  f(QColor(0xc8, 0xce, 0xd3), QColor(0xf4, 0xf5, 0xf6), QColor(0xf4, 0xf5, 0xf6))});
}

// Small glyph buttons (arrows, check marks) in the five states.
QImage glyphStrip(const Palette& p, QSize s, Glyph g, bool withFace = true)
{
    QList<QImage> cells;
    const QColor colors[] = {p.text, p.accentDark, p.accentDark, p.text, p.textDisabled};
    for (int i = 0; i < 5; ++i) {
        QImage image = withFace
                           ? QImage(buttonStrip(p, s, false).copy(0, i * s.height(), s.width(), s.height()))
                           : canvas(s.width(), s.height());
        QPainter q(&image);
        drawGlyph(q, g, QRectF(0, 0, s.width(), s.height()).adjusted(3, 3, -3, -3), colors[i]);
        cells.append(image);
    }
    return stack(cells);
}

// ---- the window frame ----

struct FrameBitmaps
{
    QByteArray caption, frame, buttons;
};

constexpr int kCaptionHeight = 30;
constexpr QSize kCaptionButton(26, 20);
constexpr int kButtonTop = 5;

FrameBitmaps frameBitmaps(SkinWriter& w)
{
    const Palette& p = w.pal();
    // Caption: active look on top, inactive below; rounded top corners.
    auto captionHalf = [&](const QColor& top, const QColor& bottom) {
        QImage image = canvas(48, kCaptionHeight);
        QPainter q(&image);
        q.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(0, 0, 48, kCaptionHeight + 8), 7, 7);
        q.fillPath(path, vertical(0, kCaptionHeight, top, bottom));
        q.setRenderHint(QPainter::Antialiasing, false);
        q.fillRect(6, 0, 36, 1, top.lighter(135));
        // Round corners come out as partly transparent pixels; make them solid or clear.
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb px = image.pixel(x, y);
                image.setPixel(x, y, qAlpha(px) < 140 ? 0u : (px | 0xFF000000u));
            }
        }
        return image;
    };
    FrameBitmaps b;
    b.caption = w.bitmap("caption", stack({captionHalf(p.captionTop, p.captionBottom),
                                           captionHalf(p.inactiveTop, p.inactiveBottom)}));
    // Border: a 12 x 12 square whose edges are the frame; dark outline, body, light inner line.
    {
        QImage image = canvas(12, 12);
        QPainter q(&image);
        q.fillRect(image.rect(), p.frame.darker(130));
        q.fillRect(1, 1, 10, 10, p.frame);
        q.fillRect(3, 3, 6, 6, p.frameLight);
        q.fillRect(4, 4, 4, 4, p.client);
        b.frame = w.bitmap("frame", image);
    }
    // Caption buttons: one row per glyph; columns inactive, active, hot, pressed. Their backgrounds
    // continue the caption gradient so that the glyphs sit on it without seams.
    const Glyph glyphs[] = {Glyph::Close,  Glyph::Minimize, Glyph::Maximize, Glyph::Restore,
                            Glyph::RollUp, Glyph::RollDown, Glyph::Tray};
    QList<QImage> rows;
    for (Glyph g : glyphs) {
        QList<QImage> cells;
        for (int state = 0; state < 4; ++state) {
            QImage cell = canvas(kCaptionButton.width(), kCaptionButton.height());
            QPainter q(&cell);
            const bool inactive = state == 0;
            const QColor top = inactive ? p.inactiveTop : p.captionTop;
            const QColor bottom = inactive ? p.inactiveBottom : p.captionBottom;
            QLinearGradient grad(0, -kButtonTop, 0, kCaptionHeight - kButtonTop);
            grad.setColorAt(0, top);
            grad.setColorAt(1, bottom);
            q.fillRect(cell.rect(), grad);
            q.setRenderHint(QPainter::Antialiasing);
            if (state >= 2) {
                const QColor hot = g == Glyph::Close ? QColor(0xd6, 0x45, 0x3d) : p.accent;
                QPainterPath path;
                path.addRoundedRect(QRectF(0.5, 0.5, cell.width() - 1, cell.height() - 1), 3, 3);
                q.fillPath(path, state == 2 ? hot : hot.darker(125));
            }
            const QColor glyph = inactive ? QColor(0xd5, 0xdd, 0xe4) : QColor(255, 255, 255);
            drawGlyph(q, g, QRectF(0, 0, cell.width(), cell.height()).adjusted(6, 3, -6, -3), glyph, 1.7);
            cells.append(cell);
        }
        rows.append(row(cells));
    }
    b.buttons = w.bitmap("captionbuttons", stack(rows));
    return b;
}

std::unique_ptr<TSeSystemButton> captionButton(SkinWriter& w, const FrameBitmaps& b, const char* name,
                                               TSeAction action, int glyphRow, int x)
{
    auto o = make<TSeSystemButton>(
        name, QRect(x, kButtonTop, kCaptionButton.width(), kCaptionButton.height()), saTopRight);
    o->Kind = skSysButton;
    o->Action = action;
    auto cell = [&](int column) {
        return QRect(column * kCaptionButton.width(), glyphRow * kCaptionButton.height(),
                     kCaptionButton.width(), kCaptionButton.height());
    };
    o->Bitmap = w.link(b.buttons, cell(0));
    o->ActiveBitmap = w.link(b.buttons, cell(1));
    o->BitmapHot = w.link(b.buttons, cell(2));
    o->BitmapPressed = w.link(b.buttons, cell(3));
    return o;
}

std::unique_ptr<TSeSkinObject> formObject(SkinWriter& w, const FrameBitmaps& b)
{
    const Palette& p = w.pal();
    const int W = 400, H = 300, border = 4;
    auto form = make<TSeSkinObject>("Form", QRect(0, 0, W, H));
    form->Kind = skForm;
    form->Color = tcolor(p.client);
    form->Font = font(p.text);

    auto caption = make<TSeActiveBitmap>("Caption", QRect(0, 0, W, kCaptionHeight), saMostTop);
    caption->Kind = skCaption;
    caption->DrawIfOwner = true; // the caption's own bitmap shapes the window's top corners
    caption->Bitmap = w.link(b.caption, QRect(0, kCaptionHeight, 48, kCaptionHeight));
    caption->ActiveBitmap = w.link(b.caption, QRect(0, 0, 48, kCaptionHeight));
    caption->MarginLeft = caption->MarginRight = 8;
    caption->TileStyle = tsStretch;
    caption->BorderTileStyle = tsStretch;

    auto topEdge = group("TopEdge", QRect(0, 0, W, 3));
    topEdge->Align = saMostTop;
    topEdge->Kind = skTop;
    auto topLeft = group("TopLeft", QRect(0, 0, 8, 3));
    topLeft->Align = saLeft;
    topLeft->Kind = skTopLeft;
    auto topRight = group("TopRight", QRect(W - 8, 0, 8, 3));
    topRight->Align = saRight;
    topRight->Kind = skTopRight;
    topEdge->addChild(std::move(topLeft));
    topEdge->addChild(std::move(topRight));
    caption->addChild(std::move(topEdge));

    auto title = make<TSeSkinObject>("Title", QRect(0, 3, W, kCaptionHeight - 3), saClient);
    title->Kind = skTitle;
    title->Color = clNone;
    title->Font = font(p.textLight, -13, true);
    title->TextAlign = taLeft;
    title->TextMarginLeft = 30;
    title->TextMarginRight = 4 * kCaptionButton.width() + 16;
    caption->addChild(std::move(title));

    auto sysMenu = make<TSeSystemButton>("SysMenuButton", QRect(8, 7, 16, 16));
    sysMenu->Kind = skSysButton;
    sysMenu->Action = sbaSysMenu;
    caption->addChild(std::move(sysMenu));

    const int step = kCaptionButton.width() + 2;
    int x = W - 6 - kCaptionButton.width();
    caption->addChild(captionButton(w, b, "CloseButton", sbaClose, 0, x));
    caption->addChild(captionButton(w, b, "MinButton", sbaMinimize, 1, x - step));
    caption->addChild(captionButton(w, b, "TrayButton", sbaTray, 6, x - 2 * step));
    caption->addChild(captionButton(w, b, "MaxButton", sbaMaximize, 2, x - 3 * step));
    caption->addChild(captionButton(w, b, "RestoreButton", sbaRestore, 3, x - 3 * step));
    caption->addChild(captionButton(w, b, "RollUpButton", sbaRollUp, 4, x - 4 * step));
    caption->addChild(captionButton(w, b, "RollDownButton", sbaRollDown, 5, x - 4 * step));
    form->addChild(std::move(caption));

    auto bottom =
        bitmapBox(w, "Bottom", QRect(0, H - border, W, border), b.frame, 0, saMostBottom, QRect(4, 8, 4, 4));
    bottom->Kind = skBottom;
    bottom->Masked = false;
    auto bottomLeft =
        bitmapBox(w, "BottomLeft", QRect(0, H - border, 12, border), b.frame, 0, saLeft, QRect(0, 8, 4, 4));
    bottomLeft->Kind = skBottomLeft;
    bottomLeft->Masked = false;
    bottomLeft->MarginLeft = 3;
    bottomLeft->MarginTop = 0;
    bottomLeft->MarginRight = 0;
    bottomLeft->MarginBottom = 1;
    auto bottomRight = bitmapBox(w, "BottomRight", QRect(W - 12, H - border, 12, border), b.frame, 0, saRight,
                                 QRect(8, 8, 4, 4));
    bottomRight->Kind = skBottomRight;
    bottomRight->Masked = false;
    bottomRight->MarginRight = 3;
    bottomRight->MarginBottom = 1;
    bottom->DrawIfOwner = true;
    bottom->MarginBottom = 1;
    bottom->MarginTop = 0;
    bottom->Bitmap = w.link(b.frame, QRect(4, 8, 4, 4));
    bottom->addChild(std::move(bottomLeft));
    bottom->addChild(std::move(bottomRight));
    form->addChild(std::move(bottom));

    auto left = bitmapBox(w, "Left", QRect(0, kCaptionHeight, border, H - kCaptionHeight - border), b.frame,
                          0, saMostLeft, QRect(0, 4, 4, 4));
    left->Kind = skLeft;
    left->Masked = false;
    left->MarginLeft = 1;
    auto right = bitmapBox(w, "Right", QRect(W - border, kCaptionHeight, border, H - kCaptionHeight - border),
                           b.frame, 0, saMostRight, QRect(8, 4, 4, 4));
    right->Kind = skRight;
    right->Masked = false;
    right->MarginRight = 1;
    form->addChild(std::move(left));
    form->addChild(std::move(right));

    auto client =
        colorBox("Client", QRect(border, kCaptionHeight, W - 2 * border, H - kCaptionHeight - border),
                 p.client, saClient);
    client->Kind = skClient;
    form->addChild(std::move(client));
    return form;
}

// ---- controls ----

struct Shared
{
    QByteArray button, frame, speed, combo, check, scroll, menuFrame, menuItem, status, statusPanel, gripper,
        toolbar, panelFrame, panelCaption, panelButtons, progressFrame, progressBar, progressBarVert, tab,
        header, track, thumb, splitter, spin;
};

Shared sharedBitmaps(SkinWriter& w, bool filledButtons)
{
    const Palette& p = w.pal();
    Shared s;
    s.button = w.bitmap("button", buttonStrip(p, QSize(40, 24), filledButtons));
    s.frame = w.bitmap("editframe", frameStrip(p, QSize(16, 16)));
    {
        // Flat speed-button faces: clear when idle, tinted when hot, pressed or down.
        QImage idle = canvas(24, 24);
        QImage hot = face(24, 24, p.radius, p.hotTop, p.hotBottom, p.borderHot);
        QImage pressed = face(24, 24, p.radius, p.pressTop, p.pressBottom, p.borderFocus, false);
        QImage down = face(24, 24, p.radius, p.pressBottom, p.hotBottom, p.borderHot, false);
        QImage disabled = canvas(24, 24);
        s.speed = w.bitmap("speedbutton", stack({idle, hot, pressed, down, disabled}));
    }
    s.combo = w.bitmap("combobutton", glyphStrip(p, QSize(18, 20), Glyph::Down));
    {
        QList<QImage> cells;
        for (int kind = 0; kind < 6; ++kind) {
            QImage cell = canvas(13, 13);
            QPainter q(&cell);
            q.setRenderHint(QPainter::Antialiasing);
            const bool radio = kind >= 3;
            QPainterPath path;
            if (radio)
                path.addEllipse(QRectF(0.5, 0.5, 12, 12));
            else
                path.addRoundedRect(QRectF(0.5, 0.5, 12, 12), 2, 2);
            q.fillPath(path, vertical(0, 13, p.window, QColor(0xe8, 0xef, 0xf3)));
            q.setPen(QPen(p.border, 1));
            q.drawPath(path);
            const int mark = kind % 3;
            if (mark == 1)
                drawGlyph(q, radio ? Glyph::Dot : Glyph::Check, QRectF(1, 1, 11, 11), p.accentDark, 1.8);
            else if (mark == 2)
                drawGlyph(q, Glyph::Dash, QRectF(1, 1, 11, 11), p.accentDark, 2);
            cells.append(cell);
        }
        s.check = w.bitmap("checks", row(cells));
    }
    {
        QList<QImage> cells;
        for (Glyph g : {Glyph::Left, Glyph::Up, Glyph::Right, Glyph::Down})
            cells.append(glyphStrip(p, QSize(16, 16), g));
        QImage track = canvas(16, 80);
        QPainter(&track).fillRect(track.rect(), QColor(0xe9, 0xee, 0xf2));
        QImage thumb = buttonStrip(p, QSize(16, 16), false);
        cells.append(track);
        cells.append(thumb);
        s.scroll = w.bitmap("scrollbar", row(cells));
    }
    s.menuFrame = w.bitmap("menuframe", box(16, 16, p.border, p.window, QColor(0xf4, 0xf8, 0xfa)));
    {
        QImage normal = canvas(24, 20);
        QPainter(&normal).fillRect(normal.rect(), p.window);
        QImage hot = face(24, 20, 2, QColor(0xe0, 0xf5, 0xf3), QColor(0xc9, 0xec, 0xe9), p.borderHot, false);
        QImage pressed = face(24, 20, 2, p.pressTop, p.pressBottom, p.borderFocus, false);
        QImage focused = hot;
        QImage disabled = normal;
        s.menuItem = w.bitmap("menuitem", stack({normal, hot, pressed, focused, disabled}));
    }
    s.status =
        w.bitmap("statusbar", gradientStrip(8, 22, p.barTop, p.barBottom, QColor(0xb9, 0xc9, 0xd5), false));
    {
        QImage panel = canvas(12, 22);
        QPainter q(&panel);
        q.fillRect(panel.rect(), Qt::transparent);
        q.fillRect(0, 3, 1, 16, QColor(0xb9, 0xc9, 0xd5));
        q.fillRect(1, 3, 1, 16, QColor(0xff, 0xff, 0xff));
        s.statusPanel = w.bitmap("statuspanel", panel);
    }
    {
        QImage grip = canvas(12, 12);
        QPainter q(&grip);
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j <= i; ++j) {
                const int x = 9 - j * 4, y = 9 - (i - j) * 4;
                q.fillRect(x, y, 2, 2, QColor(0xff, 0xff, 0xff));
                q.fillRect(x - 1, y - 1, 2, 2, QColor(0x8a, 0x9f, 0xb0));
            }
        }
        s.gripper = w.bitmap("gripper", grip);
    }
    s.toolbar = w.bitmap("toolbar", gradientStrip(8, 32, p.barTop, p.barBottom, QColor(0xc4, 0xd2, 0xdc)));
    s.panelFrame =
        w.bitmap("panelframe", face(16, 16, p.radius, p.client, p.client, QColor(0xc4, 0xd2, 0xdc), false));
    {
        QImage cap = canvas(16, 22);
        QPainter q(&cap);
        q.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(0, 0, 16, 30), p.radius + 1, p.radius + 1);
        q.fillPath(path, vertical(0, 22, p.captionTop, p.captionBottom));
        q.setRenderHint(QPainter::Antialiasing, false);
        q.fillRect(0, 21, 16, 1, p.accent);
        for (int y = 0; y < cap.height(); ++y)
            for (int x = 0; x < cap.width(); ++x)
                cap.setPixel(x, y, qAlpha(cap.pixel(x, y)) < 140 ? 0u : (cap.pixel(x, y) | 0xFF000000u));
        s.panelCaption = w.bitmap("panelcaption", cap);
    }
    {
        QList<QImage> cells;
        for (Glyph g : {Glyph::RollUp, Glyph::RollDown, Glyph::Close}) {
            QList<QImage> states;
            for (int st = 0; st < 3; ++st) {
                QImage cell = canvas(16, 16);
                QPainter q(&cell);
                q.fillRect(cell.rect(), vertical(-3, 19, p.captionTop, p.captionBottom));
                if (st > 0) {
                    q.setRenderHint(QPainter::Antialiasing);
                    QPainterPath path;
                    path.addRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
                    q.fillPath(path, st == 1 ? p.accent : p.accentDark);
                }
                drawGlyph(q, g, QRectF(2, 2, 12, 12), QColor(255, 255, 255), 1.5);
                states.append(cell);
            }
            cells.append(row(states));
        }
        s.panelButtons = w.bitmap("panelbuttons", stack(cells));
    }
    {
        // The frame's corners must fit inside its 2-pixel margins, or the stretched edges would carry
        // the curve along as bumps: one clipped corner pixel and a 1-pixel border.
        QImage frame = canvas(16, 14);
        QPainter q(&frame);
        q.fillRect(frame.rect(), p.border);
        q.fillRect(1, 1, 14, 12, vertical(1, 13, QColor(0xe6, 0xed, 0xf2), p.window));
        q.end();
        for (QPoint corner : {QPoint(0, 0), QPoint(15, 0), QPoint(0, 13), QPoint(15, 13)})
            frame.setPixel(corner, 0u);
        s.progressFrame = w.bitmap("progressframe", frame);
    }
    {
        auto bar = [&](int w2, int h2, bool vert) {
            QImage image = canvas(w2, h2);
            QPainter q(&image);
            QLinearGradient g = vert ? QLinearGradient(0, 0, w2, 0) : QLinearGradient(0, 0, 0, h2);
            g.setColorAt(0, p.accentLight);
            g.setColorAt(0.45, p.accent);
            g.setColorAt(1, p.accentDark);
            q.fillRect(image.rect(), g);
            q.fillRect(vert ? QRect(1, 0, 1, h2) : QRect(0, 1, w2, 1), QColor(255, 255, 255, 90));
            return image;
        };
        s.progressBar = w.bitmap("progressbar", bar(16, 10, false));
        s.progressBarVert = w.bitmap("progressbarvert", bar(10, 16, true));
    }
    {
        QImage normal =
            face(40, 22, p.radius, QColor(0xe9, 0xef, 0xf3), QColor(0xdb, 0xe4, 0xea), p.border, false);
        QImage hot = face(40, 22, p.radius, p.hotTop, p.hotBottom, p.borderHot, false);
        QImage active = face(40, 22, p.radius, p.window, p.client, p.border);
        s.tab = w.bitmap("tab", stack({normal, hot, active, active, normal}));
    }
    {
        QImage normal = gradientStrip(16, 20, p.window, QColor(0xe8, 0xee, 0xf2), p.border);
        QPainter(&normal).fillRect(15, 3, 1, 14, p.border);
        QImage hot = gradientStrip(16, 20, p.hotTop, p.hotBottom, p.borderHot);
        QImage pressed = gradientStrip(16, 20, p.pressTop, p.pressBottom, p.borderFocus);
        s.header = w.bitmap("header", stack({normal, hot, pressed, normal, normal}));
    }
    s.track = w.bitmap("track",
                       face(16, 6, 2, QColor(0xcf, 0xda, 0xe2), QColor(0xe9, 0xef, 0xf3), p.border, false));
    {
        QList<QImage> cells;
        for (int st = 0; st < 3; ++st) {
            const QColor top = st == 0 ? p.faceTop : st == 1 ? p.hotTop : p.pressTop;
            const QColor bottom = st == 0 ? p.faceBottom : st == 1 ? p.hotBottom : p.pressBottom;
            cells.append(face(11, 20, 3, top, bottom, st == 0 ? p.border : p.borderHot));
        }
        s.thumb = w.bitmap("thumb", row(cells));
    }
    {
        QImage grip = canvas(6, 30);
        QPainter q(&grip);
        q.fillRect(grip.rect(), p.client);
        for (int y = 6; y < 24; y += 4) {
            q.fillRect(2, y, 2, 2, QColor(0x8a, 0x9f, 0xb0));
            q.fillRect(3, y + 1, 1, 1, QColor(255, 255, 255));
        }
        s.splitter = w.bitmap("splitter", grip);
    }
    s.spin = w.bitmap("spinbutton", glyphStrip(p, QSize(16, 11), Glyph::Up));
    return s;
}

void addControls(SkinWriter& w, const Shared& s, bool secondSkin)
{
    const Palette& p = w.pal();
    const QSize button(40, 24), editCell(16, 16);

    // "Form" is written by the caller; the other 23 follow in the order the program lists them.
    { // MenuBar
        auto o = colorBox("MenuBar", QRect(0, 0, 200, 22), p.barTop);
        o->Kind = skMenuBar;
        o->DrawIfOwner = true;
        auto item = stateFace(w, "Item", QRect(0, 0, 60, 22), s.menuItem, QSize(24, 20), 3);
        item->Kind = skMenuBarItem;
        auto toolbarItem = stateFace(w, "ToolbarItem", QRect(60, 0, 60, 22), s.speed, QSize(24, 24), 4);
        o->addChild(std::move(item));
        o->addChild(std::move(toolbarItem));
        w.object(*o);
    }
    { // PopupMenu
        auto o = group("PopupMenu", QRect(0, 0, 160, 120));
        o->Kind = skPopupMenu;
        o->Font = font(p.text);
        auto frame = bitmapBox(w, "Frame", QRect(0, 0, 160, 120), s.menuFrame, 3, saClient);
        frame->Masked = false;
        auto item = stateFace(w, "Item", QRect(3, 3, 154, 22), s.menuItem, QSize(24, 20), 3);
        item->Kind = skPopupMenuItem;
        item->Font = font(p.text);
        item->TextMarginLeft = 24;
        item->TextMarginRight = 8;
        auto separator = colorBox("Separator", QRect(3, 25, 154, 7), p.window);
        separator->Font = font(QColor(0xc4, 0xd2, 0xdc));
        o->addChild(std::move(frame));
        o->addChild(std::move(item));
        o->addChild(std::move(separator));
        w.object(*o);
    }
    for (const char* name : {"CheckBox", "RadioButton"}) {
        const bool radio = name[0] == 'R';
        auto o = group(name, QRect(0, 0, 120, 17));
        const int base = radio ? 3 : 0;
        auto glyph = [&](const char* n, int i) {
            auto g =
                bitmapBox(w, n, QRect(0, 2, 13, 13), s.check, 0, saNone, QRect((base + i) * 13, 0, 13, 13));
            g->TileStyle = tsCenter;
            return g;
        };
        o->addChild(glyph("Unchecked", 0));
        o->addChild(glyph("Checked", 1));
        o->addChild(glyph("Mixed", 2));
        auto text = textObject("Text", QRect(18, 0, 102, 17), p, false, taLeft);
        text->Align = saNone;
        o->addChild(std::move(text));
        w.object(*o);
    }
    { // ScrollBar
        auto o = group("ScrollBar", QRect(0, 0, 16, 120));
        const QSize arrow(16, 16);
        auto strip = [&](int column) { return QRect(column * 16, 0, 16, 80); };
        auto arrowFace = [&](const char* n, int column, QRect bounds) {
            auto f = make<TSeButtonObject>(n, bounds);
            auto c = [&](int i) { return QRect(column * 16, i * 16, 16, 16); };
            f->Bitmap = w.link(s.scroll, c(0));
            f->BitmapHot = w.link(s.scroll, c(1));
            f->BitmapPressed = w.link(s.scroll, c(2));
            f->BitmapFocused = w.link(s.scroll, c(3));
            f->BitmapDisabled = w.link(s.scroll, c(4));
            return f;
        };
        (void)arrow;
        auto frame = bitmapBox(w, "Frame", QRect(0, 0, 16, 120), s.scroll, 0, saClient, strip(4));
        frame->Masked = false;
        auto horz = bitmapBox(w, "HorzFrame", QRect(0, 0, 120, 16), s.scroll, 0, saNone, strip(4));
        auto vert = bitmapBox(w, "VertFrame", QRect(0, 0, 16, 120), s.scroll, 0, saNone, strip(4));
        o->addChild(std::move(frame));
        o->addChild(std::move(horz));
        o->addChild(std::move(vert));
        o->addChild(arrowFace("LeftButton", 0, QRect(0, 0, 16, 16)));
        o->addChild(arrowFace("TopButton", 1, QRect(0, 0, 16, 16)));
        o->addChild(arrowFace("RightButton", 2, QRect(0, 104, 16, 16)));
        o->addChild(arrowFace("BottomButton", 3, QRect(0, 104, 16, 16)));
        for (const char* n : {"HorzSlider", "VertSlider", "Slider"}) {
            auto slider = make<TSeButtonObject>(n, QRect(0, 20, 16, 30));
            auto c = [&](int i) { return QRect(5 * 16, i * 16, 16, 16); };
            slider->Bitmap = w.link(s.scroll, c(0));
            slider->BitmapHot = w.link(s.scroll, c(1));
            slider->BitmapPressed = w.link(s.scroll, c(2));
            slider->BitmapFocused = w.link(s.scroll, c(3));
            slider->BitmapDisabled = w.link(s.scroll, c(4));
            slider->MarginLeft = slider->MarginRight = slider->MarginTop = slider->MarginBottom = 4;
            slider->TileStyle = slider->BorderTileStyle = tsStretch;
            o->addChild(std::move(slider));
        }
        w.object(*o);
    }
    { // Button
        auto o = group("Button", QRect(0, 0, 75, 25));
        o->addChild(stateFace(w, "Face", QRect(0, 0, 75, 25), s.button, button, 5, saClient));
        o->addChild(textObject("Text", QRect(0, 0, 75, 25), p, secondSkin));
        w.object(*o);
    }
    { // Tabs
        auto o = group("Tabs", QRect(0, 0, 200, 120));
        auto frame = bitmapBox(w, "Frame", QRect(0, 21, 200, 99), s.panelFrame, 4, saNone);
        o->addChild(std::move(frame));
        o->addChild(stateFace(w, "Tab", QRect(0, 0, 60, 22), s.tab, QSize(40, 22), 4));
        o->addChild(textObject("Text", QRect(0, 0, 60, 22), p));
        w.object(*o);
    }
    { // ProgressBar
        auto o = group("ProgressBar", QRect(0, 0, 150, 14));
        auto frame = bitmapBox(w, "Frame", QRect(0, 0, 150, 14), s.progressFrame, 2, saClient);
        frame->Masked = false;
        auto bar = [&](const char* n, const QByteArray& bmp) {
            auto b = bitmapBox(w, n, QRect(2, 2, 146, 10), bmp, 0);
            b->TileStyle = tsStretch;
            b->Masked = false;
            return b;
        };
        o->addChild(std::move(frame));
        // The horizontal bar comes last so that a preview of the whole object shows it.
        o->addChild(bar("BarVert", s.progressBarVert));
        o->addChild(bar("Bar", s.progressBar));
        o->addChild(bar("BarHorz", s.progressBar));
        w.object(*o);
    }
    { // Edit
        auto o = group("Edit", QRect(0, 0, 120, 21));
        auto frame = stateFace(w, "Frame", QRect(0, 0, 120, 21), s.frame, editCell, 2, saClient);
        frame->Masked = false;
        o->addChild(std::move(frame));
        auto text = textObject("Text", QRect(0, 0, 120, 21), p, false, taLeft);
        text->TextMarginLeft = 4;
        text->TextMarginRight = 4;
        text->FontHot = font(p.text);
        text->FontPressed = font(p.text);
        o->addChild(std::move(text));
        w.object(*o);
    }
    { // SpeedButton
        auto o = group("SpeedButton", QRect(0, 0, 24, 24));
        auto faceObj = stateFace(w, "Face", QRect(0, 0, 24, 24), s.button, button, 5, saClient);
        auto flat = stateFace(w, "FlatFace", QRect(0, 0, 24, 24), s.speed, QSize(24, 24), 4, saClient);
        auto chevron = make<TSeBitmapObject>("Chevron", QRect(12, 0, 12, 24), saRight);
        chevron->Bitmap = w.link(s.combo, QRect(3, 2, 12, 16));
        chevron->TileStyle = tsCenter;
        auto flatChevron = make<TSeBitmapObject>("FlatChevron", QRect(12, 0, 12, 24), saRight);
        flatChevron->Bitmap = w.link(s.combo, QRect(3, 2, 12, 16));
        flatChevron->TileStyle = tsCenter;
        o->addChild(std::move(faceObj));
        o->addChild(std::move(flat));
        o->addChild(std::move(chevron));
        o->addChild(std::move(flatChevron));
        o->addChild(textObject("Text", QRect(0, 0, 24, 24), p));
        w.object(*o);
    }
    { // ComboBox
        auto o = group("ComboBox", QRect(0, 0, 120, 21));
        auto frame = stateFace(w, "Frame", QRect(0, 0, 120, 21), s.frame, editCell, 2, saClient);
        frame->Masked = false;
        o->addChild(std::move(frame));
        auto btn = stateFace(w, "Button", QRect(101, 1, 18, 19), s.combo, QSize(18, 20), 3, saTopRight);
        o->addChild(std::move(btn));
        auto text = textObject("Text", QRect(0, 0, 100, 21), p, false, taLeft);
        text->Align = saNone;
        text->TextMarginLeft = 4;
        o->addChild(std::move(text));
        w.object(*o);
    }
    { // GroupBox
        auto o = group("GroupBox", QRect(0, 0, 160, 100));
        o->addChild(bitmapBox(w, "Frame", QRect(0, 8, 160, 92), s.panelFrame, 4, saNone));
        auto caption = make<TSeSkinObject>("Caption", QRect(8, 0, 80, 16));
        caption->Color = tcolor(p.client);
        caption->Align = saText;
        caption->Font = font(p.accentDark, -12, true);
        caption->TextMarginLeft = caption->TextMarginRight = 4;
        o->addChild(std::move(caption));
        w.object(*o);
    }
    { // ListBox
        auto o = group("ListBox", QRect(0, 0, 120, 100));
        auto frame = stateFace(w, "Frame", QRect(0, 0, 120, 100), s.frame, editCell, 2, saClient);
        frame->Masked = false;
        o->addChild(std::move(frame));
        auto item = stateFace(w, "Item", QRect(2, 2, 116, 18), s.menuItem, QSize(24, 20), 3);
        item->Font = font(p.text);
        o->addChild(std::move(item));
        for (auto [n, i] : {std::pair{"Unchecked", 0}, std::pair{"Checked", 1}, std::pair{"Mixed", 2}}) {
            auto g = bitmapBox(w, n, QRect(4, 4, 13, 13), s.check, 0, saNone, QRect(i * 13, 0, 13, 13));
            g->TileStyle = tsCenter;
            o->addChild(std::move(g));
        }
        w.object(*o);
    }
    { // ScrollBox
        auto o = group("ScrollBox", QRect(0, 0, 120, 100));
        auto frame = stateFace(w, "Frame", QRect(0, 0, 120, 100), s.frame, editCell, 2, saClient);
        frame->Masked = false;
        o->addChild(std::move(frame));
        w.object(*o);
    }
    { // Header
        auto o = group("Header", QRect(0, 0, 200, 20));
        o->addChild(stateFace(w, "Section", QRect(0, 0, 80, 20), s.header, QSize(16, 20), 2));
        if (secondSkin) {
            auto text = make<TSeColorButtonObject>("Text", QRect(0, 0, 80, 20), saNone);
            text->Color = clNone;
            text->HotColor = clNone;
            text->PressedColor = clNone;
            text->FocusedColor = clNone;
            text->DisabledColor = clNone;
            text->Font = font(p.text);
            text->HotFont = font(p.accentDark);
            text->PressedFont = font(p.accentDark);
            text->FocusedFont = font(p.text);
            text->DisabledFont = font(p.textDisabled);
            text->TextAlign = taLeft;
            text->TextMarginLeft = 6;
            o->addChild(std::move(text));
        } else {
            auto text = textObject("Text", QRect(0, 0, 80, 20), p, false, taLeft);
            text->Align = saNone;
            text->TextMarginLeft = 6;
            o->addChild(std::move(text));
        }
        w.object(*o);
    }
    { // StatusBar
        auto o = group("StatusBar", QRect(0, 0, 300, 22));
        auto frame = bitmapBox(w, "Frame", QRect(0, 0, 300, 22), s.status, 0, saClient);
        frame->Masked = false;
        frame->MarginTop = 1;
        frame->TileStyle = tsStretch;
        o->addChild(std::move(frame));
        auto panel = bitmapBox(w, "Panel", QRect(0, 0, 100, 22), s.statusPanel, 0, saNone);
        panel->MarginLeft = 2;
        panel->Font = font(p.text);
        panel->TextMarginLeft = 6;
        o->addChild(std::move(panel));
        auto grip = make<TSeBitmapObject>("Gripper", QRect(288, 10, 12, 12), saBottomRight);
        grip->Bitmap = w.link(s.gripper);
        grip->TileStyle = tsCenter;
        o->addChild(std::move(grip));
        w.object(*o);
    }
    { // SpinButton
        auto o = group("SpinButton", QRect(0, 0, 16, 22));
        o->addChild(stateFace(w, "Face", QRect(0, 0, 16, 11), s.button, button, 3));
        auto up = make<TSeButtonObject>("UpButton", QRect(0, 0, 16, 11), saTop);
        auto c = [&](int i) { return QRect(0, i * 11, 16, 11); };
        up->Bitmap = w.link(s.spin, c(0));
        up->BitmapHot = w.link(s.spin, c(1));
        up->BitmapPressed = w.link(s.spin, c(2));
        up->BitmapFocused = w.link(s.spin, c(3));
        up->BitmapDisabled = w.link(s.spin, c(4));
        o->addChild(std::move(up));
        w.object(*o);
    }
    { // Grid
        auto o = group("Grid", QRect(0, 0, 160, 100));
        auto frame = stateFace(w, "Frame", QRect(0, 0, 160, 100), s.frame, editCell, 2, saClient);
        frame->Masked = false;
        o->addChild(std::move(frame));
        o->addChild(stateFace(w, "FixedCell", QRect(0, 0, 64, 20), s.header, QSize(16, 20), 2));
        auto c = colorBox("Cell", QRect(0, 20, 64, 20), p.window);
        c->Font = font(p.text);
        o->addChild(std::move(c));
        w.object(*o);
    }
    { // ControlBar
        auto o = group("ControlBar", QRect(0, 0, 200, 30));
        auto frame = bitmapBox(w, "Frame", QRect(0, 0, 200, 30), s.toolbar, 0, saClient);
        frame->MarginBottom = 1;
        frame->Masked = false;
        o->addChild(std::move(frame));
        w.object(*o);
    }
    { // Toolbar
        auto o = group("Toolbar", QRect(0, 0, 200, 30));
        auto frame = bitmapBox(w, "Frame", QRect(0, 0, 200, 30), s.toolbar, 0, saClient);
        frame->MarginBottom = 1;
        frame->Masked = false;
        o->addChild(std::move(frame));
        o->addChild(stateFace(w, "Button", QRect(2, 3, 24, 24), s.speed, QSize(24, 24), 4));
        w.object(*o);
    }
    { // TrackBar
        auto o = group("TrackBar", QRect(0, 0, 120, 24));
        o->addChild(bitmapBox(w, "Track", QRect(0, 9, 120, 6), s.track, 2));
        auto thumb = make<TSeButtonObject>("Thumb", QRect(0, 2, 11, 20));
        thumb->Bitmap = w.link(s.thumb, QRect(0, 0, 11, 20));
        thumb->BitmapHot = w.link(s.thumb, QRect(11, 0, 11, 20));
        thumb->BitmapPressed = w.link(s.thumb, QRect(22, 0, 11, 20));
        o->addChild(std::move(thumb));
        w.object(*o);
    }
    { // Splitter
        if (!secondSkin) {
            auto o = make<TSeBitmapObject>("Splitter", QRect(0, 0, 6, 30));
            o->Bitmap = w.link(s.splitter);
            o->TileStyle = tsCenter;
            o->Color = tcolor(p.client);
            w.object(*o);
        } else {
            auto o = group("Splitter", QRect(0, 0, 6, 30));
            auto grip = bitmapBox(w, "Grip", QRect(0, 0, 6, 30), s.splitter, 0, saClient);
            grip->TileStyle = tsCenter;
            o->addChild(std::move(grip));
            w.object(*o);
        }
    }
    { // Panel
        auto o = group("Panel", QRect(0, 0, 200, 150));
        o->Color = tcolor(p.client);
        o->Font = font(p.text);
        auto frame = bitmapBox(w, "Frame", QRect(0, 0, 200, 150), s.panelFrame, 4, saClient);
        frame->Masked = false;
        o->addChild(std::move(frame));
        // The caption strip runs along the top; its title fills it.
        auto caption = bitmapBox(w, "Caption", QRect(0, 0, 200, 22), s.panelCaption, 0, saTop);
        caption->MarginLeft = caption->MarginRight = 5;
        caption->MarginTop = 0;
        caption->MarginBottom = 0;
        caption->Masked = false;
        caption->Font = font(p.textLight, -12, true);
        auto title = make<TSeSkinObject>("Title", QRect(0, 0, 200, 22), saClient);
        title->Kind = skTitle;
        title->Color = clNone;
        title->Font = font(p.textLight, -12, true);
        title->TextMarginLeft = 8;
        title->TextMarginRight = 24;
        caption->addChild(std::move(title));
        o->addChild(std::move(caption));
        auto rollButton = [&](const char* n, int glyphRow) {
            auto b = make<TSeButtonObject>(n, QRect(180, 3, 16, 16), saTopRight);
            b->Bitmap = w.link(s.panelButtons, QRect(0, glyphRow * 16, 16, 16));
            b->BitmapHot = w.link(s.panelButtons, QRect(16, glyphRow * 16, 16, 16));
            b->BitmapPressed = w.link(s.panelButtons, QRect(32, glyphRow * 16, 16, 16));
            return b;
        };
        o->addChild(rollButton("ButtonRollup", 0));
        o->addChild(rollButton("ButtonRolldown", 1));
        o->addChild(rollButton("ButtonHide", 2));
        o->addChild(rollButton("Button", 0));
        w.object(*o);
    }
}

void writeSkin(const QString& folder, const char* name, const char* version, const Palette& palette,
               bool second)
{
    SkinWriter w(folder, palette);
    w.header(name, version);
    const FrameBitmaps frame = frameBitmaps(w);
    const Shared shared = sharedBitmaps(w, second);
    w.object(*formObject(w, frame));
    addControls(w, shared, second);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: lanseek-skin-gen SKINS_DIR\n", stderr);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    try {
        writeSkin(root + "/tide", "Tide", "3.1.0", tidePalette(), false);
        writeSkin(root + "/shore", "Shore", "2.0.0", shorePalette(), true);
    } catch (const SkinError& e) {
        std::fprintf(stderr, "lanseek-skin-gen: %s\n", e.what());
        return 1;
    }
    return 0;
}
