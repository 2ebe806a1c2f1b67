#pragma once

#include <array>
#include <string>

namespace lumaru {

// Every outside address the program talks to, in one place. The product uses the compiled
// defaults; tests and the demo build hand in a table pointing at loopback servers.
struct Endpoints {
    std::string remoteConfig;  // the maker's blog post with routes, captions and the notice
    std::string radio;         // the online radio's home page
    std::string feedback;      // the maker's feedback page
    std::string contact;       // the maker's chat contact page
    std::string chatGroup;     // the chat group's join page
    std::string chatGroupNumber;
    std::string internetProbe;  // a public page the internet check asks for
    std::string defaultVideo;   // the video page address the address box starts with

    // Hosts of the five platforms' video pages, as host or host:port, in route order:
    // iQiyi, Tencent Video, Mango TV, LeTV, Youku. The route samples and the Tencent cover
    // prefix are made from them.
    std::array<std::string, 5> platformHosts;
};

const Endpoints& DefaultEndpoints();

// The table in use. Set once before the first window opens; read-only afterwards.
const Endpoints& CurrentEndpoints();
void SetEndpoints(const Endpoints& endpoints);

}  // namespace lumaru
