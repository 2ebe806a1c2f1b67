#pragma once

// FetchPageHttp: one HTTP or HTTPS request, the response as GBK text decoded from the page's
// declared charset. Unlike FetchPage it reports every failure as a numbered message, bounds
// each phase with a time-out, offers basic authentication against server and proxy, reports
// the Location header and leaves the caller's header text unchanged.
//
// Called with the address alone it sends a GET whose request, on the wire, reads:
//
//   GET <path and query> HTTP/1.1
//   Host: <host>[:<port>]
//   User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)
//   Accept: text/html, application/xhtml+xml, */*
//   Accept-Encoding: gbk, GB2312
//   Accept-Language: zh-cn
//   Content-Type: application/x-www-form-urlencoded
//   Cache-Control: no-cache
//
// A body adds "Content-Length", credentials add "Authorization". Nothing else goes out.

#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

namespace lumaru {

// The optional parameters. Out and in/out parameters are the caller's variables, written by the
// call; a null pointer or an empty optional is a parameter not given.
struct FetchPageHttpArgs {
    // 0 GET, 1 POST, 2 HEAD, 3 PUT; not given or anything else: GET.
    std::optional<int> method = {};
    // Request body; its bytes are sent whatever the method (HEAD excepted).
    std::optional<std::string> postData = {};
    // In/out: the cookie text to send. When given, the response's cookies are merged into it.
    std::string* cookies = nullptr;
    // In/out: the cookies this response set are appended to what it holds.
    std::string* returnedCookies = nullptr;
    // Extra request header lines separated by "\r\n", without a final line break.
    std::optional<std::string> headers = {};
    // Out: the raw headers of the final response.
    std::string* returnedHeaders = nullptr;
    // true: redirects are not followed.
    bool noRedirect = false;
    // Basic authentication against the server; used when both are given and not empty.
    std::optional<std::string> userName = {};
    std::optional<std::string> password = {};
    // "host:port" of a proxy; empty or not given: no proxy.
    std::optional<std::string> proxy = {};
    // Basic authentication against the proxy; used when both are given and not empty.
    std::optional<std::string> proxyUser = {};
    std::optional<std::string> proxyPassword = {};
    // Time-out of each phase in seconds; 0, negative or not given: 30.
    std::optional<int> timeoutSeconds = {};
    // Out: the Location header of the final response, when it has one.
    std::string* location = nullptr;
    // Out: the status text of the response ("200 OK"), or the numbered message of a failure.
    std::string* status = nullptr;
    // Out: the raw response body.
    std::string* body = nullptr;

    // Ends a transfer in flight; the call then fails with message 711 or 712.
    std::stop_token stop = {};
};

// The numbered failure messages (GBK), 700 to 713 (there is no 706); empty for other numbers.
std::string FetchPageHttpMessage(int number);

// The page text; empty after a failure (its message in status), except when the body broke off
// after the headers: then the text of the bytes that arrived.
std::string FetchPageHttp(std::string_view address, const FetchPageHttpArgs& args = {});

}  // namespace lumaru
