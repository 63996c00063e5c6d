#include <QCoreApplication>

#include <curl/curl.h>
#include <gtest/gtest.h>

// The workers post their events to the application's thread, as they do in the program.
int main(int argc, char** argv)
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    curl_global_cleanup();
    return result;
}
