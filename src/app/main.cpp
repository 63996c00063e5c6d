// lanseek: find, hear, download and share music.

#include "app/application.h"
#include "app/display_check.h"
#include "app/mp3.h"
#include "platform/ui/app_icon.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_translations.h"
#include "service/search_service.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLocale>
#include <QObject>
#include <QScreen>

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// The search service named by LANSEEK_SERVICE ("http://host[:port]"), or the bundled one started here
// over the demo catalogue.
struct ServiceChoice
{
    lanseek::search::ServiceEndpoints endpoints;
    std::unique_ptr<lanseek::service::SearchService> bundled;
};

bool chooseService(ServiceChoice& choice, std::string& error)
{
    if (const char* named = std::getenv("LANSEEK_SERVICE"); named && *named) {
        QString base = QString::fromLocal8Bit(named).trimmed();
        while (base.endsWith(QLatin1Char('/')))
            base.chop(1);
        if (!base.startsWith(QStringLiteral("http://"))) {
            error = "LANSEEK_SERVICE must look like http://host[:port]";
            return false;
        }
        choice.endpoints.base = base;
        return true;
    }
    lanseek::service::ServiceOptions options;
    options.library = lanseek::service::bundledCatalogueDir();
    options.host = "127.0.0.1";
    options.port = 0;
    choice.bundled = std::make_unique<lanseek::service::SearchService>(options);
    if (!choice.bundled->start(&error))
        return false;
    choice.endpoints.base = QString::fromStdString(choice.bundled->baseUrl());
    return true;
}

// For the start-up benchmark: reports the first paint of the main window on standard output and ends.
class FirstPaintReporter : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            std::printf("painted\n");
            std::fflush(stdout);
            std::_Exit(0);
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

int main(int argc, char** argv)
{
    std::string reason;
    if (!lanseek::app::displayAvailable(reason)) {
        std::fprintf(stderr, "%s\n", reason.c_str());
        return 1;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);

    LanseekApplication app(argc, argv);
    LanseekApplication::setApplicationName(QStringLiteral("lanseek"));
    LanseekApplication::setApplicationDisplayName(QStringLiteral("聆澜"));
    // The desktop matches the running program to its entry (and the entry's icon) by this name.
    LanseekApplication::setDesktopFileName(QStringLiteral("org.lanseek.lanseek"));
    LanseekApplication::setWindowIcon(lanseek::platform::applicationIcon());
    // Qt's own buttons and dialogs speak the program's language, and dates and times (the download
    // report's first line) are written as that language writes them. Without the catalogues on the
    // machine Qt's buttons stay in English; nothing else depends on them.
    const QLocale language = lanseek::platform::translationLocale(QLocale::system());
    QLocale::setDefault(language);
    lanseek::platform::installQtTranslations(app, language);

    ServiceChoice service;
    std::string error;
    if (!chooseService(service, error)) {
        std::fprintf(stderr, "lanseek: cannot start the search service: %s\n", error.c_str());
        return 1;
    }

    lanseek::platform::QtDialogs dialogs;
    TForm1Options options;
    options.dialogs = &dialogs;
    options.service = service.endpoints;
    TForm1 form(options);
    app.setExceptionHandler([&form](const QString& message) { form.myexception(message); });

    // The window the desktop sees is the skinned frame around the form.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        form.window()->move(screen->availableGeometry().center() - form.window()->rect().center());
    FirstPaintReporter reporter;
    if (qEnvironmentVariableIsSet("LANSEEK_EXIT_AFTER_FIRST_PAINT"))
        form.installEventFilter(&reporter);
    form.show();
    form.Edit1->setFocus();
    const int code = LanseekApplication::exec();
    if (service.bundled)
        service.bundled->stop();
    return code;
}
