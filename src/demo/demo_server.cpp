#include "demo/demo_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>

#include "demo/demo_pages.h"
#include "demo/demo_world.h"

namespace lumaru::demo {
namespace {

using Clock = std::chrono::steady_clock;

// A client gets this long to send its request head, and its connection this long to drain.
constexpr auto kHeadDeadline = std::chrono::seconds(5);
constexpr auto kDrainDeadline = std::chrono::milliseconds(500);
// More connections than this at once are turned away with 503 rather than given a thread.
constexpr std::size_t kMaxConnections = 64;

void SendAll(int socket, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
}

// Waits until the socket has bytes or the deadline passes; false on time-out or error.
bool WaitReadable(int socket, Clock::time_point deadline) {
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd entry{socket, POLLIN, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        return ready > 0;
    }
}

enum class HeadResult { Complete, TooLarge, Incomplete };

HeadResult ReadHead(int socket, std::string& head) {
    const auto deadline = Clock::now() + kHeadDeadline;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (head.size() > kMaxRequestHead) {
            return HeadResult::TooLarge;
        }
        if (!WaitReadable(socket, deadline)) {
            return HeadResult::Incomplete;
        }
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return HeadResult::Incomplete;
        }
        head.append(buffer, static_cast<std::size_t>(got));
    }
    head.resize(head.find("\r\n\r\n") + 4);
    return head.size() > kMaxRequestHead ? HeadResult::TooLarge : HeadResult::Complete;
}

// Reads what the client still sends (an ignored body) so that closing does not reset the
// connection before the client has read the reply.
void DrainAndClose(int socket) {
    ::shutdown(socket, SHUT_WR);
    const auto deadline = Clock::now() + kDrainDeadline;
    char buffer[4096];
    std::size_t drained = 0;
    while (drained < 1024 * 1024 && WaitReadable(socket, deadline)) {
        const ssize_t got = ::recv(socket, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        drained += static_cast<std::size_t>(got);
    }
}

HttpReply PlainReply(int status, std::string_view text) {
    HttpReply reply;
    reply.status = status;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = std::string(text) + "\n";
    return reply;
}

}  // namespace

HttpServer::HttpServer(int listener, std::uint16_t port, Handler handler)
    : listener_(listener), port_(port), handler_(std::move(handler)) {}

std::unique_ptr<HttpServer> HttpServer::Start(std::uint16_t port, const HandlerFactory& makeHandler,
                                              std::string* error) {
    const auto fail = [&](const char* what, int socket) -> std::unique_ptr<HttpServer> {
        if (error) {
            *error = std::string(what) + ": " + std::strerror(errno);
        }
        if (socket >= 0) {
            ::close(socket);
        }
        return nullptr;
    };
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0) {
        return fail("socket", -1);
    }
    const int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return fail("cannot listen on 127.0.0.1", listener);
    }
    if (::listen(listener, 64) != 0) {
        return fail("listen", listener);
    }
    socklen_t length = sizeof address;
    if (::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return fail("getsockname", listener);
    }
    const std::uint16_t bound = ntohs(address.sin_port);
    std::unique_ptr<HttpServer> server(new HttpServer(listener, bound, makeHandler(bound)));
    if (::pipe2(server->wakePipe_, O_CLOEXEC) != 0) {
        return fail("pipe", -1);  // the server's destructor closes the listener
    }
    server->acceptor_ = std::thread(&HttpServer::AcceptLoop, server.get());
    return server;
}

HttpServer::~HttpServer() {
    Stop();
    ::close(listener_);
    for (int end : wakePipe_) {
        if (end >= 0) {
            ::close(end);
        }
    }
}

void HttpServer::Stop() {
    if (stopping_.exchange(true)) {
        return;
    }
    if (acceptor_.joinable()) {
        const char wake = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakePipe_[1], &wake, 1);
        acceptor_.join();
    }
    std::list<std::unique_ptr<Connection>> remaining;
    {
        std::lock_guard lock(connectionsMutex_);
        for (auto& connection : connections_) {
            if (connection->socket >= 0) {
                ::shutdown(connection->socket, SHUT_RDWR);
            }
        }
        remaining.swap(connections_);
    }
    for (auto& connection : remaining) {
        if (connection->thread.joinable()) {
            connection->thread.join();
        }
    }
}

void HttpServer::AcceptLoop() {
    pollfd entries[2] = {{listener_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
    while (!stopping_) {
        if (::poll(entries, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (entries[1].revents != 0) {
            return;
        }
        const int socket = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0) {
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            continue;
        }
        ReapFinished();
        std::lock_guard lock(connectionsMutex_);
        if (connections_.size() >= kMaxConnections) {
            SendAll(socket, SerializeReply(PlainReply(503, "busy"), false));
            ::close(socket);
            continue;
        }
        auto& connection = *connections_.emplace_back(std::make_unique<Connection>());
        connection.socket = socket;
        connection.thread = std::thread(&HttpServer::Serve, this, std::ref(connection));
    }
}

void HttpServer::ReapFinished() {
    std::list<std::unique_ptr<Connection>> finished;
    {
        std::lock_guard lock(connectionsMutex_);
        for (auto it = connections_.begin(); it != connections_.end();) {
            auto next = std::next(it);
            if ((*it)->finished) {
                finished.splice(finished.end(), connections_, it);
            }
            it = next;
        }
    }
    for (auto& connection : finished) {
        connection->thread.join();
    }
}

void HttpServer::Serve(Connection& connection) {
    const int socket = connection.socket;
    std::string head;
    switch (ReadHead(socket, head)) {
        case HeadResult::Incomplete:
            break;
        case HeadResult::TooLarge:
            SendAll(socket, SerializeReply(PlainReply(431, "request head too large"), false));
            break;
        case HeadResult::Complete: {
            const auto request = ParseRequestHead(head);
            const bool headRequest = request && request->method == "HEAD";
            HttpReply reply;
            if (!request) {
                reply = PlainReply(400, "not an HTTP request");
            } else if (request->method != "GET" && !headRequest && request->method != "POST") {
                reply = PlainReply(405, "method not allowed");
            } else {
                try {
                    reply = handler_(*request);
                } catch (const std::exception&) {
                    reply = PlainReply(500, "the page failed");
                }
            }
            SendAll(socket, SerializeReply(reply, headRequest));
            break;
        }
    }
    DrainAndClose(socket);
    {
        // Closed under the lock so that Stop never shuts down a descriptor number reused since.
        std::lock_guard lock(connectionsMutex_);
        ::close(socket);
        connection.socket = -1;
    }
    connection.finished = true;
}

std::unique_ptr<HttpServer> StartDemoServer(std::uint16_t port, std::string* error) {
    return HttpServer::Start(
        port,
        [](std::uint16_t bound) {
            auto pages = std::make_shared<const PageTable>(DemoPages(DemoBase(bound)));
            return [pages](const HttpRequest& request) { return pages->Serve(request); };
        },
        error);
}

}  // namespace lumaru::demo
