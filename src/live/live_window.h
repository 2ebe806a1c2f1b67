#pragma once

#include "app/toolkit/window.h"

namespace lumaru {

// The directory of live rooms. It opens beside the main window and follows it when it moves.
class LiveWindow final : public ToolkitWindow {
    Q_OBJECT

public:
    LiveWindow();
    LiveWindow(const LiveWindow&) = delete;
    LiveWindow& operator=(const LiveWindow&) = delete;
};

}  // namespace lumaru
