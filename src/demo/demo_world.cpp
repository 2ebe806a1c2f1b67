#include "demo/demo_world.h"

namespace lumaru::demo {

std::string DemoBase(std::uint16_t port) {
    return "http://127.0.0.1:" + std::to_string(port);
}

Endpoints DemoEndpoints(std::uint16_t port) {
    const std::string base = DemoBase(port);
    const std::string host = "127.0.0.1:" + std::to_string(port);
    return Endpoints{
        .remoteConfig = base + "/lumaru/notice.html",
        .radio = base + "/fm/",
        .feedback = base + "/feedback.html",
        .contact = base + "/contact.html",
        .chatGroup = base + "/group.html",
        .chatGroupNumber = "10001",
        .internetProbe = base + "/probe",
        .defaultVideo = base + "/v_19rrm66em8.html",
        .platformHosts = {host, host, host, host, host},
    };
}

}  // namespace lumaru::demo
