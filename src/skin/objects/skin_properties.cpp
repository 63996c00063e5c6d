#include "skin/objects/skin_properties.h"

#include <cstring>

namespace lanseek::skin {

namespace {

bool nameIs(const QByteArray& name, const char* expected)
{
    return name.compare(expected, Qt::CaseInsensitive) == 0;
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

bool hasParts(PropertyKind kind)
{
    return kind == PropertyKind::Font || kind == PropertyKind::Link;
}

// ---- values as stored ----

bool readInt(const FormValue& v, int* out)
{
    if (!v.isInteger())
        return false;
    *out = boundCoordinate(v.integer);
    return true;
}

bool readBool(const FormValue& v, int* out)
{
    if (v.type != ValueType::True && v.type != ValueType::False)
        return false;
    *out = v.type == ValueType::True;
    return true;
}

bool readEnum(const FormValue& v, const EnumNames& names, int* out)
{
    if (v.type != ValueType::Ident)
        return false;
    const int value = names.valueOf(v.bytes);
    if (value < 0)
        return false;
    *out = value;
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

FormValue enumValue(const EnumNames& names, int v)
{
    const char* ident = names.nameOf(v);
    return ident ? FormValue::fromIdent(ident) : FormValue::fromInt(v);
}

FormValue colorValue(TColor c)
{
    const QByteArray ident = colorToIdent(c);
    return ident.isEmpty() ? FormValue::fromInt(c) : FormValue::fromIdent(ident);
}

// ---- fonts and links, part by part ----

// The parts of a font in the order they are stored. "Size" is only read: a point size that older skins
// store instead of the height, converted at the screen's 96 dots per inch. The pitch is stored only when
// it is not the default.
struct FontPart
{
    const char* name;
    void (*read)(TSeFont& font, const FormValue& v);
    void (*write)(QList<FormProperty>& out, const QByteArray& name, const TSeFont& font);
};

constexpr FontPart kFontParts[] = {
    {"Charset",
     [](TSeFont& f, const FormValue& v) {
         if (v.type == ValueType::Ident)
             charsetFromIdent(v.bytes, &f.Charset);
         else
             readInt(v, &f.Charset);
     },
     [](QList<FormProperty>& out, const QByteArray& name, const TSeFont& f) {
         const QByteArray charset = charsetToIdent(f.Charset);
         out.append(
             {name, charset.isEmpty() ? FormValue::fromInt(f.Charset) : FormValue::fromIdent(charset)});
     }},
    {"Color", [](TSeFont& f, const FormValue& v) { readColor(v, &f.Color); },
     [](QList<FormProperty>& out, const QByteArray& name, const TSeFont& f) {
         out.append({name, colorValue(f.Color)});
     }},
    {"Height", [](TSeFont& f, const FormValue& v) { readInt(v, &f.Height); },
     [](QList<FormProperty>& out, const QByteArray& name, const TSeFont& f) {
         out.append({name, FormValue::fromInt(f.Height)});
     }},
    {"Name", [](TSeFont& f, const FormValue& v) { readText(v, &f.Name); },
     [](QList<FormProperty>& out, const QByteArray& name, const TSeFont& f) {
         out.append({name, FormValue::fromString(f.Name)});
     }},
    {"Pitch", [](TSeFont& f, const FormValue& v) { readEnum(v, kFontPitchNames, &f.Pitch); },
     [](QList<FormProperty>& out, const QByteArray& name, const TSeFont& f) {
         if (f.Pitch != 0)
             out.append({name, FormValue::fromIdent(kFontPitchNames.nameOf(f.Pitch))});
     }},
    {"Style",
     [](TSeFont& f, const FormValue& v) {
         if (v.type != ValueType::Set)
             return;
         f.Style = 0;
         for (const QByteArray& s : v.names) {
             const int bit = kFontStyleNames.valueOf(s);
             if (bit >= 0)
                 f.Style |= 1 << bit;
         }
     },
     [](QList<FormProperty>& out, const QByteArray& name, const TSeFont& f) {
         QList<QByteArray> styles;
         for (int bit = 0; bit < kFontStyleNames.count; ++bit) {
             if (f.Style & (1 << bit))
                 styles.append(kFontStyleNames.names[bit]);
         }
         out.append({name, FormValue::fromSet(styles)});
     }},
    {"Size",
     [](TSeFont& f, const FormValue& v) {
         int size = 0;
         if (readInt(v, &size))
             f.Height = -(size * 96 + 36) / 72;
     },
     nullptr},
};

void readFontPart(TSeFont& font, const QByteArray& part, const FormValue& v)
{
    for (const FontPart& p : kFontParts) {
        if (nameIs(part, p.name)) {
            p.read(font, v);
            return;
        }
    }
}

void writeFont(QList<FormProperty>& out, const QByteArray& prefix, const TSeFont& f)
{
    for (const FontPart& p : kFontParts) {
        if (p.write)
            p.write(out, prefix + '.' + p.name, f);
    }
}

// The rectangle of a link, in the order its parts are stored after its name.
struct LinkEdge
{
    const char* name;
    int TSeBitmapLink::*member;
};
constexpr LinkEdge kLinkEdges[] = {{"Left", &TSeBitmapLink::Left},
                                   {"Top", &TSeBitmapLink::Top},
                                   {"Right", &TSeBitmapLink::Right},
                                   {"Bottom", &TSeBitmapLink::Bottom}};

void readLinkPart(TSeBitmapLink& link, const QByteArray& part, const FormValue& v)
{
    if (nameIs(part, "Name")) {
        readText(v, &link.Name);
        return;
    }
    for (const LinkEdge& edge : kLinkEdges) {
        if (nameIs(part, edge.name)) {
            readInt(v, &(link.*edge.member));
            return;
        }
    }
}

void writeLink(QList<FormProperty>& out, const QByteArray& prefix, const TSeBitmapLink& l)
{
    out.append({prefix + ".Name", FormValue::fromString(l.Name)});
    for (const LinkEdge& edge : kLinkEdges)
        out.append({prefix + '.' + edge.name, FormValue::fromInt(l.*edge.member)});
}

// Reads a scalar through its entry; a value that does not fit the kind changes nothing.
void readScalar(const PropertyEntry& entry, TSeSkinObject& object, const FormValue& v)
{
    const ScalarAccess& access = std::get<ScalarAccess>(entry.access);
    int value = access.get(object);
    bool ok = false;
    switch (entry.kind) {
    case PropertyKind::Integer:
    case PropertyKind::Bound:
        ok = readInt(v, &value);
        break;
    case PropertyKind::Boolean:
        ok = readBool(v, &value);
        break;
    case PropertyKind::Enumeration:
        ok = readEnum(v, *entry.enumNames, &value);
        break;
    case PropertyKind::Color:
        ok = readColor(v, &value);
        break;
    default:
        break;
    }
    if (ok)
        access.set(object, value);
}

void copyValue(const ScalarAccess& access, TSeSkinObject& to, const TSeSkinObject& from)
{
    access.set(to, access.get(from));
}

template <typename T>
void copyValue(const PlaceAccess<T>& access, TSeSkinObject& to, const TSeSkinObject& from)
{
    access.place(to) = access.get(from);
}

template <typename T> T& placeOf(const PropertyEntry& entry, TSeSkinObject& object)
{
    return std::get<PlaceAccess<T>>(entry.access).place(object);
}

template <typename T> const T& valueOf(const PropertyEntry& entry, const TSeSkinObject& object)
{
    return std::get<PlaceAccess<T>>(entry.access).get(object);
}

} // namespace

void forEachProperty(const PropertyTable& table, const std::function<void(const PropertyEntry&)>& f)
{
    if (table.base)
        forEachProperty(*table.base, f);
    for (const PropertyEntry& entry : table.entries)
        f(entry);
}

const PropertyEntry* findProperty(const PropertyTable& table, const QByteArray& name)
{
    // A class's own properties are looked at before those of its bases.
    for (const PropertyTable* t = &table; t; t = t->base) {
        for (const PropertyEntry& entry : t->entries) {
            QByteArray part;
            if (hasParts(entry.kind) ? subName(name, entry.name, &part) : nameIs(name, entry.name))
                return &entry;
        }
    }
    return nullptr;
}

void readProperty(const PropertyEntry& entry, TSeSkinObject& object, const QByteArray& name,
                  const FormValue& value)
{
    QByteArray part;
    switch (entry.kind) {
    case PropertyKind::Text:
        readText(value, &placeOf<QByteArray>(entry, object));
        break;
    case PropertyKind::Font:
        if (subName(name, entry.name, &part))
            readFontPart(placeOf<TSeFont>(entry, object), part, value);
        break;
    case PropertyKind::Link:
        if (subName(name, entry.name, &part))
            readLinkPart(placeOf<TSeBitmapLink>(entry, object), part, value);
        break;
    default:
        readScalar(entry, object, value);
        break;
    }
}

void writeProperty(const PropertyEntry& entry, const TSeSkinObject& object, QList<FormProperty>& out)
{
    switch (entry.kind) {
    case PropertyKind::Text:
        out.append({entry.name, FormValue::fromString(valueOf<QByteArray>(entry, object))});
        return;
    case PropertyKind::Font:
        writeFont(out, entry.name, valueOf<TSeFont>(entry, object));
        return;
    case PropertyKind::Link:
        writeLink(out, entry.name, valueOf<TSeBitmapLink>(entry, object));
        return;
    default:
        break;
    }
    const int value = std::get<ScalarAccess>(entry.access).get(object);
    switch (entry.kind) {
    case PropertyKind::Boolean:
        out.append({entry.name, FormValue::fromBool(value != 0)});
        break;
    case PropertyKind::Enumeration:
        out.append({entry.name, enumValue(*entry.enumNames, value)});
        break;
    case PropertyKind::Color:
        out.append({entry.name, colorValue(value)});
        break;
    default:
        out.append({entry.name, FormValue::fromInt(value)});
        break;
    }
}

void copyProperty(const PropertyEntry& entry, TSeSkinObject& to, const TSeSkinObject& from)
{
    if (entry.kind == PropertyKind::Bound)
        return;
    // Links keep their resolved bitmap: a copy draws without resolving again.
    std::visit([&](const auto& access) { copyValue(access, to, from); }, entry.access);
}

} // namespace lanseek::skin
