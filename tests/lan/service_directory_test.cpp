// The directory of LAN services over a browser the test plays: services appear once an address of theirs
// answers, leave on their goodbye or when they stop answering, and the address given is one that answers.

#include "lan/service_directory.h"
#include "service/search_service.h"
#include "support/fault_http_server.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace lanseek::lan {
namespace {

class FakeBrowser : public ServiceBrowser
{
public:
    explicit FakeBrowser(Events* events) : m_events(events) {}
    bool start(Events events) override
    {
        *m_events = std::move(events);
        return true;
    }

private:
    Events* m_events;
};

// Fast rounds, so that the tests need not wait out the program's own timing.
constexpr DirectoryTiming kQuick{std::chrono::milliseconds(100), std::chrono::milliseconds(300), 2};

ServiceSighting sighting(const std::string& name, IpFamily family, const std::string& address,
                         std::uint16_t port, int interfaceIndex = 1)
{
    ServiceSighting s;
    s.key = SightingKey{name, interfaceIndex, family};
    s.address = address;
    s.port = port;
    s.txt = {{"v", "1"}, {"songs", "3"}, {"path", "/m"}};
    return s;
}

class Directory : public ::testing::Test
{
protected:
    Directory() : directory(std::make_unique<FakeBrowser>(&events), kQuick)
    {
        home.serve("/", test::ServedFile{"<html>home</html>"});
        EXPECT_TRUE(directory.start());
    }

    ServiceBrowser::Events events;
    ServiceDirectory directory;
    test::FaultHttpServer home;
};

TEST_F(Directory, ServiceAppearsOnceItAnswersAndLeavesOnItsGoodbye)
{
    QSignalSpy appeared(&directory, &ServiceDirectory::serviceAppeared);
    QSignalSpy gone(&directory, &ServiceDirectory::serviceDisappeared);
    const std::string name = "客厅 的音乐";
    // Seen on two interfaces and both families: still one service.
    events.seen(sighting(name, IpFamily::V4, "127.0.0.1", home.port(), 1));
    events.seen(sighting(name, IpFamily::V4, "127.0.0.1", home.port(), 2));
    ASSERT_TRUE(appeared.wait(3000));
    QTest::qWait(300);
    ASSERT_EQ(appeared.size(), 1);
    const auto service = appeared.at(0).at(0).value<LanService>();
    EXPECT_EQ(service.name, QString::fromUtf8("客厅 的音乐"));
    EXPECT_EQ(service.baseUrl, QStringLiteral("http://127.0.0.1:%1").arg(home.port()));
    EXPECT_EQ(service.txtValue(QStringLiteral("songs")), QStringLiteral("3"));
    ASSERT_EQ(directory.services().size(), 1);

    // One sighting going is not the service going.
    events.lost(SightingKey{name, 1, IpFamily::V4});
    QTest::qWait(200);
    EXPECT_TRUE(gone.isEmpty());
    events.lost(SightingKey{name, 2, IpFamily::V4});
    ASSERT_TRUE(gone.wait(1000));
    EXPECT_EQ(gone.at(0).at(0).toString(), QString::fromUtf8("客厅 的音乐"));
    EXPECT_TRUE(directory.services().isEmpty());
}

TEST_F(Directory, ServiceThatNeverAnswersIsNotShownAndOneThatStopsLeaves)
{
    QSignalSpy appeared(&directory, &ServiceDirectory::serviceAppeared);
    QSignalSpy gone(&directory, &ServiceDirectory::serviceDisappeared);
    events.seen(sighting("mute", IpFamily::V4, "127.0.0.1", test::FaultHttpServer::closedPort()));
    events.seen(sighting("alive", IpFamily::V4, "127.0.0.1", home.port()));
    ASSERT_TRUE(appeared.wait(3000));
    QTest::qWait(500);
    ASSERT_EQ(appeared.size(), 1);
    EXPECT_EQ(appeared.at(0).at(0).value<LanService>().name, QStringLiteral("alive"));

    // Its record lingers, but it no longer answers: it leaves within a few rounds.
    home.stop();
    ASSERT_TRUE(gone.wait(3000));
    EXPECT_EQ(gone.at(0).at(0).toString(), QStringLiteral("alive"));
    EXPECT_FALSE(directory.service(QStringLiteral("alive")).has_value());
}

TEST_F(Directory, GivesTheAddressThatAnswersIPv4First)
{
    // A service bound to IPv6 loopback only: its IPv4 address is tried first and does not answer.
    service::SearchService v6Only(service::ServiceOptions{LANSEEK_TEST_CATALOGUE, "::1", 0});
    std::string error;
    if (!v6Only.start(&error)) {
        GTEST_SKIP() << "no IPv6 loopback here: " << error;
    }
    const auto port = static_cast<std::uint16_t>(v6Only.port());
    QSignalSpy appeared(&directory, &ServiceDirectory::serviceAppeared);
    events.seen(sighting("v6", IpFamily::V6, "::1", port));
    events.seen(sighting("v6", IpFamily::V4, "127.0.0.1", port));
    ASSERT_TRUE(appeared.wait(3000));
    EXPECT_EQ(appeared.at(0).at(0).value<LanService>().baseUrl, QStringLiteral("http://[::1]:%1").arg(port));

    // Both answer: IPv4 wins.
    events.seen(sighting("both", IpFamily::V6, "::1", home.port()));
    events.seen(sighting("both", IpFamily::V4, "127.0.0.1", home.port()));
    ASSERT_TRUE(appeared.wait(3000));
    EXPECT_EQ(appeared.at(1).at(0).value<LanService>().baseUrl,
              QStringLiteral("http://127.0.0.1:%1").arg(home.port()));
}

TEST(CandidateBases, LinkLocalAddressesCarryTheirInterfaceAndComeLast)
{
    const std::vector<ServiceSighting> sightings = {
        sighting("s", IpFamily::V6, "fe80::1", 8080, 1), sighting("s", IpFamily::V6, "fd00::5", 8080, 1),
        sighting("s", IpFamily::V4, "10.0.0.7", 8080, 1),
        sighting("s", IpFamily::V6, "fe80::2", 8080, 0), // no interface: cannot be reached
    };
    EXPECT_EQ(candidateBases(sightings),
              (std::vector<std::string>{"http://10.0.0.7:8080", "http://[fd00::5]:8080",
                                        "http://[fe80::1%25lo]:8080"}));
}

} // namespace
} // namespace lanseek::lan
