#include "skin/skin_objects.h"
#include "skin/skin_stream.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace lanseek::skin;

// Every class describes its stored properties once; these tests walk the tables of all classes, so that a
// new entry whose kind, member or name is wrong fails here without a test of its own.

namespace {

// The stored values that set one entry of an object to something other than its default, distinct per
// entry.
QList<FormProperty> probeValues(const PropertyEntry& entry, const TSeSkinObject& object, int seed)
{
    const QByteArray name = entry.name;
    QList<FormProperty> current;
    writeProperty(entry, object, current);
    switch (entry.kind) {
    case PropertyKind::Integer:
    case PropertyKind::Bound:
        return {{name, FormValue::fromInt(17 + seed)}};
    case PropertyKind::Boolean:
        return {{name, FormValue::fromBool(current.front().value.type == ValueType::False)}};
    case PropertyKind::Enumeration:
        return {{name, FormValue::fromIdent(entry.enumNames->nameOf(entry.enumNames->count - 1))}};
    case PropertyKind::Color:
        return {{name, FormValue::fromInt(0x102030 + seed)}};
    case PropertyKind::Text:
        return {{name, FormValue::fromString("Probe" + QByteArray::number(seed))}};
    case PropertyKind::Font:
        return {{name + ".Charset", FormValue::fromIdent("GB2312_CHARSET")},
                {name + ".Color", FormValue::fromIdent("clTeal")},
                {name + ".Height", FormValue::fromInt(-20 - seed)},
                {name + ".Name", FormValue::fromString("Face" + QByteArray::number(seed))},
                {name + ".Pitch", FormValue::fromIdent("fpFixed")},
                {name + ".Style", FormValue::fromSet({"fsBold", "fsUnderline"})}};
    case PropertyKind::Link:
        return {{name + ".Name", FormValue::fromString("strip" + QByteArray::number(seed))},
                {name + ".Left", FormValue::fromInt(1 + seed)},
                {name + ".Top", FormValue::fromInt(2 + seed)},
                {name + ".Right", FormValue::fromInt(30 + seed)},
                {name + ".Bottom", FormValue::fromInt(40 + seed)}};
    }
    return {};
}

QList<FormProperty> written(const TSeSkinObject& object)
{
    QList<FormProperty> out;
    object.writeProperties(out);
    return out;
}

char toggledCase(char c)
{
    if (c >= 'a' && c <= 'z')
        return char(c - 32);
    if (c >= 'A' && c <= 'Z')
        return char(c + 32);
    return c;
}

bool hasDot(const QByteArray& name)
{
    return name.contains('.');
}

QList<const PropertyEntry*> entriesOf(const PropertyTable& table)
{
    QList<const PropertyEntry*> out;
    forEachProperty(table, [&](const PropertyEntry& e) { out.append(&e); });
    return out;
}

} // namespace

TEST(PropertyTables, DescribeEveryClassOfTheClassList)
{
    ASSERT_EQ(skinObjectClasses().size(), size_t(17));
    for (const SkinObjectClass& c : skinObjectClasses()) {
        SCOPED_TRACE(c.name());
        auto object = c.create();
        EXPECT_EQ(&object->properties(), c.properties);
        EXPECT_STREQ(object->className(), c.name());
        EXPECT_EQ(findSkinObjectClass(c.name()), &c);
        // Every class stores at least what the base object stores, first and in the same order.
        const PropertyTable* root = c.properties;
        while (root->base)
            root = root->base;
        EXPECT_EQ(root, &kSkinObjectTable);
        const QList<const PropertyEntry*> entries = entriesOf(*c.properties);
        ASSERT_GE(entries.size(), qsizetype(std::size(kSkinObjectProperties)));
        for (size_t i = 0; i < std::size(kSkinObjectProperties); ++i)
            EXPECT_EQ(entries[qsizetype(i)], &kSkinObjectProperties[i]);
    }
    EXPECT_EQ(findSkinObjectClass("TSeButton"), nullptr);
}

TEST(PropertyTables, EveryStoredNameBelongsToTheEntryThatWroteIt)
{
    for (const SkinObjectClass& c : skinObjectClasses()) {
        SCOPED_TRACE(c.name());
        auto object = c.create();
        QSet<QByteArray> names;
        for (const PropertyEntry* entry : entriesOf(*c.properties)) {
            QList<FormProperty> out;
            writeProperty(*entry, *object, out);
            ASSERT_FALSE(out.isEmpty()) << entry->name;
            for (const FormProperty& p : out) {
                // No two entries share a stored name, and the name leads back to its entry in any case.
                EXPECT_FALSE(names.contains(p.name.toLower())) << p.name.constData();
                names.insert(p.name.toLower());
                EXPECT_EQ(findProperty(*c.properties, p.name), entry) << p.name.constData();
                EXPECT_EQ(findProperty(*c.properties, p.name.toUpper()), entry) << p.name.constData();
            }
        }
        // The writer writes exactly what the entries write, in table order.
        QList<FormProperty> all;
        for (const PropertyEntry* entry : entriesOf(*c.properties))
            writeProperty(*entry, *object, all);
        EXPECT_EQ(written(*object), all);
    }
}

TEST(PropertyTables, EachEntryAloneSurvivesStorageAndCopies)
{
    for (const SkinObjectClass& c : skinObjectClasses()) {
        int seed = 0;
        for (const PropertyEntry* entry : entriesOf(*c.properties)) {
            SCOPED_TRACE((QByteArray(c.name()) + "." + entry->name).constData());
            ++seed;
            auto object = c.create();
            object->setName("Probe");
            const QList<FormProperty> before = written(*object);
            for (const FormProperty& p : probeValues(*entry, *object, seed))
                EXPECT_TRUE(object->readProperty(p.name, p.value));
            // The entry changed and nothing else did: each entry reaches a member of its own.
            QList<FormProperty> mine;
            writeProperty(*entry, *object, mine);
            QList<FormProperty> others = written(*object);
            others.removeIf([&](const FormProperty& p) { return mine.contains(p); });
            QList<FormProperty> othersBefore = before;
            othersBefore.removeIf(
                [&](const FormProperty& p) { return findProperty(*c.properties, p.name) == entry; });
            EXPECT_EQ(others, othersBefore);
            for (const FormProperty& p : mine)
                EXPECT_EQ(findProperty(*c.properties, p.name), entry) << p.name.constData();
            EXPECT_FALSE(before.contains(mine.front())) << mine.front().name.constData();
            // Read back from both stored forms, and copied for a control, the value stays.
            const FormObject form = object->toForm();
            EXPECT_EQ(objectFromBinary(writeBinaryForm(form))->toForm(), form);
            EXPECT_EQ(objectFromText(writeTextForm(form))->toForm(), form);
            EXPECT_EQ(object->createCopy()->toForm(), form);
            auto target = c.create();
            copyProperty(*entry, *target, *object);
            QList<FormProperty> copied;
            writeProperty(*entry, *target, copied);
            if (entry->kind == PropertyKind::Bound)
                EXPECT_NE(copied, mine); // bounds travel with the copy's layout, not with its properties
            else
                EXPECT_EQ(copied, mine);
        }
    }
}

TEST(PropertyTables, LinksAndFontsAreTheTablesOwn)
{
    TSeBitmapList bitmaps;
    auto strip = std::make_unique<TSeBitmap>(8, 8);
    strip->setName("strip");
    bitmaps.push_back(std::move(strip));
    for (const SkinObjectClass& c : skinObjectClasses()) {
        SCOPED_TRACE(c.name());
        auto object = c.create();
        int linkCount = 0;
        int fontCount = 0;
        for (const PropertyEntry* entry : entriesOf(*c.properties)) {
            linkCount += entry->kind == PropertyKind::Link;
            fontCount += entry->kind == PropertyKind::Font;
            if (entry->kind == PropertyKind::Link) {
                object->readProperty(QByteArray(entry->name) + ".Name", FormValue::fromString("STRIP"));
                object->readProperty(QByteArray(entry->name) + ".Right", FormValue::fromInt(4));
                object->readProperty(QByteArray(entry->name) + ".Bottom", FormValue::fromInt(4));
            }
        }
        EXPECT_EQ(object->links().size(), linkCount);
        object->setBitmaps(&bitmaps);
        object->afterLoad();
        // Every link resolves by name, and a control's copy keeps the resolved bitmaps.
        auto copy = object->createCopy();
        for (TSeBitmapLink* link : copy->links()) {
            EXPECT_EQ(link->bitmap, bitmaps.front().get());
            EXPECT_TRUE(link->usable());
        }
        // The charset reaches every font of the table.
        copy->setCharset(134);
        int charsets = 0;
        for (const FormProperty& p : written(*copy)) {
            if (p.name.endsWith(".Charset")) {
                EXPECT_EQ(p.value, FormValue::fromIdent("GB2312_CHARSET")) << p.name.constData();
                ++charsets;
            }
        }
        EXPECT_EQ(charsets, fontCount);
    }
}

TEST(PropertyTables, UnknownNamesAndValuesLeaveTheObjectAlone)
{
    TSeBitmapObject object;
    const QList<FormProperty> before = written(object);
    // Names the class does not have are refused.
    for (const char* name : {"Nonsense", "Font", "Bitmap", "ActiveColor", "FontHot.Height", "Fonts.Height",
                             "Font.", ".Height", ""})
        EXPECT_FALSE(object.readProperty(name, FormValue::fromInt(3))) << name;
    // Parts a font or link does not have, and values of the wrong type, are taken and ignored.
    for (const char* name : {"Font.Nonsense", "Bitmap.Width", "Bitmap.Left.Right"})
        EXPECT_TRUE(object.readProperty(name, FormValue::fromInt(3))) << name;
    const QList<FormProperty> mismatched = {
        {"Align", FormValue::fromInt(3)},
        {"Align", FormValue::fromIdent("saNowhere")},
        {"Color", FormValue::fromString("red")},
        {"Color", FormValue::fromIdent("clNoSuchColour")},
        {"Masked", FormValue::fromInt(0)},
        {"MarginLeft", FormValue::fromString("7")},
        {"Width", FormValue::fromBool(true)},
        {"Bitmap.Name", FormValue::fromInt(5)},
        {"Font.Style", FormValue::fromInt(1)},
        {"Font.Pitch", FormValue::fromIdent("fpWobbly")},
        {"TileStyle", FormValue::fromString("tsTile")},
    };
    for (const FormProperty& p : mismatched)
        EXPECT_TRUE(object.readProperty(p.name, p.value)) << p.name.constData();
    EXPECT_EQ(written(object), before);

    // A stored record with properties no class has still loads, and they are not written again.
    FormObject form = object.toForm();
    form.properties.prepend({"Unheard", FormValue::fromInt(1)});
    form.properties.append({"Font.Unheard", FormValue::fromIdent("x")});
    auto loaded = objectFromForm(form);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->toForm(), object.toForm());
}

TEST(PropertyTables, PartsAreReadAsStoredByEveryVariant)
{
    TSeTextObject object;
    // Names are matched in any case; integers are kept in the coordinate range.
    EXPECT_TRUE(object.readProperty("fonthot.HEIGHT", FormValue::fromInt(-15)));
    EXPECT_EQ(object.FontHot.Height, -15);
    EXPECT_TRUE(object.readProperty("MarginTop", FormValue::fromInt(qint64(1) << 40)));
    EXPECT_EQ(object.MarginTop, int(kCoordinateLimit));
    // Older skins store a point size instead of the height; it is read, and written as the height.
    EXPECT_TRUE(object.readProperty("FontFocused.Size", FormValue::fromInt(9)));
    EXPECT_EQ(object.FontFocused.Height, -12);
    QList<FormProperty> out;
    object.writeProperties(out);
    for (const FormProperty& p : out)
        EXPECT_FALSE(p.name.endsWith(".Size")) << p.name.constData();
    // A charset may be stored as a number; a wide-string name becomes the program's 8-bit text.
    EXPECT_TRUE(object.readProperty("FontPressed.Charset", FormValue::fromInt(136)));
    EXPECT_EQ(object.FontPressed.Charset, 136);
    const QByteArray wide("\x2d\x4e\x87\x65", 4); // U+4E2D U+6587, little-endian
    EXPECT_TRUE(object.readProperty("FontDisabled.Name", FormValue::typed(ValueType::WString, wide)));
    EXPECT_EQ(object.FontDisabled.Name, QByteArray("\xd6\xd0\xce\xc4"));
    EXPECT_EQ(fromSkinText(object.FontDisabled.Name), QString::fromUtf8("中文"));
    // The default pitch is not stored; any other is.
    EXPECT_FALSE(
        std::any_of(out.begin(), out.end(), [](const FormProperty& p) { return p.name.endsWith("Pitch"); }));
    object.readProperty("Font.Pitch", FormValue::fromIdent("fpVariable"));
    out.clear();
    object.writeProperties(out);
    EXPECT_TRUE(out.contains(FormProperty{"Font.Pitch", FormValue::fromIdent("fpVariable")}));
}

TEST(PropertyTables, BoundsAreReadThroughTheLayout)
{
    TSeSkinObject parent;
    auto child = std::make_unique<TSeSkinObject>();
    child->Align = saClient;
    TSeSkinObject* client = child.get();
    parent.addChild(std::move(child));
    EXPECT_TRUE(parent.readProperty("Width", FormValue::fromInt(40)));
    EXPECT_TRUE(parent.readProperty("height", FormValue::fromInt(30)));
    EXPECT_EQ(client->boundsRect(), QRect(0, 0, 40, 30));
    EXPECT_TRUE(parent.readProperty("Width", FormValue::fromInt(-5)));
    EXPECT_EQ(parent.width(), 0);
}

TEST(PropertyTables, IndexedLookupAgreesWithTheTablesInAnyCase)
{
    // The loader finds entries through an index of lower-cased names; every stored name, in mixed case,
    // must lead to the entry a walk of the table finds, and names that only resemble one to nothing.
    for (const SkinObjectClass& c : skinObjectClasses()) {
        SCOPED_TRACE(c.name());
        auto object = c.create();
        for (const PropertyEntry* entry : entriesOf(*c.properties)) {
            QList<FormProperty> out;
            writeProperty(*entry, *object, out);
            for (const FormProperty& p : out) {
                QByteArray mixed = p.name;
                for (qsizetype i = 0; i < mixed.size(); i += 2)
                    mixed[i] = toggledCase(mixed[i]);
                EXPECT_EQ(findProperty(*c.properties, mixed), entry) << mixed.constData();
                // One letter more, or one less, is another name.
                EXPECT_EQ(findProperty(*c.properties, p.name + "x"), hasDot(p.name) ? entry : nullptr)
                    << p.name.constData();
                if (!hasDot(p.name)) {
                    EXPECT_EQ(findProperty(*c.properties, p.name.chopped(1)), nullptr) << p.name.constData();
                }
            }
        }
        // Only the letters A to Z fold: a code-page byte never matches a letter of a name.
        EXPECT_EQ(findProperty(*c.properties, "Le\xC6t"), nullptr);
        EXPECT_EQ(findProperty(*c.properties, "Left\xE0"), nullptr);
        EXPECT_EQ(findProperty(*c.properties, "Left.Top"), nullptr);
        EXPECT_EQ(findProperty(*c.properties, QByteArray(200, 'a')), nullptr);
        EXPECT_EQ(findProperty(*c.properties, "FONT.anything"), &kSkinObjectProperties[3]);
    }

    // A table outside the class list is searched directly and answers alike.
    static constexpr PropertyEntry extra[] = {property::integer<&TSeSkinObject::MarginLeft>("Extra")};
    static constexpr PropertyTable table{"TSeLocalTestObject", &kSkinObjectTable, extra};
    EXPECT_EQ(findProperty(table, "eXTRA"), &extra[0]);
    EXPECT_EQ(findProperty(table, "font.HEIGHT"), &kSkinObjectProperties[3]);
    EXPECT_EQ(findProperty(table, "Font"), nullptr);
}

TEST(PropertyTables, MixedCaseNamesReadFromEveryStoredForm)
{
    // Stored names have always matched whatever the case of their letters; skins written by hand rely
    // on it. The same record is read from the text form and from the binary form inside `Objects`.
    const QByteArray text = "object Face: TSeBitmapObject\r\n"
                            "  mArGiNlEfT = 3\r\n"
                            "  FONT.height = -20\r\n"
                            "  font.NAME = 'Mono'\r\n"
                            "  bitmap.name = 'strip'\r\n"
                            "  BITMAP.Right = 30\r\n"
                            "  kind = skClient\r\n"
                            "  WIDTH = 44\r\n"
                            "end\r\n";
    const auto check = [](const TSeSkinObject& object) {
        const auto& face = dynamic_cast<const TSeBitmapObject&>(object);
        EXPECT_EQ(face.MarginLeft, 3);
        EXPECT_EQ(face.Font.Height, -20);
        EXPECT_EQ(face.Font.Name, "Mono");
        EXPECT_EQ(face.Bitmap.Name, "strip");
        EXPECT_EQ(face.Bitmap.Right, 30);
        EXPECT_EQ(face.Kind, skClient);
        EXPECT_EQ(face.width(), 44);
    };
    auto fromText = objectFromText(text);
    ASSERT_NE(fromText, nullptr);
    check(*fromText);

    const FormObject form = readTextForm(text);
    TSeSkinObject parent;
    SeMemoryStream value;
    SeWriter writer(&value);
    writer.writeU32(1 | 0x000F0000u);
    writer.writeString("TSeBitmapObject");
    const QByteArray binary = writeBinaryForm(form);
    writer.writeU32(quint32(binary.size()));
    writer.writeRaw(binary);
    LoadReport report;
    readObjectsValue(parent, value.data(), &report, 0);
    ASSERT_EQ(parent.childCount(), 1);
    check(*parent.child(0));
    // The child keeps copies of its texts, not views into the record it was read from.
    EXPECT_EQ(parent.child(0)->name(), "Face");
    EXPECT_TRUE(parent.child(0)->name().isDetached());
    EXPECT_TRUE(dynamic_cast<TSeBitmapObject*>(parent.child(0))->Bitmap.Name.isDetached());
}
