#pragma once

// The browser over the desktop's mDNS daemon (avahi, through its client library), on a thread of the
// client library's own. It browses IPv4 and IPv6 on every interface and resolves each service to the
// address of its own family. It follows the daemon: when the daemon goes away it says so once and
// browses again as soon as the daemon is back.

#include "lan/service_browser.h"

#include <memory>

namespace lanseek::lan {

std::unique_ptr<ServiceBrowser> makeAvahiBrowser();

} // namespace lanseek::lan
