#pragma once

#include "skin/se_bitmap.h"
#include "skin/skin_objects.h"
#include "skin/skin_stream.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class TSeSkinSource;

// A storage variant of skin data. Filters are made from their class through the filter list; each serves
// one source at a time.
class TSeSkinFilter
{
public:
    explicit TSeSkinFilter(TSeSkinSource* source) : m_source(source) {}
    virtual ~TSeSkinFilter() = default;

    // The content without framing: header strings, bitmaps, objects.
    virtual void readContent(lanseek::skin::SeStream& stream);
    virtual void writeContent(lanseek::skin::SeStream& stream);
    virtual QString fileExtension() const = 0;
    virtual QString description() const = 0;
    // The whole skin, framing included.
    virtual void readSkin(lanseek::skin::SeStream& stream) { readContent(stream); }
    virtual void writeSkin(lanseek::skin::SeStream& stream) { writeContent(stream); }

protected:
    TSeSkinSource* m_source;
};

class TSeSkinFilterUncompressed : public TSeSkinFilter
{
public:
    using TSeSkinFilter::TSeSkinFilter;
    QString fileExtension() const override { return QStringLiteral("uskn"); }
    QString description() const override { return QStringLiteral("Uncompressed Skin"); }
};

// "KSLZ" followed by a zlib stream of the content.
class TSeSkinFilterCompressed : public TSeSkinFilter
{
public:
    using TSeSkinFilter::TSeSkinFilter;
    QString fileExtension() const override { return QStringLiteral("kskn"); }
    QString description() const override { return QStringLiteral("Compressed Skin"); }
    void readSkin(lanseek::skin::SeStream& stream) override;
    void writeSkin(lanseek::skin::SeStream& stream) override;

protected:
    virtual int level() const { return 1; }
};

class TSeSkinFilterUltraCompressed : public TSeSkinFilterCompressed
{
public:
    using TSeSkinFilterCompressed::TSeSkinFilterCompressed;
    QString fileExtension() const override { return QStringLiteral("xskn"); }
    QString description() const override { return QStringLiteral("Ultra Compressed Skin"); }

protected:
    int level() const override { return 9; }
};

// Bitmaps as 16-bit BMP files and objects in binary form, inside the ultra-compressed framing.
class TSeSkinFilterMaxCompression : public TSeSkinFilterUltraCompressed
{
public:
    using TSeSkinFilterUltraCompressed::TSeSkinFilterUltraCompressed;
    QString fileExtension() const override { return QStringLiteral("mskn"); }
    QString description() const override { return QStringLiteral("Maximum Compressed"); }
    void readContent(lanseek::skin::SeStream& stream) override;
    void writeContent(lanseek::skin::SeStream& stream) override;
};

namespace lanseek::skin {

struct SkinFilterClass
{
    QString extension;
    QString description;
    std::function<std::unique_ptr<TSeSkinFilter>(TSeSkinSource*)> create;
};
// The four filters in their fixed order: uncompressed, compressed, ultra compressed, maximum.
const std::vector<SkinFilterClass>& skinFilterClasses();
// The first filter whose extension matches the file name's (case-insensitive); nullptr when none does.
std::unique_ptr<TSeSkinFilter> filterForFileName(const QString& fileName, TSeSkinSource* source);

} // namespace lanseek::skin

// One loaded skin: header strings, bitmaps and top-level objects, all owned.
class TSeSkinSource
{
public:
    TSeSkinSource();
    ~TSeSkinSource();
    TSeSkinSource(const TSeSkinSource&) = delete;
    TSeSkinSource& operator=(const TSeSkinSource&) = delete;

    QByteArray SkinName;
    QByteArray SkinVersion;
    QByteArray Author;
    QByteArray AuthorEMail;
    QByteArray AuthorURL;

    // Frees every object and bitmap and forgets the applied hue.
    void clear();
    // Exchanges the whole skin (header strings, objects, bitmaps, hue and report) with another source.
    void swap(TSeSkinSource& other) noexcept;
    bool isEmpty() const { return m_objects.empty(); }

    // A body in the default (compressed) storage variant.
    void loadFromStream(lanseek::skin::SeStream& stream);
    void saveToStream(lanseek::skin::SeStream& stream);
    // By file name; the extension chooses the filter. Loading a missing or unknown file does nothing.
    void loadFromFile(const QString& fileName);
    void saveToFile(const QString& fileName);
    // The stored form of an engine: a presence byte (2 with objects, else 0) and, with 2, the body.
    QByteArray storedForm();
    void loadStoredForm(const QByteArray& data);

    int objectCount() const { return int(m_objects.size()); }
    TSeSkinObject* object(int index) const; // nothing when out of range or busy
    TSeSkinObject* objectByName(const QByteArray& name) const;
    TSeSkinObject* formObject() const;
    TSeSkinObject* objectByKind(TSeKind kind) const;
    void addObject(std::unique_ptr<TSeSkinObject> object); // takes the bitmaps, resolves links

    const TSeBitmapList& bitmaps() const { return m_bitmaps; }
    int bitmapCount() const { return int(m_bitmaps.size()); }
    void addBitmap(std::unique_ptr<TSeBitmap> bitmap);

    bool busy() const { return m_busy; }
    void setBusy(bool busy) { m_busy = busy; }

    int hue() const { return m_hue; }
    int appliedHue() const { return m_appliedHue; }
    // Shifts bitmaps and objects by the difference to the hue applied last.
    void setHue(int hue);

    // What the last load skipped.
    const lanseek::skin::LoadReport& loadReport() const { return m_report; }
    lanseek::skin::LoadReport& loadReport() { return m_report; }

private:
    TSeBitmapList m_bitmaps;
    std::vector<std::unique_ptr<TSeSkinObject>> m_objects;
    bool m_busy = false;
    int m_hue = 0;
    int m_appliedHue = 0;
    lanseek::skin::LoadReport m_report;
};
