#pragma once

// FetchPage: one HTTP or HTTPS request, the response body as raw bytes.
//
// Every call is self-contained (its own connection, nothing shared between calls), so workers
// on different threads may fetch at the same time. Called with the address alone it sends a GET
// whose request, on the wire, reads:
//
//   GET <object> HTTP/1.1
//   Host: <host>[:<port>]
//   User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)
//   Accept: */*
//   Referer: <address>
//   Accept-Language: zh-cn
//   Content-Type: application/x-www-form-urlencoded
//
// The User-Agent line is left out when the header block carries its own; a body adds
// "Content-Length". Nothing else goes out.
//
// Failures are silent: an empty result. A body cut off by the server comes back as far as it
// arrived.

#include <chrono>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace lumaru {

inline constexpr std::string_view kFetchPageAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
// Bounds resolving and connecting, and then each wait for the server.
inline constexpr std::chrono::milliseconds kFetchPageTimeout{30000};

// The optional parameters. Out and in/out parameters are the caller's variables, written by the
// call; a null pointer or an empty optional is a parameter not given.
struct FetchPageArgs {
    // 0 GET, 1 POST, 2 HEAD; not given or anything else: GET.
    std::optional<int> method = {};
    // Request body as text; sent by POST and HEAD when postBytes is empty.
    std::optional<std::string> postData = {};
    // In/out. The cookie text to send (name=value items joined by "; "). When given, even
    // empty, it receives the merged cookie jar after the response.
    std::string* cookies = nullptr;
    // Out: the cookies this response set.
    std::string* returnedCookies = nullptr;
    // In/out: extra request header lines separated by "\r\n"; on return the complete header
    // block that was sent (Host and the default User-Agent line come before it).
    std::string* headers = nullptr;
    // Out: the raw headers of the final response (empty when none arrived).
    std::string* returnedHeaders = nullptr;
    // true: redirects are not followed.
    bool noRedirect = false;
    // In/out: request body as bytes; filled from postData when empty and the method sends one.
    std::string* postBytes = nullptr;
    // "host:port" of a proxy; empty or not given: direct connection.
    std::optional<std::string> proxy = {};

    // Ends a transfer in flight; the call then returns empty bytes.
    std::stop_token stop = {};
    std::chrono::milliseconds timeout = kFetchPageTimeout;
};

// Where a FetchPage address is sent: host (lower-cased, without port), port, and the object
// requested (path with its query, unchanged). An address without scheme is plain http; the host
// ends at the first "/" after the scheme.
struct FetchPageTarget {
    bool secure = false;
    std::string host;
    int port = 0;
    std::string object;
};
FetchPageTarget TargetOfAddress(std::string_view address);

std::string FetchPage(std::string_view address, const FetchPageArgs& args = {});

}  // namespace lumaru
