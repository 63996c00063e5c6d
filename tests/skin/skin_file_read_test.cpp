#include "skin_test_support.h"

#include "skin/skin_engine.h"
#include "skin/skin_file_read.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace lanseek::skin;
using namespace lanseek::test;

namespace {

class SkinFileReadTest : public ::testing::Test
{
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    // The program's first skin written in the variant that the name's extension gives.
    QString saved(const QString& name)
    {
        embeddedSource(1)->saveToFile(path(name));
        return path(name);
    }
    QString written(const QString& name, const QByteArray& bytes)
    {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path(name);
    }
    static QByteArray read(const QString& path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    QTemporaryDir m_dir;
};

TEST_F(SkinFileReadTest, EveryStorageVariantReadsWhole)
{
    const auto original = embeddedSource(1);
    for (const QString name : {"a.uskn", "a.kskn", "a.xskn", "a.mskn", "A.KSKN"}) {
        TSeSkinSource into;
        EXPECT_EQ(readSkinFile(saved(name), into), SkinFileProblem::None) << name.toStdString();
        EXPECT_EQ(into.objectCount(), original->objectCount()) << name.toStdString();
        EXPECT_EQ(into.SkinName, original->SkinName);
        EXPECT_NE(into.formObject(), nullptr);
    }
}

TEST_F(SkinFileReadTest, SaysWhyAFileIsRefusedAndLeavesNothingBehind)
{
    const QByteArray good = read(saved("good.kskn"));
    const QByteArray plain = read(saved("good.uskn"));
    struct Case
    {
        QString file;
        SkinFileProblem problem;
    };
    const Case cases[] = {
        {path("absent.kskn"), SkinFileProblem::Missing},
        {written("notes.txt", good), SkinFileProblem::NotASkin}, // a skin, but not by its name
        {written("photo.kskn", QByteArray(4096, 'J')), SkinFileProblem::NotASkin}, // renamed, no magic
        {written("empty.uskn", QByteArray()), SkinFileProblem::NotASkin},
        {written("cut.kskn", good.left(good.size() / 2)), SkinFileProblem::Damaged},
        {written("cut.uskn", plain.left(plain.size() / 3)), SkinFileProblem::Damaged},
        {written("garbled.kskn", good.left(40) + QByteArray(good.size() - 40, '\x5a')),
         SkinFileProblem::Damaged},
    };
    for (const Case& c : cases) {
        TSeSkinSource into;
        EXPECT_EQ(readSkinFile(c.file, into), c.problem) << c.file.toStdString();
        EXPECT_TRUE(into.isEmpty()) << c.file.toStdString();
        EXPECT_EQ(into.bitmapCount(), 0) << c.file.toStdString();
    }
}

TEST(EngineChangeSource, ClientsHearTheChangeAndTheHueCarriesOver)
{
    TSeSkinEngine engine;
    engine.setSkinStream(embeddedSkinStream(1));
    engine.setDeltaHue(40);
    QStringList heard;
    engine.OnBeforeChange = [&](TSeSkinEngine* e) {
        heard << QStringLiteral("before %1 busy=%2")
                     .arg(QString::fromLatin1(e->source()->SkinName))
                     .arg(e->source()->busy());
    };
    engine.OnAfterChange = [&](TSeSkinEngine* e) {
        heard << QStringLiteral("after %1 busy=%2")
                     .arg(QString::fromLatin1(e->source()->SkinName))
                     .arg(e->source()->busy());
    };
    auto second = embeddedSource(2);
    const QByteArray secondName = second->SkinName;
    engine.changeSource(*second);
    EXPECT_EQ(heard, QStringList({QStringLiteral("before Tide busy=1"),
                                  QStringLiteral("after %1 busy=0").arg(QString::fromLatin1(secondName))}));
    EXPECT_EQ(engine.source()->hue(), 40);
    EXPECT_TRUE(engine.isSkinAvailable());
    // What the engine gave up is handed back whole and idle, so it can be worn again.
    EXPECT_EQ(second->SkinName, QByteArray("Tide"));
    EXPECT_FALSE(second->busy());

    // An empty source is no skin to change to.
    TSeSkinSource empty;
    heard.clear();
    engine.changeSource(empty);
    EXPECT_TRUE(heard.isEmpty());
    EXPECT_EQ(engine.source()->SkinName, secondName);
}

} // namespace
