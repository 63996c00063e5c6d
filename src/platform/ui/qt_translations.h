#pragma once

// Qt's own texts (the standard buttons, the file dialogs, the overwrite question) come from Qt's
// translation catalogues. The program's own texts are Chinese, so Qt's must be too.

#include <QLocale>
#include <QString>

class QCoreApplication;

namespace lanseek::platform {

// The locale whose catalogues the program loads: the system's own when it is a Chinese one (so a
// traditional-script desktop keeps its script), simplified Chinese for every other locale, including
// the C and POSIX locales that name no language at all.
QLocale translationLocale(const QLocale& system);

// Loads Qt's catalogues for the locale from the folder Qt was installed with and installs them in the
// application, which owns them. False when no catalogue for the locale is installed on this machine.
bool installQtTranslations(QCoreApplication& app, const QLocale& locale);
// The same, from another folder.
bool installQtTranslations(QCoreApplication& app, const QLocale& locale, const QString& folder);

} // namespace lanseek::platform
