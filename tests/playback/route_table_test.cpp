#include "playback/route_table.h"

#include <gtest/gtest.h>

namespace lumaru {
namespace {

RouteTable NumberedRoutes() {
    RouteTable routes;
    for (int i = 0; i < kRouteCount; ++i) {
        routes[static_cast<std::size_t>(i)] = "http://route" + std::to_string(i) + "/?v=";
    }
    return routes;
}

TEST(ComposeRouteAddress, JoinsPrefixAndVideoUnchanged) {
    RouteTable routes = NumberedRoutes();
    routes[3].clear();
    struct Case {
        int route;
        std::string video;
        std::string expected;
    } cases[] = {
        {8, "abc", "http://route8/?v=abc"},
        {0, "  http://a/b c.html ", "http://route0/?v=  http://a/b c.html "},
        {3, "http://a/b.html", "http://a/b.html"},  // empty prefix: the bare video text
        {5, "", "http://route5/?v="},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ComposeRouteAddress(routes, c.route, c.video), c.expected) << c.route;
    }
}

TEST(RedirectNewWindowTarget, FollowsTheSelectedRoute) {
    const RouteTable routes = NumberedRoutes();
    const std::string cover = "http://v.qq.com/x/cover";  // 23 characters
    const std::string popup = "https://v.qq.com/x/page/abc.html";
    EXPECT_EQ(RedirectNewWindowTarget(routes, 0, popup, cover), "http://route0/?v=" + popup);
    EXPECT_EQ(RedirectNewWindowTarget(routes, 4, popup, cover), "http://route4/?v=" + popup);
    // Route 1 puts the cover prefix in place of the first 23 characters, all of a shorter one.
    EXPECT_EQ(RedirectNewWindowTarget(routes, 1, popup, cover),
              "http://route1/?v=" + cover + popup.substr(23));
    EXPECT_EQ(RedirectNewWindowTarget(routes, 1, "about:blank", cover),
              "http://route1/?v=" + cover);
    EXPECT_EQ(RedirectNewWindowTarget(routes, 1, "", "http://127.0.0.1:8080/x/cover"),
              "http://route1/?v=http://127.0.0.1:8080/x/cover");
    for (int route : {-1, 5, 6, 7, 8, 9}) {
        EXPECT_FALSE(RedirectNewWindowTarget(routes, route, popup, cover)) << route;
    }
}

TEST(RouteSampleTable, BuildsEachSampleOnItsPlatformHost) {
    const auto samples = RouteSampleTable(DefaultEndpoints());
    EXPECT_EQ(samples[0], "http://www.iqiyi.com/v_19rr9if5bc.html?fc=8b62d5327a54411b");
    EXPECT_EQ(samples[1], "http://v.qq.com/x/cover/r009isnukiff1ee/m0021d5e15e.html");
    EXPECT_EQ(samples[4],
              "http://v.youku.com/v_show/id_XMTczNTkwNzUxMg==.html?spm=a2h03.8164468.2069780.14");
    EXPECT_EQ(samples[5], samples[0]);
    EXPECT_EQ(samples[7], samples[0]);
    EXPECT_EQ(samples[8], "CNjAzODczNg==");
    EXPECT_EQ(TencentCoverPrefix(DefaultEndpoints()).size(), 23u);
}

}  // namespace
}  // namespace lumaru
