// lanseek: find, hear, download and share music.

#include "app/application.h"
#include "app/desktop/desktop_log.h"
#include "app/desktop/instance_gate.h"
#include "app/desktop_wiring.h"
#include "app/display_check.h"
#include "app/lan_search.h"
#include "app/mp3.h"
#include "app/search/search_controller.h"
#include "lan/avahi_browser.h"
#include "platform/media/media_engine.h"
#include "platform/ui/accessibility.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_translations.h"
#include "service/search_service.h"
#include "skin/skin_preload.h"

#include <QDBusConnection>
#include <QEvent>
#include <QGuiApplication>
#include <QLocale>
#include <QObject>
#include <QScreen>
#include <QWidget>

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
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
    // Only the address is needed before the window opens; the catalogue is indexed on the service's
    // own thread, and a search made before that has finished waits for it.
    if (!choice.bundled->startIndexingInBackground(&error))
        return false;
    choice.endpoints.base = QString::fromStdString(choice.bundled->baseUrl());
    return true;
}

// The transfer library sets up its TLS stack once, before the first search or download. A library
// whose set-up is safe against a transfer starting on another thread meanwhile does that after the
// window's first paint; an older one at once, before any thread exists.
bool curlSetUpIsThreadSafe()
{
    return (curl_version_info(CURLVERSION_NOW)->features & CURL_VERSION_THREADSAFE) != 0;
}

void curlGlobalInit()
{
    static const bool done = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)done;
}

// Sees the window's first paint, whether the frame or the form inside it paints first. Then it starts
// what the window does not need to appear: the window's own remaining start-up and the media engine's
// warm-up. For the start-up benchmark (LANSEEK_EXIT_AFTER_FIRST_PAINT) it reports the paint on standard
// output and ends the process.
class FirstPaintWatcher : public QObject
{
public:
    explicit FirstPaintWatcher(std::function<void()> thenRun)
        : m_exitAfterPaint(qEnvironmentVariableIsSet("LANSEEK_EXIT_AFTER_FIRST_PAINT")),
          m_thenRun(std::move(thenRun))
    {
    }

    void watch(QWidget* widget) { widget->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            // The frame, the form and every control in it are painted in one pass and then shown; a
            // queued call runs after that pass, when the whole skinned window is on screen.
            QMetaObject::invokeMethod(this, &FirstPaintWatcher::afterFirstPaint, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void afterFirstPaint()
    {
        if (m_exitAfterPaint) {
            std::printf("painted\n");
            std::fflush(stdout);
            std::_Exit(0);
        }
        curlGlobalInit(); // a second call does nothing
        m_mediaWarmUp = std::make_unique<lanseek::platform::MediaEngineWarmUp>();
        m_thenRun();
    }

    const bool m_exitAfterPaint;
    const std::function<void()> m_thenRun;
    bool m_painted = false;
    std::unique_ptr<lanseek::platform::MediaEngineWarmUp> m_mediaWarmUp;
};

} // namespace

int main(int argc, char** argv)
{
    std::string reason;
    if (!lanseek::app::displayAvailable(reason)) {
        std::fprintf(stderr, "%s\n", reason.c_str());
        return 1;
    }

    if (!curlSetUpIsThreadSafe())
        curlGlobalInit();

    LanseekApplication app(argc, argv);
    // One program per session: a later start brings the running program's window back and ends at once,
    // before it starts a search service or builds a window of its own.
    const QDBusConnection bus = QDBusConnection::sessionBus();
    lanseek::app::InstanceGate instance(bus);
    QString instanceWhy;
    switch (instance.claim(&instanceWhy)) {
    case lanseek::app::InstanceRole::Running:
        if (instance.showRunningInstance(&instanceWhy))
            return 0;
        qCWarning(lanseek::app::lcDesktop).noquote()
            << "the running program did not answer (" + instanceWhy + "); starting another";
        break;
    case lanseek::app::InstanceRole::Alone:
        // Without a bus the desktop session's own line says so; a bus that refused is worth a line here.
        if (bus.isConnected())
            qCWarning(lanseek::app::lcDesktop).noquote() << "no single-instance check:" << instanceWhy;
        break;
    case lanseek::app::InstanceRole::First:
        break;
    }
    // The window's skins are decoded on a helper thread while the window builds its controls. (Started
    // only now: a second thread in the process while the application object loads the display's plugins
    // makes that loading markedly slower.)
    lanseek::skin::EmbeddedSkinPreload skins;
    LanseekApplication::setApplicationName(QStringLiteral("lanseek"));
    LanseekApplication::setApplicationDisplayName(QStringLiteral("聆澜"));
    // The desktop matches the running program to its entry (and the entry's icon) by this name.
    LanseekApplication::setDesktopFileName(QStringLiteral("org.lanseek.lanseek"));
    // Qt's own buttons and dialogs speak the program's language, and dates and times (the download
    // report's first line) are written as that language writes them. Without the catalogues on the
    // machine Qt's buttons stay in English; nothing else depends on them.
    const QLocale language = lanseek::platform::translationLocale(QLocale::system());
    QLocale::setDefault(language);
    lanseek::platform::installQtTranslations(app, language);
    lanseek::platform::installAccessibility();

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
    options.skins = &skins;
    options.cardViewAfterFirstPaint = true;
    TForm1 form(options);
    app.setExceptionHandler([&form](const QString& message) { form.myexception(message); });
    instance.attach(&form.presence());
    const std::unique_ptr<lanseek::app::DesktopSession> desktop = attachToDesktop(form, bus);

    // The window the desktop sees is the skinned frame around the form.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        form.window()->move(screen->availableGeometry().center() - form.window()->rect().center());
    // The LAN's services are looked for from the start, off this thread; the search finds them in the
    // engine chooser as they answer.
    lanseek::app::LanSearch lan(lanseek::lan::makeAvahiBrowser(), form.search());
    FirstPaintWatcher firstPaint([&form, &lan] {
        form.guarded([&form] { form.finishStartUp(); });
        lan.start();
        // Every other window and dialog shows the program's icon too, as the form now has it.
        LanseekApplication::setWindowIcon(form.windowIcon());
    });
    firstPaint.watch(form.window());
    firstPaint.watch(&form);
    form.show();
    form.Edit1->setFocus();
    const int code = LanseekApplication::exec();
    if (service.bundled)
        service.bundled->stop();
    return code;
}
