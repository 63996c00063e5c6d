#include "platform/ui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace lanseek::platform {

QLocale translationLocale(const QLocale& system)
{
    if (system.language() == QLocale::Chinese)
        return system;
    return QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
}

bool installQtTranslations(QCoreApplication& app, const QLocale& locale)
{
    return installQtTranslations(app, locale, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

bool installQtTranslations(QCoreApplication& app, const QLocale& locale, const QString& folder)
{
    // qtbase holds the widgets' and dialogs' texts. The older combined catalogue "qt" is the fallback
    // for installations that ship only that one.
    for (const char* catalogue : {"qtbase", "qt"}) {
        auto* translator = new QTranslator(&app);
        if (translator->load(locale, QString::fromLatin1(catalogue), QStringLiteral("_"), folder) &&
            QCoreApplication::installTranslator(translator))
            return true;
        delete translator;
    }
    return false;
}

} // namespace lanseek::platform
