#include "skin/objects/object_storage.h"

#include "skin/objects/class_registry.h"
#include "skin/objects/skin_object.h"
#include "skin/skin_stream.h"

lanseek::skin::FormObject TSeSkinObject::toForm() const
{
    lanseek::skin::FormObject form;
    form.className = className();
    form.name = m_name;
    writeProperties(form.properties);
    form.properties.append(
        {"Objects", lanseek::skin::FormValue::fromBinary(lanseek::skin::writeObjectsValue(*this))});
    return form;
}

namespace lanseek::skin {

namespace {

void tally(LoadReport* report, int LoadReport::*counter)
{
    if (report)
        ++(report->*counter);
}

} // namespace

bool isComponentName(const QByteArray& name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c >= 0x80;
        if (!letter && !(i > 0 && c >= '0' && c <= '9'))
            return false;
    }
    return true;
}

void applyForm(TSeSkinObject& object, const FormObject& form, LoadReport* report, int depth)
{
    // Names are looked up and written back in text form; a name that is not a component name would
    // make a skin that cannot be saved and read again, so such a record counts as damaged.
    if (!isComponentName(form.name))
        throw FormatError("object name is not a component name");
    object.setName(form.name);
    for (const FormProperty& p : form.properties) {
        // The length first: almost every property is some other one.
        if (p.name.size() == 7 && p.name.compare("Objects", Qt::CaseInsensitive) == 0) {
            if (p.value.type == ValueType::Binary)
                readObjectsValue(object, p.value.bytes, report, depth);
            continue;
        }
        // Properties this class does not know are left alone rather than failing the whole skin.
        object.readProperty(p.name, p.value);
    }
    // Skin data keeps children in `Objects`; source files may nest them as ordinary child objects.
    for (const FormObject& childForm : form.children) {
        auto child = createSkinObject(childForm.className);
        if (!child) {
            tally(report, &LoadReport::unknownClasses);
            continue;
        }
        if (depth >= kMaxFormDepth)
            throw FormatError("objects nested too deeply");
        applyForm(*child, childForm, report, depth + 1);
        object.addChild(std::move(child));
    }
}

std::unique_ptr<TSeSkinObject> objectFromForm(const FormObject& form, LoadReport* report, int depth)
{
    auto object = createSkinObject(form.className);
    if (!object) {
        tally(report, &LoadReport::unknownClasses);
        return nullptr;
    }
    applyForm(*object, form, report, depth);
    return object;
}

std::unique_ptr<TSeSkinObject> objectFromBinary(const QByteArray& data, LoadReport* report)
{
    return objectFromForm(readBinaryForm(data), report, 0);
}

std::unique_ptr<TSeSkinObject> objectFromText(const QByteArray& text, LoadReport* report)
{
    return objectFromForm(readTextForm(text), report, 0);
}

QByteArray writeObjectsValue(const TSeSkinObject& parent)
{
    SeMemoryStream out;
    SeWriter writer(&out);
    writer.writeU32(quint32(parent.childCount()) | 0x000F0000u);
    for (int i = 0; i < parent.childCount(); ++i) {
        const TSeSkinObject* c = parent.child(i);
        writer.writeString(c->className());
        const QByteArray binary = writeBinaryForm(c->toForm());
        writer.writeU32(quint32(binary.size()));
        writer.writeRaw(binary);
    }
    return out.data();
}

void readObjectsValue(TSeSkinObject& parent, const QByteArray& value, LoadReport* report, int depth)
{
    SeMemoryStream in(value);
    SeReader reader(&in);
    const quint32 header = reader.readU32();
    if (reader.atEnd())
        return;
    const bool binary = (header & 0x000F0000u) == 0x000F0000u;
    const quint32 count = binary ? header & ~0x000F0000u : header;
    for (quint32 i = 0; i < count; ++i) {
        const QByteArray className = reader.readString(value.size());
        if (reader.atEnd())
            break;
        QByteArray record;
        if (binary) {
            const quint32 length = reader.readU32();
            record = reader.readBytes(length);
            if (reader.atEnd() && quint32(record.size()) < length) {
                tally(report, &LoadReport::damagedRecords);
                break;
            }
        } else {
            record = reader.readString(value.size());
            if (reader.atEnd())
                break;
        }
        auto child = createSkinObject(className);
        if (!child) {
            tally(report, &LoadReport::unknownClasses);
            continue;
        }
        if (depth >= kMaxFormDepth) {
            tally(report, &LoadReport::damagedRecords);
            continue;
        }
        try {
            // The record outlives the form read from it, so the form may point into it.
            applyForm(*child, binary ? readBinaryFormInPlace(record) : readTextForm(record), report,
                      depth + 1);
        } catch (const FormatError&) {
            tally(report, &LoadReport::damagedRecords);
            continue;
        }
        parent.addChild(std::move(child));
    }
}

} // namespace lanseek::skin
