#include "skin/objects/skin_properties.h"

#include "skin/objects/class_registry.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace lanseek::skin {

namespace {

constexpr char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

// Stored names match the table's names whatever the case of their letters. Only the letters A to Z
// fold: no table name holds a byte from 0x80 up, so no other folding could ever make a match.
bool sameName(const char* data, qsizetype size, const char* expected)
{
    for (qsizetype i = 0; i < size; ++i) {
        if (expected[i] == 0 || asciiLower(data[i]) != asciiLower(expected[i]))
            return false;
    }
    return expected[size] == 0;
}

// The part after "Prefix." when the stored name starts with the property's name and a dot and names
// something after it.
bool partOf(const QByteArray& name, const char* prefix, const char** part, qsizetype* partSize)
{
    const qsizetype n = qsizetype(std::strlen(prefix));
    if (name.size() <= n + 1 || name[n] != '.' || !sameName(name.constData(), n, prefix))
        return false;
    *part = name.constData() + n + 1;
    *partSize = name.size() - n - 1;
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
    // A deep copy: values read in place point into the record being read, which does not outlive it.
    // Most texts are the value already there (every font names the same family), which is kept.
    if (*out != v.bytes)
        *out = QByteArray(v.bytes.constData(), v.bytes.size());
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

void readFontPart(TSeFont& font, const char* part, qsizetype size, const FormValue& v)
{
    for (const FontPart& p : kFontParts) {
        if (sameName(part, size, p.name)) {
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

void readLinkPart(TSeBitmapLink& link, const char* part, qsizetype size, const FormValue& v)
{
    if (sameName(part, size, "Name")) {
        readText(v, &link.Name);
        return;
    }
    for (const LinkEdge& edge : kLinkEdges) {
        if (sameName(part, size, edge.name)) {
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

// ---- lookup by stored name ----

// Whether a stored name belongs to an entry: plain entries by their whole name, fonts and links by the
// part before the dot (with something after it).
bool belongsTo(const PropertyEntry& entry, const char* name, qsizetype size)
{
    if (!hasParts(entry.kind))
        return sameName(name, size, entry.name);
    const qsizetype n = qsizetype(std::strlen(entry.name));
    return size > n + 1 && name[n] == '.' && sameName(name, n, entry.name);
}

// A class's own properties are looked at before those of its bases; the first that fits wins.
const PropertyEntry* findPropertySlowly(const PropertyTable& table, const char* name, qsizetype size)
{
    for (const PropertyTable* t = &table; t; t = t->base) {
        for (const PropertyEntry& entry : t->entries) {
            if (belongsTo(entry, name, size))
                return &entry;
        }
    }
    return nullptr;
}

// The entries of one class by lower-cased name, so that reading a stored property costs one pass over
// its name and one probe of an open-addressed table instead of a case-insensitive comparison with every
// entry of the class and its bases. A name with a dot is looked up by the part before the dot among the
// fonts and links; a name without one among the other entries. Entries are inserted in the order of the
// slow search and a name keeps its first entry, so both searches always agree.
class PropertyIndex
{
public:
    explicit PropertyIndex(const PropertyTable& table)
    {
        qsizetype count = 0;
        for (const PropertyTable* t = &table; t; t = t->base)
            count += qsizetype(t->entries.size());
        qsizetype capacity = 8;
        while (capacity < count * 2)
            capacity *= 2;
        m_slots.resize(size_t(capacity));
        m_mask = quint32(capacity - 1);
        for (const PropertyTable* t = &table; t; t = t->base) {
            for (const PropertyEntry& entry : t->entries)
                insert(entry);
        }
    }

    const PropertyEntry* find(const char* name, qsizetype size) const
    {
        // The key is the whole name, or for a font or link the part before the first dot (which needs
        // a part after it).
        const char* dot = static_cast<const char*>(std::memchr(name, '.', size_t(size)));
        const qsizetype length = dot ? dot - name : size;
        if (length == 0 || length > m_longest || (dot && size <= length + 1))
            return nullptr;
        for (quint32 i = hashOf(name, length, dot != nullptr) & m_mask;; i = (i + 1) & m_mask) {
            const Slot& slot = m_slots[i];
            if (!slot.entry)
                return nullptr;
            if (slot.parts == (dot != nullptr) && slot.key.size() == size_t(length) &&
                sameLowered(slot, name, length))
                return slot.entry;
        }
    }

private:
    static constexpr qsizetype kMaxKey = 64;
    static constexpr quint32 kHashSeed = 2166136261u;
    static constexpr quint32 kHashPrime = 16777619u;

    struct Slot
    {
        std::string key;
        bool parts = false;
        const PropertyEntry* entry = nullptr;
        bool lettersOnly = false;
    };

    // The length and the first and last letters, folded: cheap to take from a stored name without
    // lower-casing it, and different enough between the names of one class for short probe runs.
    static quint32 hashOf(const char* name, qsizetype length, bool parts)
    {
        quint32 hash = kHashSeed;
        hash = (hash ^ quint32(length)) * kHashPrime;
        hash = (hash ^ quint8(asciiLower(name[0]))) * kHashPrime;
        hash = (hash ^ quint8(asciiLower(name[length - 1]))) * kHashPrime;
        hash = (hash ^ quint8(asciiLower(name[length / 2]))) * kHashPrime;
        return (hash ^ quint32(parts)) * kHashPrime;
    }

    // Whether a stored name equals a lower-cased key once its letters are folded. Keys made of letters
    // only (all of them, in practice) are compared eight bytes at a time: setting bit 5 turns a byte into
    // a given lower-case letter only when the byte was that letter in either case, so for such keys the
    // fold is exact.
    static bool sameLowered(const Slot& slot, const char* name, qsizetype length)
    {
        const char* key = slot.key.data();
        if (!slot.lettersOnly) {
            for (qsizetype i = 0; i < length; ++i) {
                if (asciiLower(name[i]) != key[i])
                    return false;
            }
            return true;
        }
        constexpr quint64 kFold = 0x2020202020202020ull;
        qsizetype i = 0;
        for (; i + 8 <= length; i += 8) {
            quint64 a;
            quint64 b;
            std::memcpy(&a, name + i, 8);
            std::memcpy(&b, key + i, 8);
            if ((a | kFold) != b)
                return false;
        }
        for (; i < length; ++i) {
            if ((name[i] | 0x20) != key[i])
                return false;
        }
        return true;
    }

    void insert(const PropertyEntry& entry)
    {
        std::string key;
        for (const char* c = entry.name; *c; ++c)
            key.push_back(asciiLower(*c));
        // Names longer than a key can hold are left to the slow search, which still finds them.
        if (key.empty() || qsizetype(key.size()) > kMaxKey) {
            m_complete = false;
            return;
        }
        const bool parts = hasParts(entry.kind);
        for (quint32 i = hashOf(key.data(), qsizetype(key.size()), parts) & m_mask;; i = (i + 1) & m_mask) {
            Slot& slot = m_slots[i];
            if (!slot.entry) {
                const bool lettersOnly =
                    std::all_of(key.begin(), key.end(), [](char c) { return c >= 'a' && c <= 'z'; });
                slot = {std::move(key), parts, &entry, lettersOnly};
                m_longest = std::max(m_longest, qsizetype(slot.key.size()));
                return;
            }
            if (slot.parts == parts && slot.key == key)
                return;
        }
    }

public:
    // False when some entry could not be indexed, so that lookups must use the slow search.
    bool complete() const { return m_complete; }

private:
    std::vector<Slot> m_slots;
    quint32 m_mask = 0;
    qsizetype m_longest = 0;
    bool m_complete = true;
};

// The index of a table of the class list; nullptr for any other table (those are searched slowly).
const PropertyIndex* indexOf(const PropertyTable& table)
{
    // Built once, on first use; the initialisation of a static local is safe against racing threads.
    static const std::vector<std::pair<const PropertyTable*, PropertyIndex>> indexes = [] {
        std::vector<std::pair<const PropertyTable*, PropertyIndex>> out;
        for (const SkinObjectClass& c : skinObjectClasses())
            out.emplace_back(c.properties, PropertyIndex(*c.properties));
        return out;
    }();
    // Objects are read one after another, mostly of the same few classes: the table asked for last
    // comes first. Each thread keeps its own, so no thread waits for another.
    thread_local const PropertyTable* lastTable = nullptr;
    thread_local const PropertyIndex* lastIndex = nullptr;
    if (lastTable == &table)
        return lastIndex;
    const PropertyIndex* found = nullptr;
    for (const auto& [t, index] : indexes) {
        if (t == &table) {
            found = index.complete() ? &index : nullptr;
            break;
        }
    }
    lastTable = &table;
    lastIndex = found;
    return found;
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
    if (const PropertyIndex* index = indexOf(table))
        return index->find(name.constData(), name.size());
    return findPropertySlowly(table, name.constData(), name.size());
}

void readProperty(const PropertyEntry& entry, TSeSkinObject& object, const QByteArray& name,
                  const FormValue& value)
{
    const char* part = nullptr;
    qsizetype partSize = 0;
    switch (entry.kind) {
    case PropertyKind::Text:
        readText(value, &placeOf<QByteArray>(entry, object));
        break;
    case PropertyKind::Font:
        if (partOf(name, entry.name, &part, &partSize))
            readFontPart(placeOf<TSeFont>(entry, object), part, partSize, value);
        break;
    case PropertyKind::Link:
        if (partOf(name, entry.name, &part, &partSize))
            readLinkPart(placeOf<TSeBitmapLink>(entry, object), part, partSize, value);
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
