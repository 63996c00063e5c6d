#include "platform/media/http_probe.h"

#include "platform/media/media_fetch.h"

#include <curl/curl.h>

#include <memory>

namespace lanseek::platform {

namespace {

// The body is of no interest: the first bytes end the transfer, the status is known by then.
size_t onBody(char*, size_t, size_t, void*)
{
    return 0;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* cancel = static_cast<const std::atomic<bool>*>(user);
    return cancel && cancel->load() ? 1 : 0;
}

bool isUnreachable(CURLcode rc)
{
    switch (rc) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
        return true;
    default:
        return false;
    }
}

} // namespace

ProbeResult probeHttp(const QUrl& url, const std::atomic<bool>* cancel)
{
    ProbeResult result;
    const std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl)
        return result;
    const QByteArray address = url.toEncoded();
    CURL* h = curl.get();
    setMediaFetchOptions(h, address, 5, 10);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, cancel);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    const CURLcode rc = curl_easy_perform(h);
    if (cancel && cancel->load())
        return result;
    long status = 0;
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
    if (status > 0) {
        result.outcome = ProbeResult::Outcome::Answered;
        result.httpStatus = int(status);
    } else if (isUnreachable(rc)) {
        result.outcome = ProbeResult::Outcome::Unreachable;
    }
    return result;
}

} // namespace lanseek::platform
