#pragma once

#include <string>
#include <string_view>

#include "app/shared_state.h"

namespace lumaru {

// The values the maker publishes in the article of the remote configuration page.
struct RemoteConfig {
    RouteTable routes;
    std::string edition10;
    std::string edition11;
    std::string edition12;
    std::string edition13;
    std::string edition3;
    std::string editionn3;
    std::string downloadUrl;  // for this run's update question only
    std::string explain;      // the notice text
};

// Reads the values out of the page body (UTF-8, up to its first zero byte). Each entry is
// "[key]=value[/key]" inside the article markers; a key that is missing gives empty text.
RemoteConfig ParseRemoteConfig(std::string_view body);

// Replaces the remote values of the shared state with those of the page.
void StoreRemoteConfig(const RemoteConfig& config, SharedState& state);

// Fetches the configured page (bounded in time; an unreachable page reads as empty), stores its
// values and hands back the whole set.
RemoteConfig ReadRemoteConfig();

// Whether an address from outside may be handed to the system's handler: only web addresses.
bool IsWebAddress(std::string_view address);

}  // namespace lumaru
