#pragma once

#include <string_view>

namespace lumaru::demo {

// docs/remote-config-sample.html, built into the program: the demo world's configuration page,
// written for the demo server's fixed port.
extern const std::string_view kDemoConfigPage;

}  // namespace lumaru::demo
