#include "skin/skin_pack.h"

#include <QDir>
#include <QFile>
#include <QImage>

namespace lanseek::skin {

void loadSkinFolder(const QString& folder, TSeSkinSource& source)
{
    const QDir dir(folder);
    QFile ini(dir.filePath(QStringLiteral("skin.ini")));
    if (!ini.open(QIODevice::ReadOnly))
        throw SkinError("cannot read " + ini.fileName().toStdString());
    source.clear();
    const QList<QByteArray> lines = ini.readAll().split('\n');
    for (QByteArray line : lines) {
        line = line.trimmed();
        const qsizetype eq = line.indexOf('=');
        if (line.isEmpty() || line.startsWith('#') || eq < 0)
            continue;
        const QByteArray key = line.left(eq).trimmed();
        const QByteArray value = toSkinText(QString::fromUtf8(line.mid(eq + 1).trimmed()));
        if (key == "SkinName")
            source.SkinName = value;
        else if (key == "SkinVersion")
            source.SkinVersion = value;
        else if (key == "Author")
            source.Author = value;
        else if (key == "AuthorEMail")
            source.AuthorEMail = value;
        else if (key == "AuthorURL")
            source.AuthorURL = value;
    }

    const QDir bitmaps(dir.filePath(QStringLiteral("bitmaps")));
    for (const QString& file : bitmaps.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name)) {
        QImage image(bitmaps.filePath(file));
        if (image.isNull())
            throw SkinError("cannot read bitmap " + file.toStdString());
        auto bitmap = std::make_unique<TSeBitmap>(TSeBitmap::fromImage(image));
        QString name = file.chopped(4);
        const qsizetype dash = name.indexOf(QLatin1Char('-'));
        if (dash >= 0)
            name = name.mid(dash + 1);
        bitmap->setName(toSkinText(name));
        source.addBitmap(std::move(bitmap));
    }

    const QDir objects(dir.filePath(QStringLiteral("objects")));
    for (const QString& file : objects.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
        QFile f(objects.filePath(file));
        if (!f.open(QIODevice::ReadOnly))
            throw SkinError("cannot read " + file.toStdString());
        FormObject form;
        try {
            form = readTextForm(f.readAll());
        } catch (const FormatError& e) {
            throw SkinError(file.toStdString() + ": " + e.what());
        }
        auto object = createSkinObject(form.className);
        if (!object)
            throw SkinError(file.toStdString() + ": unknown class " + form.className.toStdString());
        LoadReport report;
        applyForm(*object, form, &report, 0);
        if (report.unknownClasses || report.damagedRecords)
            throw SkinError(file.toStdString() + ": unknown or damaged child objects");
        object->setCharset(1);
        source.addObject(std::move(object));
    }
}

FormObject toSourceForm(const TSeSkinObject& object)
{
    FormObject form;
    form.className = object.className();
    form.name = object.name();
    object.writeProperties(form.properties);
    for (int i = 0; i < object.childCount(); ++i)
        form.children.append(toSourceForm(*object.child(i)));
    return form;
}

TSeBitmap renderSkinObject(const TSeSkinObject& master, int width, int height, int state, bool active,
                           const QString& text)
{
    auto copy = master.createCopy();
    if (!text.isEmpty()) {
        TSeSkinObject* holder = copy->findObjectByKind(skTitle);
        if (!holder)
            holder = copy->findObject("Text");
        (holder ? holder : copy.get())->setText(text);
    }
    copy->setBounds(0, 0, width, height);
    copy->setActive(active);
    copy->setState(state);
    TSeBitmap target(width, height);
    target.fill(TSeBitmap::kKey);
    TSeCanvas canvas(&target);
    copy->draw(canvas);
    return target;
}

} // namespace lanseek::skin
