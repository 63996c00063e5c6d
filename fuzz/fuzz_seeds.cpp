// Writes the seed corpora of the fuzz targets from a packed skin:
//   fuzz_seeds SKIN.kskn CORPUS_DIR
// skin_body/: the body as stored, its raw content, its maximum-variant content and a small skin of a few
// objects in each variant; binary_form/: every top-level object in binary form; bmp/: 16-bit BMPs.

#include "skin/skin_bmp.h"
#include "skin/skin_source.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>

using namespace lanseek::skin;

namespace {

void put(const QString& path, const QByteArray& data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size())
        throw SkinError("cannot write " + path.toStdString());
}

QByteArray content(TSeSkinFilter&& filter)
{
    SeMemoryStream out;
    filter.writeContent(out);
    return out.data();
}

QByteArray body(TSeSkinSource& source)
{
    SeMemoryStream out;
    source.saveToStream(out);
    return out.data();
}

void writeVariants(TSeSkinSource& source, const QString& dir, const QString& stem)
{
    put(dir + "/" + stem + "-framed", QByteArray(1, '\0') + body(source));
    put(dir + "/" + stem + "-raw", QByteArray(1, '\1') + content(TSeSkinFilterUncompressed(&source)));
    put(dir + "/" + stem + "-max", QByteArray(1, '\2') + content(TSeSkinFilterMaxCompression(&source)));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fputs("usage: fuzz_seeds SKIN.kskn CORPUS_DIR\n", stderr);
        return 2;
    }
    try {
        const QString skinFile = QString::fromLocal8Bit(argv[1]);
        const QString root = QString::fromLocal8Bit(argv[2]);
        const QString stem = QFileInfo(skinFile).baseName();
        for (const char* sub : {"skin_body", "binary_form", "bmp"})
            QDir().mkpath(root + "/" + sub);
        TSeSkinSource source;
        source.loadFromFile(skinFile);
        if (source.isEmpty())
            throw SkinError("no skin in " + skinFile.toStdString());
        writeVariants(source, root + "/skin_body", stem);

        // A small skin: the button and the progress bar with just the bitmaps they use, so that
        // mutations reach the object records quickly.
        TSeSkinSource small;
        small.SkinName = "Small";
        for (const auto& b : source.bitmaps()) {
            if (b->name() == "button" || b->name() == "progressframe") {
                auto copy = std::make_unique<TSeBitmap>(*b);
                small.addBitmap(std::move(copy));
            }
        }
        for (const char* name : {"Button", "ProgressBar"}) {
            auto copy = objectFromForm(source.objectByName(name)->toForm());
            small.addObject(std::move(copy));
        }
        writeVariants(small, root + "/skin_body", stem + "-small");

        for (int i = 0; i < source.objectCount(); ++i) {
            const TSeSkinObject* o = source.object(i);
            put(root + "/binary_form/" + stem + "-" + QString::fromLatin1(o->name()),
                writeBinaryForm(o->toForm()));
        }
        int n = 0;
        for (const auto& b : source.bitmaps()) {
            if (b->width() * b->height() <= 4096)
                put(root + "/bmp/" + stem + "-" + QString::number(++n), writeBmp16(*b));
        }
    } catch (const SkinError& e) {
        std::fprintf(stderr, "fuzz_seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
