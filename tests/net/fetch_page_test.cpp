#include "net/fetch_page.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "loopback_http_server.h"

namespace lumaru {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;
using test::LoopbackHttpServer;
using test::Reply;
using test::Request;

constexpr std::string_view kDefaultLines =
    "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n"
    "Accept: */*\r\n";

std::string HostLine(const LoopbackHttpServer& server) {
    return "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n";
}

TEST(FetchPage, AddressAloneSendsTheDefaultHeaderBlockAndReturnsRawBytes) {
    const std::string page("raw\0bytes\xD6\xD0", 12);
    LoopbackHttpServer server([&](const Request&) { return Reply::Ok(page); });
    const std::string address = server.Url("/list_2.html?page=3&k=%D6");

    EXPECT_EQ(FetchPage(address), page);

    ASSERT_EQ(server.RequestCount(), 1u);
    const Request request = server.Requests()[0];
    EXPECT_EQ(request.raw.substr(0, request.raw.find("\r\n")),
              "GET /list_2.html?page=3&k=%D6 HTTP/1.1");
    EXPECT_EQ(request.headerBlock, HostLine(server) + std::string(kDefaultLines) +
                                       "Referer: " + address +
                                       "\r\n"
                                       "Accept-Language: zh-cn\r\n"
                                       "Content-Type: application/x-www-form-urlencoded\r\n");
    EXPECT_TRUE(request.body.empty());
}

TEST(FetchPage, HeaderBlockRules) {
    struct Case {
        std::string headers;
        std::string block;      // what the caller's variable holds afterwards
        std::string wireAgent;  // the one User-Agent value on the wire
    };
    const std::string ref = "\r\nReferer: ADDRESS";
    const std::string rest =
        "\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded";
    const std::string agent(kFetchPageAgent);
    const Case cases[] = {
        // A single User-Agent line without a line end names the agent.
        {"User-Agent: Lumaru/3", "User-Agent: Lumaru/3\r\nAccept: */*" + ref + rest, "Lumaru/3"},
        {"user-agent: low\r\nX-A: 1", "user-agent: low\r\nX-A: 1\r\nAccept: */*" + ref + rest,
         "low"},
        // An Accept line spelled "Accept:" is kept alone; a lower-case one gets the default too.
        {"Accept: text/html", "Accept: text/html" + ref + rest, agent},
        {"accept: text/html", "accept: text/html\r\nAccept: */*" + ref + rest, agent},
        {"Referer: http://r/\r\nAccept-Language: en\r\nContent-Type: text/plain",
         "Referer: http://r/\r\nAccept-Language: en\r\nContent-Type: text/plain\r\nAccept: */*",
         agent},
    };
    LoopbackHttpServer server;
    const std::string address = server.Url("/h");
    for (const Case& c : cases) {
        std::string headers = c.headers;
        FetchPage(address, {.headers = &headers});
        std::string expected = c.block;
        if (auto at = expected.find("ADDRESS"); at != std::string::npos) {
            expected.replace(at, 7, address);
        }
        EXPECT_EQ(headers, expected) << c.headers;

        const Request request = server.Requests().back();
        EXPECT_EQ(request.Header("User-Agent"), c.wireAgent) << c.headers;
        EXPECT_EQ(request.headerBlock.find("ser-Agent:"), request.headerBlock.rfind("ser-Agent:"))
            << "one agent line only: " << request.headerBlock;
    }
}

TEST(FetchPage, MethodAndBodyRules) {
    struct Case {
        std::optional<int> method;
        std::optional<std::string> postData;
        std::string postBytesBefore;
        std::string verb;
        std::string body;
        std::string postBytesAfter;
    };
    const Case cases[] = {
        {7, "k=v", "", "GET", "", ""},
        {-1, std::nullopt, "", "GET", "", ""},
        {0, "k=v", "", "GET", "", ""},
        {1, "k=v", "", "POST", "k=v", "k=v"},
        {1, "k=v", "bytes", "POST", "bytes", "bytes"},
        {1, std::nullopt, "", "POST", "", ""},
        // HEAD fills postBytes like POST, but libcurl sends no body with it.
        {2, "k=v", "", "HEAD", "", "k=v"},
    };
    LoopbackHttpServer server;
    for (const Case& c : cases) {
        std::string postBytes = c.postBytesBefore;
        FetchPage(server.Url("/m"),
                  {.method = c.method, .postData = c.postData, .postBytes = &postBytes});
        const Request request = server.Requests().back();
        EXPECT_EQ(request.method, c.verb) << c.method.value_or(-99);
        EXPECT_EQ(request.body, c.body) << c.method.value_or(-99);
        EXPECT_EQ(postBytes, c.postBytesAfter) << c.method.value_or(-99);
        if (c.verb == "POST") {
            EXPECT_EQ(request.Header("Content-Length"), std::to_string(c.body.size()));
        }
        EXPECT_EQ(request.Header("Expect"), std::nullopt);
    }
}

TEST(FetchPage, WhereAnAddressIsSent) {
    struct Case {
        std::string address;
        bool secure;
        std::string host;
        int port;
        std::string object;
    };
    const Case cases[] = {
        {"https://Video.Example.com", true, "video.example.com", 443, "/"},
        {"example.com/a/b?x=1", false, "example.com", 80, "/a/b?x=1"},
        {"http://example.com:8080/p?q=A", false, "example.com", 8080, "/p?q=A"},
        {"HTTPS://example.com:81/", true, "example.com", 81, "/"},
        // The host runs to the first slash, so a query without path stays in the host.
        {"http://example.com?q=1", false, "example.com?q=1", 80, "/"},
        {"http://example.com:x/", false, "example.com", 80, "/"},
    };
    for (const Case& c : cases) {
        const FetchPageTarget target = TargetOfAddress(c.address);
        EXPECT_EQ(target.secure, c.secure) << c.address;
        EXPECT_EQ(target.host, c.host) << c.address;
        EXPECT_EQ(target.port, c.port) << c.address;
        EXPECT_EQ(target.object, c.object) << c.address;
    }
}

TEST(FetchPage, AddressWithoutSchemeIsPlainHttp) {
    LoopbackHttpServer server([](const Request&) { return Reply::Ok("plain"); });
    EXPECT_EQ(FetchPage("127.0.0.1:" + std::to_string(server.Port()) + "/x?y=1"), "plain");
    ASSERT_EQ(server.RequestCount(), 1u);
    EXPECT_EQ(server.Requests()[0].target, "/x?y=1");
}

TEST(FetchPage, QueryWithoutPathReachesNoServerButStillWritesTheBlock) {
    std::string headers;
    std::string returnedHeaders = "untouched";
    EXPECT_EQ(FetchPage("http://127.0.0.1?q=1",
                        {.headers = &headers, .returnedHeaders = &returnedHeaders}),
              "");
    EXPECT_EQ(headers.rfind("Accept: */*\r\nReferer: http://127.0.0.1?q=1", 0), 0u);
    EXPECT_EQ(returnedHeaders, "");
}

TEST(FetchPage, SecureAddressSpeaksTlsToItsPort) {
    LoopbackHttpServer server;
    EXPECT_EQ(FetchPage("https://127.0.0.1:" + std::to_string(server.Port()) + "/"), "");
    ASSERT_TRUE(server.WaitForRequests(1, milliseconds(2000)));
    const Request hello = server.Requests()[0];
    EXPECT_EQ(hello.method, "");
    ASSERT_FALSE(hello.raw.empty());
    EXPECT_EQ(hello.raw[0], '\x16') << "a TLS handshake record";
}

TEST(FetchPage, CookiesAreSentCollectedAndMerged) {
    LoopbackHttpServer server([](const Request&) {
        return Reply::Make("200 OK", {{"Set-Cookie", "b=3; path=/"}, {"set-cookie", "a=deleted"}},
                           "ok");
    });
    std::string cookies = "a=1; b=2";
    std::string returnedCookies;
    std::string returnedHeaders;
    FetchPage(server.Url("/c"), {.cookies = &cookies,
                                 .returnedCookies = &returnedCookies,
                                 .returnedHeaders = &returnedHeaders});

    EXPECT_EQ(server.Requests()[0].Header("Cookie"), "a=1; b=2");
    EXPECT_EQ(cookies, "b=3");
    EXPECT_EQ(returnedCookies, "b=3;a=deleted");
    EXPECT_NE(returnedHeaders.find("\r\nSet-Cookie: a=deleted\r\n"), std::string::npos);
}

TEST(FetchPage, EmptyCookiesGivenSendNoCookieLineButReceiveTheJar) {
    LoopbackHttpServer server([](const Request&) {
        return Reply::Make("200 OK", {{"Set-Cookie", "s=1; HttpOnly"}}, "");
    });
    std::string cookies;
    FetchPage(server.Url("/"), {.cookies = &cookies});
    EXPECT_EQ(server.Requests()[0].Header("Cookie"), std::nullopt);
    EXPECT_EQ(cookies, "s=1");
}

TEST(FetchPage, LongResponseHeadersAreReadWhole) {
    const std::string filler(9000, 'f');
    LoopbackHttpServer server([&](const Request&) {
        return Reply::Make("200 OK", {{"X-Filler", filler}, {"Set-Cookie", "late=1"}}, "body");
    });
    std::string returnedHeaders;
    std::string returnedCookies;
    EXPECT_EQ(FetchPage(server.Url("/"),
                        {.returnedCookies = &returnedCookies, .returnedHeaders = &returnedHeaders}),
              "body");
    EXPECT_NE(returnedHeaders.find(filler), std::string::npos);
    EXPECT_EQ(returnedCookies, "late=1");
}

TEST(FetchPage, RedirectsAreFollowedUnlessNoRedirect) {
    LoopbackHttpServer server([](const Request& request) {
        if (request.target == "/old") {
            return Reply::Make("302 Found", {{"Location", "/new"}, {"Set-Cookie", "r=1"}}, "moved");
        }
        return Reply::Make("200 OK", {{"X-Final", request.Header("Cookie").value_or("none")}},
                           "final");
    });
    std::string returnedHeaders;
    EXPECT_EQ(FetchPage(server.Url("/old"), {.returnedHeaders = &returnedHeaders}), "final");
    EXPECT_EQ(returnedHeaders.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << "final response only";
    EXPECT_NE(returnedHeaders.find("X-Final: r=1"), std::string::npos)
        << "a cookie set by the redirect goes along when the caller keeps no cookies";

    EXPECT_EQ(
        FetchPage(server.Url("/old"), {.returnedHeaders = &returnedHeaders, .noRedirect = true}),
        "moved");
    EXPECT_EQ(returnedHeaders.rfind("HTTP/1.1 302 Found\r\n", 0), 0u);
    EXPECT_EQ(server.RequestCount(), 3u);
}

TEST(FetchPage, ErrorStatusStillReturnsThePage) {
    LoopbackHttpServer server(
        [](const Request&) { return Reply::Make("404 Not Found", {}, "no such page"); });
    EXPECT_EQ(FetchPage(server.Url("/missing")), "no such page");
}

TEST(FetchPage, BodyCutOffComesBackAsFarAsItArrived) {
    LoopbackHttpServer server(
        [](const Request&) { return Reply::Ok("0123456789").DropAfterBodyBytes(4); });
    EXPECT_EQ(FetchPage(server.Url("/")), "0123");
}

TEST(FetchPage, ClosedPortGivesEmptyBytesAndNoResponseHeaders) {
    int closedPort = 0;
    {
        LoopbackHttpServer gone;
        closedPort = gone.Port();
    }
    std::string headers;
    std::string returnedHeaders = "untouched";
    EXPECT_EQ(FetchPage("http://127.0.0.1:" + std::to_string(closedPort) + "/",
                        {.headers = &headers, .returnedHeaders = &returnedHeaders}),
              "");
    EXPECT_EQ(returnedHeaders, "");
    EXPECT_FALSE(headers.empty());
}

TEST(FetchPage, SilentServerFailsNearTheTimeout) {
    LoopbackHttpServer server([](const Request&) { return Reply::Hang(); });
    const auto start = steady_clock::now();
    EXPECT_EQ(FetchPage(server.Url("/"), {.timeout = milliseconds(1000)}), "");
    const auto took = steady_clock::now() - start;
    EXPECT_GE(took, milliseconds(900));
    EXPECT_LT(took, milliseconds(4000));
}

TEST(FetchPage, StopRequestEndsAHangingTransferPromptly) {
    LoopbackHttpServer server([](const Request&) { return Reply::Hang(); });
    std::stop_source stop;
    auto fetch = std::async(std::launch::async,
                            [&] { return FetchPage(server.Url("/"), {.stop = stop.get_token()}); });
    ASSERT_TRUE(server.WaitForRequests(1, milliseconds(5000)));
    const auto start = steady_clock::now();
    stop.request_stop();
    ASSERT_EQ(fetch.wait_for(milliseconds(2000)), std::future_status::ready);
    EXPECT_EQ(fetch.get(), "");
    EXPECT_LT(steady_clock::now() - start, milliseconds(500));
}

TEST(FetchPage, ProxyGetsTheWholeAddressOrATunnel) {
    LoopbackHttpServer proxy([](const Request& request) {
        if (request.method == "CONNECT") {
            return Reply::Make("403 Forbidden", {}, "");
        }
        return Reply::Ok("via proxy");
    });
    const std::string proxyAddress = "127.0.0.1:" + std::to_string(proxy.Port());
    EXPECT_EQ(FetchPage("http://video.example/list?p=1", {.proxy = proxyAddress}), "via proxy");
    EXPECT_EQ(FetchPage("https://video.example/", {.proxy = proxyAddress}), "");

    const auto requests = proxy.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, "http://video.example/list?p=1");
    EXPECT_EQ(requests[0].Header("Host"), "video.example");
    EXPECT_EQ(requests[1].method, "CONNECT");
    EXPECT_EQ(requests[1].target, "video.example:443");
    EXPECT_EQ(requests[1].Header("Referer"), std::nullopt) << "the page's lines stay in the tunnel";
}

TEST(FetchPage, MalformedHeaderLineSendsNothing) {
    LoopbackHttpServer server;
    std::string headers = "X-Good: 1\r\nno colon here";
    EXPECT_EQ(FetchPage(server.Url("/"), {.headers = &headers}), "");
    headers = "X-Split: a\nInjected: b";
    EXPECT_EQ(FetchPage(server.Url("/"), {.headers = &headers}), "");
    EXPECT_EQ(server.RequestCount(), 0u);
}

}  // namespace
}  // namespace lumaru
