#include "demo/demo_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "config/remote_config.h"
#include "demo/demo_pages.h"
#include "demo/demo_world.h"
#include "net/text_encodings.h"
#include "playback/route_table.h"

namespace lumaru::demo {
namespace {

struct Response {
    int status = 0;
    std::string head;
    std::string body;
};

int Connect(std::uint16_t port) {
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

// Sends the bytes as they are and reads the reply until the server closes the connection.
Response Exchange(std::uint16_t port, const std::string& request) {
    Response response;
    const int socket = Connect(port);
    if (socket < 0) {
        return response;
    }
    ::send(socket, request.data(), request.size(), MSG_NOSIGNAL);
    std::string bytes;
    char buffer[4096];
    for (ssize_t got; (got = ::recv(socket, buffer, sizeof buffer, 0)) > 0;) {
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(socket);
    const std::size_t headEnd = bytes.find("\r\n\r\n");
    if (bytes.rfind("HTTP/1.1 ", 0) != 0 || headEnd == std::string::npos) {
        return response;
    }
    response.status = std::stoi(bytes.substr(9, 3));
    response.head = bytes.substr(0, headEnd);
    response.body = bytes.substr(headEnd + 4);
    return response;
}

class DemoServerTest : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        server_ = StartDemoServer(0, &error);
        ASSERT_TRUE(server_) << error;
        endpoints_ = DemoEndpoints(server_->Port());
        base_ = DemoBase(server_->Port());
    }

    // GET of an address of the demo world.
    Response Get(const std::string& address) const {
        EXPECT_EQ(address.rfind(base_, 0), 0u) << address << " is not on the demo server";
        const std::string target = address.substr(base_.size());
        return Exchange(server_->Port(), "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    }

    std::unique_ptr<HttpServer> server_;
    Endpoints endpoints_;
    std::string base_;
};

TEST_F(DemoServerTest, ConfigurationPageGivesNineRoutesCaptionAndEqualVersions) {
    const Response page = Get(endpoints_.remoteConfig);
    ASSERT_EQ(page.status, 200);
    const RemoteConfig config = ParseRemoteConfig(page.body);
    for (int route = 0; route < kRouteCount; ++route) {
        EXPECT_EQ(config.routes[static_cast<std::size_t>(route)],
                  base_ + "/route/" + std::to_string(route) + "?url=")
            << "route " << route;
    }
    EXPECT_EQ(config.edition12, Utf8ToAnsi("Lumaru演示版"));
    EXPECT_FALSE(config.edition3.empty());
    EXPECT_EQ(config.edition3, config.editionn3);
    EXPECT_FALSE(config.explain.empty());
    // The linked pages are the server's own and are served.
    for (const std::string* link :
         {&config.edition10, &config.edition11, &config.edition13, &config.downloadUrl}) {
        EXPECT_EQ(Get(*link).status, 200) << *link;
    }
}

TEST_F(DemoServerTest, ServesEveryAddressTheProgramAsksFor) {
    std::vector<std::string> addresses = {
        endpoints_.radio,
        endpoints_.feedback,
        endpoints_.contact,
        endpoints_.chatGroup,
        endpoints_.internetProbe,
        endpoints_.defaultVideo,
        TencentCoverPrefix(endpoints_) + "/r009isnukiff1ee/m0021d5e15e.html",
    };
    const auto samples = RouteSampleTable(endpoints_);
    addresses.insert(addresses.end(), samples.begin(), samples.begin() + 5);
    for (const std::string& address : addresses) {
        EXPECT_EQ(Get(address).status, 200) << address;
    }
    EXPECT_EQ(Get(base_ + "/no/such/page").status, 404);
}

TEST_F(DemoServerTest, RoutePageShowsItsVideoAndItsPopupOpensNoOther) {
    const std::string video = base_ + "/v_19rr9if5bc.html?fc=8b&x=<i>";
    const Response page = Get(base_ + "/route/3?url=" + video);
    ASSERT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("/v_19rr9if5bc.html?fc=8b&amp;x=&lt;i&gt;"), std::string::npos);
    const std::size_t open = page.body.find("window.open(\"");
    ASSERT_NE(open, std::string::npos);
    const std::size_t popupStart = open + 13;
    const std::string popup =
        page.body.substr(popupStart, page.body.find('"', popupStart) - popupStart);
    EXPECT_EQ(Get(popup).status, 200);

    // The main browser replays the pop-up through the selected route, route 1 after cutting the
    // pop-up's first 23 characters; the replayed route page must not open yet another pop-up.
    RouteTable routes;
    for (int route = 0; route < kRouteCount; ++route) {
        routes[static_cast<std::size_t>(route)] =
            base_ + "/route/" + std::to_string(route) + "?url=";
    }
    for (int route = 0; route <= 4; ++route) {
        const auto replay =
            RedirectNewWindowTarget(routes, route, popup, TencentCoverPrefix(endpoints_));
        ASSERT_TRUE(replay);
        const Response replayed = Get(*replay);
        EXPECT_EQ(replayed.status, 200) << *replay;
        EXPECT_EQ(replayed.body.find("window.open"), std::string::npos) << *replay;
    }
}

TEST_F(DemoServerTest, AddressTextCannotBreakOutOfThePage) {
    const Response page = Get(base_ + "/route/0?url=%22);</script><script>alert(1)//");
    ASSERT_EQ(page.status, 200);
    EXPECT_EQ(page.body.find("<script>alert"), std::string::npos);
    EXPECT_EQ(page.body.find("\");</script>"), std::string::npos);
}

TEST_F(DemoServerTest, AnswersBadRequestsAndKeepsServing) {
    struct Case {
        const char* what;
        std::string request;
        int status;
    } cases[] = {
        {"not HTTP", "hello there\r\n\r\n", 400},
        {"relative target", "GET route HTTP/1.1\r\n\r\n", 400},
        {"unknown method", "DELETE / HTTP/1.1\r\n\r\n", 405},
        {"no such route", "GET /route/9?url=x HTTP/1.1\r\n\r\n", 404},
        {"head too large",
         "GET / HTTP/1.1\r\nX-Filler: " + std::string(kMaxRequestHead + 10, 'a') + "\r\n\r\n", 431},
        {"post with a body", "POST /probe HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello", 200},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Exchange(server_->Port(), c.request).status, c.status) << c.what;
    }
    // A client that leaves without a word does not stop the server either.
    ::close(Connect(server_->Port()));
    const Response head = Exchange(server_->Port(), "HEAD /probe HTTP/1.1\r\n\r\n");
    EXPECT_EQ(head.status, 200);
    EXPECT_NE(head.head.find("Content-Length: 3"), std::string::npos);
    EXPECT_TRUE(head.body.empty());
}

TEST_F(DemoServerTest, StopsPromptlyWhileAClientStaysSilent) {
    const int silent = Connect(server_->Port());
    ASSERT_GE(silent, 0);
    // Give the server time to take the connection and wait for its request.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto started = std::chrono::steady_clock::now();
    server_->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    ::close(silent);
}

}  // namespace
}  // namespace lumaru::demo
