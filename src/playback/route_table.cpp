#include "playback/route_table.h"

namespace lumaru {

const std::array<const char*, kRouteCount> kRouteNames = {
    "爱奇艺线路", "腾讯线路",  "芒果线路", "乐视线路", "优酷线路",
    "万能线路1",  "万能线路2", "更新线路", "C值线路",
};

std::string ComposeRouteAddress(const RouteTable& routes, int index, std::string_view video) {
    if (index < 0 || index >= kRouteCount) {
        return std::string(video);
    }
    std::string address = routes[static_cast<std::size_t>(index)];
    address.append(video);
    return address;
}

std::optional<std::string> RedirectNewWindowTarget(const RouteTable& routes, int route,
                                                   std::string_view popupAddress,
                                                   std::string_view tencentCoverPrefix) {
    constexpr std::size_t kTencentReplacedLength = 23;
    switch (route) {
        case 0:
        case 2:
        case 3:
        case 4:
            return ComposeRouteAddress(routes, route, popupAddress);
        case 1: {
            std::string video(tencentCoverPrefix);
            if (popupAddress.size() > kTencentReplacedLength) {
                video.append(popupAddress.substr(kTencentReplacedLength));
            }
            return ComposeRouteAddress(routes, route, video);
        }
        default:
            return std::nullopt;
    }
}

std::string TencentCoverPrefix(const Endpoints& endpoints) {
    return "http://" + endpoints.platformHosts[1] + "/x/cover";
}

std::array<std::string, kRouteCount> RouteSampleTable(const Endpoints& endpoints) {
    const auto page = [&](int platform, const char* path) {
        return "http://" + endpoints.platformHosts[static_cast<std::size_t>(platform)] + path;
    };
    const std::string iqiyi = page(0, "/v_19rr9if5bc.html?fc=8b62d5327a54411b");
    return {
        iqiyi,
        page(1, "/x/cover/r009isnukiff1ee/m0021d5e15e.html"),
        page(2, "/v/3/293541/f/3545884.html"),
        page(3, "/ptv/vplay/26322741.html?ref=100000001"),
        page(4, "/v_show/id_XMTczNTkwNzUxMg==.html?spm=a2h03.8164468.2069780.14"),
        iqiyi,
        iqiyi,
        iqiyi,
        "CNjAzODczNg==",
    };
}

}  // namespace lumaru
