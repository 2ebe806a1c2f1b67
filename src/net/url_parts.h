#pragma once

// Splitting an address into host, port and path, the way the page fetcher addresses a server.

#include <string>
#include <string_view>

namespace lumaru {

// The host, lower-cased (ASCII letters), followed by ":" and the port when keepPort is true and
// the address has one. An address without "http://" is read as a plain http address. The host
// ends at the first "/" after the scheme, so a query right after the host stays part of it.
std::string UrlHost(std::string_view address, bool keepPort = false);

// The port after the host's last colon (0 when it is no number), else 443 for an address that
// starts with "https" in any letter case and 80 for any other.
int UrlPort(std::string_view address);

// The path and query from the first "/" after the host, unchanged in case; "/" when there is
// none.
std::string UrlPath(std::string_view address);

}  // namespace lumaru
