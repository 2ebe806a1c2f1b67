#include "net/fetch_page_http.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>

#include "loopback_http_server.h"
#include "net/text_encodings.h"

namespace lumaru {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;
using test::LoopbackHttpServer;
using test::Reply;
using test::Request;

constexpr std::string_view kDefaultBlock =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n"
    "Content-Type: application/x-www-form-urlencoded\r\n"
    "Cache-Control: no-cache\r\n";

std::string Message(const char* utf8) {
    return Utf8ToAnsi(utf8);
}

int ClosedPort() {
    LoopbackHttpServer gone;
    return gone.Port();
}

TEST(FetchPageHttp, AddressAloneSendsTheSixDefaultLines) {
    const std::string page("<html>page</html>\0tail", 22);
    LoopbackHttpServer server([&](const Request&) { return Reply::Ok(page); });
    std::string status, returnedHeaders, body, location = "untouched";

    const std::string text =
        FetchPageHttp(server.Url("/live/list?id=7"), {.returnedHeaders = &returnedHeaders,
                                                      .location = &location,
                                                      .status = &status,
                                                      .body = &body});

    EXPECT_EQ(text, "<html>page</html>") << "the text ends at the first zero byte";
    EXPECT_EQ(body, page);
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(location, "untouched");
    EXPECT_EQ(returnedHeaders.rfind("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n", 0), 0u);
    EXPECT_TRUE(returnedHeaders.ends_with("\r\n\r\n"));

    ASSERT_EQ(server.RequestCount(), 1u);
    const Request request = server.Requests()[0];
    EXPECT_EQ(request.raw.substr(0, request.raw.find("\r\n")), "GET /live/list?id=7 HTTP/1.1");
    EXPECT_EQ(request.headerBlock, "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n" +
                                       std::string(kDefaultBlock));
}

TEST(FetchPageHttp, VerbsAndBodies) {
    struct Case {
        std::optional<int> method;
        std::optional<std::string> postData;
        std::string verb;
        std::string body;
        std::optional<std::string> contentLength;
    };
    const Case cases[] = {
        {3, std::nullopt, "PUT", "", "0"},  {9, std::nullopt, "GET", "", std::nullopt},
        {-1, "a=1", "GET", "a=1", "3"},     {1, "k=v&x=%D6", "POST", "k=v&x=%D6", "9"},
        {1, std::nullopt, "POST", "", "0"}, {2, std::nullopt, "HEAD", "", std::nullopt},
    };
    LoopbackHttpServer server;
    for (const Case& c : cases) {
        std::string status;
        FetchPageHttp(server.Url("/v"),
                      {.method = c.method, .postData = c.postData, .status = &status});
        const Request request = server.Requests().back();
        EXPECT_EQ(request.method, c.verb) << c.method.value_or(-99);
        EXPECT_EQ(request.body, c.body) << c.verb;
        EXPECT_EQ(request.Header("Content-Length"), c.contentLength) << c.verb;
        EXPECT_EQ(status, "200 OK") << c.verb;
    }
}

TEST(FetchPageHttp, CallerLinesComeFirstAndDefaultsFollowByTheirCaseRules) {
    LoopbackHttpServer server;
    FetchPageHttp(server.Url("/"),
                  {.headers = "user-agent: Low/1\r\ncontent-type: text/plain\r\nX-Token: t"});
    const std::string block = server.Requests()[0].headerBlock;
    const std::string expected =
        "user-agent: Low/1\r\ncontent-type: text/plain\r\nX-Token: t\r\n"
        "Accept: text/html, application/xhtml+xml, */*\r\n"
        "Accept-Encoding: gbk, GB2312\r\n"
        "Accept-Language: zh-cn\r\n"
        "Content-Type: application/x-www-form-urlencoded\r\n"
        "Cache-Control: no-cache\r\n";
    EXPECT_EQ(block.substr(block.find("\r\n") + 2), expected);
}

TEST(FetchPageHttp, RequestedObject) {
    struct Case {
        std::string pathAndRest;
        std::string object;
    };
    const Case cases[] = {
        // Without a path the query is not sent.
        {"?q=1", "/"},
        {"", "/"},
        {"/p/a.html?q=1&r=%20", "/p/a.html?q=1&r=%20"},
        {"/p?q=1#part", "/p?q=1"},
        {"/a/../b?x=/../", "/a/../b?x=/../"},
    };
    LoopbackHttpServer server;
    for (const Case& c : cases) {
        std::string status;
        FetchPageHttp(server.Url(c.pathAndRest), {.status = &status});
        EXPECT_EQ(status, "200 OK") << c.pathAndRest;
        EXPECT_EQ(server.Requests().back().target, c.object) << c.pathAndRest;
    }
}

TEST(FetchPageHttp, UnparsableAddressIs701) {
    const std::string port = std::to_string(ClosedPort());
    const std::string addresses[] = {"127.0.0.1:" + port + "/x", "ftp://127.0.0.1/", "http://",
                                     "http://a b/", ""};
    for (const std::string& address : addresses) {
        std::string status;
        EXPECT_EQ(FetchPageHttp(address, {.status = &status}), "") << address;
        EXPECT_EQ(status, Message("701 解析URL地址失败!")) << address;
    }
}

TEST(FetchPageHttp, ErrorStatusKeepsThePage) {
    LoopbackHttpServer server(
        [](const Request&) { return Reply::Make("404 Not Found", {}, "gone"); });
    std::string status;
    EXPECT_EQ(FetchPageHttp(server.Url("/x"), {.status = &status}), "gone");
    EXPECT_EQ(status, "404 Not Found");
}

TEST(FetchPageHttp, RedirectIsReportedOrFollowed) {
    LoopbackHttpServer server([](const Request& request) {
        if (request.target == "/old") {
            return Reply::Make("302 Found", {{"location", "/new?x=1"}}, "moved");
        }
        return Reply::Ok("arrived");
    });
    std::string status, location;
    EXPECT_EQ(FetchPageHttp(server.Url("/old"),
                            {.noRedirect = true, .location = &location, .status = &status}),
              "moved");
    EXPECT_EQ(status, "302 Found");
    EXPECT_EQ(location, "/new?x=1");

    location = "before";
    EXPECT_EQ(FetchPageHttp(server.Url("/old"), {.location = &location, .status = &status}),
              "arrived");
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(location, "before") << "the final response has no Location";
    EXPECT_EQ(server.Requests().back().target, "/new?x=1");
}

TEST(FetchPageHttp, CookiesAreSentAppendedAndMerged) {
    LoopbackHttpServer server([](const Request&) {
        return Reply::Make("200 OK", {{"Set-Cookie", "b=3; path=/"}, {"SET-COOKIE", "a=deleted"}},
                           "");
    });
    std::string cookies = "a=1; b=2";
    std::string returnedCookies;
    FetchPageHttp(server.Url("/"), {.cookies = &cookies, .returnedCookies = &returnedCookies});
    EXPECT_EQ(server.Requests()[0].Header("Cookie"), "a=1; b=2");
    EXPECT_EQ(cookies, "b=3");
    EXPECT_EQ(returnedCookies, "b=3;a=deleted");

    returnedCookies = "x=0";
    std::string returnedHeaders;
    FetchPageHttp(server.Url("/"),
                  {.returnedCookies = &returnedCookies, .returnedHeaders = &returnedHeaders});
    EXPECT_EQ(returnedCookies, "x=0; b=3; a=deleted");
    EXPECT_NE(returnedHeaders.find("\r\nSet-Cookie: a=deleted\r\n"), std::string::npos);
    EXPECT_EQ(server.Requests()[1].Header("Cookie"), std::nullopt);
}

TEST(FetchPageHttp, CredentialsOnlyWhenBothAreGiven) {
    LoopbackHttpServer server;
    FetchPageHttp(server.Url("/"), {.userName = "user"});
    FetchPageHttp(server.Url("/"), {.userName = "user", .password = ""});
    FetchPageHttp(server.Url("/"), {.userName = "user", .password = "pw"});
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].Header("Authorization"), std::nullopt);
    EXPECT_EQ(requests[1].Header("Authorization"), std::nullopt);
    EXPECT_EQ(requests[2].Header("Authorization"), "Basic dXNlcjpwdw==");
}

TEST(FetchPageHttp, ProxyWithCredentials) {
    LoopbackHttpServer proxy([](const Request&) { return Reply::Ok("proxied"); });
    EXPECT_EQ(FetchPageHttp("http://live.example/room/1",
                            {.proxy = "127.0.0.1:" + std::to_string(proxy.Port()),
                             .proxyUser = "pu",
                             .proxyPassword = "pp"}),
              "proxied");
    const Request request = proxy.Requests().at(0);
    EXPECT_EQ(request.target, "http://live.example/room/1");
    EXPECT_EQ(request.Header("Proxy-Authorization"), "Basic cHU6cHA=");
}

TEST(FetchPageHttp, BodyBreakingOffKeepsTheBytesAndTheStatusText) {
    LoopbackHttpServer server(
        [](const Request&) { return Reply::Ok("0123456789").DropAfterBodyBytes(4); });
    std::string status, body;
    EXPECT_EQ(FetchPageHttp(server.Url("/"), {.status = &status, .body = &body}), "0123");
    EXPECT_EQ(status, "200 OK");
    EXPECT_EQ(body, "0123");
}

TEST(FetchPageHttp, TransportFailuresAreNumberedAndLeaveOutputsAlone) {
    LoopbackHttpServer closesAtOnce([](const Request&) { return Reply::Raw(""); });
    struct Case {
        std::string address;
        const char* message;
    };
    const Case cases[] = {
        {"http://127.0.0.1:" + std::to_string(ClosedPort()) + "/", "711 发送请求失败!"},
        {closesAtOnce.Url("/"), "712 服务器未响应!"},
    };
    for (const Case& c : cases) {
        std::string status, body = "b", headers = "h", location = "l", cookies = "c";
        EXPECT_EQ(FetchPageHttp(c.address, {.returnedCookies = &cookies,
                                            .returnedHeaders = &headers,
                                            .location = &location,
                                            .status = &status,
                                            .body = &body}),
                  "");
        EXPECT_EQ(status, Message(c.message)) << c.address;
        EXPECT_EQ(body + headers + location + cookies, "bhlc") << c.address;
    }
}

TEST(FetchPageHttp, SilentServerFailsNearTheTimeout) {
    LoopbackHttpServer server([](const Request&) { return Reply::Hang(); });
    std::string status;
    const auto start = steady_clock::now();
    EXPECT_EQ(FetchPageHttp(server.Url("/"), {.timeoutSeconds = 1, .status = &status}), "");
    const auto took = steady_clock::now() - start;
    EXPECT_EQ(status, Message("712 服务器未响应!"));
    EXPECT_GE(took, milliseconds(900));
    EXPECT_LT(took, milliseconds(4000));
}

TEST(FetchPageHttp, SlowButSteadyBodyOutlastsTheTimeout) {
    // The time-out bounds each wait, not the whole transfer: a body that keeps coming is read.
    LoopbackHttpServer server(
        [](const Request&) { return Reply::Ok("late").Delay(milliseconds(600)); });
    std::string status;
    EXPECT_EQ(FetchPageHttp(server.Url("/"), {.timeoutSeconds = 1, .status = &status}), "late");
    EXPECT_EQ(status, "200 OK");
}

TEST(FetchPageHttp, StopRequestEndsAHangingTransferPromptly) {
    LoopbackHttpServer server([](const Request&) { return Reply::Hang(); });
    std::stop_source stop;
    std::string status;
    auto fetch = std::async(std::launch::async, [&] {
        return FetchPageHttp(server.Url("/"), {.status = &status, .stop = stop.get_token()});
    });
    ASSERT_TRUE(server.WaitForRequests(1, milliseconds(5000)));
    const auto start = steady_clock::now();
    stop.request_stop();
    ASSERT_EQ(fetch.wait_for(milliseconds(2000)), std::future_status::ready);
    EXPECT_EQ(fetch.get(), "");
    EXPECT_LT(steady_clock::now() - start, milliseconds(500));
    EXPECT_EQ(status, Message("712 服务器未响应!"));
}

TEST(FetchPageHttp, MalformedHeaderLineIs710AndSendsNothing) {
    LoopbackHttpServer server;
    std::string status;
    EXPECT_EQ(FetchPageHttp(server.Url("/"), {.headers = "X-A: 1\r\nbroken", .status = &status}),
              "");
    EXPECT_EQ(status, Message("710 设置协议头失败!"));
    EXPECT_EQ(server.RequestCount(), 0u);
}

TEST(FetchPageHttp, PageTextFollowsTheDeclaredCharset) {
    const std::string utf8Page =
        "<html><head><meta charset=\"utf-8\"></head><body>中文</body></html>";
    const std::string gbPage =
        Utf8ToAnsi("<meta http-equiv=Content-Type content=\"text/html; charset=gb2312\">中文");
    LoopbackHttpServer server([&](const Request& request) {
        return Reply::Ok(request.target == "/utf8" ? utf8Page : gbPage);
    });
    EXPECT_EQ(FetchPageHttp(server.Url("/utf8")), Utf8ToAnsi(utf8Page));
    std::string body;
    EXPECT_EQ(FetchPageHttp(server.Url("/utf8"), {.body = &body}), Utf8ToAnsi(utf8Page));
    EXPECT_EQ(body, utf8Page) << "the body stays as received";
    EXPECT_EQ(FetchPageHttp(server.Url("/gb")), gbPage);
}

}  // namespace
}  // namespace lumaru
