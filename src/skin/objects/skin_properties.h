#pragma once

#include "skin/objects/skin_values.h"
#include "skin/skin_form.h"
#include "skin/skin_types.h"

#include <QByteArray>
#include <QList>
#include <functional>
#include <span>
#include <variant>

class TSeSkinObject;

// Every class of skin objects describes the properties it stores once, in a table: name, kind and how to
// reach the value. One reader, one writer and one copier walk the tables, so a new property is one line
// in its class's table and storing, loading and copying it can never disagree.
namespace lanseek::skin {

enum class PropertyKind : quint8 {
    Integer,     // a number
    Boolean,     // True or False
    Enumeration, // stored by the names in the entry's enumNames
    Color,       // a colour name, or a number for a colour without one
    Text,        // an 8-bit string
    Font,        // stored as its parts, each named after the property: "Font.Height"
    Link,        // stored as its parts, each named after the property: "Bitmap.Left"
    // One side of the bounds ("Left", "Top", "Height", "Width"): read through the bounds, so that the
    // children are laid out again, and not copied with the other properties, since a copy takes its
    // bounds last, after its children.
    Bound,
};

// Integers, Booleans, enumerations, colours and bounds are got and set as int.
struct ScalarAccess
{
    int (*get)(const TSeSkinObject&);
    void (*set)(TSeSkinObject&, int);
};

// Text, fonts and bitmap links are reached in place.
template <typename T> struct PlaceAccess
{
    T& (*place)(TSeSkinObject&);
    const T& (*get)(const TSeSkinObject&);
};

using PropertyAccess =
    std::variant<ScalarAccess, PlaceAccess<QByteArray>, PlaceAccess<TSeFont>, PlaceAccess<TSeBitmapLink>>;

struct PropertyEntry
{
    const char* name; // as stored, matched case-insensitively
    PropertyKind kind;
    PropertyAccess access;                // applies to objects of the table's class and its subclasses
    const EnumNames* enumNames = nullptr; // for enumerations
};

// The properties one class adds to those of its base, in the order they are stored.
struct PropertyTable
{
    const char* className;
    const PropertyTable* base; // nullptr for TSeSkinObject
    std::span<const PropertyEntry> entries;
};

// Entries live in static tables, so findProperty answers for the classes of the class list from an
// index of lower-cased names built once, on first use, that keeps pointers to the entries (fonts and
// links under their property's name); any other table is searched entry by entry, with the same result.

// Calls f for every entry of a class, those of its bases first: the order in which they are stored.
void forEachProperty(const PropertyTable& table, const std::function<void(const PropertyEntry&)>& f);
// The entry that a stored name belongs to: the entry of that name, or for fonts and links the entry
// named by the part before the dot. nullptr when the class has no such property.
const PropertyEntry* findProperty(const PropertyTable& table, const QByteArray& name);

// Applies one stored value to the entry it belongs to (see findProperty). A value of the wrong type, an
// unknown enumeration name or an unknown part of a font or link leaves the property as it was.
void readProperty(const PropertyEntry& entry, TSeSkinObject& object, const QByteArray& name,
                  const FormValue& value);
// Appends the stored values of one entry (one, or one per part of a font or link).
void writeProperty(const PropertyEntry& entry, const TSeSkinObject& object, QList<FormProperty>& out);
// Copies one entry's value from an object to another of the same class; bounds are not copied.
void copyProperty(const PropertyEntry& entry, TSeSkinObject& to, const TSeSkinObject& from);

// ---- building table entries from members ----

namespace property_detail {

template <auto Member> struct MemberOf;
template <typename C, typename T, T C::*Member> struct MemberOf<Member>
{
    static T& place(TSeSkinObject& o) { return static_cast<C&>(o).*Member; }
    static const T& get(const TSeSkinObject& o) { return static_cast<const C&>(o).*Member; }
    static int getInt(const TSeSkinObject& o) { return int(get(o)); }
    static void setInt(TSeSkinObject& o, int v) { place(o) = T(v); }
    static constexpr ScalarAccess scalar() { return {&getInt, &setInt}; }
    static constexpr PlaceAccess<T> inPlace() { return {&place, &get}; }
};

template <int (TSeSkinObject::*Get)() const, void (TSeSkinObject::*Set)(int)> struct BoundOf
{
    static int get(const TSeSkinObject& o) { return (o.*Get)(); }
    static void set(TSeSkinObject& o, int v) { (o.*Set)(v); }
};

} // namespace property_detail

// One line of a class's table each: property::integer<&TSeRollPanelObject::RollValue>("RollValue").
namespace property {

template <auto Member> constexpr PropertyEntry integer(const char* name)
{
    return {name, PropertyKind::Integer, property_detail::MemberOf<Member>::scalar()};
}
template <auto Member> constexpr PropertyEntry boolean(const char* name)
{
    return {name, PropertyKind::Boolean, property_detail::MemberOf<Member>::scalar()};
}
template <auto Member> constexpr PropertyEntry enumeration(const char* name, const EnumNames& names)
{
    return {name, PropertyKind::Enumeration, property_detail::MemberOf<Member>::scalar(), &names};
}
template <auto Member> constexpr PropertyEntry color(const char* name)
{
    return {name, PropertyKind::Color, property_detail::MemberOf<Member>::scalar()};
}
template <auto Member> constexpr PropertyEntry text(const char* name)
{
    return {name, PropertyKind::Text, property_detail::MemberOf<Member>::inPlace()};
}
template <auto Member> constexpr PropertyEntry font(const char* name)
{
    return {name, PropertyKind::Font, property_detail::MemberOf<Member>::inPlace()};
}
template <auto Member> constexpr PropertyEntry link(const char* name)
{
    return {name, PropertyKind::Link, property_detail::MemberOf<Member>::inPlace()};
}
template <int (TSeSkinObject::*Get)() const, void (TSeSkinObject::*Set)(int)>
constexpr PropertyEntry bound(const char* name)
{
    using B = property_detail::BoundOf<Get, Set>;
    return {name, PropertyKind::Bound, ScalarAccess{&B::get, &B::set}};
}

} // namespace property

} // namespace lanseek::skin
