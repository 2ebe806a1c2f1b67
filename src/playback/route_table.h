#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "app/endpoints.h"
#include "app/shared_state.h"

namespace lumaru {

constexpr int kRouteCount = 9;
constexpr int kCatalogueRoute = 8;  // "C值线路"

// The route selector's items, in route order (UTF-8, for the selectors).
extern const std::array<const char*, kRouteCount> kRouteNames;

// The route's prefix immediately followed by the video text, nothing inserted, trimmed or
// encoded. Callers pass an index from 0 to 8.
std::string ComposeRouteAddress(const RouteTable& routes, int index, std::string_view video);

// Where the main browser goes when a page asks for a new window while route `route` is
// selected: routes 0 and 2 to 4 play the pop-up's address, route 1 first puts the Tencent cover
// prefix in place of its first 23 characters, any other route plays nothing.
std::optional<std::string> RedirectNewWindowTarget(const RouteTable& routes, int route,
                                                   std::string_view popupAddress,
                                                   std::string_view tencentCoverPrefix);

// "http://" + the Tencent host + "/x/cover".
std::string TencentCoverPrefix(const Endpoints& endpoints);

// The sample video of each route for the route test.
std::array<std::string, kRouteCount> RouteSampleTable(const Endpoints& endpoints);

}  // namespace lumaru
