#include "service_test_support.h"

#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <arpa/inet.h>
#include <fstream>
#include <iconv.h>
#include <netinet/in.h>
#include <random>
#include <regex>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace lanseek::test {
namespace {

std::string convert(std::string_view text, const char* to, const char* from)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error("iconv_open failed");
    }
    std::string out(text.size() * 4 + 8, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1)) {
        throw std::runtime_error("test text does not convert");
    }
    out.resize(out.size() - outLeft);
    return out;
}

std::string decodeEntities(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        const auto semi = text.find(';', i);
        if (semi == std::string::npos) {
            out += text[i];
            continue;
        }
        const std::string name = text.substr(i + 1, semi - i - 1);
        if (name == "amp") {
            out += '&';
        } else if (name == "lt") {
            out += '<';
        } else if (name == "gt") {
            out += '>';
        } else if (name == "quot") {
            out += '"';
        } else if (!name.empty() && name[0] == '#') {
            const unsigned long cp = std::stoul(name.substr(1));
            char32_t c = static_cast<char32_t>(cp);
            out += convert(std::string_view(reinterpret_cast<const char*>(&c), 4), "UTF-8", "UTF-32LE");
        } else {
            out += text.substr(i, semi - i + 1);
        }
        i = semi;
    }
    return out;
}

std::string collapse(const std::string& text)
{
    std::string out;
    bool blank = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            blank = !out.empty();
            continue;
        }
        if (blank) {
            out += ' ';
            blank = false;
        }
        out += c;
    }
    return out;
}

void tagFile(const fs::path& file, const char* title, const char* artist, const char* album)
{
    TagLib::FileRef ref(file.c_str());
    if (ref.isNull()) {
        throw std::runtime_error("cannot tag " + file.string());
    }
    ref.tag()->setTitle(TagLib::String(title, TagLib::String::UTF8));
    ref.tag()->setArtist(TagLib::String(artist, TagLib::String::UTF8));
    ref.tag()->setAlbum(TagLib::String(album, TagLib::String::UTF8));
    ref.save();
}

} // namespace

TempDir::TempDir()
{
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = fs::temp_directory_path() / ("lanseek-service-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

std::string patternBytes(std::size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 31 + seed + i / 251) % 256);
    }
    return bytes;
}

void writeFile(const fs::path& file, std::string_view bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TestLibrary::TestLibrary()
{
    const fs::path root = m_dir.path();
    // A real MP3 from the demo catalogue, so that tags can be written into it.
    const fs::path source = fs::path(LANSEEK_TEST_CATALOGUE) / "周远航" / "北行" / "周远航 - 河岸的篝火.mp3";
    fs::create_directories(root / "sub");
    fs::copy_file(source, root / "sub" / "track01.mp3");
    tagFile(root / "sub" / "track01.mp3", "海边的清晨", "晨风乐队", "潮汐笔记");

    writeFile(root / "Blue Lantern - Night Train.mp3", patternBytes(3000, 1));
    writeFile(root / "pattern.rm", patternBytes(kPatternSize));
    writeFile(root / "Static Noise.WMA", patternBytes(2048, 2));
    writeFile(root / "Harbor.asf", patternBytes(700 * 1024, 3));
    writeFile(root / "radio" / "pattern stream.ram", "../pattern.rm\r\n");
    for (std::size_t i = 1; i <= kBulkSongs; ++i) {
        const std::string number = (i < 10 ? "0" : "") + std::to_string(i);
        writeFile(root / "bulk" / ("Song " + number + ".mp3"),
                  patternBytes(100 + i, static_cast<unsigned>(i)));
    }
    writeFile(root / "notes.txt", "not a song");
    writeFile(root / ".hidden" / "secret.mp3", "hidden");
    writeFile(root / "singers.txt", "男 晨风乐队\n");

    m_outsideFile = m_outsideDir.path() / "outside.mp3";
    writeFile(m_outsideFile, "outside the library");
    fs::create_symlink(m_outsideFile, root / "escape.mp3");
}

std::string PageReading::firstLineWith(std::string_view text) const
{
    for (const std::string& line : lines) {
        if (line.find(text) != std::string::npos) {
            return line;
        }
    }
    return {};
}

std::vector<PageLink> PageReading::linksContaining(std::string_view part) const
{
    std::vector<PageLink> found;
    for (const PageLink& link : links) {
        if (link.href.find(part) != std::string::npos) {
            found.push_back(link);
        }
    }
    return found;
}

PageReading readPage(std::string_view gbkHtml)
{
    const std::string html = convert(gbkHtml, "UTF-8", "GB18030");
    PageReading page;
    std::string body = html;
    if (const auto start = body.find("<body"); start != std::string::npos) {
        body = body.substr(body.find('>', start) + 1);
    }
    if (const auto end = body.find("</body>"); end != std::string::npos) {
        body.resize(end);
    }

    static const std::regex anchor(R"re(<a href="([^"]*)">([\s\S]*?)</a>)re");
    for (auto it = std::sregex_iterator(body.begin(), body.end(), anchor); it != std::sregex_iterator();
         ++it) {
        page.links.push_back({decodeEntities((*it)[1].str()), collapse(decodeEntities((*it)[2].str()))});
    }

    static const std::regex blockEdge(R"re(<br\s*/?>|</?(div|p|h[1-6]|li|ul|ol|table|tr|title)\b[^>]*>)re",
                                      std::regex::icase);
    static const std::regex tag(R"re(<[^>]*>)re");
    const std::string broken = std::regex_replace(body, blockEdge, "\n");
    const std::string text = decodeEntities(std::regex_replace(broken, tag, ""));
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = collapse(text.substr(pos, end - pos));
        if (!line.empty()) {
            page.lines.push_back(std::move(line));
        }
        pos = end + 1;
    }
    return page;
}

std::string rawExchange(int port, const std::string& request)
{
    const int sock = socket(AF_INET, SOCK_STREAM, 0);
    if (sock < 0) {
        throw std::runtime_error("socket failed");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{5, 0};
    setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string response;
    if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        send(sock, request.data(), request.size(), 0) == static_cast<ssize_t>(request.size())) {
        char buffer[4096];
        for (ssize_t got; (got = recv(sock, buffer, sizeof buffer, 0)) > 0;) {
            response.append(buffer, static_cast<std::size_t>(got));
        }
    }
    close(sock);
    return response;
}

std::string gbkQueryWord(std::string_view utf8)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : convert(utf8, "GBK", "UTF-8")) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9')) {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

} // namespace lanseek::test
