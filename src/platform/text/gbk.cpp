#include "platform/text/gbk.h"

#include <QChar>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include <iconv.h>

namespace lanseek::platform {

namespace {

constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";

// One iconv conversion descriptor, closed when it goes out of scope. A descriptor carries shift state, so
// each conversion opens its own; glibc caches the conversion tables, which keeps opening cheap.
class Iconv
{
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (valid()) {
            iconv_close(m_cd);
        }
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts the whole input. A byte that starts no valid sequence is replaced by `replacement` and
    // skipped, so the rest of the input still converts; an incomplete sequence at the end is replaced too.
    std::string convert(std::string_view input, std::string_view replacement)
    {
        std::string out;
        out.resize(input.size() * 2 + 16);
        size_t written = 0;
        // iconv's interface takes non-const input pointers but does not write through them.
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        auto room = [&]() {
            if (out.size() - written < 16) {
                out.resize(out.size() * 2);
            }
        };
        while (inLeft > 0) {
            room();
            char* dst = out.data() + written;
            size_t dstLeft = out.size() - written;
            const size_t rc = iconv(m_cd, &in, &inLeft, &dst, &dstLeft);
            written = out.size() - dstLeft;
            if (rc != static_cast<size_t>(-1)) {
                break;
            }
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
            } else if (errno == EILSEQ) {
                appendReplacement(out, written, replacement);
                ++in;
                --inLeft;
                iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
            } else {
                // EINVAL: the input ends inside a sequence.
                appendReplacement(out, written, replacement);
                inLeft = 0;
            }
        }
        // Flush whatever shift state the target encoding needs to return to its initial state.
        for (;;) {
            room();
            char* dst = out.data() + written;
            size_t dstLeft = out.size() - written;
            const size_t rc = iconv(m_cd, nullptr, nullptr, &dst, &dstLeft);
            written = out.size() - dstLeft;
            if (rc != static_cast<size_t>(-1) || errno != E2BIG) {
                break;
            }
            out.resize(out.size() * 2);
        }
        out.resize(written);
        return out;
    }

private:
    static void appendReplacement(std::string& out, size_t& written, std::string_view replacement)
    {
        if (out.size() - written < replacement.size()) {
            out.resize(out.size() * 2 + replacement.size());
        }
        std::memcpy(out.data() + written, replacement.data(), replacement.size());
        written += replacement.size();
    }

    iconv_t m_cd;
};

QString fromIconv(std::string_view bytes, const char* encoding)
{
    Iconv cd("UTF-8", encoding);
    if (!cd.valid()) {
        return {};
    }
    const std::string utf8 = cd.convert(bytes, kUtf8Replacement);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string normaliseLabel(const std::string& charset)
{
    std::string name;
    for (char c : charset) {
        if (c == '"' || c == '\'' || static_cast<unsigned char>(c) <= ' ') {
            continue;
        }
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name;
}

enum class Family { Utf8, Gbk, Other };

struct Resolved
{
    Family family = Family::Gbk;
    std::string iconvName; // for Family::Other
};

// Maps a charset label onto what decodes it. Labels follow the names pages use in practice; the HTML
// standard decodes Latin-1 and ASCII labels as windows-1252 and UTF-16 without endianness as little-endian.
Resolved resolve(const std::string& charset, bool& known)
{
    known = true;
    const std::string name = normaliseLabel(charset);
    static const char* const kUtf8[] = {"utf-8", "utf8", "unicode-1-1-utf-8", "x-unicode20utf8"};
    static const char* const kGbk[] = {"gbk",      "gb2312",          "gb_2312-80",  "gb_2312", "gb18030",
                                       "x-gbk",    "cp936",           "windows-936", "ms936",   "chinese",
                                       "csgb2312", "csiso58gb231280", "iso-ir-58",   "euc-cn",  "x-euc-cn"};
    struct Alias
    {
        const char* label;
        const char* iconvName;
    };
    static const Alias kAliases[] = {
        {"iso-8859-1", "WINDOWS-1252"}, {"latin1", "WINDOWS-1252"},   {"l1", "WINDOWS-1252"},
        {"us-ascii", "WINDOWS-1252"},   {"ascii", "WINDOWS-1252"},    {"windows-1252", "WINDOWS-1252"},
        {"cp1252", "WINDOWS-1252"},     {"x-cp1252", "WINDOWS-1252"}, {"big5", "BIG5-HKSCS"},
        {"big5-hkscs", "BIG5-HKSCS"},   {"x-x-big5", "BIG5-HKSCS"},   {"cn-big5", "BIG5-HKSCS"},
        {"shift_jis", "SHIFT_JIS"},     {"sjis", "SHIFT_JIS"},        {"x-sjis", "SHIFT_JIS"},
        {"ms_kanji", "SHIFT_JIS"},      {"windows-31j", "SHIFT_JIS"}, {"euc-jp", "EUC-JP"},
        {"euc-kr", "EUC-KR"},           {"ks_c_5601-1987", "EUC-KR"}, {"utf-16", "UTF-16LE"},
        {"utf-16le", "UTF-16LE"},       {"utf-16be", "UTF-16BE"},     {"unicode", "UTF-16LE"},
    };
    if (std::any_of(std::begin(kUtf8), std::end(kUtf8), [&](const char* l) { return name == l; })) {
        return {Family::Utf8, {}};
    }
    if (std::any_of(std::begin(kGbk), std::end(kGbk), [&](const char* l) { return name == l; })) {
        return {Family::Gbk, {}};
    }
    for (const Alias& alias : kAliases) {
        if (name == alias.label) {
            return {Family::Other, alias.iconvName};
        }
    }
    // Anything else is offered to iconv as it stands, provided it looks like a charset name at all: the
    // label comes from a web page and is not to be trusted with anything beyond a lookup.
    const bool plausible =
        !name.empty() && name.size() <= 40 && std::all_of(name.begin(), name.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.' ||
                   c == ':';
        });
    if (plausible) {
        Iconv probe("UTF-8", name.c_str());
        if (probe.valid()) {
            return {Family::Other, name};
        }
    }
    known = false;
    return {Family::Gbk, {}};
}

} // namespace

std::string toGbk(const QString& text)
{
    // Lone surrogates have no code point to convert; replace them before the UTF-8 step.
    QString clean = text;
    for (qsizetype i = 0; i < clean.size(); ++i) {
        const QChar c = clean.at(i);
        if (c.isHighSurrogate() && i + 1 < clean.size() && clean.at(i + 1).isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            clean[i] = QLatin1Char('?');
        }
    }
    const QByteArray utf8 = clean.toUtf8();
    Iconv cd("GB18030", "UTF-8");
    if (!cd.valid()) {
        throw std::runtime_error("iconv cannot convert UTF-8 to GB18030");
    }
    return cd.convert(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), "?");
}

QString fromGbk(std::string_view bytes)
{
    return fromIconv(bytes, "GB18030");
}

bool isKnownCharset(const std::string& charset)
{
    bool known = false;
    resolve(charset, known);
    return known;
}

QString decode(std::string_view bytes, const std::string& charset)
{
    bool known = false;
    const Resolved r = resolve(charset, known);
    switch (r.family) {
    case Family::Utf8:
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    case Family::Gbk:
        return fromGbk(bytes);
    case Family::Other:
        break;
    }
    return fromIconv(bytes, r.iconvName.c_str());
}

void writeGbkLines(const std::filesystem::path& path, const std::vector<QString>& lines)
{
    std::string content;
    for (const QString& line : lines) {
        content += toGbk(line);
        content += "\r\n";
    }
    std::ofstream out(path, std::ios::binary | std::ios::out | std::ios::trunc);
    if (!out) {
        throw std::runtime_error("cannot open \"" + path.string() +
                                 "\" for writing: " + std::strerror(errno));
    }
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write \"" + path.string() + "\": " + std::strerror(errno));
    }
}

} // namespace lanseek::platform
