// What the service's server does when answering a request fails inside the service: the client gets a 500
// and the connection stays usable, and the cause is logged once under lanseek.service, with the client's
// target made harmless for the log.

#include "service/http_server.h"

#include "support/log_capture.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <stdexcept>
#include <string>

namespace lanseek::service {
namespace {

using lanseek::test::LogCapture;

const QString kServiceCategory = QStringLiteral("lanseek.service");

class HandlerFailure : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_server = std::make_unique<HttpServer>(HttpServerOptions{}, [](const HttpRequest& request) {
            if (request.target.rfind("/broken", 0) == 0)
                throw std::runtime_error("the index went away");
            if (request.target == "/odd")
                throw 42; // not a std::exception: it must not unwind into the server library
            HttpResponse response;
            response.body = "fine\n";
            return response;
        });
        std::string error;
        ASSERT_TRUE(m_server->listen(&error)) << error;
        m_server->serve();
    }

    int port() const { return m_server->port(); }

    LogCapture m_log;
    std::unique_ptr<HttpServer> m_server;
};

TEST_F(HandlerFailure, IsAnswered500AndLoggedOnceWithItsCause)
{
    httplib::Client client("127.0.0.1", port());
    const auto reply = client.Get("/broken?q=1");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 500);
    const auto after = client.Get("/fine");
    ASSERT_TRUE(after);
    EXPECT_EQ(after->status, 200);
    EXPECT_EQ(after->body, "fine\n");

    const auto warnings = m_log.warnings(kServiceCategory);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].text.contains(QStringLiteral("/broken?q=1"))) << warnings[0].text.toStdString();
    EXPECT_TRUE(warnings[0].text.contains(QStringLiteral("the index went away")))
        << warnings[0].text.toStdString();
}

TEST_F(HandlerFailure, AnythingThrownIsAnswered500AndTheServerStaysUp)
{
    httplib::Client client("127.0.0.1", port());
    const auto odd = client.Get("/odd");
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->status, 500);
    const auto after = client.Get("/fine");
    ASSERT_TRUE(after);
    EXPECT_EQ(after->status, 200);
    EXPECT_EQ(m_log.warnings(kServiceCategory).size(), 1u);
}

TEST_F(HandlerFailure, AHostileTargetCanNeitherFloodNorForgeTheLog)
{
    // An escaped line break and control character stay escaped, and a long target is cut short.
    const std::string forged = "/broken/%0d%0aforged" + std::string(5000, 'x');
    httplib::Client client("127.0.0.1", port());
    const auto reply = client.Get(forged);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 500);

    const auto warnings = m_log.warnings(kServiceCategory);
    ASSERT_EQ(warnings.size(), 1u);
    const QString& text = warnings[0].text;
    EXPECT_FALSE(text.contains(QLatin1Char('\n')));
    EXPECT_FALSE(text.contains(QLatin1Char('\r')));
    EXPECT_LT(text.size(), 600) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("the index went away")));
}

} // namespace
} // namespace lanseek::service
