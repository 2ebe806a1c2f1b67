#include "config/remote_config.h"

#include <chrono>
#include <utility>

#include "app/endpoints.h"
#include "net/text_encodings.h"
#include "net/text_search.h"
#include "net/whole_page_fetch.h"

namespace lumaru {
namespace {

constexpr auto kFetchTimeout = std::chrono::seconds(8);

std::string EntryValue(std::string_view article, std::string_view key) {
    const std::string opening = "[" + std::string(key) + "]=";
    const std::string closing = "[/" + std::string(key) + "]";
    return TextBetween(article, opening, closing, 0, true);
}

}  // namespace

RemoteConfig ParseRemoteConfig(std::string_view body) {
    body = body.substr(0, body.find('\0'));
    const std::string page = Utf8ToAnsi(body);
    static const std::string articleStart = Utf8ToAnsi("<!-- 正文开始 -->");
    static const std::string articleEnd = Utf8ToAnsi("<!-- 正文结束 -->");
    const std::string article = TextBetween(page, articleStart, articleEnd, 0, true);

    // The keys in the order the page is read.
    RemoteConfig config;
    const std::pair<const char*, std::string*> entries[] = {
        {"edition111", &config.routes[0]}, {"edition88", &config.routes[1]},
        {"edition333", &config.routes[2]}, {"edition4", &config.routes[3]},
        {"edition5", &config.routes[4]},   {"edition6", &config.routes[5]},
        {"edition7", &config.routes[6]},   {"edition8", &config.routes[7]},
        {"edition9", &config.routes[8]},   {"edition10", &config.edition10},
        {"edition11", &config.edition11},  {"edition12", &config.edition12},
        {"edition13", &config.edition13},  {"edition3", &config.edition3},
        {"editionn3", &config.editionn3},  {"downloadURL", &config.downloadUrl},
        {"explain", &config.explain},
    };
    for (const auto& [key, field] : entries) {
        *field = EntryValue(article, key);
    }
    return config;
}

void StoreRemoteConfig(const RemoteConfig& config, SharedState& state) {
    state.routeTable = config.routes;
    state.edition10 = config.edition10;
    state.edition11 = config.edition11;
    state.edition12 = config.edition12;
    state.edition13 = config.edition13;
    state.edition3 = config.edition3;
    state.editionn3 = config.editionn3;
}

RemoteConfig ReadRemoteConfig() {
    const RemoteConfig config =
        ParseRemoteConfig(FetchWholePage(CurrentEndpoints().remoteConfig, kFetchTimeout));
    StoreRemoteConfig(config, State());
    return config;
}

bool IsWebAddress(std::string_view address) {
    for (std::string_view scheme : {"http://", "https://"}) {
        if (StartsWithText(address, scheme, true) && address.size() > scheme.size()) {
            return true;
        }
    }
    return false;
}

}  // namespace lumaru
