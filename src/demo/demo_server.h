#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "demo/http_message.h"

namespace lumaru::demo {

// A small HTTP/1.1 server on 127.0.0.1: one thread per connection, one request per connection.
// It reads only the request head; a body is ignored. Requests that are not HTTP get 400, heads
// that grow too large 431, and a client that stays silent is dropped after a few seconds.
class HttpServer {
public:
    using Handler = std::function<HttpReply(const HttpRequest&)>;
    // Makes the handler once the port is known, so that pages can name their own address.
    using HandlerFactory = std::function<Handler(std::uint16_t port)>;

    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;
    ~HttpServer();

    // Listens on 127.0.0.1:port (0: an ephemeral port). Returns nullptr, with the reason in
    // `error`, when the port cannot be had.
    static std::unique_ptr<HttpServer> Start(std::uint16_t port, const HandlerFactory& makeHandler,
                                             std::string* error = nullptr);

    std::uint16_t Port() const { return port_; }

    // Stops accepting, ends the connections in progress and waits for their threads.
    void Stop();

private:
    struct Connection {
        int socket = -1;
        std::thread thread;
        std::atomic<bool> finished{false};
    };

    HttpServer(int listener, std::uint16_t port, Handler handler);
    void AcceptLoop();
    void Serve(Connection& connection);
    void ReapFinished();

    const int listener_;
    const std::uint16_t port_;
    const Handler handler_;
    int wakePipe_[2] = {-1, -1};
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::mutex connectionsMutex_;
    std::list<std::unique_ptr<Connection>> connections_;
};

// The demo world on `port`: the pages of DemoPages behind an HttpServer.
std::unique_ptr<HttpServer> StartDemoServer(std::uint16_t port, std::string* error = nullptr);

}  // namespace lumaru::demo
