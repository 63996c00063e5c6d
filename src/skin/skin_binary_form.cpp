#include "skin/skin_form.h"
#include "skin/skin_types.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace lanseek::skin {

FormValue FormValue::fromInt(qint64 v)
{
    FormValue value;
    value.type = v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max()
                     ? ValueType::Int32
                     : ValueType::Int64;
    value.integer = v;
    return value;
}

FormValue FormValue::fromSet(const QList<QByteArray>& n)
{
    FormValue value;
    value.type = ValueType::Set;
    value.names = n;
    return value;
}

bool FormValue::isInteger() const
{
    return type == ValueType::Int8 || type == ValueType::Int16 || type == ValueType::Int32 ||
           type == ValueType::Int64;
}

bool FormValue::isString() const
{
    return type == ValueType::String || type == ValueType::LString || type == ValueType::Utf8String ||
           type == ValueType::WString;
}

bool FormValue::operator==(const FormValue& other) const
{
    // Integers compare by value: the stored width is chosen by the writer, not part of the meaning.
    if (isInteger() && other.isInteger())
        return integer == other.integer;
    return type == other.type && integer == other.integer && real == other.real && bytes == other.bytes &&
           names == other.names && items == other.items && collection == other.collection;
}

const FormValue* FormObject::find(const QByteArray& propertyName) const
{
    for (const FormProperty& p : properties) {
        if (p.name.compare(propertyName, Qt::CaseInsensitive) == 0)
            return &p.value;
    }
    return nullptr;
}

double extendedToDouble(const unsigned char b[10])
{
    quint64 mantissa = 0;
    for (int i = 7; i >= 0; --i)
        mantissa = (mantissa << 8) | b[i];
    const int exponent = ((b[9] & 0x7F) << 8) | b[8];
    const bool negative = (b[9] & 0x80) != 0;
    double value;
    if (exponent == 0 && mantissa == 0)
        value = 0;
    else if (exponent == 0x7FFF)
        value = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                     : std::numeric_limits<double>::quiet_NaN();
    else
        value = std::ldexp(double(mantissa), exponent - 16383 - 63);
    return negative ? -value : value;
}

void doubleToExtended(double value, unsigned char b[10])
{
    std::memset(b, 0, 10);
    const bool negative = std::signbit(value);
    int exponent = 0;
    quint64 mantissa = 0;
    if (std::isnan(value)) {
        exponent = 0x7FFF;
        mantissa = 0xC000000000000000ull;
    } else if (std::isinf(value)) {
        exponent = 0x7FFF;
        mantissa = 0x8000000000000000ull;
    } else if (value != 0) {
        int e = 0;
        const double m = std::frexp(std::fabs(value), &e); // m in [0.5, 1)
        mantissa = quint64(std::ldexp(m, 64));
        exponent = e - 1 + 16383;
    }
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<unsigned char>(mantissa >> (8 * i));
    b[8] = static_cast<unsigned char>(exponent & 0xFF);
    b[9] = static_cast<unsigned char>(((exponent >> 8) & 0x7F) | (negative ? 0x80 : 0));
}

namespace {

// A bounds-checked cursor over the binary form.
class BinaryReader
{
public:
    // A borrowing reader hands out names and values that point into the data instead of copies.
    enum class Copies { Make, Borrow };
    explicit BinaryReader(const QByteArray& data, Copies copies = Copies::Make)
        : m_data(data), m_borrow(copies == Copies::Borrow)
    {
    }

    qint64 remaining() const { return m_data.size() - m_pos; }
    void need(qint64 n) const
    {
        if (n < 0 || n > remaining())
            throw FormatError("binary object form ends early");
    }
    quint8 u8()
    {
        need(1);
        return quint8(m_data[m_pos++]);
    }
    quint8 peek() const
    {
        need(1);
        return quint8(m_data[m_pos]);
    }
    quint64 uN(int n)
    {
        need(n);
        quint64 v = 0;
        for (int i = n - 1; i >= 0; --i)
            v = (v << 8) | quint8(m_data[m_pos + i]);
        m_pos += n;
        return v;
    }
    QByteArray bytes(qint64 n)
    {
        need(n);
        QByteArray out =
            m_borrow ? QByteArray::fromRawData(m_data.constData() + m_pos, n) : m_data.mid(m_pos, n);
        m_pos += n;
        return out;
    }
    QByteArray shortString() { return bytes(u8()); }
    // An object's name is kept by the object, so it is always a copy of its own.
    QByteArray ownedShortString()
    {
        const qint64 n = u8();
        need(n);
        QByteArray out(m_data.constData() + m_pos, n);
        m_pos += n;
        return out;
    }

    FormValue value(int depth);
    FormObject object(int depth);
    QList<FormProperty> properties(int depth);
    qint64 integerValue();

private:
    const QByteArray& m_data;
    qint64 m_pos = 0;
    bool m_borrow;
};

qint64 BinaryReader::integerValue()
{
    const FormValue v = value(0);
    if (!v.isInteger())
        throw FormatError("integer expected in binary object form");
    return v.integer;
}

QList<FormProperty> BinaryReader::properties(int depth)
{
    QList<FormProperty> list;
    // Skin objects store a few dozen properties (up to some fifty, with every part of their fonts and
    // bitmap links); one allocation for them is cheaper than growing.
    list.reserve(64);
    while (peek() != 0) {
        // Built where it is kept: a value is large enough that moving it in costs more than reading it.
        FormProperty& p = list.emplaceBack();
        p.name = shortString();
        p.value = value(depth);
    }
    u8();
    return list;
}

FormValue BinaryReader::value(int depth)
{
    if (depth > kMaxFormDepth)
        throw FormatError("binary object form nested too deeply");
    FormValue v;
    const quint8 type = u8();
    if (type > quint8(ValueType::Utf8String))
        throw FormatError("unknown value type in binary object form");
    v.type = ValueType(type);
    switch (v.type) {
    case ValueType::Null:
    case ValueType::False:
    case ValueType::True:
    case ValueType::Nil:
        break;
    case ValueType::List:
        while (peek() != 0)
            v.items.append(value(depth + 1));
        u8();
        break;
    case ValueType::Int8:
        v.integer = qint8(u8());
        break;
    case ValueType::Int16:
        v.integer = qint16(uN(2));
        break;
    case ValueType::Int32:
        v.integer = qint32(uN(4));
        break;
    case ValueType::Int64:
        v.integer = qint64(uN(8));
        break;
    case ValueType::Extended: {
        const QByteArray b = bytes(10);
        v.real = extendedToDouble(reinterpret_cast<const unsigned char*>(b.constData()));
        break;
    }
    case ValueType::Single: {
        const quint32 bits = quint32(uN(4));
        float f;
        std::memcpy(&f, &bits, 4);
        v.real = f;
        break;
    }
    case ValueType::Date: {
        const quint64 bits = uN(8);
        std::memcpy(&v.real, &bits, 8);
        break;
    }
    case ValueType::Currency:
        v.integer = qint64(uN(8));
        break;
    case ValueType::String:
    case ValueType::Ident:
        v.bytes = shortString();
        break;
    case ValueType::Binary:
    case ValueType::LString:
    case ValueType::Utf8String:
        v.bytes = bytes(qint64(uN(4)));
        break;
    case ValueType::WString: {
        const qint64 units = qint64(uN(4));
        if (units > remaining() / 2)
            throw FormatError("binary object form ends early");
        v.bytes = bytes(units * 2);
        break;
    }
    case ValueType::Set:
        for (;;) {
            QByteArray name = shortString();
            if (name.isEmpty())
                break;
            v.names.append(std::move(name));
        }
        break;
    case ValueType::Collection:
        while (peek() != 0) {
            FormCollectionItem item;
            const quint8 next = peek();
            if (next == quint8(ValueType::Int8) || next == quint8(ValueType::Int16) ||
                next == quint8(ValueType::Int32)) {
                item.hasIndex = true;
                item.index = integerValue();
            }
            if (u8() != quint8(ValueType::List))
                throw FormatError("collection item expected in binary object form");
            item.properties = properties(depth + 1);
            v.collection.append(std::move(item));
        }
        u8();
        break;
    }
    return v;
}

FormObject BinaryReader::object(int depth)
{
    if (depth > kMaxFormDepth)
        throw FormatError("binary object form nested too deeply");
    FormObject o;
    if ((peek() & 0xF0) == 0xF0) {
        o.flags = u8() & 0x0F;
        if (o.flags & 0x02)
            o.childIndex = integerValue();
    }
    o.className = shortString();
    o.name = ownedShortString();
    o.properties = properties(depth);
    while (peek() != 0)
        o.children.append(object(depth + 1));
    u8();
    return o;
}

// ---- writer ----

void putBytes(QByteArray& out, const QByteArray& b)
{
    out.append(b);
}

void putUN(QByteArray& out, quint64 v, int n)
{
    for (int i = 0; i < n; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
}

void putShortString(QByteArray& out, const QByteArray& s)
{
    // Names longer than 255 bytes cannot be stored in this form; they are cut rather than corrupting
    // the data that follows.
    const QByteArray cut = s.left(255);
    out.append(char(cut.size()));
    out.append(cut);
}

void putValue(QByteArray& out, const FormValue& v);

void putProperties(QByteArray& out, const QList<FormProperty>& list)
{
    for (const FormProperty& p : list) {
        putShortString(out, p.name);
        putValue(out, p.value);
    }
    out.append(char(0));
}

void putInteger(QByteArray& out, qint64 i)
{
    if (i >= -128 && i <= 127) {
        out.append(char(ValueType::Int8));
        putUN(out, quint64(i), 1);
    } else if (i >= -32768 && i <= 32767) {
        out.append(char(ValueType::Int16));
        putUN(out, quint64(i), 2);
    } else if (i >= std::numeric_limits<qint32>::min() && i <= std::numeric_limits<qint32>::max()) {
        out.append(char(ValueType::Int32));
        putUN(out, quint64(i), 4);
    } else {
        out.append(char(ValueType::Int64));
        putUN(out, quint64(i), 8);
    }
}

void putValue(QByteArray& out, const FormValue& v)
{
    if (v.isInteger()) {
        putInteger(out, v.integer);
        return;
    }
    switch (v.type) {
    case ValueType::String:
        if (v.bytes.size() > 255) {
            out.append(char(ValueType::LString));
            putUN(out, quint64(v.bytes.size()), 4);
        } else {
            out.append(char(ValueType::String));
            out.append(char(v.bytes.size()));
        }
        putBytes(out, v.bytes);
        return;
    case ValueType::LString:
    case ValueType::Utf8String:
    case ValueType::Binary:
        out.append(char(v.type));
        putUN(out, quint64(v.bytes.size()), 4);
        putBytes(out, v.bytes);
        return;
    case ValueType::WString:
        out.append(char(v.type));
        putUN(out, quint64(v.bytes.size() / 2), 4);
        putBytes(out, v.bytes.left(v.bytes.size() / 2 * 2));
        return;
    case ValueType::Ident:
        out.append(char(v.type));
        putShortString(out, v.bytes);
        return;
    case ValueType::Set:
        out.append(char(v.type));
        for (const QByteArray& n : v.names) {
            if (!n.isEmpty())
                putShortString(out, n);
        }
        out.append(char(0));
        return;
    case ValueType::List:
        out.append(char(v.type));
        for (const FormValue& item : v.items)
            putValue(out, item);
        out.append(char(0));
        return;
    case ValueType::Collection:
        out.append(char(v.type));
        for (const FormCollectionItem& item : v.collection) {
            if (item.hasIndex)
                putInteger(out, item.index);
            out.append(char(ValueType::List));
            putProperties(out, item.properties);
        }
        out.append(char(0));
        return;
    case ValueType::Extended: {
        out.append(char(v.type));
        unsigned char b[10];
        doubleToExtended(v.real, b);
        out.append(reinterpret_cast<const char*>(b), 10);
        return;
    }
    case ValueType::Single: {
        out.append(char(v.type));
        const float f = float(v.real);
        quint32 bits;
        std::memcpy(&bits, &f, 4);
        putUN(out, bits, 4);
        return;
    }
    case ValueType::Date: {
        out.append(char(v.type));
        quint64 bits;
        std::memcpy(&bits, &v.real, 8);
        putUN(out, bits, 8);
        return;
    }
    case ValueType::Currency:
        out.append(char(v.type));
        putUN(out, quint64(v.integer), 8);
        return;
    default:
        out.append(char(v.type));
        return;
    }
}

void putObject(QByteArray& out, const FormObject& o)
{
    if (o.flags != 0) {
        out.append(char(0xF0 | (o.flags & 0x0F)));
        if (o.flags & 0x02)
            putInteger(out, o.childIndex);
    }
    putShortString(out, o.className);
    putShortString(out, o.name);
    putProperties(out, o.properties);
    for (const FormObject& child : o.children)
        putObject(out, child);
    out.append(char(0));
}

} // namespace

FormObject readBinaryForm(const QByteArray& data)
{
    BinaryReader reader(data);
    if (reader.bytes(4) != "TPF0")
        throw FormatError("binary object form signature missing");
    return reader.object(0);
}

FormObject readBinaryFormInPlace(const QByteArray& data)
{
    BinaryReader reader(data, BinaryReader::Copies::Borrow);
    if (reader.bytes(4) != "TPF0")
        throw FormatError("binary object form signature missing");
    return reader.object(0);
}

QByteArray writeBinaryForm(const FormObject& object)
{
    QByteArray out("TPF0");
    putObject(out, object);
    return out;
}

} // namespace lanseek::skin
