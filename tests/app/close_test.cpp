#include "app/download/download_controller.h"
#include "support/form_fixture.h"

#include "platform/net/id_http.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <thread>

using lanseek::test::FormTest;
using namespace std::chrono_literals;

using CloseQuery = FormTest;

TEST_F(CloseQuery, WithoutDownloadsClosesAtOnceWithoutAsking)
{
    form->show();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(dialogs.questions.isEmpty());
    EXPECT_EQ(dialogs.exits, std::vector<int>{0});
}

TEST_F(CloseQuery, RunningWorkersAskAndNoKeepsEverything)
{
    form->show();
    form->downloads().state().slotWorkers = {0, 2, 0};
    form->Timer1->start();
    dialogs.yesNoAnswers = {false};
    EXPECT_FALSE(form->close());
    EXPECT_EQ(dialogs.questions, QStringList{QStringLiteral("还存在下载进程，确定退出吗？")});
    EXPECT_FALSE(form->downloads().state().quitConfirmed);
    EXPECT_TRUE(dialogs.exits.empty());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->downloads().state().slotWorkers[1], 2);
}

TEST_F(CloseQuery, YesConfirmsStopsTheTimerAndEnds)
{
    form->show();
    form->downloads().state().slotWorkers = {1, 0, 0};
    form->Timer1->start();
    dialogs.yesNoAnswers = {true};
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(form->downloads().state().quitConfirmed);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(dialogs.exits, std::vector<int>{0});
}

TEST_F(CloseQuery, ConfirmedQuitDoesNotAskAgain)
{
    form->downloads().state().quitConfirmed = true;
    form->downloads().state().slotWorkers = {3, 3, 3};
    EXPECT_TRUE(form->FormCloseQuery());
    EXPECT_TRUE(dialogs.questions.isEmpty());
}

// A transfer that would run for many seconds; closing the window must cut it short.
TEST_F(CloseQuery, YesDisconnectsTheRunningWorkersClients)
{
    httplib::Server server;
    std::atomic<bool> stopServing{false};
    server.Get("/slow.mp3", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(100000, "audio/mpeg", [&](size_t offset, size_t, httplib::DataSink& sink) {
            if (stopServing || offset >= 100000)
                return false;
            std::this_thread::sleep_for(50ms);
            return sink.write("xxxxxxxxxx", 10);
        });
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { server.listen_after_bind(); });

    auto client = std::make_shared<TIdHTTP>();
    client->Tag = 200;
    form->downloads().state().slotClients[1][0] = client;
    form->downloads().state().slotWorkers = {0, 1, 0};
    std::atomic<bool> started{false};
    client->OnWork = [&](TIdHTTP&, std::int64_t) { started = true; };
    std::atomic<bool> ended{false};
    std::thread worker([&, client] {
        std::vector<char> body;
        try {
            client->Get("http://127.0.0.1:" + std::to_string(port) + "/slow.mp3", body);
        } catch (...) {
        }
        ended = true;
    });
    for (int i = 0; i < 200 && !started; ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(started);

    dialogs.yesNoAnswers = {true};
    form->show();
    EXPECT_TRUE(form->close());
    for (int i = 0; i < 300 && !ended; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(ended) << "the worker's transfer was not cut short";

    stopServing = true;
    worker.join();
    server.stop();
    serving.join();
}
