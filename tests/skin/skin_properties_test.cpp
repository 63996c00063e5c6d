#include "skin_test_support.h"

#include "skin/skin_objects.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace lanseek::skin;
using namespace lanseek::test;

namespace {

const EnumNames* const kEnums[] = {&kKindNames,       &kAlignNames,  &kTileStyleNames, &kTextAlignNames,
                                   &kTextEffectNames, &kActionNames, &kRollKindNames,  &kFontPitchNames};

// Changes a stored value to another valid value of the same kind.
FormValue changed(const QByteArray& name, const FormValue& v)
{
    if (v.isInteger())
        return FormValue::fromInt(v.integer + 7);
    switch (v.type) {
    case ValueType::True:
    case ValueType::False:
        return FormValue::fromBool(v.type == ValueType::False);
    case ValueType::String:
        return FormValue::fromString(v.bytes + "x");
    case ValueType::Set:
        return FormValue::fromSet({"fsItalic", "fsStrikeOut"});
    case ValueType::Ident: {
        TColor color;
        if (colorFromIdent(v.bytes, &color))
            return FormValue::fromIdent(v.bytes == "clTeal" ? "clMaroon" : "clTeal");
        int charset;
        if (charsetFromIdent(v.bytes, &charset))
            return FormValue::fromIdent(charset == 134 ? "ANSI_CHARSET" : "GB2312_CHARSET");
        for (const EnumNames* e : kEnums) {
            const int index = e->valueOf(v.bytes);
            if (index >= 0)
                return FormValue::fromIdent(e->nameOf((index + 1) % e->count));
        }
        ADD_FAILURE() << "unknown identifier " << v.bytes.constData() << " in " << name.constData();
        return v;
    }
    default:
        ADD_FAILURE() << "unexpected value type in " << name.constData();
        return v;
    }
}

} // namespace

TEST(SkinClasses, EveryStoredPropertyIsReadWrittenAndCopied)
{
    for (const QByteArray& cls : skinObjectClassNames()) {
        SCOPED_TRACE(cls.constData());
        auto object = createSkinObject(cls);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(QByteArray(object->className()), cls);
        QList<FormProperty> properties;
        object->writeProperties(properties);
        QList<FormProperty> altered;
        for (const FormProperty& p : properties)
            altered.append({p.name, changed(p.name, p.value)});
        for (const FormProperty& p : altered)
            EXPECT_TRUE(object->readProperty(p.name, p.value)) << p.name.constData();
        QList<FormProperty> after;
        object->writeProperties(after);
        // Every property written is read back, with no property left at its old value.
        EXPECT_EQ(after, altered);
        // A control's copy keeps every property, and the stored forms carry them all.
        object->setName("Probe");
        EXPECT_EQ(object->createCopy()->toForm(), object->toForm());
        EXPECT_EQ(objectFromBinary(writeBinaryForm(object->toForm()))->toForm(), object->toForm());
        EXPECT_EQ(objectFromText(writeTextForm(object->toForm()))->toForm(), object->toForm());
    }
    EXPECT_EQ(createSkinObject("tseskinobject"), nullptr); // class names are matched exactly
    EXPECT_EQ(skinObjectClassNames().size(), 17);
}

TEST(SkinClasses, StateChoosesColoursAndFonts)
{
    TSeActiveObject active;
    active.Color = 0x000001;
    active.ActiveColor = 0x000002;
    EXPECT_EQ(active.currentColor(), 0x000001);
    for (ControlState state : {StateHot, StatePressed, StateFocused}) {
        active.setState(state);
        EXPECT_EQ(active.currentColor(), 0x000002);
    }
    active.setState(StateDisabled);
    EXPECT_EQ(active.currentColor(), 0x000001);
    active.setActive(true);
    EXPECT_EQ(active.currentColor(), 0x000002);

    TSeTextObject text;
    text.Font.Height = -1;
    text.FontHot.Height = -5;
    text.FontPressed.Height = -6;
    text.FontFocused.Height = -7;
    text.FontDisabled.Height = -8;
    // Each state font has the state's number as its height; any other state takes the normal font.
    for (int state : std::initializer_list<int>{StateNormal, StateHot, StatePressed, StateFocused,
                                                StateDisabled, FrameMinimized}) {
        text.setState(state);
        EXPECT_EQ(text.currentFont().Height, state >= StateHot ? -state : -1);
    }

    TSeActiveBitmap bitmap;
    bitmap.ActiveFont.Height = -9;
    bitmap.setState(StatePressed);
    EXPECT_EQ(bitmap.currentFont().Height, bitmap.Font.Height);
    bitmap.setState(StateFocused);
    EXPECT_EQ(bitmap.currentFont().Height, -9);

    // Hue changes reach the state colours of the whole tree, but never clNone.
    TSeSkinObject root;
    root.Color = clNone;
    auto child = std::make_unique<TSeActiveObject>();
    child->ActiveColor = 0x0000FF;
    child->ActiveFont.Color = 0x0000FF;
    TSeActiveObject* raw = child.get();
    root.addChild(std::move(child));
    root.changeHue(85);
    EXPECT_EQ(root.Color, clNone);
    EXPECT_EQ(raw->ActiveColor, 0x00FF00);
    EXPECT_EQ(raw->ActiveFont.Color, 0x00FF00);
}

TEST(SkinClasses, DeepNestingIsRefusedNotFollowed)
{
    // Each level wraps the previous one in an `Objects` value: far more levels than any skin has.
    TSeSkinObject leaf;
    QByteArray objects = writeObjectsValue(leaf);
    for (int level = 0; level < 200; ++level) {
        FormObject form;
        form.className = "TSeSkinObject";
        form.name = "L";
        form.properties = {{"Objects", FormValue::fromBinary(objects)}};
        const QByteArray binary = writeBinaryForm(form);
        objects = u32(0x000F0001u) + str("TSeSkinObject") + u32(quint32(binary.size())) + binary;
    }
    TSeSkinObject root;
    LoadReport report;
    readObjectsValue(root, objects, &report, 0);
    EXPECT_EQ(report.damagedRecords, 1);
    int depth = 0;
    for (TSeSkinObject* o = &root; o->childCount() > 0; o = o->child(0))
        ++depth;
    EXPECT_EQ(depth, kMaxFormDepth);
}

namespace {

QByteArray runTool(const QStringList& args, int* exitCode = nullptr)
{
    QProcess tool;
    tool.start(QStringLiteral(LANSEEK_SKIN_TOOL), args);
    tool.waitForFinished(60000);
    if (exitCode)
        *exitCode = tool.exitCode();
    return tool.readAllStandardOutput();
}

} // namespace

TEST(SkinTool, PacksConvertsDescribesAndRenders)
{
    QTemporaryDir dir;
    const QString packed = dir.filePath("tide.kskn");
    int code = -1;
    runTool({"pack", LANSEEK_SKINS_DIR "/tide", packed}, &code);
    ASSERT_EQ(code, 0);
    QFile f(packed);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    // The build embeds exactly what the tool packs.
    EXPECT_EQ(QByteArray(1, '\2') + f.readAll(), embeddedSkinStream(1));

    const QString max = dir.filePath("tide.mskn");
    runTool({"convert", packed, max}, &code);
    ASSERT_EQ(code, 0);
    const QByteArray info = runTool({"info", max}, &code);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(info.contains("SkinName:    Tide"));
    EXPECT_TRUE(info.contains("Filter:      Maximum Compressed"));
    EXPECT_TRUE(info.contains("Objects:     24"));
    EXPECT_TRUE(info.contains("  Client: TSeSkinObject [skClient]"));

    const QString png = dir.filePath("form.png");
    runTool({"render", packed, "Form", "320", "200", "--hue", "30", "-o", png}, &code);
    ASSERT_EQ(code, 0);
    const QImage image(png);
    ASSERT_EQ(image.size(), QSize(320, 200));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);       // the rounded top corner is cut out
    EXPECT_EQ(qAlpha(image.pixel(160, 100)), 255); // the client area is solid

    runTool({"info", dir.filePath("missing.kskn")}, &code);
    EXPECT_NE(code, 0);
    runTool({"render", packed, "NoSuchObject", "10", "10", "-o", png}, &code);
    EXPECT_NE(code, 0);
}
