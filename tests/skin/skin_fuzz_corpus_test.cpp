#include "fuzz_entries.h"

#include "skin/se_bitmap.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

// Every seed and every input the fuzzers ever found troublesome goes through the same entry points as
// under libFuzzer, so ordinary builds keep them passing.
void replay(const char* corpus, void (*entry)(const uint8_t*, size_t))
{
    const QDir dir(QStringLiteral(LANSEEK_FUZZ_CORPUS "/") + QLatin1String(corpus));
    const QStringList files = dir.entryList(QDir::Files, QDir::Name);
    ASSERT_FALSE(files.isEmpty()) << corpus;
    const int previous = TSeBitmap::maxSide();
    lanseek::skin::fuzz::initialise();
    for (const QString& name : files) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray data = f.readAll();
        SCOPED_TRACE(name.toStdString());
        entry(reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()));
    }
    TSeBitmap::setMaxSide(previous);
}

} // namespace

TEST(FuzzCorpus, SkinBodies)
{
    replay("skin_body", lanseek::skin::fuzz::skinBody);
}

TEST(FuzzCorpus, BinaryForms)
{
    replay("binary_form", lanseek::skin::fuzz::binaryForm);
}

TEST(FuzzCorpus, BmpFiles)
{
    replay("bmp", lanseek::skin::fuzz::bmpFile);
}
