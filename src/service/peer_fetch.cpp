#include "service/peer_fetch.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>

namespace lanseek::service {
namespace {

struct Transfer
{
    PeerReply reply;
    std::size_t maxBytes = 0;
    bool tooLarge = false;
    bool done = false;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* transfer = static_cast<Transfer*>(user);
    const std::size_t n = size * count;
    if (transfer->reply.body.size() + n > transfer->maxBytes) {
        transfer->tooLarge = true;
        return 0; // ends the transfer with a write error
    }
    transfer->reply.body.append(data, n);
    return n;
}

struct EasyDeleter
{
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct MultiDeleter
{
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};

} // namespace

std::vector<PeerReply> fetchAll(const std::vector<std::string>& addresses, std::chrono::milliseconds deadline,
                                std::size_t maxBytes)
{
    std::vector<PeerReply> replies(addresses.size());
    fetchEach(
        addresses, deadline,
        [&replies](std::size_t index, PeerReply reply) { replies[index] = std::move(reply); }, maxBytes);
    return replies;
}

void fetchEach(const std::vector<std::string>& addresses, std::chrono::milliseconds deadline,
               const std::function<void(std::size_t, PeerReply)>& onReply, std::size_t maxBytes)
{
    std::vector<Transfer> transfers(addresses.size());
    std::vector<std::unique_ptr<CURL, EasyDeleter>> handles;
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    // The reply of a transfer that ended, handed over at once.
    auto finish = [&](Transfer& transfer, CURL* easy, CURLcode code) {
        transfer.done = true;
        PeerReply& reply = transfer.reply;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &reply.status);
        const char* type = nullptr;
        curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &type);
        reply.contentType = type != nullptr ? type : "";
        if (code == CURLE_OK && reply.status >= 200 && reply.status < 300) {
            reply.outcome = PeerOutcome::Answered;
        } else {
            reply.outcome = transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED ? PeerOutcome::TooLarge
                            : code == CURLE_OPERATION_TIMEDOUT                   ? PeerOutcome::TimedOut
                                                                                 : PeerOutcome::Refused;
            reply.body.clear();
        }
        onReply(static_cast<std::size_t>(&transfer - transfers.data()), std::move(reply));
    };
    const auto budget = static_cast<long>(deadline.count());
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        transfers[i].maxBytes = maxBytes;
        std::unique_ptr<CURL, EasyDeleter> easy(multi ? curl_easy_init() : nullptr);
        if (!easy) {
            continue;
        }
        CURL* c = easy.get();
        curl_easy_setopt(c, CURLOPT_URL, addresses[i].c_str());
        // Only plain HTTP to the peer itself: no redirects, no other protocols, no proxy from the
        // environment between us and a machine on our own network.
        curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http");
        curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(c, CURLOPT_PROXY, "");
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, budget);
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, budget);
        curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBytes));
        curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, collect);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfers[i]);
        curl_easy_setopt(c, CURLOPT_PRIVATE, &transfers[i]);
        curl_multi_add_handle(multi.get(), c);
        handles.push_back(std::move(easy));
    }

    if (multi) {
        // Every transfer carries the deadline itself; the loop's own clock is the backstop should a
        // transfer fail to notice it.
        const auto end = std::chrono::steady_clock::now() + deadline + std::chrono::milliseconds(50);
        int running = 0;
        curl_multi_perform(multi.get(), &running);
        for (;;) {
            for (int queued = 0; CURLMsg* message = curl_multi_info_read(multi.get(), &queued);) {
                if (message->msg == CURLMSG_DONE) {
                    Transfer* transfer = nullptr;
                    curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
                    finish(*transfer, message->easy_handle, message->data.result);
                }
            }
            if (running == 0 || std::chrono::steady_clock::now() >= end) {
                break;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            curl_multi_poll(multi.get(), nullptr, 0, static_cast<int>(std::max<long long>(1, left.count())),
                            nullptr);
            curl_multi_perform(multi.get(), &running);
        }
        for (auto& easy : handles) {
            curl_multi_remove_handle(multi.get(), easy.get());
        }
    }
    for (std::size_t i = 0; i < transfers.size(); ++i) {
        if (!transfers[i].done) {
            // Still running at the backstop (or never started): it has timed out as well.
            PeerReply reply;
            reply.outcome = multi ? PeerOutcome::TimedOut : PeerOutcome::Refused;
            onReply(i, std::move(reply));
        }
    }
}

} // namespace lanseek::service
