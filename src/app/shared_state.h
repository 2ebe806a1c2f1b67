#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "app/worker.h"

namespace lumaru {

class MemoryModule;

// The nine route prefixes, indexed by the route selector's item.
using RouteTable = std::array<std::string, 9>;

// The skin applied last and the three integers it was applied with.
struct CurrentSkin {
    std::string bytes;
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::int32_t c = 0;
};

// The process-wide values. Texts are written on the GUI thread during start-up and only read
// afterwards; each field has a single writer.
struct SharedState {
    RouteTable routeTable;
    CurrentSkin currentSkin;
    std::shared_ptr<MemoryModule> skinEngineLoader;
    std::string edition10;  // address of the "电视直播" link
    std::unique_ptr<Worker> catalogueWorker;
    std::string edition11;  // address of the "Lumaru影院" link
    std::unique_ptr<Worker> searchWorker;
    std::string edition13;  // address of the main window's small browser
    std::string edition12;  // main window caption
    std::string edition3;   // latest version
    std::string editionn3;  // version this build was announced as
};

SharedState& State();

}  // namespace lumaru
