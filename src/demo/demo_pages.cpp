#include "demo/demo_pages.h"

#include <charconv>
#include <memory>

#include "demo/demo_config_page.h"
#include "demo/demo_world.h"
#include "demo/html_text.h"
#include "playback/route_table.h"

namespace lumaru::demo {
namespace {

HttpReply Html(std::string body, int status = 200) {
    HttpReply reply;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
}

Page Static(std::string title, std::string body) {
    auto page = std::make_shared<const std::string>(StyledPage(title, body));
    return [page](const HttpRequest&) { return Html(*page); };
}

// The sample page names the server at its fixed port; a server elsewhere names itself.
Page ConfigPage(const std::string& base) {
    std::string page(kDemoConfigPage);
    const std::string fixedBase = DemoBase(kDemoPort);
    if (base != fixedBase) {
        for (std::size_t at = page.find(fixedBase); at != std::string::npos;
             at = page.find(fixedBase, at + base.size())) {
            page.replace(at, fixedBase.size(), base);
        }
    }
    auto shared = std::make_shared<const std::string>(std::move(page));
    return [shared](const HttpRequest&) { return Html(*shared); };
}

std::optional<int> RouteIndex(std::string_view path) {
    constexpr std::string_view kPrefix = "/route/";
    path.remove_prefix(kPrefix.size());
    int route = -1;
    const auto [end, error] = std::from_chars(path.data(), path.data() + path.size(), route);
    if (error != std::errc() || end != path.data() + path.size() || route < 0 ||
        route >= kRouteCount) {
        return std::nullopt;
    }
    return route;
}

std::string RouteTitle(int route) {
    return "线路" + std::to_string(route) + " · " + kRouteNames[static_cast<std::size_t>(route)];
}

// A parse route: shows the video address it was asked to play and, like real route pages, opens
// a pop-up of its own after a moment. The pop-up's address carries kPopupMarker, and a route page
// asked to play such an address opens none, so a main browser that replays pop-ups through the
// route stops after one round.
Page RoutePage(const std::string& base) {
    return [base](const HttpRequest& request) {
        const auto route = RouteIndex(request.path);
        if (!route) {
            return Html(StyledPage("没有这条线路", "<h1>没有这条线路</h1>"), 404);
        }
        constexpr std::string_view kVideoKey = "url=";
        const std::string_view query = request.query;
        const std::string video = query.substr(0, kVideoKey.size()) == kVideoKey
                                      ? PercentDecode(query.substr(kVideoKey.size()))
                                      : std::string();
        std::string body = "<h1>" + HtmlEscape(RouteTitle(*route)) +
                           "</h1><div class=\"label\">线路页面收到的视频地址：</div><div "
                           "class=\"big\">" +
                           (video.empty() ? std::string("（空）") : HtmlEscape(video)) +
                           "</div><div class=\"player\">&#9654;</div>";
        if (video.find(kPopupMarker) != std::string::npos) {
            body +=
                "<div class=\"note\">这是线路页面弹出窗口的地址，经所选线路在主浏览框中播放；"
                "本页不再弹出窗口。</div>";
        } else {
            const std::string popup = base + "/popup/" + kPopupMarker +
                                      ".html?route=" + std::to_string(*route) +
                                      "&from=" + PercentEncode(video);
            body +=
                "<div class=\"note\">演示线路：像真实的线路页面一样，本页稍后弹出一个窗口。</div>"
                "<script>setTimeout(function () { window.open(\"" +
                popup + "\"); }, 1500);</script>";
        }
        return Html(StyledPage(RouteTitle(*route), body));
    };
}

// The pop-up of a route page, as a browser shows it when it keeps pop-ups in itself.
HttpReply PopupPage(const HttpRequest& request) {
    const std::string from = PercentDecode(QueryValue(request.query, "from"));
    const std::string route = PercentDecode(QueryValue(request.query, "route"));
    return Html(StyledPage("线路弹出窗口", "<h1>线路弹出窗口</h1><div class=\"label\">由线路" +
                                               HtmlEscape(route) +
                                               "的页面弹出，原视频地址：</div><div class=\"big\">" +
                                               HtmlEscape(from) + "</div>"));
}

// A platform's video page: the address the user copies into the address box.
Page VideoPage(std::string platform) {
    return [platform = std::move(platform)](const HttpRequest& request) {
        const std::string title = platform + " · 演示视频页";
        return Html(StyledPage(title, "<h1>" + HtmlEscape(title) +
                                          "</h1><div class=\"label\">视频页地址：</div><div "
                                          "class=\"big\">" +
                                          HtmlEscape(request.target) +
                                          "</div><div class=\"player\">&#9654;</div>"));
    };
}

// The small browser on the start picture is 88 by 32 pixels: one short line, no frame.
HttpReply SmallPage(const HttpRequest&) {
    return Html(
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"></head><body style=\"margin:0;"
        "height:32px;display:flex;align-items:center;justify-content:center;background:#3b1d4c;"
        "color:#ffd479;font:13px 'Noto Sans CJK SC',sans-serif\">演示版</body></html>");
}

HttpReply ProbeReply(const HttpRequest&) {
    HttpReply reply;
    reply.contentType = "text/plain; charset=utf-8";
    reply.body = "ok\n";
    return reply;
}

Page Fallback(const std::string& base) {
    const std::string index =
        "<h1>Lumaru 演示世界</h1><ul>"
        "<li><a href=\"/lumaru/notice.html\">远程配置页</a></li>"
        "<li><a href=\"/route/0?url=" +
        base +
        "/v_19rrm66em8.html\">线路页面</a></li>"
        "<li><a href=\"/v_19rrm66em8.html\">视频页</a></li>"
        "<li><a href=\"/fm/\">电台</a></li></ul>";
    return [index](const HttpRequest& request) {
        if (request.path == "/") {
            return Html(StyledPage("Lumaru 演示世界", index));
        }
        return Html(StyledPage("页面不存在", "<h1>演示世界里没有这个页面</h1><div class=\"big\">" +
                                                 HtmlEscape(request.target) + "</div>" + index),
                    404);
    };
}

}  // namespace

void PageTable::Add(std::string pathPrefix, Page page) {
    pages_.emplace_back(std::move(pathPrefix), std::move(page));
}

HttpReply PageTable::Serve(const HttpRequest& request) const {
    const Page* best = nullptr;
    std::size_t bestLength = 0;
    for (const auto& [prefix, page] : pages_) {
        if (request.path.starts_with(prefix) && (!best || prefix.size() > bestLength)) {
            best = &page;
            bestLength = prefix.size();
        }
    }
    if (best) {
        return (*best)(request);
    }
    if (fallback_) {
        return fallback_(request);
    }
    return Html(StyledPage("页面不存在", "<h1>页面不存在</h1>"), 404);
}

PageTable DemoPages(const std::string& base) {
    PageTable pages;
    pages.Add("/lumaru/notice.html", ConfigPage(base));
    pages.Add("/route/", RoutePage(base));
    pages.Add("/popup/", PopupPage);

    // The platforms' video pages, by the path shapes of their addresses.
    pages.Add("/v_", VideoPage("爱奇艺"));
    pages.Add("/x/cover/", VideoPage("腾讯视频"));
    pages.Add("/v/", VideoPage("芒果TV"));
    pages.Add("/ptv/vplay/", VideoPage("乐视视频"));
    pages.Add("/v_show/", VideoPage("优酷"));

    pages.Add("/fm/", Static("Lumaru 演示电台",
                             "<h1>Lumaru 演示电台</h1><div class=\"label\">正在播放</div>"
                             "<div class=\"big\">演示频道 · 轻音乐</div><ul><li>流行金曲</li>"
                             "<li>经典老歌</li><li>夜晚轻音乐</li></ul>"));
    pages.Add("/feedback.html", Static("问题反馈",
                                       "<h1>问题反馈（演示）</h1><div class=\"label\">"
                                       "真实版本在这里打开作者的反馈页面。</div>"));
    pages.Add("/contact.html", Static("联系作者",
                                      "<h1>联系作者（演示）</h1><div class=\"label\">"
                                      "真实版本在这里打开作者的联系页面。</div>"));
    pages.Add("/group.html", Static("加入交流群",
                                    "<h1>加入交流群（演示）</h1><div "
                                    "class=\"label\">群号 10001</div>"));
    pages.Add("/download.html", Static("下载新版本",
                                       "<h1>下载新版本（演示）</h1><div "
                                       "class=\"label\">演示世界没有新版本。</div>"));
    pages.Add("/tv.html", Static("电视直播",
                                 "<h1>电视直播（演示）</h1><div class=\"label\">"
                                 "远程配置 edition10 指向的页面。</div><div "
                                 "class=\"player\">&#128250;</div>"));
    pages.Add("/cinema.html", Static("Lumaru影院",
                                     "<h1>Lumaru影院（演示）</h1><div "
                                     "class=\"label\">远程配置 edition11 "
                                     "指向的页面。</div><div "
                                     "class=\"player\">&#127916;</div>"));
    pages.Add("/small.html", SmallPage);
    pages.Add("/probe", ProbeReply);
    pages.SetFallback(Fallback(base));
    return pages;
}

}  // namespace lumaru::demo
