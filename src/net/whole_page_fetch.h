#pragma once

// The window toolkit's two network conveniences, without any window: a blocking GET of a whole
// page, and the probe behind the internet check.

#include <chrono>
#include <stop_token>
#include <string>
#include <string_view>

namespace lumaru {

// The whole body of an HTTP GET, as bytes, redirects followed. Empty on failure, and a failure
// is: no connection, no response, a body that broke off, or an error status (400 and above),
// since an error page is not the page asked for. An address without scheme is plain http.
// Resolving plus connecting, and every later wait for the server, are bounded by timeout.
std::string FetchWholePage(std::string_view address, std::chrono::milliseconds timeout,
                           std::stop_token stop = {});

// True when a HEAD request to the address gets any HTTP response, whatever its status.
bool ProbeAddress(std::string_view address, std::chrono::milliseconds timeout,
                  std::stop_token stop = {});

}  // namespace lumaru
