// Qt's own texts in Chinese, the filters the file dialogs show, and the program's icon.

#include "platform/ui/app_icon.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_translations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace lanseek::platform;

TEST(QtTranslations, ChineseForEveryLocaleAndTheSystemsOwnScript)
{
    EXPECT_EQ(translationLocale(QLocale::c()).name(), QStringLiteral("zh_CN"));
    EXPECT_EQ(translationLocale(QLocale(QStringLiteral("C"))).name(), QStringLiteral("zh_CN"));
    EXPECT_EQ(translationLocale(QLocale(QStringLiteral("en_US"))).name(), QStringLiteral("zh_CN"));
    EXPECT_EQ(translationLocale(QLocale(QStringLiteral("zh_TW"))).name(), QStringLiteral("zh_TW"));
    EXPECT_EQ(translationLocale(QLocale(QStringLiteral("zh_CN"))).name(), QStringLiteral("zh_CN"));
}

TEST(QtTranslations, AFolderWithoutCataloguesLoadsNothing)
{
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    EXPECT_FALSE(installQtTranslations(*qApp, QLocale(QStringLiteral("zh_CN")), empty.path()));
}

TEST(QtTranslations, StandardButtonsReadChinese)
{
    const QDir folder(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (!folder.exists(QStringLiteral("qtbase_zh_CN.qm")) && !folder.exists(QStringLiteral("qt_zh_CN.qm")))
        GTEST_SKIP() << "Qt's Chinese catalogues are not installed on this machine";
    ASSERT_TRUE(installQtTranslations(*qApp, translationLocale(QLocale::c())));
    QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Yes | QDialogButtonBox::No);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
    EXPECT_FALSE(box.button(QDialogButtonBox::Yes)->text().contains(QStringLiteral("Yes")));
    EXPECT_FALSE(box.button(QDialogButtonBox::No)->text().contains(QStringLiteral("No")));
}

TEST(FileDialogFilters, EachPatternIsShownOnceAfterItsDescription)
{
    EXPECT_EQ(toQtFilter(QStringLiteral("real播放列表(*.rpm)|*.rpm|winmedia播放列表(*.asx)|*.asx")),
              QStringLiteral("real播放列表 (*.rpm);;winmedia播放列表 (*.asx)"));
    // A description naming several kinds keeps its words; the patterns follow once, space-separated.
    EXPECT_EQ(toQtFilter(QStringLiteral("real列表(*.rpm);winmedia列表(*.asx)|*.rpm;*.asx")),
              QStringLiteral("real列表;winmedia列表 (*.rpm *.asx)"));
    EXPECT_EQ(toQtFilter(QStringLiteral("jpg图片(*.jpg);jpeg图片(*.jpeg);gif图片(*.gif)|*.jpg;*.jpeg;*.gif|"
                                        "gif图片(*.gif)|*.gif")),
              QStringLiteral("jpg图片;jpeg图片;gif图片 (*.jpg *.jpeg *.gif);;gif图片 (*.gif)"));
    // Descriptions without patterns, or made of nothing else, and a dangling description.
    EXPECT_EQ(toQtFilter(QStringLiteral("网页|*.html")), QStringLiteral("网页 (*.html)"));
    EXPECT_EQ(toQtFilter(QStringLiteral("(*.html)|*.html|rest")), QStringLiteral("*.html (*.html)"));
    EXPECT_EQ(toQtFilter(QString()), QString());
}

TEST(ApplicationIcon, DrawnAtEverySizeFromTheCompiledInPictures)
{
    const QIcon icon = applicationIcon();
    ASSERT_FALSE(icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    // Our own drawing: a rounded tile (transparent corners) in the skins' deep blue, a white note.
    const QImage picture = icon.pixmap(QSize(256, 256)).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(picture.size(), QSize(256, 256));
    EXPECT_EQ(qAlpha(picture.pixel(1, 1)), 0);
    const QColor sky = picture.pixelColor(60, 80);
    EXPECT_GT(sky.blue(), sky.red() + 40);
    EXPECT_EQ(picture.pixelColor(145, 100), QColor(Qt::white));

    // The first pictures only: the sizes up to the one asked for, scaled up when more is asked.
    const QIcon small = applicationIcon(64);
    EXPECT_EQ(small.availableSizes(),
              (QList<QSize>{{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}}));
    EXPECT_EQ(small.pixmap(QSize(128, 128)).size(), QSize(64, 64));
    EXPECT_TRUE(applicationIcon(8).isNull());
}
