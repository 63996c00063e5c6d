// A real browser reads a result page into the same text lines and links as the simple reading the other
// tests use, so what those tests check is what a browser-based client sees. Skipped without Chromium.

#include "service/search_service.h"

#include "service_test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <gtest/gtest.h>
#include <httplib.h>

#include <array>
#include <cstdio>
#include <memory>

namespace fs = std::filesystem;

namespace lanseek::service {
namespace {

using lanseek::test::gbkQueryWord;
using lanseek::test::TempDir;
using lanseek::test::writeFile;

constexpr const char* kChromium = "/usr/bin/chromium";

// Appended to the served page: replaces the document by its body's innerText and links, percent-encoded
// so that the dump stays plain ASCII. The script itself adds no text, being no rendered content.
constexpr const char* kReader =
    "<script>(function(){var links=[];for(var i=0;i<document.links.length;i++){var a=document.links[i];"
    "links.push([a.href,a.innerText]);}var "
    "out=encodeURIComponent(JSON.stringify({text:document.body.innerText,"
    "links:links}));document.documentElement.innerHTML='<body><pre id=\"out\">'+out+'</pre></body>';})();"
    "</script>";

std::string runChromium(const fs::path& page, const fs::path& profile)
{
    const std::string command = std::string("timeout 90 ") + kChromium +
                                " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
                                " --disable-background-networking --disable-component-update --disable-sync"
                                " --user-data-dir='" +
                                profile.string() + "' --dump-dom 'file://" + page.string() + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    if (!pipe) {
        return output;
    }
    std::array<char, 4096> buffer{};
    for (std::size_t got; (got = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0;) {
        output.append(buffer.data(), got);
    }
    return output;
}

TEST(BrowserText, ChromiumSeesTheSameLinesAndLinks)
{
    if (!fs::exists(kChromium)) {
        GTEST_SKIP() << "no " << kChromium;
    }
    TempDir library;
    for (const char* file : {"Blue Lantern - Night Train.mp3", "晨风乐队 - 海边的清晨.mp3",
                             "Ünïcode \u266B Song.wma", "A&B <Live> - Tram.rm", "radio/Night Tram.ram"}) {
        writeFile(library.path() / file, std::string(41 * 1024, 'x'));
    }
    writeFile(library.path() / "big" / "Long Night.asf", std::string(3 * 1024 * 1024 + 600 * 1024, 'x'));
    SearchService service(ServiceOptions{library.path(), "127.0.0.1", 0});
    ASSERT_TRUE(service.start());

    httplib::Client cli("127.0.0.1", service.port());
    cli.set_url_encode(false);
    for (const std::string& word : {std::string("n"), std::string("a"), gbkQueryWord("海边")}) {
        auto res = cli.Get(("/m?tn=baidump3&ct=134217728&rn=&word=" + word + "&lm=-1").c_str());
        ASSERT_TRUE(res);
        const lanseek::test::PageReading expected = lanseek::test::readPage(res->body);

        TempDir work;
        writeFile(work.path() / "page.html", res->body + kReader);
        const std::string dump = runChromium(work.path() / "page.html", work.path() / "profile");
        const auto start = dump.find("<pre id=\"out\">");
        const auto end = dump.find("</pre>");
        ASSERT_TRUE(start != std::string::npos && end != std::string::npos) << dump;
        const QByteArray json = QByteArray::fromPercentEncoding(
            QByteArray::fromStdString(dump.substr(start + 14, end - start - 14)));
        const QJsonObject seen = QJsonDocument::fromJson(json).object();

        std::vector<std::string> lines;
        for (const QString& line : seen.value("text").toString().split('\n')) {
            if (!line.isEmpty()) {
                lines.push_back(line.toStdString());
            }
        }
        EXPECT_EQ(lines, expected.lines);

        const QJsonArray links = seen.value("links").toArray();
        ASSERT_EQ(static_cast<std::size_t>(links.size()), expected.links.size());
        for (qsizetype i = 0; i < links.size(); ++i) {
            const QJsonArray link = links[i].toArray();
            EXPECT_EQ(link[1].toString().toStdString(), expected.links[static_cast<std::size_t>(i)].text);
            EXPECT_EQ(link[0].toString().toStdString(), expected.links[static_cast<std::size_t>(i)].href);
        }
    }
}

} // namespace
} // namespace lanseek::service
