#include "platform/net/id_http.h"

#include "platform/log/exception_cause.h"
#include "platform/log/platform_log.h"
#include "platform/net/http_address.h"
#include "platform/net/net_error.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>

using lanseek::platform::BadAddressError;
using lanseek::platform::HttpStatusError;
using lanseek::platform::SocketError;

namespace {

// How much of an announced body is reserved up front. A hostile or mistaken Content-Length must not make
// us allocate gigabytes before a single byte has arrived.
constexpr std::int64_t kMaxReserve = 64 * 1024 * 1024;

struct EasyDeleter
{
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;

struct SlistDeleter
{
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

std::string systemErrorText(int osError)
{
    return std::strerror(osError);
}

// Options every request of the client shares, whatever it asks for.
void setCommonOptions(CURL* easy, char* errorBuffer, int connectTimeoutMs)
{
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // Only http and https are ever fetched; other schemes are refused before curl sees them, and this
    // keeps curl from reaching for anything else.
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    // The program talks to the hosts it names. Proxies from the environment would put other hops and
    // headers on the wire.
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeoutMs));
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    errorBuffer[0] = '\0';
}

[[noreturn]] void throwTransportError(CURL* easy, CURLcode code, const char* errorBuffer,
                                      const std::string& host, std::int64_t bodyBytes,
                                      std::optional<std::int64_t> announced)
{
    long osError = 0;
    curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osError);
    const int os = static_cast<int>(osError);
    const std::string detail = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code);
    switch (code) {
    case CURLE_COULDNT_CONNECT:
        throw SocketError(os != 0 ? os : ECONNREFUSED, systemErrorText(os != 0 ? os : ECONNREFUSED));
    case CURLE_COULDNT_RESOLVE_HOST:
        throw SocketError(0, "Host not found: " + host);
    case CURLE_OPERATION_TIMEDOUT:
        throw SocketError(ETIMEDOUT, systemErrorText(ETIMEDOUT));
    case CURLE_PARTIAL_FILE:
        if (announced) {
            throw SocketError(0, "Connection closed gracefully after " + std::to_string(bodyBytes) + " of " +
                                     std::to_string(*announced) + " bytes");
        }
        throw SocketError(0, "Connection closed gracefully before the reply was complete");
    case CURLE_GOT_NOTHING:
        throw SocketError(0, "Connection closed gracefully without a reply");
    default:
        if (os != 0) {
            throw SocketError(os, systemErrorText(os));
        }
        throw SocketError(0, detail);
    }
}

// Marks a client busy for the length of one Connect or Get.
class BusyGuard
{
public:
    explicit BusyGuard(std::atomic<bool>& busy) : m_busy(busy)
    {
        if (m_busy.exchange(true)) {
            throw std::logic_error("The HTTP client is already busy with another request");
        }
    }
    ~BusyGuard() { m_busy.store(false); }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    std::atomic<bool>& m_busy;
};

} // namespace

struct IdHttpCallbacks
{
    static std::size_t header(char* data, std::size_t size, std::size_t count, void* self)
    {
        return static_cast<TIdHTTP*>(self)->onHeader(data, size * count);
    }
    static std::size_t body(char* data, std::size_t size, std::size_t count, void* self)
    {
        return static_cast<TIdHTTP*>(self)->onBody(data, size * count);
    }
    // curl calls this at least once a second and on every block; a Disconnect shows up here even when the
    // transfer itself is between callbacks.
    static int progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        return static_cast<TIdHTTP*>(self)->m_abort.load() ? 1 : 0;
    }
};

TIdHTTP::TIdHTTP() : m_multi(curl_multi_init()), m_easy(curl_easy_init())
{
    if (m_multi == nullptr || m_easy == nullptr) {
        curl_easy_cleanup(m_easy);
        curl_multi_cleanup(m_multi);
        throw std::runtime_error("The HTTP client could not be created");
    }
}

TIdHTTP::~TIdHTTP()
{
    curl_easy_cleanup(m_easy);
    curl_multi_cleanup(m_multi);
}

void TIdHTTP::setRange(std::int64_t start, std::int64_t end)
{
    if (start < 0 || end < 0) {
        throw std::invalid_argument("A request range cannot have negative bounds");
    }
    m_range = {start, end};
}

void TIdHTTP::Disconnect()
{
    m_abort.store(true);
    // Wakes the transfer loop at once if it is waiting for the network; harmless when nothing runs.
    curl_multi_wakeup(m_multi);
}

void TIdHTTP::Connect()
{
    const BusyGuard busy(m_busy);
    const auto hostPort = lanseek::platform::splitHostPort(Host, Port);
    if (!hostPort) {
        throw BadAddressError(Host);
    }
    m_abort.store(false);

    // A connect-only transfer on a handle of its own: it proves the host takes connections without
    // leaving a half-used connection in the handle that Get uses.
    char errorBuffer[CURL_ERROR_SIZE];
    EasyHandle check(curl_easy_init());
    if (!check) {
        throw std::runtime_error("The HTTP client could not be created");
    }
    const std::string url = "http://" + hostPort->first + ":" + std::to_string(hostPort->second) + "/";
    curl_easy_setopt(check.get(), CURLOPT_URL, url.c_str());
    setCommonOptions(check.get(), errorBuffer, m_connectTimeoutMs);
    curl_easy_setopt(check.get(), CURLOPT_CONNECT_ONLY, 1L);

    Stop stop = Stop::None;
    const auto code = static_cast<CURLcode>(runTransfer(check.get(), stop));
    if (code == CURLE_OK) {
        return;
    }
    if (m_abort.load()) {
        throw SocketError(ECONNABORTED, systemErrorText(ECONNABORTED));
    }
    throwTransportError(check.get(), code, errorBuffer, hostPort->first, 0, std::nullopt);
}

void TIdHTTP::Get(const std::string& url, std::vector<char>& buffer)
{
    bool reserved = false;
    const std::function<void(const char*, std::size_t)> deliver = [&](const char* data, std::size_t length) {
        if (!reserved) {
            reserved = true;
            if (m_contentLength && *m_contentLength > 0) {
                const auto want = std::min(*m_contentLength, kMaxReserve);
                buffer.reserve(buffer.size() + static_cast<std::size_t>(want));
            }
        }
        buffer.insert(buffer.end(), data, data + length);
    };
    get(url, deliver);
}

void TIdHTTP::Get(const std::string& url, const BodySink& sink)
{
    const std::function<void(const char*, std::size_t)> deliver = [&](const char* data, std::size_t length) {
        if (sink) {
            sink(m_bodyBytes, data, length);
        }
    };
    get(url, deliver);
}

void TIdHTTP::resetReply()
{
    m_callbackError = nullptr;
    m_headersDone = false;
    m_workBegun = false;
    m_endedAtWorkBegin = false;
    m_finishRequested = false;
    m_endedEarly = false;
    m_chunked = false;
    m_statusCode = 0;
    m_statusLine.clear();
    m_responseHeaders.clear();
    m_contentLength.reset();
    m_contentRange.reset();
    m_bodyBytes = 0;
}

void TIdHTTP::get(const std::string& url, const std::function<void(const char*, std::size_t)>& deliver)
{
    const BusyGuard busy(m_busy);
    const auto address = lanseek::platform::parseHttpUrl(url);
    if (!address) {
        throw BadAddressError(url);
    }
    resetReply();
    // A Disconnect aimed at an earlier call must not end this one.
    m_abort.store(false);

    CURL* easy = m_easy;
    curl_easy_reset(easy);
    char errorBuffer[CURL_ERROR_SIZE];
    setCommonOptions(easy, errorBuffer, m_connectTimeoutMs);
    const std::string fullUrl = address->url();
    curl_easy_setopt(easy, CURLOPT_URL, fullUrl.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    // One connection per request: the connection ends with the Get, as the program's "disconnect after the
    // transfer" expects, and nothing stays open between rows.
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
    // Replaces curl's own "Accept: */*" with the program's value.
    Slist headers(curl_slist_append(nullptr, (std::string("Accept: ") + kAccept).c_str()));
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get());
    const std::string rangeText = m_range.boundsText();
    curl_easy_setopt(easy, CURLOPT_RANGE, rangeText.empty() ? nullptr : rangeText.c_str());
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &IdHttpCallbacks::header);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &IdHttpCallbacks::body);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    if (m_lowSpeedBytesPerSecond > 0 && m_lowSpeedSeconds > 0) {
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, m_lowSpeedBytesPerSecond);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, m_lowSpeedSeconds);
    }
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &IdHttpCallbacks::progress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);

    m_deliver = &deliver;
    Stop stop = Stop::None;
    const auto code = static_cast<CURLcode>(runTransfer(easy, stop));
    m_deliver = nullptr;
    // The handle keeps option pointers until its next reset; none of them may outlive this call.
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, nullptr);

    if (m_workBegun && OnWorkEnd) {
        try {
            OnWorkEnd(*this);
        } catch (...) {
            // The first failure is the one Get raises. A work-end handler failing after it would vanish
            // without a trace, so it is logged.
            if (!m_callbackError) {
                m_callbackError = std::current_exception();
            } else {
                qCWarning(lanseek::platform::platformLog).noquote()
                    << QStringLiteral("the work-end handler of a failed transfer of %1 failed as well: %2")
                           .arg(QString::fromStdString(fullUrl),
                                lanseek::platform::exceptionCause(std::current_exception()));
            }
        }
    }
    if (m_callbackError) {
        std::rethrow_exception(m_callbackError);
    }
    if (m_headersDone && (m_statusCode < 200 || m_statusCode > 299)) {
        throw HttpStatusError(m_statusCode, m_statusLine);
    }
    if (m_endedAtWorkBegin || m_endedEarly || code == CURLE_OK) {
        return;
    }
    if (m_abort.load()) {
        throw SocketError(ECONNABORTED, systemErrorText(ECONNABORTED));
    }
    if (stop == Stop::Stalled) {
        throw SocketError(ETIMEDOUT, systemErrorText(ETIMEDOUT));
    }
    throwTransportError(easy, code, errorBuffer, address->host, m_bodyBytes, m_contentLength);
}

int TIdHTTP::runTransfer(CURL* easy, Stop& stop)
{
    stop = Stop::None;
    m_lastActivity = std::chrono::steady_clock::now();
    if (curl_multi_add_handle(m_multi, easy) != CURLM_OK) {
        return CURLE_FAILED_INIT;
    }
    CURLcode result = CURLE_OK;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(m_multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        bool done = false;
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                result = message->data.result;
                done = true;
            }
        }
        if (done) {
            break;
        }
        if (m_abort.load()) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        const auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::steady_clock::now() - m_lastActivity)
                              .count();
        if (m_stallTimeoutMs > 0 && idle >= m_stallTimeoutMs) {
            stop = Stop::Stalled;
            result = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        // Wait for the network, a Disconnect (curl_multi_wakeup) or the next stall check, whichever comes
        // first. curl shortens the wait itself when its own timers are due.
        long waitMs = 1000;
        if (m_stallTimeoutMs > 0) {
            waitMs = std::clamp<long>(static_cast<long>(m_stallTimeoutMs - idle), 1, 1000);
        }
        curl_multi_poll(m_multi, nullptr, 0, static_cast<int>(waitMs), nullptr);
    }
    curl_multi_remove_handle(m_multi, easy);
    return result;
}

std::size_t TIdHTTP::onHeader(const char* data, std::size_t length)
{
    m_lastActivity = std::chrono::steady_clock::now();
    if (m_abort.load()) {
        return 0;
    }
    std::string_view line(data, length);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.remove_suffix(1);
    }
    // Trailers of a chunked body arrive here after the body; they change nothing.
    if (m_headersDone) {
        return length;
    }
    if (line.substr(0, 5) == "HTTP/") {
        // A new status line starts a new header block (after an interim 1xx reply).
        const auto status = lanseek::platform::parseStatusLine(line);
        m_statusCode = status ? status->code : 0;
        m_statusLine = status ? status->text : std::string(line);
        m_responseHeaders.clear();
        m_contentLength.reset();
        m_contentRange.reset();
        m_chunked = false;
        return length;
    }
    if (!line.empty()) {
        m_responseHeaders.emplace_back(line);
        if (const auto value = lanseek::platform::headerValueIf(line, "Content-Length")) {
            m_contentLength = lanseek::platform::parseContentLength(*value);
        } else if (const auto range = lanseek::platform::headerValueIf(line, "Content-Range")) {
            m_contentRange = lanseek::platform::parseContentRange(*range);
        } else if (const auto coding = lanseek::platform::headerValueIf(line, "Transfer-Encoding")) {
            std::string lowered(*coding);
            std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            m_chunked = lowered.find("chunked") != std::string::npos;
        }
        return length;
    }
    // The blank line ends a header block. Interim replies (100 Continue) are followed by the real one.
    if (m_statusCode >= 100 && m_statusCode < 200) {
        return length;
    }
    m_headersDone = true;
    if (m_chunked) {
        m_contentLength.reset();
    }
    m_workBegun = true;
    if (OnWorkBegin) {
        try {
            OnWorkBegin(*this, m_contentLength.value_or(0));
        } catch (...) {
            m_callbackError = std::current_exception();
            return 0;
        }
    }
    if (m_abort.load()) {
        m_endedAtWorkBegin = true;
        return 0;
    }
    if (m_finishRequested) {
        m_endedEarly = true;
        return 0;
    }
    return length;
}

std::size_t TIdHTTP::onBody(const char* data, std::size_t length)
{
    m_lastActivity = std::chrono::steady_clock::now();
    if (m_abort.load() || m_callbackError) {
        return 0;
    }
    try {
        (*m_deliver)(data, length);
        m_bodyBytes += static_cast<std::int64_t>(length);
        if (OnWork) {
            OnWork(*this, m_bodyBytes);
        }
    } catch (...) {
        m_callbackError = std::current_exception();
        return 0;
    }
    if (m_finishRequested) {
        // The block has been taken whole; refusing it tells curl to end the transfer here.
        m_endedEarly = true;
        return 0;
    }
    return length;
}

bool TIdHTTP::replyMatchesRange() const
{
    if (m_range.empty()) {
        return m_statusCode == 200;
    }
    if (m_statusCode != 206 || !m_contentRange || m_contentRange->first != m_range.start) {
        return false;
    }
    const auto& got = *m_contentRange;
    if (m_range.end == 0) {
        return got.total < 0 || got.last == got.total - 1;
    }
    if (got.last == m_range.end) {
        return true;
    }
    // Servers cut a range that runs past the end of the resource at its last byte.
    return got.total >= 0 && got.last == got.total - 1 && m_range.end > got.last;
}
