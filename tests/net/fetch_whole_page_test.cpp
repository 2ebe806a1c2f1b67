#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "loopback_http_server.h"
#include "net/whole_page_fetch.h"

namespace lumaru {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;
using test::LoopbackHttpServer;
using test::Reply;
using test::Request;

constexpr milliseconds kTimeout{1000};

LoopbackHttpServer::Handler Pages() {
    return [](const Request& request) {
        if (request.target == "/page") {
            return Reply::Ok(std::string("config\0page", 11));
        }
        if (request.target == "/moved") {
            return Reply::Make("301 Moved Permanently", {{"Location", "/page"}}, "");
        }
        if (request.target == "/cut") {
            return Reply::Ok("0123456789").DropAfterBodyBytes(3);
        }
        if (request.target == "/hang") {
            return Reply::Hang();
        }
        return Reply::Make("404 Not Found", {}, "error page");
    };
}

TEST(FetchWholePage, WholeBodyOrEmpty) {
    LoopbackHttpServer server(Pages());
    const std::string noScheme = "127.0.0.1:" + std::to_string(server.Port()) + "/page";
    struct Case {
        std::string address;
        std::string page;
    };
    const Case cases[] = {
        {server.Url("/page"), std::string("config\0page", 11)},
        {server.Url("/moved"), std::string("config\0page", 11)},
        {noScheme, std::string("config\0page", 11)},
        {server.Url("/missing"), ""},
        {server.Url("/cut"), ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FetchWholePage(c.address, kTimeout), c.page) << c.address;
    }
    EXPECT_EQ(server.Requests()[0].method, "GET");
}

TEST(FetchWholePage, SilentServerGivesEmptyNearTheTimeout) {
    LoopbackHttpServer server(Pages());
    const auto start = steady_clock::now();
    EXPECT_EQ(FetchWholePage(server.Url("/hang"), kTimeout), "");
    EXPECT_LT(steady_clock::now() - start, kTimeout + milliseconds(3000));
}

TEST(ProbeAddress, AnyResponseCounts) {
    LoopbackHttpServer server(Pages());
    EXPECT_TRUE(ProbeAddress(server.Url("/page"), kTimeout));
    EXPECT_TRUE(ProbeAddress(server.Url("/missing"), kTimeout));
    EXPECT_EQ(server.Requests()[0].method, "HEAD");

    EXPECT_FALSE(ProbeAddress(server.Url("/hang"), kTimeout));
    int closedPort = 0;
    {
        LoopbackHttpServer gone;
        closedPort = gone.Port();
    }
    EXPECT_FALSE(ProbeAddress("http://127.0.0.1:" + std::to_string(closedPort) + "/", kTimeout));
}

}  // namespace
}  // namespace lumaru
