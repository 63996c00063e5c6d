// lanseek-skin: a command-line tool for the program's skin files.

#include "skin/skin_hue.h"
#include "skin/skin_pack.h"
#include "skin/skin_source.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>

using namespace lanseek::skin;

namespace {

int usage()
{
    std::fputs("usage:\n"
               "  lanseek-skin info FILE\n"
               "  lanseek-skin convert IN OUT\n"
               "  lanseek-skin pack SOURCE_DIR OUT\n"
               "  lanseek-skin render FILE OBJECT WIDTH HEIGHT [--state N] [--hue D] [--inactive] [--text T] "
               "-o OUT.png\n"
               "Skin files: .uskn .kskn .xskn .mskn; the extension chooses the storage variant.\n",
               stderr);
    return 2;
}

QString local(const char* arg)
{
    return QString::fromLocal8Bit(arg);
}

// Loads a skin file, failing loudly where the engine itself would quietly do nothing.
bool loadSkin(const QString& file, TSeSkinSource& source, QString* filterDescription = nullptr)
{
    if (!QFileInfo::exists(file)) {
        std::fprintf(stderr, "lanseek-skin: %s does not exist\n", qPrintable(file));
        return false;
    }
    auto filter = filterForFileName(file, &source);
    if (!filter) {
        std::fprintf(stderr, "lanseek-skin: %s has no skin file extension\n", qPrintable(file));
        return false;
    }
    if (filterDescription)
        *filterDescription = filter->description();
    source.loadFromFile(file);
    return true;
}

void printTree(const TSeSkinObject* object, int depth)
{
    const QRect r = object->boundsRect();
    std::printf("%*s%s: %s [%s] (%d, %d, %d x %d)\n", depth * 2, "",
                fromSkinText(object->name()).toUtf8().constData(), object->className(),
                kKindNames.nameOf(object->Kind), r.left(), r.top(), r.width(), r.height());
    for (int i = 0; i < object->childCount(); ++i)
        printTree(object->child(i), depth + 1);
}

int info(const QString& file)
{
    TSeSkinSource source;
    QString filter;
    if (!loadSkin(file, source, &filter))
        return 1;
    auto text = [](const QByteArray& b) { return fromSkinText(b).toUtf8(); };
    std::printf("SkinName:    %s\n", text(source.SkinName).constData());
    std::printf("SkinVersion: %s\n", text(source.SkinVersion).constData());
    std::printf("Author:      %s\n", text(source.Author).constData());
    std::printf("AuthorEMail: %s\n", text(source.AuthorEMail).constData());
    std::printf("AuthorURL:   %s\n", text(source.AuthorURL).constData());
    std::printf("Filter:      %s\n", qPrintable(filter));
    std::printf("Bitmaps:     %d\n", source.bitmapCount());
    std::printf("Objects:     %d\n", source.objectCount());
    const LoadReport& report = source.loadReport();
    if (report.unknownClasses || report.damagedRecords)
        std::printf("Skipped:     %d unknown, %d damaged\n", report.unknownClasses, report.damagedRecords);
    for (int i = 0; i < source.objectCount(); ++i)
        printTree(source.object(i), 0);
    return 0;
}

int convert(const QString& in, const QString& out)
{
    TSeSkinSource source;
    if (!loadSkin(in, source))
        return 1;
    source.saveToFile(out);
    return 0;
}

int pack(const QString& folder, const QString& out)
{
    TSeSkinSource source;
    loadSkinFolder(folder, source);
    source.saveToFile(out);
    std::printf("%s: %d bitmaps, %d objects\n", qPrintable(out), source.bitmapCount(), source.objectCount());
    return 0;
}

TSeSkinObject* findAnywhere(TSeSkinSource& source, const QByteArray& name)
{
    if (TSeSkinObject* top = source.objectByName(name))
        return top;
    for (int i = 0; i < source.objectCount(); ++i) {
        if (TSeSkinObject* found = source.object(i)->findObject(name))
            return found;
    }
    return nullptr;
}

int render(int argc, char** argv)
{
    if (argc < 6)
        return usage();
    const QString file = local(argv[2]);
    const QByteArray objectName = toSkinText(local(argv[3]));
    bool okW = false, okH = false;
    const int width = QByteArray(argv[4]).toInt(&okW);
    const int height = QByteArray(argv[5]).toInt(&okH);
    int state = StateNormal, hue = 0;
    bool active = true;
    QString output, text;
    for (int i = 6; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--state") && i + 1 < argc)
            state = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--hue") && i + 1 < argc)
            hue = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--inactive"))
            active = false;
        else if (!std::strcmp(argv[i], "--text") && i + 1 < argc)
            text = local(argv[++i]);
        else if (!std::strcmp(argv[i], "-o") && i + 1 < argc)
            output = local(argv[++i]);
        else
            return usage();
    }
    if (!okW || !okH || width <= 0 || height <= 0 || output.isEmpty())
        return usage();
    TSeSkinSource source;
    if (!loadSkin(file, source))
        return 1;
    source.setHue(hue);
    TSeSkinObject* object = findAnywhere(source, objectName);
    if (!object) {
        std::fprintf(stderr, "lanseek-skin: no object named %s\n", argv[3]);
        return 1;
    }
    const TSeBitmap picture = renderSkinObject(*object, width, height, state, active, text);
    if (!picture.toDisplayImage().save(output)) {
        std::fprintf(stderr, "lanseek-skin: cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // The tool draws text but never shows a window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3)
        return usage();
    const QByteArray command = argv[1];
    try {
        if (command == "info" && argc == 3)
            return info(local(argv[2]));
        if (command == "convert" && argc == 4)
            return convert(local(argv[2]), local(argv[3]));
        if (command == "pack" && argc == 4)
            return pack(local(argv[2]), local(argv[3]));
        if (command == "render")
            return render(argc, argv);
    } catch (const SkinError& e) {
        std::fprintf(stderr, "lanseek-skin: %s\n", e.what());
        return 1;
    }
    return usage();
}
