#include "skin/skin_source.h"

#include "skin/skin_bmp.h"
#include "skin/skin_hue.h"
#include "skin/skin_log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>

using namespace lanseek::skin;

namespace {

constexpr char kDefaultAuthor[] = "lanseek";
constexpr char kDefaultEMail[] = "skins@lanseek.invalid";
constexpr char kDefaultUrl[] = "http://lanseek.invalid/";

void readHeader(SeReader& in, TSeSkinSource& s)
{
    s.SkinName = in.readString();
    s.SkinVersion = in.readString();
    s.Author = in.readString();
    s.AuthorEMail = in.readString();
    s.AuthorURL = in.readString();
}

void writeHeader(SeWriter& out, const TSeSkinSource& s)
{
    out.writeString(s.SkinName);
    out.writeString(s.SkinVersion);
    out.writeString(s.Author);
    out.writeString(s.AuthorEMail);
    out.writeString(s.AuthorURL);
}

// Object records: class name, then the record body (text or binary). Unknown classes are skipped by the
// record's own length and counted.
void readObjects(SeReader& in, TSeSkinSource& source, bool binary)
{
    const quint32 count = in.readU32();
    for (quint32 i = 0; i < count && !in.atEnd(); ++i) {
        const QByteArray className = in.readString();
        QByteArray record = binary ? in.readBytes(in.readU32()) : in.readString();
        if (in.atEnd())
            break;
        auto object = createSkinObject(className);
        if (!object) {
            ++source.loadReport().unknownClasses;
            continue;
        }
        try {
            applyForm(*object, binary ? readBinaryForm(record) : readTextForm(record), &source.loadReport(),
                      0);
        } catch (const FormatError&) {
            ++source.loadReport().damagedRecords;
            continue;
        }
        object->setCharset(1);
        source.addObject(std::move(object));
    }
}

} // namespace

// ---- filters ----

void TSeSkinFilter::readContent(SeStream& stream)
{
    m_source->clear();
    SeReader in(&stream);
    readHeader(in, *m_source);
    const quint32 count = in.readU32();
    for (quint32 i = 0; i < count && !in.atEnd(); ++i) {
        auto bitmap = std::make_unique<TSeBitmap>();
        bitmap->setName(in.readString());
        const qint32 width = in.readI32();
        const qint32 height = in.readI32();
        const qint64 w = std::llabs(qint64(width));
        const qint64 h = std::llabs(qint64(height));
        if (w > TSeBitmap::maxSide() || h > TSeBitmap::maxSide())
            throw BitmapAllocationError();
        bitmap->setSize(int(w), int(h));
        // Pixels are read only when the stored size is the allocated size; a short read leaves the rest
        // of the bitmap zero, as the end of the data means the end of the skin.
        if (!bitmap->isEmpty() && qint64(width) * height == w * h)
            in.readRaw(reinterpret_cast<char*>(bitmap->scanLine(0)), w * h * 4);
        bitmap->keyMagenta();
        m_source->addBitmap(std::move(bitmap));
    }
    if (in.atEnd())
        return;
    readObjects(in, *m_source, false);
}

void TSeSkinFilter::writeContent(SeStream& stream)
{
    SeWriter out(&stream);
    writeHeader(out, *m_source);
    out.writeU32(quint32(m_source->bitmapCount()));
    for (const auto& bitmap : m_source->bitmaps()) {
        out.writeString(bitmap->name());
        out.writeI32(bitmap->width());
        out.writeI32(bitmap->height());
        if (!bitmap->isEmpty())
            out.writeRaw(reinterpret_cast<const char*>(bitmap->scanLine(0)),
                         qint64(bitmap->width()) * bitmap->height() * 4);
    }
    out.writeU32(quint32(m_source->objectCount()));
    for (int i = 0; i < m_source->objectCount(); ++i) {
        const TSeSkinObject* object = m_source->object(i);
        out.writeString(object->className());
        out.writeString(writeTextForm(object->toForm()));
    }
}

void TSeSkinFilterCompressed::readSkin(SeStream& stream)
{
    // The magic is consumed but not compared: old writers did not always put it there.
    char magic[4];
    stream.read(magic, 4);
    SeInflatingStream z(&stream);
    readContent(z);
}

void TSeSkinFilterCompressed::writeSkin(SeStream& stream)
{
    SeWriter(&stream).writeRaw("KSLZ", 4);
    SeCompressionStream z(&stream, level());
    writeContent(z);
    z.finish();
}

void TSeSkinFilterMaxCompression::readContent(SeStream& stream)
{
    m_source->clear();
    SeReader in(&stream);
    readHeader(in, *m_source);
    const quint32 count = in.readU32();
    for (quint32 i = 0; i < count && !in.atEnd(); ++i) {
        const QByteArray name = in.readString();
        const quint32 length = in.readU32();
        const QByteArray file = in.readBytes(length);
        if (in.atEnd() && quint32(file.size()) < length)
            break;
        auto bitmap = std::make_unique<TSeBitmap>();
        try {
            *bitmap = readBmp(file);
        } catch (const FormatError&) {
            // A picture that cannot be read keeps its place and name so links still resolve by name.
            ++m_source->loadReport().damagedRecords;
        }
        bitmap->setName(name);
        bitmap->keyNearKeyColor();
        m_source->addBitmap(std::move(bitmap));
    }
    if (in.atEnd())
        return;
    readObjects(in, *m_source, true);
}

void TSeSkinFilterMaxCompression::writeContent(SeStream& stream)
{
    SeWriter out(&stream);
    writeHeader(out, *m_source);
    out.writeU32(quint32(m_source->bitmapCount()));
    for (const auto& bitmap : m_source->bitmaps()) {
        out.writeString(bitmap->name());
        const QByteArray file = bitmap->isEmpty() ? QByteArray() : writeBmp16(*bitmap);
        out.writeU32(quint32(file.size()));
        out.writeRaw(file);
    }
    out.writeU32(quint32(m_source->objectCount()));
    for (int i = 0; i < m_source->objectCount(); ++i) {
        const TSeSkinObject* object = m_source->object(i);
        out.writeString(object->className());
        const QByteArray binary = writeBinaryForm(object->toForm());
        out.writeU32(quint32(binary.size()));
        out.writeRaw(binary);
    }
}

namespace lanseek::skin {

const std::vector<SkinFilterClass>& skinFilterClasses()
{
    static const std::vector<SkinFilterClass> list = {
        {"uskn", "Uncompressed Skin",
         [](TSeSkinSource* s) { return std::make_unique<TSeSkinFilterUncompressed>(s); }},
        {"kskn", "Compressed Skin",
         [](TSeSkinSource* s) { return std::make_unique<TSeSkinFilterCompressed>(s); }},
        {"xskn", "Ultra Compressed Skin",
         [](TSeSkinSource* s) { return std::make_unique<TSeSkinFilterUltraCompressed>(s); }},
        {"mskn", "Maximum Compressed",
         [](TSeSkinSource* s) { return std::make_unique<TSeSkinFilterMaxCompression>(s); }},
    };
    return list;
}

std::unique_ptr<TSeSkinFilter> filterForFileName(const QString& fileName, TSeSkinSource* source)
{
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return nullptr;
    const QString ext = name.mid(dot).toLower();
    for (const SkinFilterClass& f : skinFilterClasses()) {
        if (ext == QLatin1Char('.') + f.extension)
            return f.create(source);
    }
    return nullptr;
}

} // namespace lanseek::skin

// ---- source ----

TSeSkinSource::TSeSkinSource()
    : SkinName("Default Skin"), SkinVersion("3.2.0"), Author(kDefaultAuthor), AuthorEMail(kDefaultEMail),
      AuthorURL(kDefaultUrl)
{
}

TSeSkinSource::~TSeSkinSource() = default;

void TSeSkinSource::swap(TSeSkinSource& other) noexcept
{
    std::swap(SkinName, other.SkinName);
    std::swap(SkinVersion, other.SkinVersion);
    std::swap(Author, other.Author);
    std::swap(AuthorEMail, other.AuthorEMail);
    std::swap(AuthorURL, other.AuthorURL);
    m_bitmaps.swap(other.m_bitmaps);
    m_objects.swap(other.m_objects);
    std::swap(m_busy, other.m_busy);
    std::swap(m_hue, other.m_hue);
    std::swap(m_appliedHue, other.m_appliedHue);
    std::swap(m_report, other.m_report);
}

void TSeSkinSource::clear()
{
    m_objects.clear();
    m_bitmaps.clear();
    m_hue = 0;
    m_appliedHue = 0;
    m_report = {};
}

void TSeSkinSource::loadFromStream(SeStream& stream)
{
    TSeSkinFilterCompressed(this).readSkin(stream);
}

void TSeSkinSource::saveToStream(SeStream& stream)
{
    TSeSkinFilterCompressed(this).writeSkin(stream);
}

void TSeSkinSource::loadFromFile(const QString& fileName)
{
    if (fileName.isEmpty())
        return;
    // Each way of finding no skin leaves the source empty, as the engine's clients expect; the log says
    // which it was, since nothing else does.
    QString name = fileName;
    if (!QFileInfo::exists(name)) {
        // A relative name is also looked for beside the program.
        if (QFileInfo(name).isRelative())
            name = QDir(QCoreApplication::applicationDirPath()).filePath(name);
        if (!QFileInfo::exists(name)) {
            qCWarning(skinLog).noquote() << QStringLiteral("skin %1 does not exist").arg(fileName);
            return;
        }
    }
    auto filter = filterForFileName(name, this);
    if (!filter) {
        qCWarning(skinLog).noquote() << QStringLiteral("skin %1 has no skin file extension").arg(name);
        return;
    }
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(skinLog).noquote()
            << QStringLiteral("skin %1 cannot be opened: %2").arg(name, file.errorString());
        return;
    }
    SeDeviceStream stream(&file);
    filter->readSkin(stream);
}

void TSeSkinSource::saveToFile(const QString& fileName)
{
    auto filter = filterForFileName(fileName, this);
    if (!filter)
        filter = std::make_unique<TSeSkinFilterCompressed>(this);
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw SkinError("cannot create " + fileName.toStdString());
    SeDeviceStream stream(&file);
    filter->writeSkin(stream);
    if (!file.flush())
        throw SkinError("cannot write " + fileName.toStdString());
}

QByteArray TSeSkinSource::storedForm()
{
    SeMemoryStream out;
    const char presence = isEmpty() ? 0 : 2;
    out.write(&presence, 1);
    if (presence)
        saveToStream(out);
    return out.data();
}

void TSeSkinSource::loadStoredForm(const QByteArray& data)
{
    if (data.isEmpty() || data[0] == 0)
        return;
    SeMemoryStream in(data);
    in.seek(1, SeekOrigin::Begin);
    loadFromStream(in);
}

TSeSkinObject* TSeSkinSource::object(int index) const
{
    if (m_busy || index < 0 || index >= objectCount())
        return nullptr;
    return m_objects[size_t(index)].get();
}

TSeSkinObject* TSeSkinSource::objectByName(const QByteArray& name) const
{
    const QByteArray wanted = name.toLower();
    for (const auto& o : m_objects) {
        if (o->name().toLower() == wanted)
            return o.get();
    }
    return nullptr;
}

TSeSkinObject* TSeSkinSource::formObject() const
{
    if (TSeSkinObject* form = objectByName("Form"))
        return form;
    return objectByKind(skForm);
}

TSeSkinObject* TSeSkinSource::objectByKind(TSeKind kind) const
{
    for (const auto& o : m_objects) {
        if (o->Kind == kind)
            return o.get();
    }
    return nullptr;
}

void TSeSkinSource::addObject(std::unique_ptr<TSeSkinObject> object)
{
    object->setBitmaps(&m_bitmaps);
    object->afterLoad();
    m_objects.push_back(std::move(object));
}

void TSeSkinSource::addBitmap(std::unique_ptr<TSeBitmap> bitmap)
{
    m_bitmaps.push_back(std::move(bitmap));
}

void TSeSkinSource::setHue(int hue)
{
    if (hue == m_hue)
        return;
    const int delta = hue - m_appliedHue;
    for (auto& bitmap : m_bitmaps)
        shiftBitmapHue(*bitmap, delta);
    for (auto& object : m_objects)
        object->changeHue(delta);
    m_hue = hue;
    m_appliedHue = hue;
}
