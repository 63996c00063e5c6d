#include "skin/skin_form.h"
#include "skin/skin_types.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace lanseek::skin {

namespace {

// ---- writer ----

QByteArray indent(int n)
{
    return QByteArray(n, ' ');
}

// Writes a string as quoted runs and #nn codes: units for which asCode is true travel as codes, the rest
// inside quotes, with a quote doubled.
template <typename AsCode> QByteArray quoteUnits(const std::vector<unsigned>& units, AsCode asCode)
{
    QByteArray out;
    bool inQuotes = false;
    for (unsigned unit : units) {
        if (asCode(unit)) {
            if (inQuotes) {
                out.append('\'');
                inQuotes = false;
            }
            out.append('#');
            out.append(QByteArray::number(unit));
        } else {
            if (!inQuotes) {
                out.append('\'');
                inQuotes = true;
            }
            out.append(char(unit));
            if (unit == '\'')
                out.append('\'');
        }
    }
    if (inQuotes)
        out.append('\'');
    if (out.isEmpty())
        out = "''";
    return out;
}

QByteArray quoteBytes(const QByteArray& s)
{
    // Control characters travel as #nn codes; everything else stays inside quotes as it is.
    std::vector<unsigned> units;
    units.reserve(s.size());
    for (char c : s)
        units.push_back(static_cast<unsigned char>(c));
    return quoteUnits(units, [](unsigned u) { return u < 32; });
}

QByteArray quoteWide(const QByteArray& utf16)
{
    // UTF-16 units outside printable ASCII travel as codes.
    std::vector<unsigned> units;
    for (qint64 i = 0; i + 1 < utf16.size(); i += 2)
        units.push_back(quint8(utf16[i]) | (quint8(utf16[i + 1]) << 8));
    return quoteUnits(units, [](unsigned u) { return u < 32 || u > 126; });
}

QByteArray realText(double v)
{
    return QByteArray::number(v, 'g', 17);
}

void writeValue(QByteArray& out, const FormValue& v, int level);

void writeProperties(QByteArray& out, const QList<FormProperty>& list, int level)
{
    for (const FormProperty& p : list) {
        out.append(indent(level * 2));
        out.append(p.name);
        out.append(" = ");
        writeValue(out, p.value, level);
        out.append("\r\n");
    }
}

void writeValue(QByteArray& out, const FormValue& v, int level)
{
    if (v.isInteger()) {
        out.append(QByteArray::number(v.integer));
        return;
    }
    switch (v.type) {
    case ValueType::Null:
        out.append("Null");
        return;
    case ValueType::Nil:
        out.append("nil");
        return;
    case ValueType::True:
        out.append("True");
        return;
    case ValueType::False:
        out.append("False");
        return;
    case ValueType::Ident:
        out.append(v.bytes);
        return;
    case ValueType::String:
    case ValueType::LString:
    case ValueType::Utf8String:
        out.append(quoteBytes(v.bytes));
        return;
    case ValueType::WString:
        out.append(quoteWide(v.bytes));
        return;
    case ValueType::Extended:
        out.append(realText(v.real));
        return;
    case ValueType::Single:
        out.append(realText(v.real) + 's');
        return;
    case ValueType::Date:
        out.append(realText(v.real) + 'd');
        return;
    case ValueType::Currency:
        out.append(realText(double(v.integer) / 10000.0) + 'c');
        return;
    case ValueType::Set: {
        out.append('[');
        bool first = true;
        for (const QByteArray& n : v.names) {
            if (!first)
                out.append(", ");
            out.append(n);
            first = false;
        }
        out.append(']');
        return;
    }
    case ValueType::Binary: {
        const QByteArray hex = v.bytes.toHex().toUpper();
        out.append('{');
        if (v.bytes.size() < 32) {
            out.append(hex);
        } else {
            for (qint64 at = 0; at < hex.size(); at += 64) {
                out.append("\r\n");
                out.append(indent(level * 2 + 2));
                out.append(hex.mid(at, 64));
            }
        }
        out.append('}');
        return;
    }
    case ValueType::List:
        out.append('(');
        for (const FormValue& item : v.items) {
            out.append("\r\n");
            out.append(indent(level * 2 + 2));
            writeValue(out, item, level + 1);
        }
        out.append(')');
        return;
    case ValueType::Collection:
        out.append('<');
        for (const FormCollectionItem& item : v.collection) {
            out.append("\r\n");
            out.append(indent(level * 2 + 2));
            out.append("item");
            if (item.hasIndex)
                out.append(" [" + QByteArray::number(item.index) + "]");
            out.append("\r\n");
            writeProperties(out, item.properties, level + 2);
            out.append(indent(level * 2 + 2));
            out.append("end");
        }
        out.append('>');
        return;
    default:
        return;
    }
}

void writeObject(QByteArray& out, const FormObject& o, int level)
{
    out.append(indent(level * 2));
    out.append((o.flags & 0x01) ? "inherited " : (o.flags & 0x04) ? "inline " : "object ");
    out.append(o.name);
    out.append(": ");
    out.append(o.className);
    if (o.flags & 0x02)
        out.append(" [" + QByteArray::number(o.childIndex) + "]");
    out.append("\r\n");
    writeProperties(out, o.properties, level + 1);
    for (const FormObject& child : o.children)
        writeObject(out, child, level + 1);
    out.append(indent(level * 2));
    out.append("end\r\n");
}

// ---- reader ----

enum class Tok { End, Ident, Integer, Real, String, Symbol, Hex };

class TextParser
{
public:
    explicit TextParser(const QByteArray& text) : m_text(text) { next(); }

    FormObject object(int depth);

private:
    [[noreturn]] void fail(const char* what) const
    {
        throw FormatError(QByteArray("text object form: ")
                              .append(what)
                              .append(" at byte ")
                              .append(QByteArray::number(m_pos))
                              .toStdString());
    }
    bool isSymbol(char c) const { return m_tok == Tok::Symbol && m_symbol == c; }
    bool isIdent(const char* word) const
    {
        return m_tok == Tok::Ident && m_word.compare(word, Qt::CaseInsensitive) == 0;
    }
    void expectSymbol(char c)
    {
        if (!isSymbol(c))
            fail("unexpected token");
        next();
    }
    void next();
    FormValue value(int depth);
    QList<FormProperty> properties(int depth, bool insideItem);

    const QByteArray& m_text;
    qint64 m_pos = 0;
    Tok m_tok = Tok::End;
    QByteArray m_word;      // identifier, number text, string bytes or hex digits
    bool m_wide = false;    // the string held a character code above 255
    QList<quint16> m_units; // the string as UTF-16 units, when wide
    char m_symbol = 0;
};

// Bytes from 0x80 up belong to names written in the system code page.
bool identStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool identChar(char c)
{
    return identStart(c) || (c >= '0' && c <= '9') || c == '.';
}

bool digit(char c)
{
    return c >= '0' && c <= '9';
}

void TextParser::next()
{
    const qint64 size = m_text.size();
    while (m_pos < size && static_cast<unsigned char>(m_text[m_pos]) <= ' ')
        ++m_pos;
    m_word.clear();
    if (m_pos >= size) {
        m_tok = Tok::End;
        return;
    }
    const char c = m_text[m_pos];
    if (identStart(c)) {
        const qint64 start = m_pos;
        while (m_pos < size && identChar(m_text[m_pos]))
            ++m_pos;
        m_word = m_text.mid(start, m_pos - start);
        m_tok = Tok::Ident;
        return;
    }
    if (digit(c) || ((c == '-' || c == '+') && m_pos + 1 < size && digit(m_text[m_pos + 1])) || c == '$') {
        const qint64 start = m_pos;
        ++m_pos;
        bool real = false;
        while (m_pos < size) {
            const char d = m_text[m_pos];
            if (digit(d) || (c == '$' && std::isxdigit(static_cast<unsigned char>(d)))) {
                ++m_pos;
            } else if (c != '$' &&
                       (d == '.' || d == 'e' || d == 'E' ||
                        ((d == '-' || d == '+') && (m_text[m_pos - 1] == 'e' || m_text[m_pos - 1] == 'E')))) {
                real = true;
                ++m_pos;
            } else {
                break;
            }
        }
        m_word = m_text.mid(start, m_pos - start);
        m_tok = real ? Tok::Real : Tok::Integer;
        // A type suffix marks single, currency and date values.
        if (m_pos < size && (m_text[m_pos] == 's' || m_text[m_pos] == 'c' || m_text[m_pos] == 'd' ||
                             m_text[m_pos] == 'S' || m_text[m_pos] == 'C' || m_text[m_pos] == 'D')) {
            m_word.append(char(std::tolower(static_cast<unsigned char>(m_text[m_pos]))));
            m_tok = Tok::Real;
            ++m_pos;
        }
        return;
    }
    if (c == '\'' || c == '#') {
        m_wide = false;
        m_units.clear();
        while (m_pos < size && (m_text[m_pos] == '\'' || m_text[m_pos] == '#')) {
            if (m_text[m_pos] == '\'') {
                ++m_pos;
                for (;;) {
                    if (m_pos >= size || m_text[m_pos] == '\n' || m_text[m_pos] == '\r')
                        fail("unterminated string");
                    if (m_text[m_pos] == '\'') {
                        if (m_pos + 1 < size && m_text[m_pos + 1] == '\'') {
                            m_word.append('\'');
                            m_units.append('\'');
                            m_pos += 2;
                            continue;
                        }
                        ++m_pos;
                        break;
                    }
                    m_word.append(m_text[m_pos]);
                    m_units.append(quint8(m_text[m_pos]));
                    ++m_pos;
                }
            } else {
                ++m_pos;
                qint64 code = 0;
                const qint64 start = m_pos;
                while (m_pos < size && digit(m_text[m_pos]) && m_pos - start < 6)
                    code = code * 10 + (m_text[m_pos++] - '0');
                if (m_pos == start || code > 0xFFFF)
                    fail("bad character code");
                if (code > 255)
                    m_wide = true;
                m_word.append(char(code & 0xFF));
                m_units.append(quint16(code));
            }
        }
        m_tok = Tok::String;
        return;
    }
    if (c == '{') {
        ++m_pos;
        while (m_pos < size && m_text[m_pos] != '}') {
            const char d = m_text[m_pos++];
            if (std::isxdigit(static_cast<unsigned char>(d)))
                m_word.append(d);
            else if (static_cast<unsigned char>(d) > ' ')
                fail("bad hex digit");
        }
        if (m_pos >= size)
            fail("unterminated binary data");
        ++m_pos;
        if (m_word.size() % 2)
            fail("odd number of hex digits");
        m_tok = Tok::Hex;
        return;
    }
    m_symbol = c;
    ++m_pos;
    m_tok = Tok::Symbol;
}

FormValue TextParser::value(int depth)
{
    if (depth > kMaxFormDepth)
        fail("nested too deeply");
    FormValue v;
    switch (m_tok) {
    case Tok::Integer: {
        bool ok = false;
        const qint64 n =
            m_word.startsWith('$') ? qint64(m_word.mid(1).toULongLong(&ok, 16)) : m_word.toLongLong(&ok);
        if (!ok)
            fail("bad integer");
        v = FormValue::fromInt(n);
        break;
    }
    case Tok::Real: {
        QByteArray text = m_word;
        char suffix = 0;
        if (text.endsWith('s') || text.endsWith('c') || text.endsWith('d')) {
            suffix = text.back();
            text.chop(1);
        }
        bool ok = false;
        const double d = text.toDouble(&ok);
        if (!ok)
            fail("bad number");
        if (suffix == 'c') {
            v.type = ValueType::Currency;
            v.integer = qint64(std::llround(d * 10000.0));
        } else {
            v.type = suffix == 's'   ? ValueType::Single
                     : suffix == 'd' ? ValueType::Date
                                     : ValueType::Extended;
            v.real = d;
        }
        break;
    }
    case Tok::String:
        if (m_wide) {
            v.type = ValueType::WString;
            for (quint16 u : m_units) {
                v.bytes.append(char(u & 0xFF));
                v.bytes.append(char(u >> 8));
            }
        } else {
            v = FormValue::fromString(m_word);
        }
        break;
    case Tok::Hex:
        v = FormValue::fromBinary(QByteArray::fromHex(m_word));
        break;
    case Tok::Ident:
        if (isIdent("True"))
            v = FormValue::fromBool(true);
        else if (isIdent("False"))
            v = FormValue::fromBool(false);
        else if (isIdent("nil"))
            v.type = ValueType::Nil;
        else if (isIdent("Null"))
            v.type = ValueType::Null;
        else
            v = FormValue::fromIdent(m_word);
        break;
    case Tok::Symbol:
        if (isSymbol('[')) {
            v.type = ValueType::Set;
            next();
            while (!isSymbol(']')) {
                if (m_tok != Tok::Ident)
                    fail("set element expected");
                v.names.append(m_word);
                next();
                if (isSymbol(','))
                    next();
                else if (!isSymbol(']'))
                    fail("',' or ']' expected");
            }
            break;
        }
        if (isSymbol('(')) {
            v.type = ValueType::List;
            next();
            while (!isSymbol(')')) {
                if (m_tok == Tok::End)
                    fail("')' expected");
                v.items.append(value(depth + 1));
            }
            break;
        }
        if (isSymbol('<')) {
            v.type = ValueType::Collection;
            next();
            while (!isSymbol('>')) {
                if (!isIdent("item"))
                    fail("'item' expected");
                FormCollectionItem item;
                next();
                if (isSymbol('[')) {
                    next();
                    if (m_tok != Tok::Integer)
                        fail("item index expected");
                    item.hasIndex = true;
                    item.index = m_word.toLongLong();
                    next();
                    expectSymbol(']');
                }
                item.properties = properties(depth + 1, true);
                next(); // "end"
            }
            break;
        }
        fail("value expected");
    case Tok::End:
        fail("value expected");
    }
    next();
    return v;
}

QList<FormProperty> TextParser::properties(int depth, bool insideItem)
{
    QList<FormProperty> list;
    for (;;) {
        if (m_tok == Tok::End)
            fail("'end' expected");
        if (isIdent("end") ||
            (!insideItem && (isIdent("object") || isIdent("inherited") || isIdent("inline"))))
            return list;
        if (m_tok != Tok::Ident)
            fail("property name expected");
        FormProperty p;
        p.name = m_word;
        next();
        expectSymbol('=');
        p.value = value(depth);
        list.append(std::move(p));
    }
}

FormObject TextParser::object(int depth)
{
    if (depth > kMaxFormDepth)
        fail("nested too deeply");
    FormObject o;
    if (isIdent("inherited"))
        o.flags = 0x01;
    else if (isIdent("inline"))
        o.flags = 0x04;
    else if (!isIdent("object"))
        fail("'object' expected");
    next();
    // "object Name: Class", "object : Class" (no name) or "object Class".
    if (isSymbol(':')) {
        next();
        if (m_tok != Tok::Ident)
            fail("class name expected");
        o.className = m_word;
        next();
    } else {
        if (m_tok != Tok::Ident)
            fail("object name expected");
        const QByteArray first = m_word;
        next();
        if (isSymbol(':')) {
            next();
            if (m_tok != Tok::Ident)
                fail("class name expected");
            o.name = first;
            o.className = m_word;
            next();
        } else {
            o.className = first;
        }
    }
    if (isSymbol('[')) {
        next();
        if (m_tok != Tok::Integer)
            fail("child index expected");
        o.flags |= 0x02;
        o.childIndex = m_word.toLongLong();
        next();
        expectSymbol(']');
    }
    o.properties = properties(depth, false);
    while (isIdent("object") || isIdent("inherited") || isIdent("inline"))
        o.children.append(object(depth + 1));
    if (!isIdent("end"))
        fail("'end' expected");
    next();
    return o;
}

} // namespace

QByteArray writeTextForm(const FormObject& object)
{
    QByteArray out;
    writeObject(out, object, 0);
    return out;
}

FormObject readTextForm(const QByteArray& text)
{
    TextParser parser(text);
    return parser.object(0);
}

} // namespace lanseek::skin
