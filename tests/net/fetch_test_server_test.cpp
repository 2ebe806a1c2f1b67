// The loopback server that the fetcher and window tests share: concurrent connections, a
// failing handler, and a clean stop while clients still hang on it.

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "loopback_http_server.h"
#include "net/fetch_page_http.h"

namespace lumaru {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;
using test::LoopbackHttpServer;
using test::Reply;
using test::Request;

TEST(LoopbackHttpServer, AnswersWhileOtherConnectionsHangAndStopsCleanly) {
    std::optional<LoopbackHttpServer> server;
    server.emplace([](const Request& request) {
        if (request.target == "/hang") {
            return Reply::Hang();
        }
        if (request.target == "/throw") {
            throw std::runtime_error("handler failed");
        }
        return Reply::Ok("quick").Delay(milliseconds(50));
    });
    const std::string hangUrl = server->Url("/hang");
    std::vector<std::future<std::string>> hanging;
    for (int i = 0; i < 3; ++i) {
        hanging.push_back(std::async(std::launch::async, [hangUrl] {
            return FetchPageHttp(hangUrl, {.timeoutSeconds = 20});
        }));
    }
    ASSERT_TRUE(server->WaitForRequests(3, milliseconds(5000)));

    std::vector<std::future<std::string>> quick;
    for (int i = 0; i < 4; ++i) {
        quick.push_back(std::async(std::launch::async,
                                   [url = server->Url("/q")] { return FetchPageHttp(url); }));
    }
    for (auto& page : quick) {
        EXPECT_EQ(page.get(), "quick");
    }
    std::string status;
    EXPECT_EQ(FetchPageHttp(server->Url("/throw"), {.status = &status}), "handler failed");
    EXPECT_EQ(status, "500 Internal Server Error");

    // Stopping the server closes the hanging connections: their clients fail at once.
    const auto start = steady_clock::now();
    server.reset();
    for (auto& page : hanging) {
        ASSERT_EQ(page.wait_for(milliseconds(3000)), std::future_status::ready);
        EXPECT_EQ(page.get(), "");
    }
    EXPECT_LT(steady_clock::now() - start, milliseconds(3000));
}

}  // namespace
}  // namespace lumaru
