// The one main of every test program. It gives the tests what the program's own main gives the code under
// test (curl initialised once before any thread starts, an application object whose thread is the UI
// thread), and keeps them to themselves: no display unless one is asked for, no sound card, and no proxy
// from the environment between a test and the servers it starts on 127.0.0.1.
//
// LANSEEK_TEST_APPLICATION chooses the application object: 0 a core application (no widgets), 1 a widget
// application, 2 the program's own application class with its error policy. LANSEEK_TEST_GSTREAMER
// initialises GStreamer first, for tests that set up its registry before any pipeline does.

#include <QCoreApplication>

#if LANSEEK_TEST_APPLICATION == 1
#include <QApplication>
#elif LANSEEK_TEST_APPLICATION == 2
#include "app/application.h"
#endif

#if LANSEEK_TEST_GSTREAMER
#include <gst/gst.h>
#endif

#include <curl/curl.h>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("LANSEEK_AUDIO_SINK"))
        qputenv("LANSEEK_AUDIO_SINK", "fakesink");
    for (const char* name :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        qunsetenv(name);

    curl_global_init(CURL_GLOBAL_DEFAULT);
#if LANSEEK_TEST_GSTREAMER
    gst_init(&argc, &argv);
#endif
    int result = 0;
    {
#if LANSEEK_TEST_APPLICATION == 0
        QCoreApplication app(argc, argv);
#elif LANSEEK_TEST_APPLICATION == 1
        QApplication app(argc, argv);
#else
        LanseekApplication app(argc, argv);
#endif
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    curl_global_cleanup();
    return result;
}
