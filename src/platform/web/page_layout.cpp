#include "platform/web/page_layout.h"

#include "platform/web/inner_text.h"

#include <QFontMetricsF>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace lanseek::platform {

namespace {

constexpr qreal kBodyMargin = 8;
constexpr qreal kIndent = 40;
constexpr int kMaxObjectSide = 4096;
// A replaced element without a size gets the size browsers give it.
constexpr int kDefaultObjectWidth = 300;
constexpr int kDefaultObjectHeight = 150;

bool tagIn(const QString& tag, std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return tag == QLatin1String(n); });
}

bool isBlock(const QString& tag)
{
    return tagIn(tag,
                 {"html",    "body",       "div",     "p",       "h1",    "h2",       "h3",       "h4",
                  "h5",      "h6",         "center",  "ul",      "ol",    "li",       "dl",       "dt",
                  "dd",      "blockquote", "form",    "pre",     "table", "tr",       "address",  "section",
                  "article", "header",     "footer",  "nav",     "main",  "aside",    "fieldset", "figure",
                  "menu",    "dir",        "caption", "listing", "xmp",   "plaintext"});
}

bool isCollapsible(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
           c == QLatin1Char('\r') || c == QLatin1Char('\f');
}

// The sizes of <font size="1"> to "7", in pixels, for a base of 16 pixels at size 3.
constexpr qreal kFontSizes[] = {10, 13, 16, 18, 24, 32, 48};

qreal pixelSize(const QFont& font)
{
    return font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96.0 / 72.0;
}

void scaleFont(QFont& font, qreal factor)
{
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize(font) * factor))));
}

// A dimension attribute: pixels, or a percentage of the available width. Returns fallback when unreadable.
int dimension(const QString& value, qreal available, int fallback)
{
    QString text = value.trimmed();
    bool percent = false;
    if (text.endsWith(QLatin1Char('%'))) {
        percent = true;
        text.chop(1);
    } else if (text.endsWith(QLatin1String("px"), Qt::CaseInsensitive)) {
        text.chop(2);
    }
    bool ok = false;
    const double number = text.trimmed().toDouble(&ok);
    if (!ok || number < 0) {
        return fallback;
    }
    const double pixels = percent ? available * number / 100.0 : number;
    return static_cast<int>(std::clamp(pixels, 0.0, static_cast<double>(kMaxObjectSide)));
}

struct Style
{
    QFont font;
    QColor color = Qt::black;
    bool preserve = false;
};

struct Atom
{
    enum class Kind { Text, Space, Object };
    Kind kind = Kind::Text;
    QString text;
    QFont font;
    QColor color;
    qreal width = 0;
    qreal ascent = 0;
    qreal descent = 0;
    const HtmlNode* node = nullptr;
};

class Layouter
{
public:
    Layouter(qreal width, bool wrap, qreal margin)
        : m_wrap(wrap), m_y(margin), m_left(margin), m_right(width - margin)
    {
    }

    void walk(const HtmlNode& node, const Style& inherited)
    {
        if (node.type == HtmlNode::Type::Text) {
            inherited.preserve ? preservedText(node.text, inherited) : collapsedText(node.text, inherited);
            return;
        }
        const QString& tag = node.tag;
        if (tag == QLatin1String("object") || tag == QLatin1String("embed")) {
            object(node, inherited);
            return;
        }
        if (isHiddenElement(node)) {
            return;
        }
        if (tag == QLatin1String("br")) {
            lineBreak(inherited);
            return;
        }
        if (tag == QLatin1String("hr")) {
            rule();
            return;
        }
        if (tag == QLatin1String("marquee")) {
            marquee(node, inherited);
            return;
        }
        Style style = inherited;
        qreal margin = 0;
        applyElementStyle(node, style, margin);
        if (!isBlock(tag)) {
            children(node, style);
            if (tag == QLatin1String("td") || tag == QLatin1String("th")) {
                space(style, 2);
            }
            return;
        }
        block(node, style, margin);
    }

    void finish()
    {
        flushLine();
        m_y += m_pendingMargin;
        m_pendingMargin = 0;
    }

    PageLayout out;
    qreal y() const { return m_y; }

private:
    void children(const HtmlNode& node, const Style& style)
    {
        for (const auto& child : node.children) {
            walk(*child, style);
        }
    }

    void applyElementStyle(const HtmlNode& node, Style& style, qreal& margin)
    {
        const QString& tag = node.tag;
        // The alignment a block gives its lines: its own align attribute, <center>, or its parent's.
        const QString align = node.attr(QStringLiteral("align")).toLower();
        if (tag == QLatin1String("center") || (isBlock(tag) && align == QLatin1String("center"))) {
            m_nextCenter = true;
        } else if (isBlock(tag) && (align == QLatin1String("left") || align == QLatin1String("right"))) {
            m_nextCenter = false;
        } else {
            m_nextCenter = m_center;
        }
        struct Heading
        {
            const char* tag;
            qreal scale;
            qreal margin;
        };
        static const Heading kHeadings[] = {{"h1", 2.0, 0.67}, {"h2", 1.5, 0.83},  {"h3", 1.17, 1.0},
                                            {"h4", 1.0, 1.33}, {"h5", 0.83, 1.67}, {"h6", 0.67, 2.33}};
        for (const Heading& h : kHeadings) {
            if (tag == QLatin1String(h.tag)) {
                scaleFont(style.font, h.scale);
                style.font.setBold(true);
                margin = h.margin * pixelSize(style.font);
                return;
            }
        }
        if (tag == QLatin1String("p") || tag == QLatin1String("ul") || tag == QLatin1String("ol") ||
            tag == QLatin1String("dl") || tag == QLatin1String("blockquote")) {
            margin = pixelSize(style.font);
        } else if (tag == QLatin1String("pre") || tag == QLatin1String("listing") ||
                   tag == QLatin1String("xmp") || tag == QLatin1String("plaintext")) {
            margin = pixelSize(style.font);
            style.preserve = true;
            style.font.setFamily(QStringLiteral("monospace"));
            style.font.setStyleHint(QFont::Monospace);
        } else if (tag == QLatin1String("big")) {
            scaleFont(style.font, 1.2);
        } else if (tag == QLatin1String("small")) {
            scaleFont(style.font, 1 / 1.2);
        } else if (tagIn(tag, {"strong", "b", "th"})) {
            style.font.setBold(true);
        } else if (tagIn(tag, {"i", "em", "cite", "var", "dfn", "address"})) {
            style.font.setItalic(true);
        } else if (tagIn(tag, {"u", "ins"})) {
            style.font.setUnderline(true);
        } else if (tagIn(tag, {"s", "strike", "del"})) {
            style.font.setStrikeOut(true);
        } else if (tagIn(tag, {"tt", "code", "kbd", "samp"})) {
            style.font.setFamily(QStringLiteral("monospace"));
            style.font.setStyleHint(QFont::Monospace);
        } else if (tag == QLatin1String("a") && !node.attr(QStringLiteral("href")).isEmpty()) {
            style.color = QColor(0, 0, 0xEE);
            style.font.setUnderline(true);
        } else if (tag == QLatin1String("font")) {
            const QColor color = pageColor(node.attr(QStringLiteral("color")));
            if (color.isValid()) {
                style.color = color;
            }
            QString face = node.attr(QStringLiteral("face"));
            face.remove(QLatin1Char('\''));
            face.remove(QLatin1Char('"'));
            QStringList families;
            for (const QString& f : face.split(QLatin1Char(','))) {
                if (!f.trimmed().isEmpty()) {
                    families << f.trimmed();
                }
            }
            if (!families.isEmpty()) {
                families << style.font.families() << style.font.family();
                style.font.setFamilies(families);
            }
            applyFontSize(node.attr(QStringLiteral("size")).trimmed(), style.font);
        }
    }

    static void applyFontSize(const QString& size, QFont& font)
    {
        if (size.isEmpty()) {
            return;
        }
        bool ok = false;
        int value = size.toInt(&ok);
        if (!ok) {
            return;
        }
        if (size.startsWith(QLatin1Char('+')) || size.startsWith(QLatin1Char('-'))) {
            value += 3;
        }
        value = std::clamp(value, 1, 7);
        font.setPixelSize(static_cast<int>(kFontSizes[value - 1]));
    }

    void block(const HtmlNode& node, const Style& style, qreal margin)
    {
        flushLine();
        addMargin(margin);
        const qreal savedLeft = m_left;
        const qreal savedRight = m_right;
        const bool savedCenter = m_center;
        const int savedCounter = m_listCounter;
        const bool savedOrdered = m_ordered;
        m_center = m_nextCenter;
        const QString& tag = node.tag;
        if (tag == QLatin1String("ul") || tag == QLatin1String("ol") || tag == QLatin1String("dd") ||
            tag == QLatin1String("menu") || tag == QLatin1String("dir")) {
            m_left += kIndent;
            m_ordered = tag == QLatin1String("ol");
            m_listCounter = 0;
        } else if (tag == QLatin1String("blockquote")) {
            m_left += kIndent;
            m_right -= kIndent;
        }
        if (tag == QLatin1String("li")) {
            ++m_listCounter;
            const QString marker =
                m_ordered ? QStringLiteral("%1.").arg(m_listCounter) : QStringLiteral("\u2022");
            text(marker, style);
            space(style, 1);
        }
        children(node, style);
        flushLine();
        addMargin(margin);
        m_left = savedLeft;
        m_right = savedRight;
        m_center = savedCenter;
        if (tag != QLatin1String("li")) {
            m_listCounter = savedCounter;
            m_ordered = savedOrdered;
        }
    }

    void addMargin(qreal margin) { m_pendingMargin = std::max(m_pendingMargin, margin); }

    qreal takeTop()
    {
        m_y += m_pendingMargin;
        m_pendingMargin = 0;
        return m_y;
    }

    void collapsedText(const QString& content, const Style& style)
    {
        QString word;
        for (QChar c : content) {
            if (isCollapsible(c)) {
                if (!word.isEmpty()) {
                    text(word, style);
                    word.clear();
                }
                if (!m_line.empty()) {
                    m_pendingSpace = true;
                }
                continue;
            }
            if (m_pendingSpace) {
                space(style, 1);
            }
            word += c;
        }
        if (!word.isEmpty()) {
            text(word, style);
        }
    }

    void preservedText(const QString& content, const Style& style)
    {
        const QStringList lines = content.split(QLatin1Char('\n'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0) {
                lineBreak(style);
            }
            QString line = lines.at(i);
            line.replace(QLatin1Char('\t'), QStringLiteral("        "));
            if (!line.isEmpty()) {
                place(makeText(line, style), false);
            }
        }
    }

    // Places a word, split where lines may break inside it (between CJK characters, after hyphens).
    void text(const QString& word, const Style& style)
    {
        m_pendingSpace = false;
        QTextBoundaryFinder finder(QTextBoundaryFinder::Line, word);
        qsizetype start = 0;
        for (qsizetype pos = finder.toNextBoundary(); pos > 0; pos = finder.toNextBoundary()) {
            place(makeText(word.mid(start, pos - start), style), true);
            start = pos;
        }
        if (start < word.size()) {
            place(makeText(word.mid(start), style), true);
        }
    }

    void space(const Style& style, int count)
    {
        m_pendingSpace = false;
        if (m_line.empty()) {
            return;
        }
        Atom atom = makeText(QString(count, QLatin1Char(' ')), style);
        atom.kind = Atom::Kind::Space;
        place(atom, true);
    }

    static Atom makeText(const QString& content, const Style& style)
    {
        const QFontMetricsF metrics(style.font);
        Atom atom;
        atom.text = content;
        atom.font = style.font;
        atom.color = style.color;
        atom.width = metrics.horizontalAdvance(content);
        atom.ascent = metrics.ascent();
        atom.descent = metrics.descent();
        return atom;
    }

    void object(const HtmlNode& node, const Style& style)
    {
        Atom atom;
        atom.kind = Atom::Kind::Object;
        atom.node = &node;
        atom.width = dimension(node.attr(QStringLiteral("width")), m_right - m_left, kDefaultObjectWidth);
        atom.ascent = dimension(node.attr(QStringLiteral("height")), m_right - m_left, kDefaultObjectHeight);
        atom.font = style.font;
        place(atom, true);
    }

    void place(const Atom& atom, bool breakable)
    {
        if (atom.kind == Atom::Kind::Space && m_line.empty()) {
            return;
        }
        if (m_wrap && breakable && !m_line.empty() && m_lineWidth + atom.width > m_right - m_left) {
            flushLine();
            if (atom.kind == Atom::Kind::Space) {
                return;
            }
        }
        m_line.push_back(atom);
        m_lineWidth += atom.width;
    }

    void lineBreak(const Style& style)
    {
        if (!m_line.empty()) {
            flushLine();
            return;
        }
        // A break on an empty line leaves an empty line of the current font's height.
        const QFontMetricsF metrics(style.font);
        const qreal top = takeTop();
        out.lines.push_back({QRectF(m_left, top, 0, metrics.height())});
        m_y = top + metrics.height();
        m_pendingSpace = false;
    }

    void rule()
    {
        flushLine();
        addMargin(8);
        const qreal top = takeTop();
        out.rules.push_back(QRectF(m_left, top, m_right - m_left, 2));
        m_y = top + 2;
        addMargin(8);
    }

    void marquee(const HtmlNode& node, const Style& style)
    {
        flushLine();
        Layouter inner(1e9, false, 0);
        inner.m_nextCenter = false;
        Style innerStyle = style;
        innerStyle.preserve = false;
        for (const auto& child : node.children) {
            inner.walk(*child, innerStyle);
        }
        inner.finish();
        MarqueeBox box;
        box.runs = std::move(inner.out.runs);
        for (const TextRun& run : box.runs) {
            box.contentWidth = std::max(box.contentWidth, run.rect.right());
        }
        const qreal height = std::max(inner.y(), QFontMetricsF(style.font).height());
        const qreal top = takeTop();
        box.rect = QRectF(m_left, top, m_right - m_left, height);
        box.towardsRight =
            node.attr(QStringLiteral("direction")).trimmed().toLower() == QLatin1String("right");
        bool ok = false;
        const int step = node.attr(QStringLiteral("scrollamount")).toInt(&ok);
        if (ok && step > 0) {
            box.step = std::min(step, 1000);
        }
        const int delay = node.attr(QStringLiteral("scrolldelay")).toInt(&ok);
        if (ok && delay > 0) {
            // Very short delays would keep the UI thread painting; browsers hold them back in the same way.
            box.delayMs = std::max(delay, 40);
        }
        out.marquees.push_back(std::move(box));
        m_y = top + height;
    }

    void flushLine()
    {
        m_pendingSpace = false;
        while (!m_line.empty() && m_line.back().kind == Atom::Kind::Space) {
            m_lineWidth -= m_line.back().width;
            m_line.pop_back();
        }
        if (m_line.empty()) {
            m_lineWidth = 0;
            return;
        }
        qreal ascent = 0;
        qreal descent = 0;
        for (const Atom& atom : m_line) {
            ascent = std::max(ascent, atom.ascent);
            descent = std::max(descent, atom.descent);
        }
        const qreal available = m_right - m_left;
        qreal x = m_left;
        if (m_center && m_lineWidth < available) {
            x += (available - m_lineWidth) / 2;
        }
        const qreal top = takeTop();
        const qreal baseline = top + ascent;
        out.lines.push_back({QRectF(x, top, m_lineWidth, ascent + descent)});
        for (const Atom& atom : m_line) {
            if (atom.kind == Atom::Kind::Object) {
                out.objects.push_back({QRect(static_cast<int>(std::lround(x)),
                                             static_cast<int>(std::lround(baseline - atom.ascent)),
                                             static_cast<int>(atom.width), static_cast<int>(atom.ascent)),
                                       atom.node});
            } else {
                TextRun* last = out.runs.empty() ? nullptr : &out.runs.back();
                const bool joins = last && last->font == atom.font && last->color == atom.color &&
                                   qFuzzyCompare(last->baseline, baseline) &&
                                   std::abs(last->rect.right() - x) < 0.01;
                if (joins) {
                    last->text += atom.text;
                    last->rect.setRight(x + atom.width);
                } else {
                    out.runs.push_back(
                        {QRectF(x, baseline - atom.ascent, atom.width, atom.ascent + atom.descent), baseline,
                         atom.text, atom.font, atom.color});
                }
            }
            x += atom.width;
        }
        m_y = top + ascent + descent;
        m_line.clear();
        m_lineWidth = 0;
    }

    bool m_wrap;
    qreal m_y;
    qreal m_left;
    qreal m_right;
    qreal m_pendingMargin = 0;
    bool m_center = false;
    bool m_nextCenter = false;
    bool m_pendingSpace = false;
    bool m_ordered = false;
    int m_listCounter = 0;
    std::vector<Atom> m_line;
    qreal m_lineWidth = 0;
};

} // namespace

QColor pageColor(const QString& text)
{
    QString value = text.trimmed();
    if (value.isEmpty()) {
        return {};
    }
    // Pages often leave out the '#' of a hexadecimal colour.
    static const QString kHex = QStringLiteral("0123456789abcdefABCDEF");
    const bool bareHex = (value.size() == 6 || value.size() == 3) &&
                         std::all_of(value.begin(), value.end(), [](QChar c) { return kHex.contains(c); });
    if (bareHex) {
        value.prepend(QLatin1Char('#'));
    }
    return QColor::fromString(value);
}

PageLayout layoutPage(const HtmlNode& root, int width, const QFont& baseFont)
{
    const qreal pageWidth = std::max(width, 2 * static_cast<int>(kBodyMargin) + 1);
    Layouter layouter(pageWidth, true, kBodyMargin);
    Style style;
    style.font = baseFont;
    if (baseFont.pixelSize() <= 0) {
        style.font.setPixelSize(static_cast<int>(std::lround(pixelSize(baseFont))));
    }
    const HtmlNode* body = findElement(root, QStringLiteral("body"));
    if (body) {
        const QColor text = pageColor(body->attr(QStringLiteral("text")));
        if (text.isValid()) {
            style.color = text;
        }
        layouter.out.background = body->attr(QStringLiteral("background")).trimmed();
        const QColor background = pageColor(body->attr(QStringLiteral("bgcolor")));
        if (background.isValid()) {
            layouter.out.backgroundColor = background;
        }
        for (const auto& child : body->children) {
            layouter.walk(*child, style);
        }
    }
    layouter.finish();
    PageLayout out = std::move(layouter.out);
    qreal right = pageWidth;
    for (const ObjectBox& o : out.objects) {
        right = std::max<qreal>(right, o.rect.right() + kBodyMargin);
    }
    out.size =
        QSize(static_cast<int>(std::ceil(right)), static_cast<int>(std::ceil(layouter.y() + kBodyMargin)));
    return out;
}

qreal marqueePosition(const MarqueeBox& marquee, qint64 elapsedMs)
{
    const qreal cycle = marquee.rect.width() + marquee.contentWidth;
    if (cycle <= 0 || elapsedMs < 0) {
        return marquee.towardsRight ? -marquee.contentWidth : marquee.rect.width();
    }
    const qreal travelled = static_cast<qreal>(elapsedMs / marquee.delayMs) * marquee.step;
    const qreal pos = std::fmod(travelled, cycle);
    return marquee.towardsRight ? -marquee.contentWidth + pos : marquee.rect.width() - pos;
}

} // namespace lanseek::platform
