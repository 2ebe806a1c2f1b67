#pragma once

#include <cstdint>
#include <string>

#include "app/endpoints.h"

namespace lumaru::demo {

// The demo build and its server meet on this fixed loopback port: the program reads no
// argument, variable or file, so the address is compiled in on both sides.
inline constexpr std::uint16_t kDemoPort = 17878;

// "http://127.0.0.1:<port>", the start of every address of the demo world.
std::string DemoBase(std::uint16_t port);

// The program's outside addresses, all pointing at the demo server on `port`; every platform
// host is the server itself, so the route samples and the default video are its pages too.
Endpoints DemoEndpoints(std::uint16_t port = kDemoPort);

}  // namespace lumaru::demo
