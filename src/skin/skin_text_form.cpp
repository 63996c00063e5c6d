#include "skin/skin_form.h"
#include "skin/skin_types.h"

#include <array>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

constexpr char asciiLowerChar(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// One pass over the text. Identifiers and numbers are kept as a view into the text and copied only
// where a value keeps them; strings and binary data are decoded as they are scanned.
class TextParser
{
public:
    explicit TextParser(const QByteArray& text) : m_data(text.constData()), m_size(text.size()) { next(); }

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
    // Keywords match whatever the case of their letters.
    bool isIdent(const char* word) const
    {
        if (m_tok != Tok::Ident)
            return false;
        for (qint64 i = 0; i < m_length; ++i) {
            if (word[i] == 0 || asciiLowerChar(m_start[i]) != asciiLowerChar(word[i]))
                return false;
        }
        return word[m_length] == 0;
    }
    QByteArray word() const { return QByteArray(m_start, m_length); }
    void expectSymbol(char c)
    {
        if (!isSymbol(c))
            fail("unexpected token");
        next();
    }
    void next();
    void scanString();
    void scanHex();
    qint64 integer() const;
    FormValue value(int depth);
    QList<FormProperty> properties(int depth, bool insideItem);

    const char* m_data;
    qint64 m_size;
    qint64 m_pos = 0;
    Tok m_tok = Tok::End;
    const char* m_start = nullptr; // identifier or number text
    qint64 m_length = 0;
    char m_suffix = 0;      // the lower-cased type suffix of a real number, or 0
    QByteArray m_bytes;     // string bytes, or the bytes of binary data
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

// The value of a hex digit, or -1.
constexpr int hexValue(char c)
{
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
}

// Hex digit values by byte, -1 for anything else.
constexpr auto kHexValues = [] {
    std::array<signed char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[size_t(c)] = static_cast<signed char>(hexValue(char(c)));
    return table;
}();

// Decodes whole groups of sixteen hex digits, eight bytes each, from `in` while sixteen digits lie
// before `last` (the last character that may start a pair); stops at the first group holding anything
// else and returns where it stopped, with `out` moved past what it wrote. Digits are told from the rest
// and turned into their values sixteen at a time: a letter's value comes from its lower-case form,
// which setting bit 5 gives for letters and leaves alone for digits.
const unsigned char* decodeHexRun(const unsigned char* in, const unsigned char* last, char** out)
{
#if defined(__SSE2__)
    char* to = *out;
    const __m128i zero = _mm_setzero_si128();
    const __m128i case_ = _mm_set1_epi8(0x20);
    const __m128i belowZero = _mm_set1_epi8('0' - 1);
    const __m128i aboveNine = _mm_set1_epi8('9' + 1);
    const __m128i belowA = _mm_set1_epi8('a' - 1);
    const __m128i aboveF = _mm_set1_epi8('f' + 1);
    const __m128i lowByte = _mm_set1_epi16(0x00FF);
    while (last - in >= 15) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        const __m128i lower = _mm_or_si128(c, case_);
        // Bytes from 0x80 up compare as negative numbers, so they are neither.
        const __m128i digit = _mm_and_si128(_mm_cmpgt_epi8(c, belowZero), _mm_cmplt_epi8(c, aboveNine));
        const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(lower, belowA), _mm_cmplt_epi8(lower, aboveF));
        if (_mm_movemask_epi8(_mm_or_si128(digit, letter)) != 0xFFFF)
            break;
        const __m128i value =
            _mm_or_si128(_mm_and_si128(digit, _mm_sub_epi8(c, _mm_set1_epi8('0'))),
                         _mm_and_si128(letter, _mm_sub_epi8(lower, _mm_set1_epi8('a' - 10))));
        // Each pair is one 16-bit lane, its first digit in the low byte: that digit becomes the high
        // half of the result, the second digit its low half.
        const __m128i pairs =
            _mm_or_si128(_mm_and_si128(_mm_slli_epi16(value, 4), lowByte), _mm_srli_epi16(value, 8));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(to), _mm_packus_epi16(pairs, zero));
        to += 8;
        in += 16;
    }
    *out = to;
#else
    (void)last;
    (void)out;
#endif
    return in;
}

void TextParser::next()
{
    const qint64 size = m_size;
    const char* text = m_data;
    while (m_pos < size && static_cast<unsigned char>(text[m_pos]) <= ' ')
        ++m_pos;
    m_length = 0;
    if (m_pos >= size) {
        m_tok = Tok::End;
        return;
    }
    const char c = text[m_pos];
    if (identStart(c)) {
        const qint64 start = m_pos;
        while (m_pos < size && identChar(text[m_pos]))
            ++m_pos;
        m_start = text + start;
        m_length = m_pos - start;
        m_tok = Tok::Ident;
        return;
    }
    if (digit(c) || ((c == '-' || c == '+') && m_pos + 1 < size && digit(text[m_pos + 1])) || c == '$') {
        const qint64 start = m_pos;
        ++m_pos;
        bool real = false;
        while (m_pos < size) {
            const char d = text[m_pos];
            if (digit(d) || (c == '$' && hexValue(d) >= 0)) {
                ++m_pos;
            } else if (c != '$' &&
                       (d == '.' || d == 'e' || d == 'E' ||
                        ((d == '-' || d == '+') && (text[m_pos - 1] == 'e' || text[m_pos - 1] == 'E')))) {
                real = true;
                ++m_pos;
            } else {
                break;
            }
        }
        m_start = text + start;
        m_length = m_pos - start;
        m_tok = real ? Tok::Real : Tok::Integer;
        m_suffix = 0;
        // A type suffix marks single, currency and date values.
        if (m_pos < size) {
            const char s = asciiLowerChar(text[m_pos]);
            if (s == 's' || s == 'c' || s == 'd') {
                m_suffix = s;
                m_tok = Tok::Real;
                ++m_pos;
            }
        }
        return;
    }
    if (c == '\'' || c == '#') {
        scanString();
        return;
    }
    if (c == '{') {
        scanHex();
        return;
    }
    m_symbol = c;
    ++m_pos;
    m_tok = Tok::Symbol;
}

void TextParser::scanString()
{
    const qint64 size = m_size;
    const char* text = m_data;
    m_bytes.clear();
    m_wide = false;
    m_units.clear();
    auto appendUnit = [this](quint16 unit) {
        if (m_wide)
            m_units.append(unit);
    };
    while (m_pos < size && (text[m_pos] == '\'' || text[m_pos] == '#')) {
        if (text[m_pos] == '\'') {
            ++m_pos;
            for (;;) {
                // A run of ordinary characters is copied at once.
                const qint64 run = m_pos;
                while (m_pos < size && text[m_pos] != '\'' && text[m_pos] != '\n' && text[m_pos] != '\r')
                    ++m_pos;
                m_bytes.append(text + run, m_pos - run);
                if (m_wide) {
                    for (qint64 i = run; i < m_pos; ++i)
                        m_units.append(quint8(text[i]));
                }
                if (m_pos >= size || text[m_pos] != '\'')
                    fail("unterminated string");
                if (m_pos + 1 < size && text[m_pos + 1] == '\'') {
                    m_bytes.append('\'');
                    appendUnit('\'');
                    m_pos += 2;
                    continue;
                }
                ++m_pos;
                break;
            }
        } else {
            ++m_pos;
            qint64 code = 0;
            const qint64 start = m_pos;
            while (m_pos < size && digit(text[m_pos]) && m_pos - start < 6)
                code = code * 10 + (text[m_pos++] - '0');
            if (m_pos == start || code > 0xFFFF)
                fail("bad character code");
            if (code > 255 && !m_wide) {
                // Until now every unit was one byte; from here on the units are kept as well.
                m_wide = true;
                for (char b : std::as_const(m_bytes))
                    m_units.append(quint8(b));
            }
            m_bytes.append(char(code & 0xFF));
            appendUnit(quint16(code));
        }
    }
    m_tok = Tok::String;
}

void TextParser::scanHex()
{
    const qint64 size = m_size;
    const char* text = m_data;
    ++m_pos;
    // Two digits make a byte; white space (line breaks and indentation) may stand between any two.
    const char* close = static_cast<const char*>(std::memchr(text + m_pos, '}', size_t(size - m_pos)));
    const qint64 end = close ? close - text : size;
    // A fresh array: the previous one may be shared with a value already read, and resizing it would
    // first copy it.
    m_bytes = QByteArray();
    m_bytes.resize((end - m_pos) / 2);
    char* out = m_bytes.data();
    bool half = false; // a high digit is waiting for its low one
    int high = 0;
    while (m_pos < end) {
        // Whole lines of digit pairs go through the fast loop; white space and damage take the
        // careful step below, one character at a time.
        if (!half) {
            // Local copies: stores through a char pointer could alias the members, which would make
            // the compiler write them back on every byte.
            const unsigned char* in = reinterpret_cast<const unsigned char*>(text) + m_pos;
            const unsigned char* last = reinterpret_cast<const unsigned char*>(text) + end - 1;
            char* to = out;
            in = decodeHexRun(in, last, &to);
            while (in < last) {
                const int a = kHexValues[in[0]];
                const int b = kHexValues[in[1]];
                if ((a | b) < 0)
                    break;
                *to++ = char((a << 4) | b);
                in += 2;
            }
            out = to;
            m_pos = in - reinterpret_cast<const unsigned char*>(text);
            if (m_pos >= end)
                break;
        }
        const char d = text[m_pos++];
        const int v = kHexValues[static_cast<unsigned char>(d)];
        if (v >= 0) {
            if (half)
                *out++ = char((high << 4) | v);
            else
                high = v;
            half = !half;
        } else if (static_cast<unsigned char>(d) > ' ') {
            fail("bad hex digit");
        }
    }
    if (!close)
        fail("unterminated binary data");
    ++m_pos;
    if (half)
        fail("odd number of hex digits");
    m_bytes.truncate(out - m_bytes.constData());
    m_tok = Tok::Hex;
}

qint64 TextParser::integer() const
{
    // Plain decimal numbers of up to 18 digits cannot overflow and are read here; anything else (hex,
    // longer numbers) goes through the library's conversion, which also reports overflow.
    const char* p = m_start;
    qint64 n = m_length;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') {
        ++p;
        --n;
    }
    if (*p != '$' && n <= 18) {
        qint64 v = 0;
        for (qint64 i = 0; i < n; ++i)
            v = v * 10 + (p[i] - '0');
        return negative ? -v : v;
    }
    bool ok = false;
    const QByteArray text = word();
    const qint64 v = text.startsWith('$') ? qint64(text.mid(1).toULongLong(&ok, 16)) : text.toLongLong(&ok);
    if (!ok)
        fail("bad integer");
    return v;
}

FormValue TextParser::value(int depth)
{
    if (depth > kMaxFormDepth)
        fail("nested too deeply");
    FormValue v;
    switch (m_tok) {
    case Tok::Integer:
        v = FormValue::fromInt(integer());
        break;
    case Tok::Real: {
        const char suffix = m_suffix;
        bool ok = false;
        const double d = word().toDouble(&ok);
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
            v = FormValue::fromString(m_bytes);
        }
        break;
    case Tok::Hex:
        v = FormValue::fromBinary(m_bytes);
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
            v = FormValue::fromIdent(word());
        break;
    case Tok::Symbol:
        if (isSymbol('[')) {
            v.type = ValueType::Set;
            next();
            while (!isSymbol(']')) {
                if (m_tok != Tok::Ident)
                    fail("set element expected");
                v.names.append(word());
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
                    item.index = word().toLongLong();
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
    list.reserve(64); // as many as a skin object stores, so that the list never moves
    for (;;) {
        if (m_tok == Tok::End)
            fail("'end' expected");
        if (isIdent("end") ||
            (!insideItem && (isIdent("object") || isIdent("inherited") || isIdent("inline"))))
            return list;
        if (m_tok != Tok::Ident)
            fail("property name expected");
        FormProperty p;
        p.name = word();
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
        o.className = word();
        next();
    } else {
        if (m_tok != Tok::Ident)
            fail("object name expected");
        const QByteArray first = word();
        next();
        if (isSymbol(':')) {
            next();
            if (m_tok != Tok::Ident)
                fail("class name expected");
            o.name = first;
            o.className = word();
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
        o.childIndex = word().toLongLong();
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
