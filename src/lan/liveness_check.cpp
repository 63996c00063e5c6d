#include "lan/liveness_check.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>

namespace lanseek::lan {
namespace {

// The home page is small; a "service" that sends more than this is not one of ours.
constexpr std::size_t kMaxBody = 256 * 1024;

struct Check
{
    std::size_t received = 0;
    bool answered = false;
};

std::size_t discard(char*, std::size_t size, std::size_t count, void* user)
{
    auto* check = static_cast<Check*>(user);
    check->received += size * count;
    return check->received > kMaxBody ? 0 : size * count;
}

struct MultiDeleter
{
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
struct EasyDeleter
{
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

} // namespace

std::vector<bool> checkAnswers(const std::vector<std::string>& bases, std::chrono::milliseconds timeout)
{
    std::vector<Check> checks(bases.size());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    std::vector<std::unique_ptr<CURL, EasyDeleter>> handles;
    if (!multi) {
        return std::vector<bool>(bases.size(), false);
    }
    for (std::size_t i = 0; i < bases.size(); ++i) {
        std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
        if (!easy) {
            continue;
        }
        const std::string address = bases[i] + "/";
        CURL* c = easy.get();
        curl_easy_setopt(c, CURLOPT_URL, address.c_str());
        curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http");
        curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(c, CURLOPT_PROXY, "");
        curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count()));
        curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeout.count()));
        curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, discard);
        curl_easy_setopt(c, CURLOPT_WRITEDATA, &checks[i]);
        curl_easy_setopt(c, CURLOPT_PRIVATE, &checks[i]);
        curl_multi_add_handle(multi.get(), c);
        handles.push_back(std::move(easy));
    }
    const auto end = std::chrono::steady_clock::now() + timeout + std::chrono::milliseconds(50);
    int running = 0;
    curl_multi_perform(multi.get(), &running);
    while (running > 0 && std::chrono::steady_clock::now() < end) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        curl_multi_poll(multi.get(), nullptr, 0, static_cast<int>(std::max<long long>(1, left.count())),
                        nullptr);
        curl_multi_perform(multi.get(), &running);
    }
    for (int queued = 0; CURLMsg* message = curl_multi_info_read(multi.get(), &queued);) {
        if (message->msg != CURLMSG_DONE) {
            continue;
        }
        Check* check = nullptr;
        long status = 0;
        curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &check);
        curl_easy_getinfo(message->easy_handle, CURLINFO_RESPONSE_CODE, &status);
        check->answered = message->data.result == CURLE_OK && status == 200;
    }
    for (auto& easy : handles) {
        curl_multi_remove_handle(multi.get(), easy.get());
    }
    std::vector<bool> answers;
    answers.reserve(checks.size());
    for (const Check& check : checks) {
        answers.push_back(check.answered);
    }
    return answers;
}

} // namespace lanseek::lan
