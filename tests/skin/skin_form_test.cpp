#include "skin_test_support.h"

#include "skin/skin_form.h"
#include "skin/skin_objects.h"

#include <gtest/gtest.h>

using namespace lanseek::skin;
using namespace lanseek::test;

namespace {

// "TPF0", class "TX", name "n", one property "P" with the given value, end of properties, no children.
QByteArray oneProperty(const QByteArray& value)
{
    return QByteArray("TPF0") + bytes({2}) + "TX" + bytes({1}) + "n" + bytes({1}) + "P" + value +
           bytes({0, 0});
}

FormValue readValue(const QByteArray& value)
{
    const FormObject o = readBinaryForm(oneProperty(value));
    EXPECT_EQ(o.properties.size(), 1);
    return o.properties.value(0).value;
}

} // namespace

TEST(BinaryForm, ReadsEveryValueType)
{
    EXPECT_EQ(readValue(bytes({0})).type, ValueType::Null);
    const FormValue list = readValue(bytes({1, 2, 5, 9, 0}));
    ASSERT_EQ(list.items.size(), 2);
    EXPECT_EQ(list.items[0].integer, 5);
    EXPECT_EQ(list.items[1].type, ValueType::True);
    EXPECT_EQ(readValue(bytes({2, 0xF5})).integer, -11);
    EXPECT_EQ(readValue(bytes({3, 0x1C, 0x01})).integer, 284);
    EXPECT_EQ(readValue(bytes({4, 0x00, 0x00, 0x00, 0x80})).integer, -2147483648LL);
    // 1.5 as an 80-bit extended float.
    EXPECT_DOUBLE_EQ(readValue(bytes({5, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F})).real, 1.5);
    const FormValue s = readValue(bytes({6, 3}) + "a'b");
    EXPECT_EQ(s.type, ValueType::String);
    EXPECT_EQ(s.bytes, "a'b");
    EXPECT_EQ(readValue(bytes({7, 5}) + "saTop").bytes, "saTop");
    EXPECT_EQ(readValue(bytes({8})).type, ValueType::False);
    EXPECT_EQ(readValue(bytes({9})).type, ValueType::True);
    EXPECT_EQ(readValue(bytes({10}) + u32(3) + "xyz").bytes, "xyz");
    const FormValue set = readValue(bytes({11, 6}) + "fsBold" + bytes({8}) + "fsItalic" + bytes({0}));
    EXPECT_EQ(set.names, (QList<QByteArray>{"fsBold", "fsItalic"}));
    EXPECT_EQ(readValue(bytes({12}) + u32(2) + "hi").bytes, "hi");
    EXPECT_EQ(readValue(bytes({13})).type, ValueType::Nil);
    const FormValue collection = readValue(bytes({14, 2, 7, 1, 1}) + "A" + bytes({2, 4, 0, 1, 0, 0}));
    ASSERT_EQ(collection.collection.size(), 2);
    EXPECT_TRUE(collection.collection[0].hasIndex);
    EXPECT_EQ(collection.collection[0].index, 7);
    EXPECT_EQ(collection.collection[0].properties[0].value.integer, 4);
    EXPECT_FALSE(collection.collection[1].hasIndex);
    EXPECT_FLOAT_EQ(float(readValue(bytes({15, 0, 0, 0xC0, 0x3F})).real), 1.5f);
    EXPECT_EQ(readValue(bytes({16, 0x10, 0x27, 0, 0, 0, 0, 0, 0})).integer, 10000);
    EXPECT_DOUBLE_EQ(readValue(bytes({17, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F})).real, 1.5);
    const FormValue wide = readValue(bytes({18}) + u32(2) + bytes({0x6C, 0x8F, 0x41, 0}));
    EXPECT_EQ(wide.bytes.size(), 4);
    EXPECT_EQ(readValue(bytes({19, 1, 0, 0, 0, 1, 0, 0, 0})).integer, 0x100000001LL);
    EXPECT_EQ(readValue(bytes({20}) + u32(3) + "\xE8\x81\x86").bytes, "\xE8\x81\x86");
}

TEST(BinaryForm, RefusesDamagedData)
{
    EXPECT_THROW(readBinaryForm("TPF1"), FormatError);
    EXPECT_THROW(readValue(bytes({21})), FormatError);                      // unknown type
    EXPECT_THROW(readValue(bytes({10}) + u32(100) + "short"), FormatError); // length beyond the data
    EXPECT_THROW(readValue(bytes({18}) + u32(0x7FFFFFFF)), FormatError);
    EXPECT_THROW(readBinaryForm(oneProperty(bytes({6, 1})).left(20)), FormatError);
    QByteArray deep = QByteArray(200, '\x01'); // lists inside lists, far deeper than any skin needs
    EXPECT_THROW(readValue(deep), FormatError);
    // The optional flag prefix with an index is accepted.
    const FormObject flagged = readBinaryForm(QByteArray("TPF0") + bytes({0xF2, 2, 3}) + bytes({1}) + "T" +
                                              bytes({1}) + "n" + bytes({0, 0}));
    EXPECT_EQ(flagged.childIndex, 3);
    EXPECT_EQ(flagged.className, "T");
}

TEST(BinaryForm, WritesIntegersInTheSmallestType)
{
    FormObject o;
    o.className = "TX";
    o.name = "n";
    o.properties = {{"A", FormValue::fromInt(-11)},
                    {"B", FormValue::fromInt(284)},
                    {"C", FormValue::fromInt(70000)},
                    {"D", FormValue::fromInt(-128)}};
    const QByteArray out = writeBinaryForm(o);
    EXPECT_TRUE(out.contains(bytes({1, 'A', 2, 0xF5})));
    EXPECT_TRUE(out.contains(bytes({1, 'B', 3, 0x1C, 0x01})));
    EXPECT_TRUE(out.contains(bytes({1, 'C', 4, 0x70, 0x11, 0x01, 0x00})));
    EXPECT_TRUE(out.contains(bytes({1, 'D', 2, 0x80})));
    EXPECT_EQ(readBinaryForm(out), o);
}

TEST(ObjectsProperty, BothHeaderVariants)
{
    TSeSkinObject parent;
    EXPECT_EQ(writeObjectsValue(parent), bytes({0, 0, 0x0F, 0}));

    // Text children: a header without the 0x000F0000 bits counts text records.
    const QByteArray text =
        u32(2) + str("TSeSkinObject") + str("object Face: TSeSkinObject\r\n  Width = 7\r\nend\r\n") +
        str("TSeTextObject") + str("object Text: TSeTextObject\r\n  TextAlign = taCenter\r\nend\r\n");
    readObjectsValue(parent, text, nullptr, 0);
    ASSERT_EQ(parent.childCount(), 2);
    EXPECT_EQ(parent.child(0)->name(), "Face");
    EXPECT_EQ(parent.child(0)->width(), 7);
    EXPECT_EQ(parent.child(1)->TextAlign, taCenter);

    // Binary children, as the writer emits them, read back in order.
    const QByteArray binary = writeObjectsValue(parent);
    EXPECT_EQ(binary.left(4), bytes({2, 0, 0x0F, 0}));
    TSeSkinObject again;
    readObjectsValue(again, binary, nullptr, 0);
    ASSERT_EQ(again.childCount(), 2);
    EXPECT_EQ(again.child(1)->toForm(), parent.child(1)->toForm());

    // A count larger than the records present stops at the end of the data.
    TSeSkinObject truncated;
    readObjectsValue(truncated, bytes({9, 0, 0x0F, 0}) + binary.mid(4), nullptr, 0);
    EXPECT_EQ(truncated.childCount(), 2);
}

TEST(TextForm, LayoutOfLinesAndValues)
{
    FormObject o;
    o.className = "TSeSkinObject";
    o.name = "Form";
    o.properties = {{"Left", FormValue::fromInt(-3)},
                    {"Color", FormValue::fromIdent("clWhite")},
                    {"Masked", FormValue::fromBool(true)},
                    {"Font.Name", FormValue::fromString("it's")},
                    {"Font.Style", FormValue::fromSet({"fsBold", "fsItalic"})},
                    {"Empty", FormValue::fromSet({})},
                    {"Objects", FormValue::fromBinary(bytes({0, 0, 0x0F, 0}))},
                    {"Long", FormValue::fromBinary(QByteArray(40, '\xAB'))}};
    const QByteArray text = writeTextForm(o);
    const QByteArray expected = "object Form: TSeSkinObject\r\n"
                                "  Left = -3\r\n"
                                "  Color = clWhite\r\n"
                                "  Masked = True\r\n"
                                "  Font.Name = 'it''s'\r\n"
                                "  Font.Style = [fsBold, fsItalic]\r\n"
                                "  Empty = []\r\n"
                                "  Objects = {00000F00}\r\n"
                                "  Long = {\r\n"
                                "    " +
                                QByteArray(64, 'A').replace("AA", "AB") +
                                "\r\n"
                                "    " +
                                QByteArray(16, 'A').replace("AA", "AB") +
                                "}\r\n"
                                "end\r\n";
    EXPECT_EQ(text, expected);
    EXPECT_EQ(readTextForm(text), o);
    EXPECT_EQ(readBinaryForm(writeBinaryForm(readTextForm(text))), o);
}

TEST(TextForm, RefusesBrokenText)
{
    EXPECT_THROW(readTextForm("object A: B\r\n  X = 'open\r\nend\r\n"), FormatError);
    EXPECT_THROW(readTextForm("object A: B\r\n  X = {ABC}\r\nend\r\n"), FormatError);
    EXPECT_THROW(readTextForm("object A: B\r\n  X = 1\r\n"), FormatError);
    EXPECT_THROW(readTextForm("thing A: B\r\nend\r\n"), FormatError);
    EXPECT_THROW(readTextForm(""), FormatError);
    const FormObject chars = readTextForm("object A: B\r\n  X = 'a'#13#10'b'\r\n  W = #36158\r\nend\r\n");
    EXPECT_EQ(chars.properties[0].value.bytes, "a\r\nb");
    EXPECT_EQ(chars.properties[1].value.type, ValueType::WString);
}

TEST(ObjectNames, OnlyNamesTheTextFormCanCarryAreAccepted)
{
    // A code-page name travels through both forms unchanged.
    TSeSkinObject panel;
    panel.setName("\xC3\xE6\xB0\xE5"); // "面板" in the Chinese code page
    const QByteArray text = writeTextForm(panel.toForm());
    EXPECT_EQ(objectFromText(text)->name(), panel.name());
    EXPECT_EQ(objectFromBinary(writeBinaryForm(panel.toForm()))->name(), panel.name());

    // A binary record whose name holds bytes no text form can carry is damaged, not half loaded.
    FormObject odd = panel.toForm();
    odd.name = QByteArray("Bar\x00 x", 6);
    EXPECT_THROW(objectFromBinary(writeBinaryForm(odd)), FormatError);
    TSeSkinObject parent;
    LoadReport report;
    const QByteArray binary = writeBinaryForm(odd);
    readObjectsValue(parent, u32(0x000F0001u) + str("TSeSkinObject") + u32(quint32(binary.size())) + binary,
                     &report, 0);
    EXPECT_EQ(parent.childCount(), 0);
    EXPECT_EQ(report.damagedRecords, 1);
    EXPECT_FALSE(isComponentName("1st"));
    EXPECT_TRUE(isComponentName("Button1"));
    EXPECT_TRUE(isComponentName(""));
}

TEST(TextForm, LongBinaryDataReadsEveryByteWhereverItsLinesBreak)
{
    // Every byte value, written in upper and in lower case, in runs long enough for the whole-group
    // decoding; a line break after every possible number of digits, as the writer's lines of 64 do.
    QByteArray data;
    for (int i = 0; i < 256; ++i)
        data.append(char(i));
    data += data.left(37);
    for (bool upper : {true, false}) {
        QByteArray hex = data.toHex();
        if (upper)
            hex = hex.toUpper();
        for (int line : {1, 2, 15, 16, 17, 31, 32, 33, 64, 1000}) {
            QByteArray text;
            for (qsizetype at = 0; at < hex.size(); at += line)
                text += hex.mid(at, line) + "\r\n      ";
            const FormObject o = readTextForm("object A: B\r\n  X = {" + text + "}\r\nend\r\n");
            ASSERT_EQ(o.properties[0].value.bytes, data)
                << "lines of " << line << (upper ? " upper" : " lower");
        }
    }
    // A character that is no digit fails the value wherever it stands in a run.
    const QByteArray hex = data.toHex();
    for (qsizetype at : {0, 5, 15, 16, 17, 100, 511, 585}) {
        for (char bad : {'g', 'G', '@', '`', ':', '/', char(0xE6)}) {
            QByteArray damaged = hex;
            damaged[at] = bad;
            EXPECT_THROW(readTextForm("object A: B\r\n  X = {" + damaged + "}\r\nend\r\n"), FormatError)
                << at << " " << int(bad);
        }
    }
}

TEST(TextForm, ValuesReadExactlyAsWritten)
{
    // Binary data may be broken by white space anywhere, even inside a digit pair.
    const FormObject hex = readTextForm("object A: B\r\n  X = {00 0\r\n   F00 0a}\r\n  Y = {}\r\nend\r\n");
    EXPECT_EQ(hex.properties[0].value.bytes, bytes({0x00, 0x0F, 0x00, 0x0A}));
    EXPECT_EQ(hex.properties[1].value.type, ValueType::Binary);
    EXPECT_TRUE(hex.properties[1].value.bytes.isEmpty());
    EXPECT_THROW(readTextForm("object A: B\r\n  X = {0G}\r\nend\r\n"), FormatError);
    EXPECT_THROW(readTextForm("object A: B\r\n  X = {00"), FormatError);
    EXPECT_THROW(readTextForm("object A: B\r\n  X = {0 0 0}\r\nend\r\n"), FormatError);

    // Numbers: signs, the largest integers, hex, overflow, and the suffixes of the other number types.
    const FormObject numbers = readTextForm("object A: B\r\n  A = +5\r\n  B = -9223372036854775808\r\n"
                                            "  C = 123456789012345678\r\n  D = $1F\r\n  E = 2.5S\r\n"
                                            "  F = 1.25c\r\n  G = 3D\r\nend\r\n");
    EXPECT_EQ(numbers.properties[0].value.integer, 5);
    EXPECT_EQ(numbers.properties[1].value.integer, std::numeric_limits<qint64>::min());
    EXPECT_EQ(numbers.properties[2].value.integer, 123456789012345678);
    EXPECT_EQ(numbers.properties[3].value.integer, 31);
    EXPECT_EQ(numbers.properties[4].value.type, ValueType::Single);
    EXPECT_EQ(numbers.properties[4].value.real, 2.5);
    EXPECT_EQ(numbers.properties[5].value.type, ValueType::Currency);
    EXPECT_EQ(numbers.properties[5].value.integer, 12500);
    EXPECT_EQ(numbers.properties[6].value.type, ValueType::Date);
    EXPECT_THROW(readTextForm("object A: B\r\n  A = 99999999999999999999\r\nend\r\n"), FormatError);

    // Strings: doubled quotes, codes between runs, and a wide code that makes the whole string wide.
    const FormObject strings =
        readTextForm("object A: B\r\n  S = 'it''s'#9'x'\r\n  W = 'a'#20013'b'\r\n  E = ''\r\nend\r\n");
    EXPECT_EQ(strings.properties[0].value.bytes, "it's\tx");
    EXPECT_EQ(strings.properties[1].value.type, ValueType::WString);
    EXPECT_EQ(strings.properties[1].value.bytes, QByteArray("a\0\x2d\x4e"
                                                            "b\0",
                                                            6));
    EXPECT_EQ(strings.properties[2].value.type, ValueType::String);
    EXPECT_TRUE(strings.properties[2].value.bytes.isEmpty());

    // Keywords match in any case.
    const FormObject keywords = readTextForm("OBJECT A: B\r\n  T = TRUE\r\n  F = false\r\nEnd\r\n");
    EXPECT_EQ(keywords.properties[0].value.type, ValueType::True);
    EXPECT_EQ(keywords.properties[1].value.type, ValueType::False);
}

TEST(BinaryForm, ReadInPlaceGivesTheSameTreeAndOwnsTheNames)
{
    for (int index : {1, 2}) {
        auto source = embeddedSource(index);
        for (int i = 0; i < source->objectCount(); ++i) {
            const QByteArray binary = writeBinaryForm(source->object(i)->toForm());
            EXPECT_EQ(readBinaryFormInPlace(binary), readBinaryForm(binary));
        }
    }
    // The object's name is a copy: it survives the record it was read from.
    QByteArray record = oneProperty(bytes({6, 2}) + "ab");
    const FormObject o = readBinaryFormInPlace(record);
    record.fill('z');
    EXPECT_EQ(o.name, "n");
    EXPECT_THROW(readBinaryFormInPlace(record), FormatError);
    EXPECT_THROW(readBinaryFormInPlace(oneProperty(bytes({6, 9}) + "ab")), FormatError);
}
