#pragma once

// Geometry of a page as the visible browser shows it: a simple flow layout of the markup that generated
// pages and cards use (headings, paragraphs, line breaks, <center>, <font>, <big>, <strong>, <i>, <u>,
// <marquee>, lists, <hr>, and <object> boxes for hosted controls). It computes rectangles only; painting
// reads them. Scripts, style sheets and pictures other than the body background are not part of it.

#include "platform/web/web_document.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

#include <vector>

namespace lanseek::platform {

// A piece of text on one line, drawn with one font and colour. `baseline` is the y of its baseline.
struct TextRun
{
    QRectF rect;
    qreal baseline = 0;
    QString text;
    QFont font;
    QColor color;
};

// A line box: the rectangle its content covers, in page coordinates.
struct LineBox
{
    QRectF rect;
};

// The place of an <object> element, where the view hosts a control.
struct ObjectBox
{
    QRect rect;
    const HtmlNode* node = nullptr;
};

// A <marquee>: a band of the page in which one unwrapped line of text scrolls horizontally. The runs are
// placed relative to the start of the content, which is `contentWidth` wide.
struct MarqueeBox
{
    QRectF rect;
    std::vector<TextRun> runs;
    qreal contentWidth = 0;
    bool towardsRight = false; // direction="right"; by default text moves to the left
    int step = 6;              // pixels per step (scrollamount)
    int delayMs = 85;          // milliseconds per step (scrolldelay)
};

struct PageLayout
{
    std::vector<LineBox> lines;
    std::vector<TextRun> runs;
    std::vector<ObjectBox> objects;
    std::vector<MarqueeBox> marquees;
    std::vector<QRectF> rules; // <hr>
    QString background;        // the body's background attribute, as written
    QColor backgroundColor = Qt::white;
    QSize size; // the extent of the content, margins included
};

// Lays out the body of a parsed page at the given width. baseFont gives the family and the size of
// ordinary text (headings and <big> scale it).
PageLayout layoutPage(const HtmlNode& root, int width, const QFont& baseFont);

// How far a marquee's content has moved after the given time: the x of the content's left edge relative to
// the marquee's left edge. Content enters at the far edge and leaves at the near one, then starts over.
qreal marqueePosition(const MarqueeBox& marquee, qint64 elapsedMs);

// A colour as pages write it: "#RRGGBB", "RRGGBB", "#RGB" or a colour name. Invalid when unreadable.
QColor pageColor(const QString& text);

} // namespace lanseek::platform
