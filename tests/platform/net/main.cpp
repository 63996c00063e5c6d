#include <QCoreApplication>

#include <curl/curl.h>
#include <gtest/gtest.h>

// The client and the anti-freeze helpers expect what the program's own main provides: curl initialised once
// before any thread starts, and an application object whose thread is the UI thread.
int main(int argc, char** argv)
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    curl_global_cleanup();
    return result;
}
