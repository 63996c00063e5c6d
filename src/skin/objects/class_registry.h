#pragma once

#include "skin/objects/skin_properties.h"

#include <QByteArray>
#include <QList>
#include <memory>
#include <span>

class TSeSkinObject;

namespace lanseek::skin {

// One class of skin objects: its stored properties (which also name it) and how to make one.
struct SkinObjectClass
{
    const PropertyTable* properties;
    std::unique_ptr<TSeSkinObject> (*create)();
    const char* name() const { return properties->className; }
};

// The class list of skin objects, in its fixed order.
std::span<const SkinObjectClass> skinObjectClasses();
// The class of that name (matched exactly), or nullptr.
const SkinObjectClass* findSkinObjectClass(const QByteArray& className);

// The names of the class list, in its order.
const QList<QByteArray>& skinObjectClassNames();
// A new object of the named class (matched exactly), or nullptr for a class that is not known.
std::unique_ptr<TSeSkinObject> createSkinObject(const QByteArray& className);

} // namespace lanseek::skin
