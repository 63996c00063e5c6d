#pragma once

// What every fetch of a media address over HTTP shares, for the readers in this folder that fetch
// with libcurl directly.

#include <QByteArray>

#include <curl/curl.h>

namespace lanseek::platform {

// Sets the options a media fetch always uses: the address, no signals (fetches run on helper
// threads), up to five redirections that stay on web addresses, and the connect and total time
// limits in seconds.
void setMediaFetchOptions(CURL* handle, const QByteArray& address, long connectSeconds, long totalSeconds);

} // namespace lanseek::platform
