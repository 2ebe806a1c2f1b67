#include "net/url_parts.h"

#include <climits>

#include "net/text_search.h"

namespace lumaru {
namespace {

// The integer value of the leading digits (with an optional sign), 0 when there are none;
// saturates instead of overflowing.
int LeadingInteger(std::string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) {
            value = INT_MAX;
        }
    }
    return static_cast<int>(negative ? -value : value);
}

// Where the port part of a host may begin: after the brackets of an IPv6 literal, whose own
// colons are no port separators.
size_t PortSearchStart(std::string_view host) {
    if (!host.empty() && host.front() == '[') {
        const size_t close = host.find(']');
        return close == std::string_view::npos ? host.size() : close + 1;
    }
    return 0;
}

}  // namespace

std::string UrlHost(std::string_view address, bool keepPort) {
    std::string lowered = ToLowerAscii(address);
    if (lowered.empty() || lowered.back() != '/') {
        lowered.push_back('/');
    }
    std::string host;
    if (StartsWithText(lowered, "https://")) {
        host = TextBetween(lowered, "https://", "/");
    } else {
        if (FindText(lowered, "http://") == 0) {
            lowered.insert(0, "http://");
        }
        host = TextBetween(lowered, "http://", "/");
    }
    if (keepPort) {
        return host;
    }
    const size_t from = PortSearchStart(host);
    const int colonAt = FindText(host, ":", static_cast<int>(from) + 1);
    return colonAt == 0 ? host : host.substr(0, colonAt - 1);
}

int UrlPort(std::string_view address) {
    const std::string host = UrlHost(address, true);
    const size_t from = PortSearchStart(host);
    const int colonAt = FindLastText(std::string_view(host).substr(from), ":");
    if (colonAt == 0) {
        return StartsWithText(address, "https", true) ? 443 : 80;
    }
    return LeadingInteger(std::string_view(host).substr(from + colonAt));
}

std::string UrlPath(std::string_view address) {
    const std::string host = UrlHost(address);
    const int hostAt = FindText(address, host, 1, true);
    const int slashAt = FindText(address, "/", hostAt);
    if (slashAt == 0) {
        return "/";
    }
    return std::string(address.substr(slashAt - 1));
}

}  // namespace lumaru
