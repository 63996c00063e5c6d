// The probe of the LAN tests: run by lan_namespaces.sh on machine c of a LAN made of network namespaces,
// with the real mDNS daemon. It finds the services the script started on machines a and b, searches all of
// them at once through the aggregator, downloads a song from another machine, and sees services leave:
// one that says goodbye and one that stops answering. Without the script's LAN it has nothing to test.

#include "lan/avahi_browser.h"
#include "lan/service_directory.h"
#include "platform/web/html_parse.h"
#include "service/aggregator_service.h"

#include <QSignalSpy>
#include <QStringList>
#include <QTest>

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <fstream>
#include <set>

namespace lanseek::lan {
namespace {

QStringList expectedNames()
{
    return qEnvironmentVariable("LANSEEK_LAN_NAMES").split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

std::size_t collect(char* data, std::size_t size, std::size_t count, void* out)
{
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

std::string fetch(const std::string& address)
{
    std::string body;
    CURL* c = curl_easy_init();
    curl_easy_setopt(c, CURLOPT_URL, address.c_str());
    curl_easy_setopt(c, CURLOPT_TIMEOUT, 10L);
    curl_easy_setopt(c, CURLOPT_PROXY, "");
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &body);
    const CURLcode code = curl_easy_perform(c);
    curl_easy_cleanup(c);
    return code == CURLE_OK ? body : std::string();
}

class Lan : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (expectedNames().isEmpty()) {
            GTEST_SKIP() << "not on the LAN of lan_namespaces.sh";
        }
        directory = std::make_unique<ServiceDirectory>(makeAvahiBrowser());
        ASSERT_TRUE(directory->start());
    }

    // Waits until the directory lists exactly these names; false when 10 s pass first.
    bool waitForNames(const QStringList& names, std::chrono::milliseconds limit = std::chrono::seconds(10))
    {
        const QSet<QString> wanted(names.begin(), names.end());
        const auto end = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < end) {
            QSet<QString> listed;
            for (const LanService& service : directory->services()) {
                listed.insert(service.name);
            }
            if (listed == wanted) {
                return true;
            }
            QTest::qWait(100);
        }
        return false;
    }

    std::string listed() const
    {
        std::string names;
        for (const LanService& service : directory->services()) {
            names += "[" + service.name.toStdString() + " " + service.baseUrl.toStdString() + "] ";
        }
        return names;
    }

    std::unique_ptr<ServiceDirectory> directory;
};

TEST_F(Lan, EveryServiceIsFoundWithin10SecondsAtAnAddressThatAnswers)
{
    const auto began = std::chrono::steady_clock::now();
    ASSERT_TRUE(waitForNames(expectedNames()));
    std::printf("found %lld services in %lld ms\n", static_cast<long long>(expectedNames().size()),
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - began)
                                           .count()));
    for (const LanService& service : directory->services()) {
        // The services listen on IPv4 only, so the IPv6 records they also have must not be chosen.
        EXPECT_TRUE(service.baseUrl.startsWith(QStringLiteral("http://10.231.")))
            << service.baseUrl.toStdString();
        EXPECT_EQ(service.txtValue(QStringLiteral("v")), QStringLiteral("1"));
        EXPECT_EQ(service.txtValue(QStringLiteral("path")), QStringLiteral("/m"));
        EXPECT_FALSE(service.txtValue(QStringLiteral("songs")).isEmpty());
    }
}

TEST_F(Lan, OneSearchCoversEveryServiceAndASongDownloadsFromItsMachine)
{
    ASSERT_TRUE(waitForNames(expectedNames()));
    service::AggregatorService aggregator;
    ASSERT_TRUE(aggregator.start());
    std::vector<service::AggregatorPeer> peers;
    for (const LanService& found : directory->services()) {
        peers.push_back({found.name.toStdString(), found.baseUrl.toStdString()});
    }
    aggregator.setPeers(peers);

    // "湖" in GBK, as the program sends it.
    const std::string page =
        fetch(aggregator.baseUrl() + "/m?tn=baidump3&ct=134217728&rn=&word=%BA%FE&lm=-1");
    const QString pageAddress = QString::fromStdString(aggregator.baseUrl() + "/m");
    const auto document = platform::buildDocument(page, "text/html; charset=gbk", pageAddress, pageAddress);
    const std::string prefix = aggregator.baseUrl() + "/r?url=";
    std::set<std::string> hosts;
    std::string download;
    for (const platform::WebLink& link : document->links) {
        const std::string href = link.href.toStdString();
        if (href.rfind(prefix, 0) != 0) {
            continue;
        }
        const std::string address = href.substr(prefix.size());
        hosts.insert(address.substr(0, address.find("/music/")));
        if (link.innertext == QString::fromUtf8("阿青 - 湖畔")) {
            download = address;
        }
    }
    EXPECT_EQ(hosts.size(), 3u) << page; // three services, two machines, three ports
    EXPECT_TRUE(document->bodyText.contains(QString::fromUtf8("百度为您找到相关结果3篇")));
    ASSERT_FALSE(download.empty());
    std::ifstream file(qEnvironmentVariable("LANSEEK_LAN_SONG").toStdString(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(bytes.empty());
    EXPECT_TRUE(fetch(download) == bytes) << "the song from the other machine differs from its file";
}

TEST_F(Lan, AServiceThatStopsOrHangsLeavesWithin10Seconds)
{
    ASSERT_TRUE(waitForNames(expectedNames()));
    QSignalSpy gone(directory.get(), &ServiceDirectory::serviceDisappeared);
    QStringList left = expectedNames();

    // A clean stop sends the goodbye.
    const pid_t stopped = qEnvironmentVariableIntValue("LANSEEK_LAN_STOP_PID");
    ASSERT_GT(stopped, 0);
    ASSERT_EQ(kill(stopped, SIGTERM), 0);
    left.removeAll(QString::fromUtf8("小林的 音乐 #2"));
    // Sooner than the liveness check could notice (its second miss comes 2 s after the first at the
    // earliest): it is the goodbye record that takes the service away.
    EXPECT_TRUE(waitForNames(left, std::chrono::milliseconds(1500))) << listed();

    // A service that hangs keeps its record but fails the liveness check.
    const pid_t hung = qEnvironmentVariableIntValue("LANSEEK_LAN_HANG_PID");
    ASSERT_GT(hung, 0);
    ASSERT_EQ(kill(hung, SIGSTOP), 0);
    left.removeAll(QStringLiteral("bob@machine-b"));
    const bool leaves = waitForNames(left);
    kill(hung, SIGCONT);
    EXPECT_TRUE(leaves) << listed();
    // Answering again, it comes back.
    left.push_back(QStringLiteral("bob@machine-b"));
    EXPECT_TRUE(waitForNames(left)) << listed();
    EXPECT_GE(gone.size(), 2);
}

} // namespace
} // namespace lanseek::lan
