#include "demo/http_message.h"

namespace lumaru::demo {
namespace {

bool IsTokenChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_';
}

std::string_view ReasonPhrase(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        case 503:
            return "Service Unavailable";
        default:
            return "Unknown";
    }
}

}  // namespace

std::optional<HttpRequest> ParseRequestHead(std::string_view head) {
    const std::size_t lineEnd = head.find("\r\n");
    const std::string_view line = head.substr(0, lineEnd);
    const std::size_t firstSpace = line.find(' ');
    if (firstSpace == std::string_view::npos || firstSpace == 0) {
        return std::nullopt;
    }
    const std::size_t secondSpace = line.find(' ', firstSpace + 1);
    if (secondSpace == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view method = line.substr(0, firstSpace);
    const std::string_view target = line.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    const std::string_view version = line.substr(secondSpace + 1);
    for (char c : method) {
        if (!IsTokenChar(c)) {
            return std::nullopt;
        }
    }
    if (target.empty() || target.front() != '/' || version.substr(0, 5) != "HTTP/") {
        return std::nullopt;
    }
    HttpRequest request;
    request.method = method;
    request.target = target;
    const std::size_t question = target.find('?');
    request.path = target.substr(0, question);
    if (question != std::string_view::npos) {
        request.query = target.substr(question + 1);
    }
    return request;
}

std::string SerializeReply(const HttpReply& reply, bool headRequest) {
    std::string bytes = "HTTP/1.1 " + std::to_string(reply.status) + " " +
                        std::string(ReasonPhrase(reply.status)) + "\r\n";
    bytes += "Content-Type: " + reply.contentType + "\r\n";
    bytes += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    bytes += "Cache-Control: no-store\r\nConnection: close\r\n\r\n";
    if (!headRequest) {
        bytes += reply.body;
    }
    return bytes;
}

}  // namespace lumaru::demo
