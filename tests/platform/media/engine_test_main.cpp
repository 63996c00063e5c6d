#include <QCoreApplication>

#include <curl/curl.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

// The engine's tests run without a GUI application: the engine must play with QtCore alone.
int main(int argc, char** argv)
{
    // Every pipeline in these tests plays into a clocked fake sink; nothing reaches a sound card.
    qputenv("LANSEEK_AUDIO_SINK", "fakesink");
    // The web tests talk to servers on 127.0.0.1 only; a proxy from the environment must not
    // stand in between.
    for (const char* name :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        qunsetenv(name);
    ::testing::InitGoogleTest(&argc, argv);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    gst_init(&argc, &argv);
    QCoreApplication app(argc, argv);
    const int rc = RUN_ALL_TESTS();
    curl_global_cleanup();
    return rc;
}
