#pragma once

#include "skin/skin_form.h"

#include <QByteArray>
#include <memory>

class TSeSkinObject;

// Skin objects to and from their stored records (the neutral form tree both stored forms read into).
namespace lanseek::skin {

// Counters filled while reading skin data, so that damaged or foreign records are visible to callers.
struct LoadReport
{
    int unknownClasses = 0; // object records skipped because their class is not known
    int damagedRecords = 0; // object records that did not parse
};

// Builds an object tree from a stored record: properties, then the children carried in `Objects`.
// Unknown child classes are skipped and counted. Throws FormatError when the record cannot be used.
std::unique_ptr<TSeSkinObject> objectFromForm(const FormObject& form, LoadReport* report = nullptr,
                                              int depth = 0);
// True for names made of letters, digits (not first), '_' and code-page bytes from 0x80; empty is allowed.
bool isComponentName(const QByteArray& name);
// Applies a stored record to an existing object (name, properties, children). Throws FormatError for a
// name that is not a component name.
void applyForm(TSeSkinObject& object, const FormObject& form, LoadReport* report, int depth);
// Reads one object from its binary or its text form.
std::unique_ptr<TSeSkinObject> objectFromBinary(const QByteArray& data, LoadReport* report = nullptr);
std::unique_ptr<TSeSkinObject> objectFromText(const QByteArray& text, LoadReport* report = nullptr);

// The `Objects` value of a list of children, and its reader.
QByteArray writeObjectsValue(const TSeSkinObject& parent);
void readObjectsValue(TSeSkinObject& parent, const QByteArray& value, LoadReport* report, int depth);

} // namespace lanseek::skin
