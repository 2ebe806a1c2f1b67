#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lumaru::demo {

// One request as the demo server needs it: the request line and nothing more.
struct HttpRequest {
    std::string method;
    std::string target;  // as sent, e.g. "/route/0?url=http://x/y.html"
    std::string path;    // target up to the first '?'
    std::string query;   // target after the first '?', empty when there is none
};

struct HttpReply {
    int status = 200;
    std::string contentType = "text/html; charset=utf-8";
    std::string body;
};

// Largest request head (request line and header lines) the server reads.
inline constexpr std::size_t kMaxRequestHead = 16 * 1024;

// Reads the request line of a complete head (everything up to and including the blank line).
// nullopt when the line is not "METHOD TARGET HTTP/x.y" or the target does not start with '/'.
std::optional<HttpRequest> ParseRequestHead(std::string_view head);

// The bytes of a whole response: status line, Content-Type, Content-Length, "Connection: close",
// blank line, and the body unless the request was HEAD.
std::string SerializeReply(const HttpReply& reply, bool headRequest);

}  // namespace lumaru::demo
