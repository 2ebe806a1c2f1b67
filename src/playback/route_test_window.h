#pragma once

#include "app/toolkit/window.h"

namespace lumaru {

// Tries each route on a built-in sample video, in a browser of its own that keeps pop-ups.
class RouteTestWindow final : public ToolkitWindow {
    Q_OBJECT

public:
    RouteTestWindow();
    RouteTestWindow(const RouteTestWindow&) = delete;
    RouteTestWindow& operator=(const RouteTestWindow&) = delete;

    void Created() override;
    void AboutToBeDestroyed() override;

private:
    void TestRoute();
};

}  // namespace lumaru
