#include "loopback_http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace lumaru::test {
namespace {

constexpr std::string_view kHeadEnd = "\r\n\r\n";

enum class Wait { kReady, kStopped, kTimedOut };

// Waits for events on the socket, or for the server to stop. timeoutMs -1 waits without end.
Wait WaitFor(int socket, short events, int wake, int timeoutMs) {
    pollfd fds[2] = {{socket, events, 0}, {wake, POLLIN, 0}};
    const int count = socket >= 0 ? 2 : 1;
    pollfd* first = socket >= 0 ? fds : fds + 1;
    for (;;) {
        const int n = ::poll(first, count, timeoutMs);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return Wait::kStopped;
        }
        if (n == 0) {
            return Wait::kTimedOut;
        }
        if (fds[1].revents != 0) {
            return Wait::kStopped;
        }
        return Wait::kReady;
    }
}

bool SendAll(int socket, int wake, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (WaitFor(socket, POLLOUT, wake, -1) != Wait::kReady) {
                return false;
            }
            continue;
        }
        return false;
    }
    return true;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

std::optional<std::string> FindHeader(std::string_view block, std::string_view name) {
    while (!block.empty()) {
        const std::size_t end = block.find("\r\n");
        const std::string_view line = block.substr(0, end);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && EqualsIgnoringCase(line.substr(0, colon), name)) {
            return std::string(TrimSpaces(line.substr(colon + 1)));
        }
        if (end == std::string_view::npos) {
            break;
        }
        block.remove_prefix(end + 2);
    }
    return std::nullopt;
}

// Fills method, target and header block from the head of raw; false when the request line is
// not "METHOD TARGET VERSION".
bool ParseHead(Request& request, std::size_t headEnd) {
    const std::string_view raw = request.raw;
    const std::size_t lineEnd = raw.find("\r\n");
    const std::string_view line = raw.substr(0, lineEnd);
    const std::size_t firstSpace = line.find(' ');
    const std::size_t lastSpace = line.rfind(' ');
    if (firstSpace == std::string_view::npos || lastSpace == firstSpace) {
        return false;
    }
    request.method = std::string(line.substr(0, firstSpace));
    request.target = std::string(line.substr(firstSpace + 1, lastSpace - firstSpace - 1));
    request.headerBlock = std::string(raw.substr(lineEnd + 2, headEnd + 2 - (lineEnd + 2)));
    return true;
}

bool LooksLikeHttp(std::string_view received) {
    const unsigned char first = static_cast<unsigned char>(received.front());
    return first >= 'A' && first <= 'Z';
}

// Reads one request. Returns false when nothing usable arrived or the server stopped; a
// connection that does not speak HTTP still yields its raw bytes (method left empty).
bool ReadRequest(int socket, int wake, Request& request, bool& stopped) {
    std::string& raw = request.raw;
    std::optional<std::size_t> headEnd;
    std::size_t wanted = 0;
    char buffer[64 * 1024];
    for (;;) {
        if (headEnd && raw.size() >= wanted) {
            request.body = raw.substr(*headEnd + kHeadEnd.size());
            return true;
        }
        if (!raw.empty() && !LooksLikeHttp(raw)) {
            return true;
        }
        const Wait wait = WaitFor(socket, POLLIN, wake, -1);
        if (wait != Wait::kReady) {
            stopped = true;
            return false;
        }
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
        if (got < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
            continue;
        }
        if (got <= 0) {
            return !raw.empty() && !LooksLikeHttp(raw);
        }
        raw.append(buffer, static_cast<std::size_t>(got));
        if (!headEnd) {
            const std::size_t end = raw.find(kHeadEnd);
            if (end == std::string::npos) {
                continue;
            }
            headEnd = end;
            if (!ParseHead(request, end)) {
                return true;
            }
            std::size_t length = 0;
            if (auto value = FindHeader(request.headerBlock, "Content-Length")) {
                length = static_cast<std::size_t>(std::strtoull(value->c_str(), nullptr, 10));
            }
            wanted = end + kHeadEnd.size() + length;
        }
    }
}

// Lets the client read everything before the socket goes: half-close, then wait (briefly) for
// the client to hang up, so unread request bytes never turn the close into a reset.
void CloseGracefully(int socket, int wake) {
    ::shutdown(socket, SHUT_WR);
    char buffer[4096];
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < giveUp) {
        if (WaitFor(socket, POLLIN, wake, 200) == Wait::kStopped) {
            break;
        }
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
        if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            break;
        }
    }
    ::close(socket);
}

}  // namespace

std::optional<std::string> Request::Header(std::string_view name) const {
    return FindHeader(headerBlock, name);
}

Reply Reply::Raw(std::string bytes) {
    Reply reply;
    reply.bytes = std::make_shared<const std::string>(std::move(bytes));
    return reply;
}

Reply Reply::Make(std::string_view statusLine, const std::vector<Header>& headers,
                  std::string_view body) {
    std::string bytes = "HTTP/1.1 " + std::string(statusLine) + "\r\n";
    for (const auto& [name, value] : headers) {
        bytes += name + ": " + value + "\r\n";
    }
    bytes += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
    bytes += body;
    return Raw(std::move(bytes));
}

Reply Reply::Ok(std::string_view body) {
    return Make("200 OK", {{"Content-Type", "text/html"}}, body);
}

Reply Reply::Hang() {
    Reply reply;
    reply.hang = true;
    return reply;
}

Reply&& Reply::DropAfterBodyBytes(std::size_t count) && {
    dropAfterBodyBytes = count;
    return std::move(*this);
}

Reply&& Reply::Delay(std::chrono::milliseconds wait) && {
    delay = wait;
    return std::move(*this);
}

LoopbackHttpServer::LoopbackHttpServer(Handler handler) : handler_(std::move(handler)) {
    int wake[2];
    if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error("loopback server: pipe failed");
    }
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];

    listenSocket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (listenSocket_ < 0 ||
        ::bind(listenSocket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenSocket_, 128) != 0 ||
        ::getsockname(listenSocket_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const std::string reason = std::strerror(errno);
        if (listenSocket_ >= 0) {
            ::close(listenSocket_);
        }
        ::close(wakeRead_);
        ::close(wakeWrite_);
        throw std::runtime_error("loopback server: cannot listen: " + reason);
    }
    port_ = ntohs(address.sin_port);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    const char stop = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(wakeWrite_, &stop, 1);
    acceptThread_.join();
    std::list<Connection> remaining;
    {
        std::lock_guard lock(mutex_);
        remaining.swap(connections_);
    }
    for (Connection& connection : remaining) {
        connection.thread.join();
    }
    ::close(listenSocket_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

std::string LoopbackHttpServer::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

void LoopbackHttpServer::SetHandler(Handler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

std::vector<Request> LoopbackHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t LoopbackHttpServer::RequestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

bool LoopbackHttpServer::WaitForRequests(std::size_t count,
                                         std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
}

void LoopbackHttpServer::AcceptLoop() {
    for (;;) {
        if (WaitFor(listenSocket_, POLLIN, wakeRead_, -1) != Wait::kReady) {
            return;
        }
        const int socket = ::accept4(listenSocket_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (socket < 0) {
            continue;
        }
        ReapFinished();
        auto done = std::make_shared<std::atomic<bool>>(false);
        std::lock_guard lock(mutex_);
        connections_.push_back({std::thread([this, socket, done] {
                                    Serve(socket);
                                    *done = true;
                                }),
                                done});
    }
}

void LoopbackHttpServer::ReapFinished() {
    std::list<Connection> finished;
    {
        std::lock_guard lock(mutex_);
        for (auto it = connections_.begin(); it != connections_.end();) {
            auto next = std::next(it);
            if (*it->done) {
                finished.splice(finished.end(), connections_, it);
            }
            it = next;
        }
    }
    for (Connection& connection : finished) {
        connection.thread.join();
    }
}

void LoopbackHttpServer::Record(Request request) {
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(std::move(request));
    }
    arrived_.notify_all();
}

void LoopbackHttpServer::Serve(int socket) {
    Request request;
    bool stopped = false;
    const bool received = ReadRequest(socket, wakeRead_, request, stopped);
    if (!received) {
        ::close(socket);
        return;
    }
    const bool isHttp = !request.method.empty();
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        handler = handler_;
    }
    Record(request);
    if (!isHttp) {
        ::close(socket);
        return;
    }

    Reply reply;
    try {
        reply = handler ? handler(request) : Reply::Make("200 OK", {}, "");
    } catch (const std::exception& error) {
        // A failing handler must not take the test program down with it.
        reply = Reply::Make("500 Internal Server Error", {}, error.what());
    }
    if (reply.delay.count() > 0 &&
        WaitFor(-1, 0, wakeRead_, static_cast<int>(reply.delay.count())) == Wait::kStopped) {
        ::close(socket);
        return;
    }
    if (reply.hang) {
        // Hold the connection until the client hangs up or the server stops.
        char buffer[4096];
        while (WaitFor(socket, POLLIN, wakeRead_, -1) == Wait::kReady) {
            const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR)) {
                break;
            }
        }
        ::close(socket);
        return;
    }

    std::string_view bytes = *reply.bytes;
    if (reply.dropAfterBodyBytes) {
        const std::size_t headEnd = bytes.find(kHeadEnd);
        const std::size_t bodyStart =
            headEnd == std::string_view::npos ? bytes.size() : headEnd + kHeadEnd.size();
        bytes = bytes.substr(0, bodyStart + *reply.dropAfterBodyBytes);
    }
    if (!SendAll(socket, wakeRead_, bytes)) {
        ::close(socket);
        return;
    }
    CloseGracefully(socket, wakeRead_);
}

}  // namespace lumaru::test
