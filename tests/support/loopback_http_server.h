#pragma once

// A real HTTP/1.1 server on 127.0.0.1 for tests: it listens on an ephemeral port, records the
// raw bytes of every request and answers each one with the reply a handler chooses. Every
// connection gets its own thread and is closed after one reply (no keep-alive).
//
//   LoopbackHttpServer server([](const Request& r) { return Reply::Ok("<html>hi</html>"); });
//   FetchPage(server.Url("/page?x=1"));
//   EXPECT_EQ(server.Requests().at(0).target, "/page?x=1");
//
// Replies can also come late (Delay), stop mid-body (DropAfterBodyBytes) or never come
// (Hang). The destructor stops everything, also connections that still hang.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace lumaru::test {

struct Request {
    // Every byte received for this request: request line, header lines, blank line, body.
    // For a connection that did not speak HTTP (a TLS handshake, say) the bytes that came
    // before the server gave up, with method and target left empty.
    std::string raw;
    std::string method;
    std::string target;
    // The header lines after the request line, each with its "\r\n", without the blank line.
    std::string headerBlock;
    std::string body;

    // Value of the first header line with this name (letter case ignored), trimmed of spaces;
    // nullopt when there is none.
    std::optional<std::string> Header(std::string_view name) const;
};

using Header = std::pair<std::string, std::string>;

struct Reply {
    // The whole response as it goes on the wire. Shared so that a large canned reply is not
    // copied per request.
    std::shared_ptr<const std::string> bytes = std::make_shared<const std::string>();
    // Close the connection after this many bytes following the header block.
    std::optional<std::size_t> dropAfterBodyBytes;
    // Keep the connection open without answering until the client hangs up or the server stops.
    bool hang = false;
    // Wait this long before answering.
    std::chrono::milliseconds delay{0};

    // Exact bytes to send.
    static Reply Raw(std::string bytes);
    // "HTTP/1.1 <statusLine>\r\n", the headers in order, Content-Length, "Connection: close",
    // a blank line and the body. statusLine is code and reason, e.g. "404 Not Found".
    static Reply Make(std::string_view statusLine, const std::vector<Header>& headers,
                      std::string_view body);
    // 200 OK with a text/html body.
    static Reply Ok(std::string_view body);
    static Reply Hang();

    Reply&& DropAfterBodyBytes(std::size_t count) &&;
    Reply&& Delay(std::chrono::milliseconds wait) &&;
};

class LoopbackHttpServer {
public:
    using Handler = std::function<Reply(const Request&)>;

    // Starts listening at once. Without a handler every request gets an empty 200 OK.
    explicit LoopbackHttpServer(Handler handler = {});
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int Port() const { return port_; }
    // "http://127.0.0.1:<port>" followed by path.
    std::string Url(std::string_view path = "/") const;

    void SetHandler(Handler handler);

    // The requests received so far, in arrival order.
    std::vector<Request> Requests() const;
    std::size_t RequestCount() const;
    // Waits until at least count requests have arrived; false on time-out.
    bool WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    struct Connection {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    void AcceptLoop();
    void Serve(int socket);
    void Record(Request request);
    void ReapFinished();

    int listenSocket_ = -1;
    int wakeRead_ = -1;  // readable once the server stops; every wait also polls it
    int wakeWrite_ = -1;
    int port_ = 0;

    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    Handler handler_;
    std::vector<Request> requests_;
    std::list<Connection> connections_;
    std::thread acceptThread_;
};

}  // namespace lumaru::test
