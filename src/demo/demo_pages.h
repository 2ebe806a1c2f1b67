#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "demo/http_message.h"

namespace lumaru::demo {

using Page = std::function<HttpReply(const HttpRequest&)>;

// Which page answers which path: the entry with the longest prefix of the request's path wins,
// and a path no entry claims gets the fallback. New parts of the demo world add their pages
// with Add.
class PageTable {
public:
    void Add(std::string pathPrefix, Page page);
    void SetFallback(Page page) { fallback_ = std::move(page); }

    HttpReply Serve(const HttpRequest& request) const;

private:
    std::vector<std::pair<std::string, Page>> pages_;
    Page fallback_;
};

// Marks the address a route page opens as its pop-up, so that a route page asked to play that
// address again does not open another one.
inline constexpr const char* kPopupMarker = "lumaru-popup";

// The pages of the demo world, naming their own addresses with `base` ("http://127.0.0.1:port"):
// the configuration page, route pages, the platforms' video pages, the radio, the maker's pages,
// the internet probe, the small browser's page, the two link pages and a catch-all.
PageTable DemoPages(const std::string& base);

}  // namespace lumaru::demo
