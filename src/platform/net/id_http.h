#pragma once

// The program's HTTP client: one blocking GET at a time, with a request byte range, work events while the
// body arrives and a Disconnect that other threads may call to end a running transfer.
//
// Threading: a client is used by one thread at a time (Connect, Get, setRange, the reply accessors). Its
// events run on that thread, inside Get. A Connect or Get started while another one runs on the same
// client (a re-entered handler reusing a busy client) raises std::logic_error instead of disturbing the
// first. Disconnect is the one call that may come from any thread, at any time, including from inside the
// client's own events. The owner must not destroy a client while another thread may still call Disconnect
// on it or while a Get runs.
//
// On the wire a request carries exactly: the request line, Host, Range (when a range is set), User-Agent
// "Mozilla/3.0 (compatible; Indy Library)" and Accept "text/html, */*". Redirects are not followed: a 3xx
// reply is an error like any other status outside 200-299. Each Get opens its own connection and closes it
// when it ends, so a client holds no connection between calls.

#include "platform/net/http_reply.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

typedef void CURL;
typedef void CURLM;

class TIdHTTP
{
public:
    // announcedLength is the reply's Content-Length, or 0 when the reply announces none (chunked or
    // close-delimited bodies).
    using WorkBeginEvent = std::function<void(TIdHTTP& sender, std::int64_t announcedLength)>;
    // bytesSoFar counts the body bytes this Get has received, after each received block.
    using WorkEvent = std::function<void(TIdHTTP& sender, std::int64_t bytesSoFar)>;
    using WorkEndEvent = std::function<void(TIdHTTP& sender)>;
    // Receives the body block by block; offsetInBody is where data starts within the reply's body.
    using BodySink = std::function<void(std::int64_t offsetInBody, const char* data, std::size_t length)>;

    static constexpr const char* kAccept = "text/html, */*";
    static constexpr const char* kUserAgent = "Mozilla/3.0 (compatible; Indy Library)";

    TIdHTTP();
    ~TIdHTTP();
    TIdHTTP(const TIdHTTP&) = delete;
    TIdHTTP& operator=(const TIdHTTP&) = delete;

    // Names the client's owner: the download workers carry 100 x (slot + 1) + worker index, the size probe
    // 6789. The client itself never reads it.
    int Tag = 0;
    // Where Connect goes. Host may carry its own ":port", which then wins over Port. Get ignores both and
    // goes where its address points.
    std::string Host;
    std::uint16_t Port = 80;

    // Raised once when the reply's headers are in, before any body byte is delivered; the reply accessors
    // below are already valid then. A Disconnect from inside this event ends the transfer without an error:
    // Get returns normally with no body read (unless the status is an error, which still raises).
    WorkBeginEvent OnWorkBegin;
    WorkEvent OnWork;
    // Raised once when the body transfer ends, normally or not, if and only if OnWorkBegin was raised.
    WorkEndEvent OnWorkEnd;

    // Checks that Host:Port accepts a TCP connection and raises SocketError when it does not. The
    // connection is closed again at once; Get opens its own. Disconnect from another thread ends a waiting
    // Connect with a SocketError.
    void Connect();

    // Ends the Connect or Get that runs now, from any thread, within a few milliseconds. Without a running
    // call it does nothing: the next Connect or Get starts afresh.
    void Disconnect();

    // Ends the running Get successfully once the current block has been delivered: Get returns normally
    // with what arrived so far (a status outside 200-299 still raises). Only for OnWorkBegin, OnWork and
    // the body sink, on the thread that runs the Get; a worker whose server ignored its range uses it to
    // stop once its own segment is in.
    void finishTransfer() { m_finishRequested = true; }

    // The byte range of later Gets, both bounds inclusive: "Range: bytes=start-end", "bytes=start-" when end
    // is 0, no Range header when both are 0. Negative bounds raise std::invalid_argument.
    void setRange(std::int64_t start, std::int64_t end);
    lanseek::platform::RequestRange range() const { return m_range; }

    // Blocking GET. The body is appended to buffer (or handed to sink). Raises SocketError for transport
    // failures, HttpStatusError for a status outside 200-299 (after the error reply's body was delivered
    // like any body), BadAddressError for an address that is not http:// or https://, and rethrows what an
    // event handler or the sink threw (the transfer is ended first). Bytes delivered before a failure stay
    // in the buffer.
    void Get(const std::string& url, std::vector<char>& buffer);
    void Get(const std::string& url, const BodySink& sink);

    // Bounds on waiting: a connection that is not made within the connect timeout, and a transfer that
    // receives nothing for the stall timeout, end with a SocketError. Defaults: 30 s and 60 s.
    void setConnectTimeoutMs(int ms) { m_connectTimeoutMs = ms; }
    void setStallTimeoutMs(int ms) { m_stallTimeoutMs = ms; }
    // A transfer that stays slower than bytesPerSecond for `seconds` in a row ends with a SocketError, so
    // that a server sending a byte now and then cannot hold a request open for ever; curl measures it.
    // Default: 1024 bytes a second for 60 s. A bytesPerSecond or seconds of 0 turns the limit off.
    void setLowSpeedLimit(long bytesPerSecond, long seconds)
    {
        m_lowSpeedBytesPerSecond = bytesPerSecond;
        m_lowSpeedSeconds = seconds;
    }

    // The reply of the last Get (valid from OnWorkBegin on; reset when a Get starts).
    int statusCode() const { return m_statusCode; }
    const std::string& statusLine() const { return m_statusLine; }
    // Header lines as received, without line breaks and without the status line.
    const std::vector<std::string>& responseHeaders() const { return m_responseHeaders; }
    // The raw Content-Length, when the reply had a valid one and no chunked encoding.
    std::optional<std::int64_t> contentLength() const { return m_contentLength; }
    // The parsed Content-Range, when the reply had a valid one.
    std::optional<lanseek::platform::ContentRange> contentRange() const { return m_contentRange; }
    // Body bytes delivered by the last Get.
    std::int64_t bodyBytes() const { return m_bodyBytes; }
    // True when the last Get was ended by a Disconnect from inside OnWorkBegin.
    bool endedAtWorkBegin() const { return m_endedAtWorkBegin; }
    // True when the last Get was ended by finishTransfer.
    bool endedEarly() const { return m_endedEarly; }
    // True when Disconnect was called during the running or the last Connect or Get: its failure is then
    // the stop that was asked for, not a fault of the network.
    bool disconnected() const { return m_abort.load(); }

    // True when the last reply is a 206 whose Content-Range starts at the requested start (and, when an end
    // was requested, ends there or at the end of the resource). A 200 means the server ignored the range.
    bool replyMatchesRange() const;

private:
    enum class Stop { None, Stalled };

    void get(const std::string& url, const std::function<void(const char*, std::size_t)>& deliver);
    void resetReply();
    // Runs the easy handle through the client's multi handle until it ends, Disconnect is called or the
    // transfer stalls. Returns curl's result for the transfer.
    int runTransfer(CURL* easy, Stop& stop);

    std::size_t onHeader(const char* data, std::size_t length);
    std::size_t onBody(const char* data, std::size_t length);

    // curl's C callbacks, which forward to the members above.
    friend struct IdHttpCallbacks;

    CURLM* m_multi = nullptr;
    CURL* m_easy = nullptr;
    std::atomic<bool> m_abort{false};
    std::atomic<bool> m_busy{false};

    lanseek::platform::RequestRange m_range;
    int m_connectTimeoutMs = 30000;
    int m_stallTimeoutMs = 60000;
    long m_lowSpeedBytesPerSecond = 1024;
    long m_lowSpeedSeconds = 60;

    // State of the running Get; touched only by the thread that runs it.
    const std::function<void(const char*, std::size_t)>* m_deliver = nullptr;
    std::exception_ptr m_callbackError;
    std::chrono::steady_clock::time_point m_lastActivity;
    bool m_headersDone = false;
    bool m_workBegun = false;
    bool m_endedAtWorkBegin = false;
    bool m_finishRequested = false;
    bool m_endedEarly = false;
    bool m_chunked = false;
    int m_statusCode = 0;
    std::string m_statusLine;
    std::vector<std::string> m_responseHeaders;
    std::optional<std::int64_t> m_contentLength;
    std::optional<lanseek::platform::ContentRange> m_contentRange;
    std::int64_t m_bodyBytes = 0;
};
