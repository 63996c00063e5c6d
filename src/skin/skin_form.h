#pragma once

#include <QByteArray>
#include <QList>

namespace lanseek::skin {

// A stored object as a neutral tree: class, name, properties in stream order and child objects. Both the
// binary form and the text form are read into it and written from it, so converting one form into the
// other is reading one and writing the other.
enum class ValueType : quint8 {
    Null = 0,
    List = 1,
    Int8 = 2,
    Int16 = 3,
    Int32 = 4,
    Extended = 5,
    String = 6,
    Ident = 7,
    False = 8,
    True = 9,
    Binary = 10,
    Set = 11,
    LString = 12,
    Nil = 13,
    Collection = 14,
    Single = 15,
    Currency = 16,
    Date = 17,
    WString = 18,
    Int64 = 19,
    Utf8String = 20,
};

struct FormProperty;

struct FormCollectionItem
{
    bool hasIndex = false;
    qint64 index = 0;
    QList<FormProperty> properties;
};

struct FormValue
{
    ValueType type = ValueType::Null;
    qint64 integer = 0;      // integer types, and currency as its scaled 64-bit value
    double real = 0;         // Extended, Single, Date
    QByteArray bytes;        // strings, identifiers, binary; WString holds UTF-16LE bytes
    QList<QByteArray> names; // Set
    QList<FormValue> items;  // List
    QList<FormCollectionItem> collection;

    static FormValue fromInt(qint64 v);
    static FormValue fromBool(bool v) { return typed(v ? ValueType::True : ValueType::False, {}); }
    static FormValue fromString(const QByteArray& s) { return typed(ValueType::String, s); }
    static FormValue fromIdent(const QByteArray& s) { return typed(ValueType::Ident, s); }
    static FormValue fromBinary(const QByteArray& b) { return typed(ValueType::Binary, b); }
    static FormValue typed(ValueType t, const QByteArray& b)
    {
        FormValue v;
        v.type = t;
        v.bytes = b;
        return v;
    }
    static FormValue fromSet(const QList<QByteArray>& n);

    bool isInteger() const;
    bool isString() const;
    bool operator==(const FormValue& other) const;
};

struct FormProperty
{
    QByteArray name;
    FormValue value;
    bool operator==(const FormProperty& other) const = default;
};

inline bool operator==(const FormCollectionItem& a, const FormCollectionItem& b)
{
    return a.hasIndex == b.hasIndex && a.index == b.index && a.properties == b.properties;
}

struct FormObject
{
    quint8 flags = 0; // the optional prefix's low nibble (bit 0 inherited, bit 1 index, bit 2 inline)
    qint64 childIndex = 0;
    QByteArray className;
    QByteArray name;
    QList<FormProperty> properties;
    QList<FormObject> children;

    const FormValue* find(const QByteArray& propertyName) const;
    bool operator==(const FormObject& other) const = default;
};

// Nesting allowed in stored data (lists inside lists, objects inside objects); deeper data is refused.
constexpr int kMaxFormDepth = 64;

// Binary form: "TPF0", then the object. Throws FormatError on damaged data; never reads past the end.
FormObject readBinaryForm(const QByteArray& data);
// The same, for a reader that applies the result at once: class names, property names and values point
// into `data` and are valid only while it lives and stays unchanged; object names are copies.
FormObject readBinaryFormInPlace(const QByteArray& data);
QByteArray writeBinaryForm(const FormObject& object);

// Text form with CR LF line ends. Throws FormatError on text that does not parse.
FormObject readTextForm(const QByteArray& text);
QByteArray writeTextForm(const FormObject& object);

// Double <-> 80-bit extended float (little-endian, 10 bytes).
double extendedToDouble(const unsigned char bytes[10]);
void doubleToExtended(double value, unsigned char bytes[10]);

} // namespace lanseek::skin
