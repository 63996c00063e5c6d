#pragma once

// The light check that a service found on the LAN still answers: a GET of its home page, every address
// at once, each within the same time limit. A service that is gone but whose record lingers (its machine
// lost power, its process hangs) fails it.

#include <chrono>
#include <string>
#include <vector>

namespace lanseek::lan {

// For each base address ("http://host:port"), whether "/" answered 200 within the timeout. Only
// plain HTTP to the address itself: no redirects, no proxy. Returns within the timeout (and a little).
std::vector<bool> checkAnswers(const std::vector<std::string>& bases, std::chrono::milliseconds timeout);

} // namespace lanseek::lan
