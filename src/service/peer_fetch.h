#pragma once

// Fetching pages from the other services on the LAN, all at once and against one deadline. A peer is
// untrusted: whatever it does (refuse, stall, trickle, send more than a page may hold, redirect) the
// fetch ends by the deadline with a reply that says what happened, and no peer can hold up the others.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace lanseek::service {

// The most one peer's page may hold; the program's own page loader allows as much for any page.
inline constexpr std::size_t kMaxPeerPageBytes = 32 * 1024 * 1024;

enum class PeerOutcome {
    Answered, // a 2xx reply arrived whole
    Refused,  // no connection, a reset, an HTTP status outside 2xx (redirects are not followed)
    TimedOut, // the deadline passed first
    TooLarge, // the body grew past the limit
};

struct PeerReply
{
    PeerOutcome outcome = PeerOutcome::Refused;
    long status = 0;
    std::string contentType;
    std::string body;
};

// GETs every address at once; the answer comes back within the deadline (plus the time to notice it),
// one reply per address in the order given.
std::vector<PeerReply> fetchAll(const std::vector<std::string>& addresses, std::chrono::milliseconds deadline,
                                std::size_t maxBytes = kMaxPeerPageBytes);

// The same, handing each reply over as soon as it is complete (with the index of its address), so that
// the caller reads the quick peers' pages while the slow ones are still on their way. Every address gets
// exactly one call, on the calling thread, before the function returns.
void fetchEach(const std::vector<std::string>& addresses, std::chrono::milliseconds deadline,
               const std::function<void(std::size_t, PeerReply)>& onReply,
               std::size_t maxBytes = kMaxPeerPageBytes);

} // namespace lanseek::service
