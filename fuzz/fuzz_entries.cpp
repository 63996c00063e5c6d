#include "fuzz_entries.h"

#include "skin/skin_bmp.h"
#include "skin/skin_source.h"

#include <QGuiApplication>

namespace lanseek::skin::fuzz {

namespace {

constexpr int kMaxSide = 512;

void exercise(const TSeSkinObject& object)
{
    auto copy = object.createCopy();
    copy->setBounds(0, 0, 61, 37);
    copy->setActive(true);
    copy->setState(StateHot);
    copy->setText(QStringLiteral("Ab-"));
    TSeBitmap target(61, 37);
    target.fill(TSeBitmap::kKey);
    TSeCanvas canvas(&target);
    copy->draw(canvas);
    copy->createRegion();
    copy->objectAt(QPoint(30, 18));
    copy->changeHue(17);
    // What was read must write back in both forms, and the text form must read again.
    const FormObject form = copy->toForm();
    writeBinaryForm(form);
    readTextForm(writeTextForm(form));
}

} // namespace

void initialise()
{
    TSeBitmap::setMaxSide(kMaxSide);
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "lanseek-skin-fuzz";
    static char* argv[] = {name, nullptr};
    // Never destroyed: the fuzzer ends the process from its own exit handlers, after which tearing
    // down the GUI would touch state that is already gone.
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

void skinBody(const uint8_t* data, size_t size)
{
    if (size < 1)
        return;
    const int mode = data[0] % 3;
    SeMemoryStream stream(QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)));
    TSeSkinSource source;
    try {
        if (mode == 0)
            source.loadFromStream(stream);
        else if (mode == 1)
            TSeSkinFilterUncompressed(&source).readContent(stream);
        else
            TSeSkinFilterMaxCompression(&source).readContent(stream);
    } catch (const SkinError&) {
        // A clean refusal; whatever was read before it must still be usable.
    }
    for (int i = 0; i < source.objectCount() && i < 8; ++i)
        exercise(*source.object(i));
    source.setHue(40);
    source.setHue(0);
    if (source.objectCount() > 0 && source.bitmapCount() < 64) {
        SeMemoryStream out;
        TSeSkinFilterMaxCompression(&source).writeContent(out);
    }
}

void binaryForm(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        LoadReport report;
        auto object = objectFromBinary(bytes, &report);
        if (object)
            exercise(*object);
    } catch (const SkinError&) {
    }
}

void bmpFile(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        TSeBitmap bitmap = readBmp(bytes);
        bitmap.keyNearKeyColor();
        writeBmp16(bitmap);
    } catch (const SkinError&) {
    }
}

} // namespace lanseek::skin::fuzz
